#include "platform/primarycapture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace {

class PrimaryCapture : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *receiverFor(QWidget *addressed, const QMouseEvent *mouse);
    static void deliver(QWidget *receiver, const QMouseEvent *mouse);

    QPointer<QWidget> holder_; // took the left press that is still held
};

bool isMouseEvent(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return true;
    default:
        return false;
    }
}

// The widget under the pointer in the addressed widget's window, or none
// when the pointer is outside that window.
QWidget *widgetUnderPointer(QWidget *addressed, const QMouseEvent *mouse)
{
    QWidget *window = addressed->window();
    const QPoint at = window->mapFromGlobal(mouse->globalPosition().toPoint());
    if (!window->rect().contains(at))
        return nullptr;
    QWidget *child = window->childAt(at);
    return child ? child : window;
}

// A press handed to another widget than Qt chose gives focus as Qt's own
// press does: to the first widget from the pressed one up that takes focus
// by click.
void focusByClick(QWidget *pressed)
{
    for (QWidget *w = pressed; w; w = w->parentWidget()) {
        if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus)) {
            w->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (w->isWindow())
            return;
    }
}

} // namespace

QWidget *PrimaryCapture::receiverFor(QWidget *addressed, const QMouseEvent *mouse)
{
    const bool press = mouse->type() == QEvent::MouseButtonPress
                       || mouse->type() == QEvent::MouseButtonDblClick;
    const bool leftHeld = (mouse->buttons() & Qt::LeftButton)
                          || (mouse->type() == QEvent::MouseButtonRelease
                              && mouse->button() == Qt::LeftButton);
    // A left release that never came (another window took the pointer)
    // ends the capture too.
    if (!leftHeld)
        holder_ = nullptr;
    if (holder_)
        return holder_;
    QWidget *under = widgetUnderPointer(addressed, mouse);
    if (press && mouse->button() == Qt::LeftButton)
        holder_ = under;
    return under;
}

void PrimaryCapture::deliver(QWidget *receiver, const QMouseEvent *mouse)
{
    const QPointF global = mouse->globalPosition();
    QMouseEvent copy(mouse->type(), receiver->mapFromGlobal(global),
                     receiver->window()->mapFromGlobal(global), global, mouse->button(),
                     mouse->buttons(), mouse->modifiers(), mouse->pointingDevice());
    copy.setTimestamp(mouse->timestamp());
    if (mouse->type() == QEvent::MouseButtonPress)
        focusByClick(receiver);
    // Sent, not spontaneous: it passes this filter unchanged.
    QApplication::sendEvent(receiver, &copy);
}

bool PrimaryCapture::eventFilter(QObject *watched, QEvent *event)
{
    // Spontaneous events come from the window system (or a test acting as
    // one); the copies Qt makes to hand an event on to a parent are not.
    if (!event->spontaneous() || !watched->isWidgetType() || !isMouseEvent(event))
        return false;
    // Popup menus keep Qt's handling.
    if (QApplication::activePopupWidget() || QWidget::mouseGrabber())
        return false;
    auto *addressed = static_cast<QWidget *>(watched);
    auto *mouse = static_cast<QMouseEvent *>(event);
    const bool leftRelease = mouse->type() == QEvent::MouseButtonRelease
                             && mouse->button() == Qt::LeftButton;
    QPointer<QWidget> receiver = receiverFor(addressed, mouse);
    if (leftRelease)
        holder_ = nullptr;
    if (receiver == addressed)
        return false;
    if (receiver)
        deliver(receiver, mouse);
    return true;
}

void captureByPrimaryButtonOnly()
{
    static QPointer<PrimaryCapture> installed;
    if (installed || !qApp)
        return;
    installed = new PrimaryCapture(qApp);
    qApp->installEventFilter(installed);
}
