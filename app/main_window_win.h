// The main window: its controls, the popup menu, keyboard navigation and the message loop.
#pragma once

#include <windows.h>

// The controls, by the names the tool's users know them by.
struct Controls {
    HWND main;
    HWND 超级列表框1;
    HWND 单选框1;
    HWND 单选框2;
    HWND 单选框3;
    HWND 选择框1;
    HWND 分组框1;
    HWND 标签1;
    HWND 按钮1;
};

namespace control_id {
// Identifiers 1 and 2 are IDOK and IDCANCEL; keeping clear of them keeps Enter and Esc inert.
constexpr int 超级列表框1 = 101;
constexpr int 单选框1 = 102;
constexpr int 单选框2 = 103;
constexpr int 单选框3 = 104;
constexpr int 选择框1 = 105;
constexpr int 分组框1 = 106;
constexpr int 标签1 = 107;
constexpr int 按钮1 = 108;
constexpr int 清空脚本 = 201;
}  // namespace control_id

// Window creation, replaceable so that tests can make it fail.
using CreateWindowFn = decltype(&CreateWindowExA);
extern CreateWindowFn create_window;

extern const char main_window_class[];

const Controls& controls();

// Whether a radio button or the check box is checked, asked of the control itself.
bool is_checked(HWND button);

// Loads the program icon in the big and the small size; false when either is missing.
bool load_program_icons();

// Registers the main window class with the program icons; false on failure.
bool register_main_window_class();

enum class BuildResult { shown, destroyed_by_handler, failed };

// Builds the window hidden, runs on_created, then shows it if it still exists.
BuildResult create_main_window(void (*on_created)(HWND main));

// Handles one message as the message loop does, keyboard navigation included. Playback's waits
// use it too, so that the window behaves the same while a script runs.
void dispatch_message(MSG& message);

// Pumps messages until the quit message arrives; returns at once when there is no main window.
void run_message_loop();
