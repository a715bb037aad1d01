#include "platform/right_clicks.h"

#include "platform/x11/toolkit_connection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QObject>
#include <QPoint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <xcb/xcb.h>

namespace tivora {

namespace {

constexpr std::uint32_t RightButton = 3;

// The toolkit takes the mouse through the X Input extension (version 2) where the server
// has it, and through the core protocol otherwise. Its button events, as the protocol
// lays them out (the leading part that is read here).
struct InputButtonEvent
{
    std::uint8_t responseType; // XCB_GE_GENERIC
    std::uint8_t extension;
    std::uint16_t sequence;
    std::uint32_t length;
    std::uint16_t eventType;
    std::uint16_t deviceId;
    std::uint32_t time;
    std::uint32_t detail; // the button
    std::uint32_t root;
    std::uint32_t event; // the window
    std::uint32_t child;
    std::uint32_t fullSequence;
    std::int32_t rootX, rootY, eventX, eventY; // 16.16 fixed point
};
constexpr std::uint16_t InputButtonPress = 4;
constexpr std::uint16_t InputButtonRelease = 5;

struct Button
{
    std::uint32_t time;
    bool press;
    std::uint32_t button;
    std::uint32_t window;
    QPoint local;
    QPoint global;
};

std::uint8_t inputExtension()
{
    static const std::uint8_t opcode = [] {
        xcb_connection_t *c = toolkitConnection();
        if (!c)
            return std::uint8_t(0);
        const char name[] = "XInputExtension";
        xcb_query_extension_reply_t *reply = xcb_query_extension_reply(
            c, xcb_query_extension(c, std::uint16_t(std::strlen(name)), name), nullptr);
        const std::uint8_t op = reply && reply->present ? reply->major_opcode : 0;
        std::free(reply);
        return op;
    }();
    return opcode;
}

std::optional<Button> buttonOf(const xcb_generic_event_t *event)
{
    const std::uint8_t kind = event->response_type & 0x7f;
    if (kind == XCB_BUTTON_PRESS || kind == XCB_BUTTON_RELEASE) {
        const auto *b = reinterpret_cast<const xcb_button_press_event_t *>(event);
        return Button {b->time,  kind == XCB_BUTTON_PRESS, b->detail,
                       b->event, {b->event_x, b->event_y}, {b->root_x, b->root_y}};
    }
    if (kind != XCB_GE_GENERIC)
        return std::nullopt;
    // Only the first 32 bytes are sure; the rest is as long as the event says (xcb puts
    // the full sequence number in after those 32 bytes).
    const auto *ge = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
    if (ge->extension != inputExtension()
        || (ge->event_type != InputButtonPress && ge->event_type != InputButtonRelease)
        || 32 + 4 + 4 * std::size_t(ge->length) < sizeof(InputButtonEvent))
        return std::nullopt;
    InputButtonEvent b;
    std::memcpy(&b, event, sizeof b);
    return Button {b.time,  b.eventType == InputButtonPress,  b.detail,
                   b.event, {b.eventX >> 16, b.eventY >> 16}, {b.rootX >> 16, b.rootY >> 16}};
}

class RightClickFilter : public QObject, public QAbstractNativeEventFilter
{
public:
    RightClickFilter(QObject *owner, std::function<bool(std::uintptr_t)> wanted,
                     std::function<void(std::uintptr_t, QPoint, QPoint)> clicked)
        : QObject(owner), m_wanted(std::move(wanted)), m_clicked(std::move(clicked))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~RightClickFilter() override
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const std::optional<Button> b = buttonOf(static_cast<xcb_generic_event_t *>(message));
        if (!b || b->button != RightButton || !m_wanted(b->window))
            return false;
        // The server reports a button to the pointer and to the device behind it.
        if (b->time == m_lastTime && b->press == m_lastPress)
            return false;
        m_lastTime = b->time;
        m_lastPress = b->press;
        if (b->press) {
            m_pressedOn = b->window;
        } else {
            const bool click = m_pressedOn == b->window;
            m_pressedOn = 0;
            if (click)
                m_clicked(b->window, b->local, b->global);
        }
        // The toolkit gets the events as well: a window it does not block acts on them
        // itself, so `wanted` picks only the blocked ones.
        return false;
    }

private:
    std::function<bool(std::uintptr_t)> m_wanted;
    std::function<void(std::uintptr_t, QPoint, QPoint)> m_clicked;
    std::uintptr_t m_pressedOn = 0;
    std::uint32_t m_lastTime = 0;
    bool m_lastPress = false;
};

} // namespace

void watchRightClicks(
    QObject *owner, std::function<bool(std::uintptr_t window)> wanted,
    std::function<void(std::uintptr_t window, QPoint local, QPoint global)> clicked)
{
    if (QCoreApplication::instance())
        new RightClickFilter(owner, std::move(wanted), std::move(clicked));
}

} // namespace tivora
