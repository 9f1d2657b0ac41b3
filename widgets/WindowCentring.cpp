#include "WindowCentring.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#ifdef TORNEVI_HAVE_XCB
#include <QDeadlineTimer>
#include <QThread>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {
constexpr int FrameAnswerMs = 200;   // a window manager that supports the request answers at once

struct XcbFree
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool windowManagerSupports(xcb_connection_t *c, xcb_window_t root, xcb_atom_t feature)
{
    const xcb_atom_t supported = atom(c, "_NET_SUPPORTED");
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    return std::find(atoms, atoms + count, feature) != atoms + count;
}

// _NET_FRAME_EXTENTS holds left, right, top, bottom.
std::optional<QMargins> frameExtents(xcb_connection_t *c, xcb_window_t window, xcb_atom_t extents)
{
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto *v = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}
} // namespace
#endif

WindowCentring::WindowCentring(QWidget *window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

QMargins WindowCentring::knownFrameMargins() const
{
    const QWindow *handle = m_window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

// Asks an EWMH window manager, before mapping, which frame it is going to add.
std::optional<QMargins> WindowCentring::announcedFrameMargins() const
{
#ifdef TORNEVI_HAVE_XCB
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return std::nullopt;
    xcb_connection_t *c = x11->connection();
    const auto window = xcb_window_t(m_window->winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    if (request == XCB_ATOM_NONE || !windowManagerSupports(c, root, request))
        return std::nullopt;
    // A value left from an earlier mapping may be stale (some window managers zero it when
    // they let go of a window): only a fresh answer counts.
    xcb_delete_property(c, window, extents);

    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = request;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(c);
    for (QDeadlineTimer deadline(FrameAnswerMs); !deadline.hasExpired(); QThread::msleep(1)) {
        if (auto answer = frameExtents(c, window, extents))
            return answer;
    }
#endif
    return std::nullopt;
}

void WindowCentring::centre(const QMargins &frame)
{
    const QScreen *screen = m_window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // A window of fixed size is centred with that size: while it is being mapped, the window
    // system may still report a size it had before (Qt's default 640 x 480).
    const QSize size = m_window->minimumSize() == m_window->maximumSize() ? m_window->minimumSize() : m_window->size();
    QRect outer(QPoint(), size.grownBy(frame));
    outer.moveCenter(area.center());
    // The title bar never leaves the work area.
    outer.moveTopLeft(QPoint(std::max(outer.left(), area.left()), std::max(outer.top(), area.top())));
    // The client area's position: what every window system honours, framed or not.
    m_placedAt = outer.topLeft() + QPoint(frame.left(), frame.top());
    m_window->setGeometry(QRect(m_placedAt, size));
}

void WindowCentring::centreAgain()
{
    if (m_window->isVisible())
        centre(m_placedWith);
}

bool WindowCentring::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show && !event->spontaneous()) {
        // A window shown before gets the frame it had then; asking again would race with the
        // window manager still letting go of the earlier mapping.
        std::optional<QMargins> frame = m_seenFrame;
        if (!frame)
            frame = m_seenFrame = announcedFrameMargins();
        m_placedWith = frame.value_or(knownFrameMargins());
        centre(m_placedWith);
        m_settling = true;
        if (QWindow *handle = m_window->windowHandle())
            handle->installEventFilter(this);
        return false;
    }
    switch (event->type()) {
    case QEvent::Expose:
    case QEvent::Move:
    case QEvent::WindowActivate:
        if (m_window->isVisible() && !knownFrameMargins().isNull()) {
            m_seenFrame = knownFrameMargins();
            // Placed with a guess or an earlier frame: the real one corrects the placement. Some
            // window managers change the frame once more after the first (openbox drops the
            // resize handle of a window that turns out to be fixed in size); while the window
            // still stands where it was put, that frame corrects it as well.
            const bool unmoved = m_settling || m_window->geometry().topLeft() == m_placedAt;
            m_settling = false;
            if (unmoved && *m_seenFrame != m_placedWith) {
                m_placedWith = *m_seenFrame;
                centre(m_placedWith);
            }
        }
        break;
    case QEvent::Hide:
        if (watched == m_window)
            m_settling = false;
        break;
    default:
        break;
    }
    return false;
}
