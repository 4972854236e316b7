// The attached look, as the painters use it, and what each skinned window keeps.
#pragma once

// commctrl.h needs the types of windows.h ahead of it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "skinlib/skin_file.h"

struct Look {
    Skin skin;  // colours already shifted
    HBRUSH face_brush;
    HFONT caption_font;
};

// Valid while a skin is attached; only the attaching thread touches it.
extern Look look;

inline COLORREF colour(SkinColour which) {
    const std::uint32_t rgb = look.skin.colour(which);
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

enum class Kind : std::uint8_t {
    frame,
    push_button,
    check_box,
    radio_button,
    group_box,
    label,
    list,
    header
};

struct FrameState {
    LRESULT pressed;  // the caption button held down (HTCLOSE...), 0 when none
    bool inside;      // whether the pointer is still over it
    bool active;
};

struct ListColours {
    COLORREF background, text_background, text;
};

struct Skinned {
    Kind kind;
    FrameState frame;
    ListColours own_colours;  // a list's colours before the skin, given back when it leaves
};

// The state of a window the skin draws, or null.
Skinned* skinned(HWND window);

void fill(HDC dc, const RECT& rect, COLORREF fill_colour);
