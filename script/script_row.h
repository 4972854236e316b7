// The recorded action and its button states, as the script list shows them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

enum class MouseState { left_down, left_up, right_down, right_up };

// The state's name in the list, code page 936 bytes, NUL-terminated.
const char* mouse_state_name(MouseState state);

// The state a cell names, compared as a whole text; none for any other text.
std::optional<MouseState> parse_mouse_state(std::string_view name);

bool is_press(MouseState state);

// The release that ends a press (a release maps to itself).
MouseState release_of(MouseState state);

struct ScriptRow {
    std::int32_t x;
    std::int32_t y;
    MouseState state;
    std::int32_t delay;  // milliseconds since the previous action
};

// The list's columns.
namespace column {
constexpr int label = 0;
constexpr int x = 1;
constexpr int y = 2;
constexpr int state = 3;
constexpr int delay = 4;
constexpr int count = 5;
}  // namespace column
