// The palette choice and colour cycling handlers of the window.
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

#include "app/tfmandel.h"
#include "colour/cycling.h"
#include "colour/palette.h"
#include "platform/radiogroup.h"
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
}

void Tfmandel::Timer1Timer(QObject *)
{
    cyclePhase = nextCyclePhase(cyclePhase);
    const CycledColours colours = makeCycledColours(activePalette, cyclePhase);
    const int W = thumbnailSize().width();
    const int H = thumbnailSize().height();
    for (int i = 1; i <= 6; ++i) {
        if (!images[i] || i >= iterations.images())
            continue;
        recolourPicture(iterations[i], iterations.rows(), W, H, colours, *images[i]);
        thumbnail(i)->drawPicture(*images[i]);
    }
}
