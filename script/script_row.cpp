// Names of the button states; byte escapes because the native build has no GBK execution charset.
#include "script/script_row.h"

#include <iterator>

namespace {

struct Named {
    MouseState state;
    const char* name;
};

const Named names[] = {
    {MouseState::left_down, "\xD7\xF3\xBC\xFC\xB0\xB4\xCF\xC2"},   // 左键按下
    {MouseState::left_up, "\xD7\xF3\xBC\xFC\xB5\xAF\xC6\xF0"},     // 左键弹起
    {MouseState::right_down, "\xD3\xD2\xBC\xFC\xB0\xB4\xCF\xC2"},  // 右键按下
    {MouseState::right_up, "\xD3\xD2\xBC\xFC\xB5\xAF\xC6\xF0"},    // 右键弹起
};

}  // namespace

const char* mouse_state_name(MouseState state) {
    return names[static_cast<int>(state)].name;
}

std::optional<MouseState> parse_mouse_state(std::string_view name) {
    for (const Named& named : names)
        if (std::string_view(named.name) == name) return named.state;
    return std::nullopt;
}

bool is_press(MouseState state) {
    return state == MouseState::left_down || state == MouseState::right_down;
}

MouseState release_of(MouseState state) {
    if (state == MouseState::left_down) return MouseState::left_up;
    if (state == MouseState::right_down) return MouseState::right_up;
    return state;
}
