// The overview's paint routine and the dragging of the target marker.
#include <QLineEdit>
#include <QPainter>
#include <algorithm>

#include "app/fieldtext.h"
#include "app/tfmandel.h"
#include "numtext/numtext.h"
#include "overview/overviewmap.h"
#include "platform/surface.h"

namespace {

// Marker positions far beyond the surface are drawn at a bounded distance,
// where they are clipped away just the same.
int drawable(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000));
}

} // namespace

void Tfmandel::PaintboxPaint()
{
    const int W = Paintbox->width();
    const int H = Paintbox->height();
    const PixelPoint centre = planeToPixel(target.re, target.im, W, H);
    const int x = drawable(centre.x);
    const int y = drawable(centre.y);
    Paintbox->paintOn([&](QPainter &painter) {
        painter.drawImage(0, 0, overviewPicture_);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(0, 0, 255));
        // Bounding box (x-4, y-4, x+4, y+4) with its right and bottom edges
        // outside the disc: it covers x-4 ... x+3 and y-4 ... y+3. The pen
        // adds a pixel on those sides, so the rectangle given is one smaller.
        painter.drawEllipse(QRect(x - 4, y - 4, 7, 7));
    });
}

void Tfmandel::PaintboxMouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y)
{
    const int W = Paintbox->width();
    const int H = Paintbox->height();
    // The one draggable point is point 1, the target.
    if (markerGrabbed(X, Y, planeToPixel(target.re, target.im, W, H))) {
        dragging = true;
        dragIndex = 1;
    }
}

namespace {

void dragTo(Tfmandel &w, int X, int Y)
{
    const ComplexPoint p = pixelToPlane(X, Y, w.Paintbox->width(), w.Paintbox->height());
    if (w.dragIndex == 1)
        w.target = p;
    showPoint(w.Edit1, w.Edit2, w.target, 10);
    w.PaintboxPaint();
}

} // namespace

void Tfmandel::PaintboxMouseMove(QObject *, Qt::KeyboardModifiers, int X, int Y)
{
    if (!dragging)
        return;
    dragTo(*this, X, Y);
}

void Tfmandel::PaintboxMouseUp(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y)
{
    if (!dragging)
        return;
    dragging = false;
    dragTo(*this, X, Y);
}
