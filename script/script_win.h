// The script's life in the tool: hotkeys and recording through the hooks, playback, clearing.
#pragma once

#include <windows.h>

// Posted to the main window by the keyboard hook; playback runs from the window procedure, never
// from inside the hook or inside another playback's waits.
constexpr UINT play_script_message = WM_APP + 1;

// Installs the low-level keyboard and mouse hooks; false when either could not be installed.
bool install_hooks();
// Removes both hooks and ends any recording.
void unhook();

LRESULT CALLBACK keyboard_hook_proc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK mouse_hook_proc(int code, WPARAM wParam, LPARAM lParam);

// The handler of play_script_message: plays when a request from Insert is still standing.
void on_play_message();
// Plays the list once, or again at each pass's start while 选择框1 is checked, in the mode the
// radio buttons choose at that moment.
void play_script();
// Ends a running or requested playback; its buttons are released.
void end_playback();
// Deletes every row, ending a running playback first so that no missing row is read.
void clear_script();

bool recording();
bool playing();
