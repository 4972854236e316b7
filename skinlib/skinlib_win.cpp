// The library's entry points: validates a skin, then subclasses every window of the thread,
// those that exist and, through a thread hook, those created later.
#include "skinlib/colour_shift.h"
#include "skinlib/frame_win.h"
#include "skinlib/paint_win.h"
#include "skinlib/skinlib.h"

Look look;

namespace {

// The library is mapped from memory, so the hook has no module: a thread hook with hMod = NULL.
HHOOK hook;
DWORD hooked_thread;

constexpr UINT_PTR subclass_id = 0x534B4E;
// Each skinned window's state, also kept as a property: the import library has no GetWindowSubclass.
constexpr char state_property[] = "VorluneSkin";

void trace(const char* what, const char* why) {
    OutputDebugStringA("skinlib: ");
    OutputDebugStringA(what);
    OutputDebugStringA(": ");
    OutputDebugStringA(why);
    OutputDebugStringA("\n");
}

bool class_is(const char* name, const char* wanted) {
    return lstrcmpiA(name, wanted) == 0;
}

bool classify(HWND window, Kind& kind) {
    char name[32];
    if (!GetClassNameA(window, name, sizeof name)) return false;
    const DWORD style = GetWindowLongA(window, GWL_STYLE);
    if (!(style & WS_CHILD)) {
        kind = Kind::frame;
        return (style & WS_CAPTION) == WS_CAPTION;
    }
    if (class_is(name, "Button")) {
        switch (style & BS_TYPEMASK) {
            case BS_PUSHBUTTON:
            case BS_DEFPUSHBUTTON:
                kind = Kind::push_button;
                return true;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
                kind = Kind::check_box;
                return true;
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                kind = Kind::radio_button;
                return true;
            case BS_GROUPBOX:
                kind = Kind::group_box;
                return true;
            default:
                return false;  // owner-drawn and other buttons keep their own look
        }
    }
    if (class_is(name, "Static")) {
        const DWORD type = style & SS_TYPEMASK;
        kind = Kind::label;
        return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP;
    }
    if (class_is(name, WC_LISTVIEWA)) {
        kind = Kind::list;
        return true;
    }
    if (class_is(name, WC_HEADERA)) {
        kind = Kind::header;
        return true;
    }
    return false;
}

LRESULT CALLBACK skin_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

Skinned* state_of(HWND window) {
    return static_cast<Skinned*>(GetPropA(window, state_property));
}

void forget(HWND window, Skinned* state) {
    RemoveWindowSubclass(window, skin_proc, subclass_id);
    RemovePropA(window, state_property);
    HeapFree(GetProcessHeap(), 0, state);
}

void adopt(HWND window) {
    if (Skinned* state = state_of(window)) {
        if (state->kind == Kind::list) apply_list_colours(window);
        return;
    }
    Kind kind;
    if (!classify(window, kind)) return;
    auto* state = static_cast<Skinned*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Skinned)));
    if (!state) return;
    state->kind = kind;
    state->frame.active = GetActiveWindow() == window;
    if (kind == Kind::list) {
        state->own_colours = {static_cast<COLORREF>(SendMessageA(window, LVM_GETBKCOLOR, 0, 0)),
                              static_cast<COLORREF>(SendMessageA(window, LVM_GETTEXTBKCOLOR, 0, 0)),
                              static_cast<COLORREF>(SendMessageA(window, LVM_GETTEXTCOLOR, 0, 0))};
    }
    if (!SetPropA(window, state_property, state) ||
        !SetWindowSubclass(window, skin_proc, subclass_id, reinterpret_cast<DWORD_PTR>(state))) {
        forget(window, state);
        return;
    }
    if (kind == Kind::list) apply_list_colours(window);
    if (kind == Kind::frame) use_system_frame(window, false);
}

// A subclass installed later runs first. The program may subclass its controls after creating
// them; moving ours to the front when a window is shown keeps the skin's painting in charge.
void bring_to_front(HWND window) {
    Skinned* state = state_of(window);
    if (!state) return adopt(window);
    RemoveWindowSubclass(window, skin_proc, subclass_id);
    if (!SetWindowSubclass(window, skin_proc, subclass_id, reinterpret_cast<DWORD_PTR>(state)))
        forget(window, state);
}

void release(HWND window) {
    Skinned* state = state_of(window);
    if (!state) return;
    const Kind kind = state->kind;
    const ListColours own = state->own_colours;
    forget(window, state);
    if (kind == Kind::frame) use_system_frame(window, true);
    if (kind == Kind::list) {
        SendMessageA(window, LVM_SETBKCOLOR, 0, own.background);
        SendMessageA(window, LVM_SETTEXTBKCOLOR, 0, own.text_background);
        SendMessageA(window, LVM_SETTEXTCOLOR, 0, own.text);
    }
}

LRESULT CALLBACK skin_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR data) {
    auto* state = reinterpret_cast<Skinned*>(data);
    switch (message) {
        case WM_NCDESTROY:
            forget(window, state);
            return DefSubclassProc(window, message, wParam, lParam);
        default:
            break;
    }
    switch (state->kind) {
        case Kind::frame:
            return frame_message(window, message, wParam, lParam, state->frame);
        case Kind::list:
            return list_message(window, message, wParam, lParam, state->own_colours);
        default:
            return control_message(window, message, wParam, lParam, state->kind);
    }
}

LRESULT CALLBACK watch_windows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent->message == WM_CREATE) {
            adopt(sent->hwnd);
        } else if ((sent->message == WM_SHOWWINDOW && sent->wParam) ||
                   (sent->message == WM_WINDOWPOSCHANGING &&
                    (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_SHOWWINDOW))) {
            bring_to_front(sent->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

using WindowAction = void (*)(HWND);

BOOL CALLBACK act_on_child(HWND window, LPARAM action) {
    reinterpret_cast<WindowAction>(action)(window);
    return TRUE;
}

BOOL CALLBACK act_on_tree(HWND window, LPARAM action) {
    reinterpret_cast<WindowAction>(action)(window);
    EnumChildWindows(window, act_on_child, action);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

void for_every_window(DWORD thread, WindowAction action) {
    EnumThreadWindows(thread, act_on_tree, reinterpret_cast<LPARAM>(action));
}

bool make_look(const Skin& skin, Look& made) {
    made.skin = skin;
    const std::uint32_t face = skin.colour(SkinColour::face);
    made.face_brush = CreateSolidBrush(RGB(face >> 16 & 0xFF, face >> 8 & 0xFF, face & 0xFF));
    LOGFONTA font{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfWeight = FW_BOLD;
    made.caption_font = CreateFontIndirectA(&font);
    return made.face_brush && made.caption_font;
}

void free_look(Look& old) {
    if (old.face_brush) DeleteObject(old.face_brush);
    if (old.caption_font) DeleteObject(old.caption_font);
    old = {};
}

}  // namespace

Skinned* skinned(HWND window) {
    return window ? state_of(window) : nullptr;
}

extern "C" {

__declspec(dllexport) BOOL WINAPI
    Skin_AttachRes(const void* skin, DWORD size, int hue_shift, int saturation_shift, int brightness_shift) {
    const DWORD thread = GetCurrentThreadId();
    if (hook && hooked_thread != thread) {
        trace("skin refused", "already attached on another thread");
        return FALSE;
    }
    SkinParse parsed = parse_skin_file(skin, size);
    if (parsed.error != SkinError::none) {
        trace("skin refused", skin_error_name(parsed.error));
        return FALSE;
    }
    shift_skin(parsed.skin, clamp_shifts({hue_shift, saturation_shift, brightness_shift}));
    Look next{};
    if (!make_look(parsed.skin, next)) {
        free_look(next);
        trace("skin refused", "no GDI objects for it");
        return FALSE;
    }
    if (!hook) {
        hook = SetWindowsHookExA(WH_CALLWNDPROC, watch_windows, nullptr, thread);
        if (!hook) {
            free_look(next);
            trace("skin refused", "the window hook could not be installed");
            return FALSE;
        }
        hooked_thread = thread;
    }
    Look old = look;
    look = next;
    for_every_window(thread, adopt);
    free_look(old);
    return TRUE;
}

__declspec(dllexport) void WINAPI Skin_Detach() {
    if (!hook || hooked_thread != GetCurrentThreadId()) return;
    UnhookWindowsHookEx(hook);
    hook = nullptr;
    for_every_window(hooked_thread, release);
    hooked_thread = 0;
    free_look(look);
}

// Unmapping detaches, so that no window or hook is left pointing into released memory. At process
// exit (reserved not null) the windows and the hook go with the process.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && !reserved) Skin_Detach();
    return TRUE;
}
}
