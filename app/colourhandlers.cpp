// The palette choice and colour cycling handlers of the window.
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/tfmandel.h"
#include "colour/cycling.h"
#include "colour/palette.h"
#include "platform/accessiblefocus.h"
#include "platform/radiogroup.h"
#include "render/rowpool.h"
#include "platform/surface.h"

void Tfmandel::RadioGroup1Click(QObject *sender)
{
    static const char *const names[] = {"VERTIGO", "SPEZIAL", "NEON", "STANDARD"};
    const int index = RadioGroup1->itemIndex();
    if (index >= 0 && index < 4)
        LoadPalette(names[index]);
    ZeichnenClick(sender);
}

void Tfmandel::Button1Click(QObject *)
{
    if (Timer1->isActive()) {
        Timer1->stop();
    } else {
        Timer1->start();
        if (!Timer1->isActive())
            throw std::runtime_error("Not enough timers available");
    }
    Button1->setText(Timer1->isActive() ? QStringLiteral("Anhalten")
                                        : QStringLiteral("Farbanimation"));
    announceCaptionOfFocused(Button1);
}

void Tfmandel::Timer1Timer(QObject *)
{
    cyclePhase = nextCyclePhase(cyclePhase);
    const CycledColours colours = makeCycledColours(activePalette, cyclePhase);
    const int W = thumbnailSize().width();
    const int H = thumbnailSize().height();

    // The six pictures and the thumbnails' retained images are written in one
    // pass, in blocks of rows on this thread and the pool's free ones; only
    // then, here on the window's thread, are the thumbnails shown, in order
    // 1 ... 6.
    struct Target
    {
        int image = 0, width = 0, height = 0;
        std::vector<std::uint8_t *> pictureRows;
        std::vector<std::uint32_t *> surfaceRows;
    };
    std::vector<Target> targets;
    for (int i = 1; i <= 6; ++i) {
        if (!images[i] || i >= iterations.images())
            continue;
        Target t;
        t.image = i;
        t.width = std::min({W, iterations.columns(), images[i]->width()});
        t.height = std::min({H, iterations.rows(), images[i]->height()});
        PaintSurface *surface = thumbnail(i);
        const bool surfaceFits = surface->retained().width() >= t.width
                                 && surface->retained().height() >= t.height;
        for (int y = 0; y < t.height; ++y) {
            t.pictureRows.push_back(images[i]->row(y));
            if (surfaceFits)
                t.surfaceRows.push_back(surface->retainedRow(y));
        }
        targets.push_back(std::move(t));
    }
    constexpr int kRowsPerPiece = 32;
    std::vector<std::pair<int, int>> pieces; // target, first row
    for (int k = 0; k < int(targets.size()); ++k)
        for (int y = 0; y < targets[k].height; y += kRowsPerPiece)
            pieces.emplace_back(k, y);
    pool_->run(int(pieces.size()), [&](int p) {
        const Target &t = targets[pieces[p].first];
        const int y0 = pieces[p].second;
        recolourRows(iterations[t.image], iterations.rows(), t.width, y0,
                     std::min(y0 + kRowsPerPiece, t.height), colours, t.pictureRows.data(),
                     t.surfaceRows.empty() ? nullptr : t.surfaceRows.data());
    });
    for (const Target &t : targets) {
        if (t.surfaceRows.empty())
            thumbnail(t.image)->drawPicture(*images[t.image]);
        else
            thumbnail(t.image)->present();
    }
}
