#pragma once
// A paint surface that keeps what was drawn on it: drawing goes into a
// retained image and is put on the screen at once; paint events show the
// retained image, so a covered and uncovered surface shows its last drawing.
// Before anything is drawn, and after every size change, it is white.
//
// Mouse events: a press of the left (primary) button captures the pointer
// until that button is released, so moves and the release reach the surface
// wherever the pointer is; presses of other buttons take no capture, so
// without the left button held only what happens over the surface reaches
// it. Moves over the surface arrive also with no button held.

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>

class QPainter;

class Picture;

class PaintSurface : public QWidget
{
    Q_OBJECT
public:
    explicit PaintSurface(QWidget *parent = nullptr);

    // Draws the picture unscaled with its top-left corner at (0, 0), clipped
    // to the surface, and shows it at once.
    void drawPicture(const Picture &picture);
    void drawImage(const QImage &image);

    // Runs `draw` on the retained image, then shows it at once.
    void paintOn(const std::function<void(QPainter &)> &draw);

    // Called at every paint event before the retained image is shown; drawing
    // from it lands in that same paint.
    void setPaintHandler(std::function<void()> handler) { paintHandler_ = std::move(handler); }

    const QImage &retained() const { return retained_; }

    // Shows the retained image after drawing straight into it. On X11 at
    // once, each surface by itself. On Wayland every flush of the window
    // commits a whole new buffer to the compositor, and six flushes a tick
    // cost more than the tick's drawing: there the surfaces' updates join
    // into one flush when the compositor asks for the next frame.
    void present();

    // Row y of the retained image, 0xFFRRGGBB a pixel, for drawing straight
    // into it (also from other threads); a repaint of the surface then shows
    // what was drawn.
    std::uint32_t *retainedRow(int y)
    {
        return reinterpret_cast<std::uint32_t *>(retained_.scanLine(y));
    }

signals:
    void mousePressed(int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void mouseMoved(int x, int y, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void mouseReleased(int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void showNow();
    bool reaches(const QMouseEvent *event) const;

    QImage retained_;
    std::function<void()> paintHandler_;
    bool inPaint_ = false;
    bool captured_ = false; // the left button went down here and is still held
};

// Copies a blue-green-red picture into a 0xFFRRGGBB image, as far as both
// reach, row by row from the top-left corner.
void copyPicture(const QImage &picture, QImage &surface);
