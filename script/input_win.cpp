// The simulation modes over mouse_event, posted messages and SendInput.
#include "script/input_win.h"

#include "script/absolute_input.h"

namespace {

DWORD mouse_event_flag(MouseState state) {
    switch (state) {
        case MouseState::left_down:
            return MOUSEEVENTF_LEFTDOWN;
        case MouseState::left_up:
            return MOUSEEVENTF_LEFTUP;
        case MouseState::right_down:
            return MOUSEEVENTF_RIGHTDOWN;
        case MouseState::right_up:
            return MOUSEEVENTF_RIGHTUP;
    }
    return 0;
}

UINT button_message(MouseState state) {
    switch (state) {
        case MouseState::left_down:
            return WM_LBUTTONDOWN;
        case MouseState::left_up:
            return WM_LBUTTONUP;
        case MouseState::right_down:
            return WM_RBUTTONDOWN;
        case MouseState::right_up:
            return WM_RBUTTONUP;
    }
    return 0;
}

WPARAM mk_flag(MouseState state) {
    return state == MouseState::left_down || state == MouseState::left_up ? MK_LBUTTON : MK_RBUTTON;
}

void send_mouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

void CursorInput::move(std::int32_t x, std::int32_t y) {
    SetCursorPos(x, y);
}

void CursorInput::button(MouseState state) {
    mouse_event(mouse_event_flag(state), 0, 0, 0, 0);
}

void PostedInput::post(HWND window, UINT message) {
    POINT client = point_;
    if (!window || !ScreenToClient(window, &client)) return;
    PostMessageA(window, message, held_, MAKELPARAM(client.x, client.y));
}

void PostedInput::move(std::int32_t x, std::int32_t y) {
    point_ = {x, y};
    post(capture_ ? capture_ : WindowFromPoint(point_), WM_MOUSEMOVE);
}

void PostedInput::button(MouseState state) {
    HWND target = capture_ ? capture_ : WindowFromPoint(point_);
    // The flags say which buttons are down once the message has taken effect.
    if (is_press(state)) {
        held_ |= mk_flag(state);
        capture_ = target;
    } else {
        held_ &= ~mk_flag(state);
        if (!held_) capture_ = nullptr;
    }
    post(target, button_message(state));
}

void SentInput::move(std::int32_t x, std::int32_t y) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    send_mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK,
               absolute_coordinate(x, left, width), absolute_coordinate(y, top, height));
}

void SentInput::button(MouseState state) {
    send_mouse(mouse_event_flag(state));
}
