// Where the main window goes: its fixed outer size, centred on the primary screen.
#pragma once

struct Point {
    int x;
    int y;
};

constexpr int main_window_width = 445;
constexpr int main_window_height = 295;

// C++ division truncates toward zero, so a screen smaller than the window gives a negative origin,
// which is kept as it is: the window then sits partly off-screen.
constexpr Point centred_origin(int screen_width, int screen_height) {
    return {(screen_width - main_window_width) / 2, (screen_height - main_window_height) / 2};
}
