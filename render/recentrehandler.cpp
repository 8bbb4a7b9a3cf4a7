// A press on a thumbnail: its point becomes the new target, and the series
// is drawn again.

#include <QSize>

#include "app/fieldtext.h"
#include "app/tfmandel.h"
#include "platform/factorgrid.h"
#include "platform/surface.h"
#include "render/recentre.h"

void Tfmandel::superMousedown(QObject *sender, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y)
{
    int n = 1;
    for (int k = 1; k <= 6; ++k)
        if (sender == static_cast<QObject *>(thumbnail(k)))
            n = k;
    // The factor is read before anything changes: an overflow leaves all as it was.
    const double factor = readNumber(tabelle->cell(1, n));
    const QSize size = thumbnailSize();
    showPoint(Edit1, Edit2, recentrePoint(target, factor, size.width(), size.height(), X, Y), 12);
    ZeichnenClick(sender);
}
