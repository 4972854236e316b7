// For tests that build the real main window in-process: the start-up steps it needs, and reading
// back what is on screen.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "app/main_window_win.h"

// The common controls, icons and window class, as the tool's start-up routines provide them.
inline bool prepare_for_main_window() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&classes) && load_program_icons() && register_main_window_class();
}

// Handles every waiting message as the tool's message loop would.
inline void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) dispatch_message(message);
}

// The colour on screen at x, y of the window's client area, or of the whole window when nonclient.
inline COLORREF pixel(HWND window, int x, int y, bool nonclient = false) {
    HDC dc = nonclient ? GetWindowDC(window) : GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}
