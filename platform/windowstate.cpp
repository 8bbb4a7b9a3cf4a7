#include "platform/windowstate.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#ifdef MANDEL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace {

#ifdef MANDEL_HAVE_XCB

xcb_connection_t *xcbConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, qstrlen(name), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

struct NetWmAtoms
{
    xcb_atom_t state, vertical, horizontal;
};

const NetWmAtoms &netWmAtoms(xcb_connection_t *connection)
{
    static const NetWmAtoms atoms{atom(connection, "_NET_WM_STATE"),
                                  atom(connection, "_NET_WM_STATE_MAXIMIZED_VERT"),
                                  atom(connection, "_NET_WM_STATE_MAXIMIZED_HORZ")};
    return atoms;
}

// _NET_WM_STATE of the window holds one of the two maximised states.
bool x11MaximisedInOneDirection(const QWidget *window)
{
    xcb_connection_t *connection = xcbConnection();
    if (!connection || !window->windowHandle())
        return false;
    const NetWmAtoms &atoms = netWmAtoms(connection);
    const auto id = static_cast<xcb_window_t>(window->windowHandle()->winId());
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, id, atoms.state,
                                                              XCB_ATOM_ATOM, 0, 64);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    bool found = false;
    if (reply && reply->format == 32) {
        const auto *states = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count; ++i)
            found = found || states[i] == atoms.vertical || states[i] == atoms.horizontal;
    }
    std::free(reply);
    return found;
}

#endif

} // namespace

bool maximisedInEitherDirection(const QWidget *window)
{
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return true;
#ifdef MANDEL_HAVE_XCB
    return x11MaximisedInOneDirection(window);
#else
    return false;
#endif
}

class WindowStateWatch::NativeFilter : public QAbstractNativeEventFilter
{
public:
    NativeFilter(WindowStateWatch *watch, QWidget *window, std::function<void()> changed)
        : watch_(watch)
        , window_(window)
        , changed_(std::move(changed))
    {}

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
#ifdef MANDEL_HAVE_XCB
        if (type != QByteArrayLiteral("xcb_generic_event_t") || !window_->windowHandle())
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto *property = static_cast<const xcb_property_notify_event_t *>(message);
        xcb_connection_t *connection = xcbConnection();
        if (connection && property->window == window_->windowHandle()->winId()
            && property->atom == netWmAtoms(connection).state)
            QMetaObject::invokeMethod(watch_, changed_, Qt::QueuedConnection);
#else
        Q_UNUSED(type);
        Q_UNUSED(message);
#endif
        return false;
    }

private:
    WindowStateWatch *watch_;
    QWidget *window_;
    std::function<void()> changed_;
};

WindowStateWatch::WindowStateWatch(QWidget *window, std::function<void()> changed)
    : QObject(window)
    , filter_(std::make_unique<NativeFilter>(this, window, std::move(changed)))
{
    QCoreApplication::instance()->installNativeEventFilter(filter_.get());
}

WindowStateWatch::~WindowStateWatch()
{
    QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
}
