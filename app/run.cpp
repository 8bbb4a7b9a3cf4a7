// The run toggle and the computation of one image of the zoom series.
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <algorithm>
#include <chrono>
#include <cstring>

#include "app/fieldtext.h"
#include "app/tfmandel.h"
#include "colour/palette.h"
#include "numtext/numtext.h"
#include "platform/accessiblefocus.h"
#include "platform/factorgrid.h"
#include "platform/surface.h"
#include "render/engine.h"

void Tfmandel::ZeichnenClick(QObject *)
{
    if (idle) {
        ++runDepth_;
        int finished = 0; // images computed whole
        const int run = ++runsStarted_;
        // However the run ends, also by a number that cannot be read, the
        // toggle is ready for the next press.
        const auto ready = qScopeGuard([this, &finished, run] {
            Zeichnen->setText(QStringLiteral("Vergrößerungen zeichnen"));
            // A run that a newer one has replaced ends unheard: the newer
            // one's news is what holds.
            if (run == runsStarted_)
                announceRunEnd(finished);
            idle = true;
            if (--runDepth_ == 0)
                finishRun();
        });
        idle = false;
        Zeichnen->setText(QStringLiteral("Abbruch"));
        announceCaptionOfFocused(Zeichnen);
        announceRunStart();
        target.re = ReadReal(Edit1);
        target.im = ReadReal(Edit2);
        for (int n = 1; n <= 6; ++n) {
            RenderImage(n, readNumber(tabelle->cell(1, n)));
            if (!idle)
                finished = n;
        }
        PaintboxPaint();
        return;
    }
    idle = true;
}

void Tfmandel::RenderImage(int image, double factor)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    factor = zoom::clampFactor(factor);
    if (idle)
        return;
    const int w = thumbnailSize().width();
    const int h = thumbnailSize().height();
    if (w <= 0 || h <= 0)
        return;
    Picture work(w, h);
    const zoom::Geometry g = zoom::makeGeometry(w, h, factor, target.re, target.im);
    aspect = g.aspect;

    // Only what the store holds is written (it always holds the thumbnails).
    const bool stored = image >= 0 && image < iterations.images();
    const int storeColumns = stored ? std::min(w, iterations.columns()) : 0;
    const bool storeRows = stored;
    IterationStore::Plane plane = iterations[stored ? image : 0];
    PaintSurface *surface = thumbnail(image);

    engine_->begin(g);
    for (int r = 0; r < h; ++r) {
        const std::uint8_t *indices = engine_->waitRow(r);
        if (!indices)
            break;
        std::uint8_t *row = work.row(r);
        for (int j = 0; j < w; ++j) {
            const std::uint32_t colour = pictureBytes(pictureColour(activePalette, indices[j]));
            std::memcpy(row + 3 * j, &colour, 3);
        }
        if (storeRows && r < iterations.rows())
            for (int j = 0; j < storeColumns; ++j)
                plane[j][r] = indices[j];

        const Clock::time_point now = Clock::now();
        if (now - start > progressInterval) {
            // Every pending event, each by its handler: a press of "Abbruch"
            // ends the run here.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (idle)
                break;
            if (surface)
                surface->drawPicture(work);
            start = now;
        }
    }
    engine_->cancel();
    if (surface)
        surface->drawPicture(work);
}
