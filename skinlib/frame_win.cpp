// Draws the non-client area itself, keeping the system's frame geometry so that the client area,
// moving by the caption, the system menu and Alt+F4 stay the system's.
#include "skinlib/frame_win.h"

#include <dwmapi.h>

#include "skinlib/paint_win.h"

namespace {

constexpr int icon_size = 16;

struct FrameLayout {
    RECT window;  // all rectangles in window coordinates
    RECT client;
    RECT caption;
    RECT close, maximise, minimise;  // empty when the window has no such button
};

FrameLayout layout_of(HWND window) {
    FrameLayout layout{};
    RECT screen, client;
    GetWindowRect(window, &screen);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    layout.window = {0, 0, screen.right - screen.left, screen.bottom - screen.top};
    const int left = origin.x - screen.left, top = origin.y - screen.top;
    layout.client = {left, top, left + client.right, top + client.bottom};
    const int border = left;
    layout.caption = {border, border, layout.window.right - border, top};
    const DWORD style = GetWindowLongA(window, GWL_STYLE);
    const int height = layout.caption.bottom - layout.caption.top - 4;
    if (!(style & WS_SYSMENU) || height < 8) return layout;
    const int width = height + 6;
    RECT next{layout.caption.right - 2 - width, layout.caption.top + 2, layout.caption.right - 2,
              layout.caption.bottom - 2};
    layout.close = next;
    OffsetRect(&next, -width - 2, 0);
    if (style & WS_MAXIMIZEBOX) {
        layout.maximise = next;
        OffsetRect(&next, -width, 0);
    }
    if (style & WS_MINIMIZEBOX) layout.minimise = next;
    return layout;
}

LRESULT button_at(const FrameLayout& layout, POINT in_window) {
    if (PtInRect(&layout.close, in_window)) return HTCLOSE;
    if (PtInRect(&layout.maximise, in_window)) return HTMAXBUTTON;
    if (PtInRect(&layout.minimise, in_window)) return HTMINBUTTON;
    return 0;
}

LRESULT button_at_screen(HWND window, POINT screen) {
    RECT rect;
    GetWindowRect(window, &rect);
    return button_at(layout_of(window), {screen.x - rect.left, screen.y - rect.top});
}

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void paint_caption_button(HDC dc, const RECT& r, LRESULT which, const FrameState& state, COLORREF glyph) {
    if (IsRectEmpty(&r)) return;
    if (state.pressed == which && state.inside) fill(dc, r, colour(SkinColour::caption_button_pressed));
    const int size = (r.bottom - r.top) / 2 & ~1;
    const int x = r.left + (r.right - r.left - size) / 2, y = r.top + (r.bottom - r.top - size) / 2;
    HPEN pen = CreatePen(PS_SOLID, 2, glyph);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    switch (which) {
        case HTCLOSE:
            line(dc, x, y, x + size, y + size);
            line(dc, x + size, y, x, y + size);
            break;
        case HTMAXBUTTON:
            Rectangle(dc, x, y, x + size, y + size);
            break;
        default:
            line(dc, x, y + size - 1, x + size, y + size - 1);
            break;
    }
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
}

HICON small_icon(HWND window) {
    HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM));
    return icon;
}

void paint_caption(HWND window, HDC dc, const FrameLayout& layout, const FrameState& state) {
    const RECT& caption = layout.caption;
    fill(dc, caption, colour(state.active ? SkinColour::caption_active : SkinColour::caption_inactive));
    if (state.active) {
        const RECT rule{caption.left, caption.bottom - 1, caption.right, caption.bottom};
        fill(dc, rule, colour(SkinColour::focus));
    }
    int text_left = caption.left + 6;
    if (HICON icon = small_icon(window)) {
        DrawIconEx(dc, caption.left + 4, caption.top + (caption.bottom - caption.top - icon_size) / 2, icon,
                   icon_size, icon_size, 0, nullptr, DI_NORMAL);
        text_left = caption.left + 4 + icon_size + 6;
    }
    int text_right = caption.right - 4;
    const RECT* buttons[] = {&layout.minimise, &layout.maximise, &layout.close};
    for (const RECT* button : buttons)
        if (!IsRectEmpty(button) && button->left - 4 < text_right) text_right = button->left - 4;
    const COLORREF text_colour =
        colour(state.active ? SkinColour::caption_text_active : SkinColour::caption_text_inactive);
    char title[256];
    const int length = GetWindowTextA(window, title, sizeof title);
    RECT text{text_left, caption.top, text_right, caption.bottom};
    HGDIOBJ old_font = SelectObject(dc, look.caption_font);
    SetTextColor(dc, text_colour);
    SetBkMode(dc, TRANSPARENT);
    const UINT align = look.skin.caption_align == CaptionAlign::centre ? DT_CENTER : DT_LEFT;
    DrawTextA(dc, title, length, &text, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, old_font);
    paint_caption_button(dc, layout.close, HTCLOSE, state, text_colour);
    paint_caption_button(dc, layout.maximise, HTMAXBUTTON, state, text_colour);
    paint_caption_button(dc, layout.minimise, HTMINBUTTON, state, text_colour);
}

void repaint_frame(HWND window) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return;
    if (Skinned* state = skinned(window)) paint_frame(window, state->frame);
}

WPARAM command_of(HWND window, LRESULT button) {
    switch (button) {
        case HTCLOSE:
            return SC_CLOSE;
        case HTMAXBUTTON:
            return IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE;
        default:
            return SC_MINIMIZE;
    }
}

bool is_caption_button(WPARAM hit) {
    return hit == HTCLOSE || hit == HTMAXBUTTON || hit == HTMINBUTTON;
}

// Messages after which the system's procedure draws its own caption.
bool system_draws_caption(UINT message) {
    switch (message) {
        case WM_SETTEXT:
        case WM_SETICON:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONUP:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONUP:
        case WM_SYSCOMMAND:
        case WM_ENABLE:
        case WM_STYLECHANGED:
        case WM_EXITMENULOOP:
            return true;
        default:
            return false;
    }
}

POINT client_to_screen(HWND window, LPARAM lParam) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &at);
    return at;
}

}  // namespace

// On Windows 8 and later the compositor always draws top-level frames unless a window opts out;
// our caption would not show otherwise. dwmapi.dll is looked up, not imported, as it is no
// library the mapped image may count on; Wine has no such frame, so this is untested there.
void use_system_frame(HWND window, bool system) {
    HMODULE dwm = LoadLibraryA("dwmapi.dll");
    if (!dwm) return;
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    auto set = reinterpret_cast<SetAttribute>(
        reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
    const DWORD policy = system ? DWMNCRP_USEWINDOWSTYLE : DWMNCRP_DISABLED;
    if (set) set(window, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy);
    FreeLibrary(dwm);
}

void paint_frame(HWND window, const FrameState& state) {
    const FrameLayout layout = layout_of(window);
    HDC dc = GetWindowDC(window);
    if (!dc) return;
    const int width = layout.window.right, height = layout.window.bottom;
    // Drawn off-screen first, so that a caption repainted on every activation does not flicker.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    if (memory && bitmap) {
        HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
        fill(memory, layout.window,
             colour(state.active ? SkinColour::frame_active : SkinColour::frame_inactive));
        HGDIOBJ old_brush = SelectObject(memory, GetStockObject(NULL_BRUSH));
        HGDIOBJ old_pen = SelectObject(memory, GetStockObject(DC_PEN));
        SetDCPenColor(memory, colour(SkinColour::button_border));
        Rectangle(memory, 0, 0, width, height);
        SelectObject(memory, old_pen);
        SelectObject(memory, old_brush);
        if (!IsRectEmpty(&layout.caption)) paint_caption(window, memory, layout, state);
        ExcludeClipRect(dc, layout.client.left, layout.client.top, layout.client.right, layout.client.bottom);
        BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old_bitmap);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(window, dc);
}

LRESULT frame_message(HWND window, UINT message, WPARAM wParam, LPARAM lParam, FrameState& state) {
    switch (message) {
        case WM_NCPAINT:
            paint_frame(window, state);
            return 0;
        case WM_NCACTIVATE: {
            state.active = wParam != 0;
            // -1 keeps the system's procedure from painting its own caption over ours.
            const LRESULT result = DefSubclassProc(window, message, wParam, -1);
            repaint_frame(window);
            return result;
        }
        case WM_NCHITTEST: {
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (const LRESULT button = button_at_screen(window, at)) return button;
            const LRESULT hit = DefSubclassProc(window, message, wParam, lParam);
            // The system's own buttons sit elsewhere; where it sees one, ours show caption.
            return is_caption_button(hit) || hit == HTHELP ? HTCAPTION : hit;
        }
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
            if (!is_caption_button(wParam)) break;
            state.pressed = static_cast<LRESULT>(wParam);
            state.inside = true;
            SetCapture(window);
            paint_frame(window, state);
            return 0;
        case WM_MOUSEMOVE:
            if (!state.pressed) break;
            if (const bool inside =
                    button_at_screen(window, client_to_screen(window, lParam)) == state.pressed;
                inside != state.inside) {
                state.inside = inside;
                paint_frame(window, state);
            }
            return 0;
        case WM_LBUTTONUP: {
            if (!state.pressed) break;
            const LRESULT pressed = state.pressed;
            const bool inside = state.inside;
            state.pressed = 0;
            ReleaseCapture();
            paint_frame(window, state);
            // The command may destroy the window and this state with it: nothing is touched after it.
            if (inside) {
                const POINT at = client_to_screen(window, lParam);
                SendMessageA(window, WM_SYSCOMMAND, command_of(window, pressed), MAKELPARAM(at.x, at.y));
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (state.pressed && reinterpret_cast<HWND>(lParam) != window) {
                state.pressed = 0;
                paint_frame(window, state);
            }
            break;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window, &client);
            fill(reinterpret_cast<HDC>(wParam), client, colour(SkinColour::face));
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, colour(SkinColour::text));
            SetBkColor(dc, colour(SkinColour::face));
            return reinterpret_cast<LRESULT>(look.face_brush);
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (!header || header->code != NM_CUSTOMDRAW) break;
            const Skinned* from = skinned(header->hwndFrom);
            if (from && from->kind == Kind::list)
                return list_custom_draw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            break;
        }
        default:
            break;
    }
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (system_draws_caption(message)) repaint_frame(window);
    return result;
}
