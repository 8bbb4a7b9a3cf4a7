#include "platform/surface.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/picture.h"

void copyPicture(const QImage &picture, QImage &surface)
{
    const int w = std::min(picture.width(), surface.width());
    const int h = std::min(picture.height(), surface.height());
    for (int y = 0; y < h; ++y) {
        const uchar *from = picture.constScanLine(y);
        auto *to = reinterpret_cast<QRgb *>(surface.scanLine(y));
        for (int x = 0; x < w; ++x, from += 3)
            to[x] = 0xFF000000u | QRgb(from[2]) << 16 | QRgb(from[1]) << 8 | from[0];
    }
}

PaintSurface::PaintSurface(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    retained_ = QImage(1, 1, QImage::Format_RGB32);
    retained_.fill(Qt::white);
}

void PaintSurface::showNow()
{
    // Inside our own paint event the retained image is put on the screen by
    // that same paint.
    if (!inPaint_)
        repaint();
}

void PaintSurface::present()
{
    static const bool wayland = QGuiApplication::platformName().startsWith(
            QLatin1String("wayland"));
    if (wayland)
        update();
    else
        showNow();
}

void PaintSurface::drawPicture(const Picture &picture)
{
    drawImage(picture.image());
}

void PaintSurface::drawImage(const QImage &image)
{
    if (image.format() == QImage::Format_BGR888 && retained_.format() == QImage::Format_RGB32) {
        // The run's pictures, drawn at every event pump: copied pixel by
        // pixel, 2.3 times quicker than QImage::convertToFormat and more so
        // than the painter's blending (0.17 against 0.44 ms at 381 x 251,
        // 1.1 against 2.6 ms at 1737 x 718: build-test/bench/conversion_bench).
        copyPicture(image, retained_);
        showNow();
        return;
    }
    paintOn([&](QPainter &painter) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image);
    });
}

void PaintSurface::paintOn(const std::function<void(QPainter &)> &draw)
{
    {
        QPainter painter(&retained_);
        draw(painter);
    }
    showNow();
}

void PaintSurface::paintEvent(QPaintEvent *)
{
    if (paintHandler_) {
        inPaint_ = true;
        paintHandler_();
        inPaint_ = false;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, retained_);
}

void PaintSurface::resizeEvent(QResizeEvent *)
{
    if (retained_.size() == size())
        return;
    retained_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
    retained_.fill(Qt::white);
}

bool PaintSurface::reaches(const QMouseEvent *event) const
{
    // Qt hands every event of a press-move-release sequence to the widget
    // that took the press, whichever button it was; only the left button's
    // capture lets those outside the surface through.
    return captured_ || rect().contains(event->position().toPoint());
}

void PaintSurface::mousePressEvent(QMouseEvent *event)
{
    if (!reaches(event))
        return;
    if (event->button() == Qt::LeftButton)
        captured_ = true;
    const QPoint p = event->position().toPoint();
    emit mousePressed(p.x(), p.y(), event->button(), event->modifiers());
}

void PaintSurface::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press of its own.
    mousePressEvent(event);
}

void PaintSurface::mouseMoveEvent(QMouseEvent *event)
{
    // A release of the left button that never arrived (another window took
    // the pointer) ends the capture too.
    if (!(event->buttons() & Qt::LeftButton))
        captured_ = false;
    if (!reaches(event))
        return;
    const QPoint p = event->position().toPoint();
    emit mouseMoved(p.x(), p.y(), event->buttons(), event->modifiers());
}

void PaintSurface::mouseReleaseEvent(QMouseEvent *event)
{
    const bool reached = reaches(event);
    if (event->button() == Qt::LeftButton)
        captured_ = false;
    if (!reached)
        return;
    const QPoint p = event->position().toPoint();
    emit mouseReleased(p.x(), p.y(), event->button(), event->modifiers());
}
