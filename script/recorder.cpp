// The recorder's rows and delays.
#include "script/recorder.h"

#include <limits>

namespace {

std::optional<MouseState> state_of(MouseEventKind kind) {
    switch (kind) {
        case MouseEventKind::left_down:
            return MouseState::left_down;
        case MouseEventKind::left_up:
            return MouseState::left_up;
        case MouseEventKind::right_down:
            return MouseState::right_down;
        case MouseEventKind::right_up:
            return MouseState::right_up;
        default:
            return std::nullopt;
    }
}

}  // namespace

void Recorder::start(std::uint32_t tick) {
    recording_ = true;
    previous_ = tick;
}

std::optional<ScriptRow> Recorder::on_mouse(const MouseEvent& event) {
    if (!recording_ || event.injected) return std::nullopt;
    const std::optional<MouseState> state = state_of(event.kind);
    if (!state) return std::nullopt;
    // Unsigned subtraction stays right across the tick count's wrap after 49.7 days.
    std::uint32_t elapsed = event.tick - previous_;
    previous_ = event.tick;
    constexpr auto most = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    if (elapsed > most) elapsed = most;
    return ScriptRow{event.x, event.y, *state, static_cast<std::int32_t>(elapsed)};
}
