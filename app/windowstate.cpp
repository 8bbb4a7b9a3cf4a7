// The window's state and what follows from it: where the panels stand, when
// the thumbnails are laid out, and what waits for the end of a run.
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "app/tfmandel.h"
#include "platform/errorreport.h"
#include "platform/windowstate.h"

QRect Tfmandel::centredPlace()
{
    // The client area, not the frame, is centred: a window manager then
    // keeps it where it is put.
    QRect place(QPoint(), kClientSize);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        place.moveCenter(screen->availableGeometry().center());
    return place;
}

void Tfmandel::followWindowState()
{
    // The border is fixed: the panels follow the window only while the window
    // manager has it maximised, in one direction or both. Any other size (a
    // border drag the window manager let through, a program's request) is
    // taken back, at the window's place, and leaves the panels as they are.
    const bool maximised = maximisedInEitherDirection(this);
    if (!maximised && !isMinimized()) {
        if (size() == kClientSize)
            normalPlace_ = geometry();
        else if (isVisible())
            QTimer::singleShot(0, this, [this] {
                if (!maximisedInEitherDirection(this) && !isMinimized() && size() != kClientSize)
                    setGeometry(normalPlace_);
            });
    }
    const QRect area = maximised ? rect() : QRect(QPoint(), kClientSize);
    if (Panel2->geometry() != area) {
        Panel2->setGeometry(area);
        Panel1->setGeometry(Panel2->rect());
        MaPanel->setGeometry(Panel1->rect());
    }
    Panel3->setGeometry(0, 0, kPanel3Width, MaPanel->height());

    // The thumbnails follow MaPanel; the image under computation keeps its
    // size, so during a run the layout waits for the run's end. A size
    // change during the run lays out then, also when MaPanel has its old
    // size again (maximised and restored inside one run).
    if (activated_ && runDepth_ == 0 && (layoutDue_ || MaPanel->size() != laidOut_))
        guarded([&] { MaPanelResize(); });
}

void Tfmandel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    followWindowState();
}

void Tfmandel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Maximising and restoring may report the new state after the new size.
    if (event->type() == QEvent::WindowStateChange)
        followWindowState();
}

bool Tfmandel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MaPanel && event->type() == QEvent::Resize) {
        if (runDepth_ > 0)
            layoutDue_ = true;
        followWindowState();
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void Tfmandel::finishRun()
{
    followWindowState();
    if (closePending_) {
        closePending_ = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}
