#include "platform/accessibleannouncer.h"

#include <QAccessible>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <array>

namespace {

// The notification: no widget of its own and no place among the window's
// children (it has no size), but the window as its parent, so that a screen
// reader knows whose news it is.
class Notification : public QAccessibleInterface
{
public:
    bool isValid() const override { return !window_.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(window_.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? text_ : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        return s;
    }

    void show(QWidget *window, const QString &text)
    {
        window_ = window;
        text_ = text;
    }

private:
    QPointer<QWidget> window_;
    QString text_;
};

// The next of a few notifications in turn. A screen reader reads a
// notification's text some time after it appeared, and drops an appearance
// of an object that appears again before it got to it: so messages that
// follow closely (a run's start and end) go out on different objects, and
// each keeps its text until its turn comes round again.
Notification *nextNotification()
{
    static std::array<Notification *, 8> ring{};
    static std::size_t next = 0;
    Notification *&n = ring[next];
    next = (next + 1) % ring.size();
    if (!n) {
        // Registered once; Qt deletes it with the other interfaces at exit.
        n = new Notification;
        QAccessible::registerAccessibleInterface(n);
    }
    return n;
}

std::function<void(const QString &)> &observer()
{
    static std::function<void(const QString &)> o;
    return o;
}

} // namespace

void observeAnnouncements(std::function<void(const QString &)> o)
{
    observer() = std::move(o);
}

void announce(QWidget *window, const QString &text)
{
    if (observer())
        observer()(text);
    if (!window || !QAccessible::isActive())
        return;
    Notification *n = nextNotification();
    n->show(window->window(), text);
    // A notification is spoken when it appears: it appears anew each time.
    QAccessibleEvent shown(n, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
