// Painting of the child controls: buttons, group boxes, labels, the list's header and rows.
#pragma once

#include "skinlib/look_win.h"

// A skinned button, label or header: paints in the skin, leaves its behaviour to the control.
LRESULT control_message(HWND control, UINT message, WPARAM wParam, LPARAM lParam, Kind kind);

// A skinned list: keeps the skin's colours when the program sets its own.
LRESULT list_message(HWND list, UINT message, WPARAM wParam, LPARAM lParam, ListColours& own);

void apply_list_colours(HWND list);

// NM_CUSTOMDRAW from a skinned list, handled for its parent.
LRESULT list_custom_draw(NMLVCUSTOMDRAW& draw);
