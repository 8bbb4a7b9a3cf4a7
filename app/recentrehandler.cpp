// A press on a thumbnail: its point becomes the new target, and the series
// is drawn again.

#include <QSize>
#include <algorithm>

#include "app/fieldtext.h"
#include "app/tfmandel.h"
#include "platform/factorgrid.h"
#include "platform/surface.h"
#include "render/recentre.h"

void Tfmandel::superMousedown(QObject *sender, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y)
{
    const auto thumbs = thumbnails();
    const auto found = std::find(thumbs.begin(), thumbs.end(), sender);
    const int n = found == thumbs.end() ? 1 : int(found - thumbs.begin()) + 1;
    // The factor is read before anything changes: an overflow leaves all as it was.
    const double factor = readNumber(tabelle->cell(1, n));
    const QSize size = thumbnailSize();
    showPoint(Edit1, Edit2, recentrePoint(target, factor, size.width(), size.height(), X, Y), 12);
    ZeichnenClick(sender);
}
