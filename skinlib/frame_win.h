// The caption and frame of a skinned top-level window, with caption buttons that work by mouse.
#pragma once

#include <windows.h>

#include "skinlib/look_win.h"

LRESULT frame_message(HWND window, UINT message, WPARAM wParam, LPARAM lParam, FrameState& state);

// Whether the desktop compositor draws the window's frame (its own way) or leaves it to us.
void use_system_frame(HWND window, bool system);

// Paints the caption and frame now, as they stand.
void paint_frame(HWND window, const FrameState& state);
