// Paints the child controls in the skin; their own procedures keep handling input and state.
#include "skinlib/paint_win.h"

namespace {

constexpr int mark_size = 13;
constexpr int mark_gap = 5;

struct Selected {
    HDC dc;
    HGDIOBJ old;
    Selected(HDC dc_, HGDIOBJ object) : dc(dc_), old(SelectObject(dc_, object)) {}
    ~Selected() { SelectObject(dc, old); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
};

struct Pen {
    HPEN pen;
    Pen(COLORREF pen_colour, int width) : pen(CreatePen(PS_SOLID, width, pen_colour)) {}
    ~Pen() { DeleteObject(pen); }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;
};

HFONT font_of(HWND window) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Draws a rectangle, rounded by radius, with the DC pen and brush set to the given colours.
void shape(HDC dc, const RECT& r, COLORREF line, COLORREF inside, int radius, bool ellipse = false) {
    Selected pen(dc, GetStockObject(DC_PEN));
    Selected brush(dc, GetStockObject(DC_BRUSH));
    SetDCPenColor(dc, line);
    SetDCBrushColor(dc, inside);
    if (ellipse)
        Ellipse(dc, r.left, r.top, r.right, r.bottom);
    else
        RoundRect(dc, r.left, r.top, r.right, r.bottom, radius * 2, radius * 2);
}

void outline(HDC dc, const RECT& r, COLORREF line, int radius) {
    Selected pen(dc, GetStockObject(DC_PEN));
    Selected brush(dc, GetStockObject(NULL_BRUSH));
    SetDCPenColor(dc, line);
    RoundRect(dc, r.left, r.top, r.right, r.bottom, radius * 2, radius * 2);
}

struct Text {
    char chars[512];
    int length;
    explicit Text(HWND window) : length(GetWindowTextA(window, chars, sizeof chars)) {}
};

// Draws the button's text in area by its alignment styles; returns the rectangle the text covers.
RECT draw_button_text(HDC dc, HWND button, RECT area, DWORD style, UINT default_h, COLORREF text_colour) {
    const Text text(button);
    UINT flags = DT_NOCLIP | ((style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE);
    switch (style & BS_CENTER) {
        case BS_LEFT:
            flags |= DT_LEFT;
            break;
        case BS_RIGHT:
            flags |= DT_RIGHT;
            break;
        case BS_CENTER:
            flags |= DT_CENTER;
            break;
        default:
            flags |= default_h;
            break;
    }
    RECT bounds = area;
    DrawTextA(dc, text.chars, text.length, &bounds, flags | DT_CALCRECT);
    const int height = bounds.bottom - bounds.top;
    const int width = bounds.right - bounds.left;
    int top = area.top;
    switch (style & BS_VCENTER) {
        case BS_TOP:
            break;
        case BS_BOTTOM:
            top = area.bottom - height;
            break;
        default:
            top = area.top + (area.bottom - area.top - height) / 2;
            break;
    }
    RECT placed{area.left, top, area.right, top + height};
    SetTextColor(dc, text_colour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.chars, text.length, &placed, flags);
    int left = area.left;
    if (flags & DT_CENTER) left = area.left + (area.right - area.left - width) / 2;
    if (flags & DT_RIGHT) left = area.right - width;
    return {left, top, left + width, top + height};
}

void paint_push_button(HWND button, HDC dc, const RECT& client, DWORD style) {
    const LRESULT state = SendMessageA(button, BM_GETSTATE, 0, 0);
    const bool pushed = state & BST_PUSHED;
    const bool enabled = IsWindowEnabled(button);
    const int radius = look.skin.button_radius;
    fill(dc, client, colour(SkinColour::face));
    shape(dc, client, colour(SkinColour::button_border),
          colour(pushed ? SkinColour::button_pushed : SkinColour::button_face), radius);
    if (GetFocus() == button) {
        for (int inset = 3; inset <= 4; ++inset) {
            RECT ring = client;
            InflateRect(&ring, -inset, -inset);
            outline(dc, ring, colour(SkinColour::focus), radius > inset ? radius - inset : 0);
        }
    }
    RECT area = client;
    InflateRect(&area, -6, -6);
    if (pushed) OffsetRect(&area, 1, 1);
    draw_button_text(dc, button, area, style, DT_CENTER,
                     colour(enabled ? SkinColour::button_text : SkinColour::group_line));
}

void paint_check_mark(HDC dc, const RECT& box, LRESULT check) {
    if (check == BST_INDETERMINATE) {
        RECT inner = box;
        InflateRect(&inner, -3, -3);
        fill(dc, inner, colour(SkinColour::accent));
        return;
    }
    if (check != BST_CHECKED) return;
    Pen pen(colour(SkinColour::accent), 2);
    Selected selected(dc, pen.pen);
    const POINT tick[] = {
        {box.left + 3, box.top + 6}, {box.left + 5, box.top + 9}, {box.left + 10, box.top + 3}};
    Polyline(dc, tick, 3);
}

void paint_option(HWND button, HDC dc, const RECT& client, DWORD style, Kind kind) {
    fill(dc, client, colour(SkinColour::face));
    const int top = client.top + (client.bottom - client.top - mark_size) / 2;
    const RECT box{client.left + 1, top, client.left + 1 + mark_size, top + mark_size};
    const LRESULT check = SendMessageA(button, BM_GETCHECK, 0, 0);
    const bool radio = kind == Kind::radio_button;
    shape(dc, box, colour(SkinColour::button_border), colour(SkinColour::box), 0, radio);
    if (radio) {
        if (check == BST_CHECKED) {
            RECT dot = box;
            InflateRect(&dot, -3, -3);
            shape(dc, dot, colour(SkinColour::accent), colour(SkinColour::accent), 0, true);
        }
    } else {
        paint_check_mark(dc, box, check);
    }
    RECT area{box.right + mark_gap, client.top, client.right - 1, client.bottom};
    const RECT text =
        draw_button_text(dc, button, area, style, DT_LEFT,
                         colour(IsWindowEnabled(button) ? SkinColour::text : SkinColour::group_line));
    if (GetFocus() == button) {
        RECT cue{text.left - 2, text.top - 1, text.right + 2, text.bottom + 1};
        outline(dc, cue, colour(SkinColour::focus), 0);
    }
}

// The group box has no WS_CLIPCHILDREN; its children must not be painted over.
void exclude_children(HWND window, HDC dc) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

void paint_group_box(HWND group, HDC dc, const RECT& client, DWORD style) {
    exclude_children(group, dc);
    fill(dc, client, colour(SkinColour::face));
    const Text text(group);
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.chars, text.length, &extent);
    RECT frame = client;
    frame.top += extent.cy / 2;
    outline(dc, frame, colour(SkinColour::group_line), 3);
    if (text.length == 0) return;
    int left = client.left + 8;
    if ((style & BS_CENTER) == BS_CENTER) left = client.left + (client.right - client.left - extent.cx) / 2;
    if ((style & BS_CENTER) == BS_RIGHT) left = client.right - 8 - extent.cx;
    RECT caption{left, client.top, left + extent.cx, client.top + extent.cy};
    fill(dc, caption, colour(SkinColour::face));
    SetTextColor(dc, colour(SkinColour::text));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.chars, text.length, &caption, DT_SINGLELINE | DT_NOCLIP);
}

void paint_label(HWND label, HDC dc, const RECT& client, DWORD style) {
    fill(dc, client, colour(SkinColour::face));
    const Text text(label);
    UINT flags = DT_NOCLIP | DT_WORDBREAK | DT_LEFT;
    switch (style & SS_TYPEMASK) {
        case SS_CENTER:
            flags = DT_NOCLIP | DT_WORDBREAK | DT_CENTER;
            break;
        case SS_RIGHT:
            flags = DT_NOCLIP | DT_WORDBREAK | DT_RIGHT;
            break;
        case SS_LEFTNOWORDWRAP:
            flags = DT_NOCLIP | DT_LEFT | DT_EXPANDTABS;
            break;
        default:
            break;
    }
    if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
    RECT area = client;
    SetTextColor(dc, colour(IsWindowEnabled(label) ? SkinColour::text : SkinColour::group_line));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.chars, text.length, &area, flags);
}

void paint_header(HWND header, HDC dc, const RECT& client) {
    fill(dc, client, colour(SkinColour::header_face));
    SetTextColor(dc, colour(SkinColour::header_text));
    SetBkMode(dc, TRANSPARENT);
    const int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item_rect;
        if (!SendMessageA(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item_rect))) continue;
        char chars[128] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_FORMAT;
        item.pszText = chars;
        item.cchTextMax = sizeof chars;
        SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        UINT align = DT_LEFT;
        if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
        if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
        RECT text = item_rect;
        InflateRect(&text, -6, 0);
        DrawTextA(dc, chars, -1, &text, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        const RECT divider{item_rect.right - 1, item_rect.top + 3, item_rect.right, item_rect.bottom - 3};
        fill(dc, divider, colour(SkinColour::header_line));
    }
    const RECT base{client.left, client.bottom - 1, client.right, client.bottom};
    fill(dc, base, colour(SkinColour::header_line));
}

void paint(HWND control, HDC dc, Kind kind) {
    RECT client;
    GetClientRect(control, &client);
    const DWORD style = GetWindowLongA(control, GWL_STYLE);
    Selected font(dc, font_of(control));
    switch (kind) {
        case Kind::push_button:
            paint_push_button(control, dc, client, style);
            break;
        case Kind::check_box:
        case Kind::radio_button:
            paint_option(control, dc, client, style, kind);
            break;
        case Kind::group_box:
            paint_group_box(control, dc, client, style);
            break;
        case Kind::label:
            paint_label(control, dc, client, style);
            break;
        case Kind::header:
            paint_header(control, dc, client);
            break;
        case Kind::frame:
        case Kind::list:
            break;
    }
}

// Messages after which the control's own procedure may have painted straight onto the screen.
bool may_have_painted(UINT message) {
    switch (message) {
        case BM_SETCHECK:
        case BM_SETSTATE:
        case BM_SETSTYLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_SETTEXT:
        case WM_SETFONT:
        case WM_UPDATEUISTATE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CAPTURECHANGED:
        case WM_MOUSELEAVE:
            return true;
        default:
            return false;
    }
}

COLORREF row_background(int row) {
    return colour(row % 2 ? SkinColour::list_row_alt : SkinColour::list_background);
}

}  // namespace

void fill(HDC dc, const RECT& rect, COLORREF fill_colour) {
    SetDCBrushColor(dc, fill_colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

LRESULT control_message(HWND control, UINT message, WPARAM wParam, LPARAM lParam, Kind kind) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(control, &ps);
            paint(control, dc, kind);
            EndPaint(control, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            paint(control, reinterpret_cast<HDC>(wParam), kind);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        default:
            break;
    }
    const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    // The handler may have destroyed the control (a click that closes its window).
    if (may_have_painted(message) && IsWindow(control) && IsWindowVisible(control))
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
    return result;
}

void apply_list_colours(HWND list) {
    DefSubclassProc(list, LVM_SETBKCOLOR, 0, colour(SkinColour::list_background));
    DefSubclassProc(list, LVM_SETTEXTBKCOLOR, 0, colour(SkinColour::list_background));
    DefSubclassProc(list, LVM_SETTEXTCOLOR, 0, colour(SkinColour::list_text));
}

LRESULT list_message(HWND list, UINT message, WPARAM wParam, LPARAM lParam, ListColours& own) {
    switch (message) {
        case LVM_SETBKCOLOR:
            own.background = static_cast<COLORREF>(lParam);
            return TRUE;
        case LVM_SETTEXTBKCOLOR:
            own.text_background = static_cast<COLORREF>(lParam);
            return TRUE;
        case LVM_SETTEXTCOLOR:
            own.text = static_cast<COLORREF>(lParam);
            return TRUE;
        default:
            return DefSubclassProc(list, message, wParam, lParam);
    }
}

LRESULT list_custom_draw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const int row = static_cast<int>(draw.nmcd.dwItemSpec);
            const bool selected = SendMessageA(draw.nmcd.hdr.hwndFrom, LVM_GETITEMSTATE, row, LVIS_SELECTED);
            // Without the selected state the list keeps the colours given here instead of the system's.
            draw.nmcd.uItemState &= ~CDIS_SELECTED;
            draw.clrText = colour(selected ? SkinColour::selection_text : SkinColour::list_text);
            draw.clrTextBk = selected ? colour(SkinColour::selection) : row_background(row);
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}
