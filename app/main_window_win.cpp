// Builds the one main window and runs its message handling.
#include "app/main_window_win.h"

#include <commctrl.h>

#include <array>
#include <iterator>

#include "app/geometry.h"
#include "app/unique.h"
#include "assets/resource_ids.h"
#include "link/open_page_win.h"
#include "script/script_win.h"

CreateWindowFn create_window = CreateWindowExA;

const char main_window_class[] = "VorluneMain";

namespace {

Controls the_controls;
HWND focus_before_deactivation;
HICON big_icon;
HICON small_icon;
bool loop_running;

constexpr DWORD main_style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD option_style = BS_LEFT | BS_VCENTER | BS_MULTILINE | WS_TABSTOP;

struct ControlLayout {
    HWND Controls::*slot;
    int id;
    const char* window_class;
    const char* text;
    DWORD style;
    DWORD ex_style;
    int x, y, width, height;
    HWND Controls::*parent;
    bool checked;
};

// Creation order is the focus order; the label is made after its group box, its parent.
const ControlLayout control_layouts[] = {
    {&Controls::超级列表框1, control_id::超级列表框1, WC_LISTVIEWA, "",
     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_CLIPCHILDREN | WS_TABSTOP,
     WS_EX_CLIENTEDGE, 0, 0, 276, 264, &Controls::main, false},
    {&Controls::单选框1, control_id::单选框1, "BUTTON", "普通模拟", BS_AUTORADIOBUTTON | option_style, 0, 280,
     0, 80, 24, &Controls::main, true},
    {&Controls::单选框2, control_id::单选框2, "BUTTON", "后台模拟", BS_AUTORADIOBUTTON | option_style, 0, 360,
     0, 80, 24, &Controls::main, false},
    {&Controls::单选框3, control_id::单选框3, "BUTTON", "驱动模拟", BS_AUTORADIOBUTTON | option_style, 0, 280,
     24, 80, 24, &Controls::main, false},
    {&Controls::选择框1, control_id::选择框1, "BUTTON", "循环模拟", BS_AUTOCHECKBOX | option_style, 0, 360,
     24, 80, 24, &Controls::main, false},
    {&Controls::分组框1, control_id::分组框1, "BUTTON", "  使用说明  ", BS_GROUPBOX | BS_CENTER, 0, 278, 66,
     159, 88, &Controls::main, false},
    {&Controls::标签1, control_id::标签1, "STATIC",
     "1：HOME键记录或停止记录\r\n2：insert键执行脚本\r\n3：列表框右键清空脚本", SS_LEFT, 0, 6, 24, 147, 40,
     &Controls::分组框1, false},
    {&Controls::按钮1, control_id::按钮1, "BUTTON", "订阅下载更给力版本",
     BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | WS_TABSTOP, 0, 280, 168, 152, 96,
     &Controls::main, false},
};

struct ColumnLayout {
    const char* header;
    int width;
};

const ColumnLayout column_layouts[] = {
    {"行", 25}, {"鼠标X", 60}, {"鼠标Y", 60}, {"鼠标状态", 60}, {"延时", 50}};

HFONT gui_font() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

std::array<HWND, 6> focus_order() {
    const Controls& c = the_controls;
    return {c.超级列表框1, c.单选框1, c.单选框2, c.单选框3, c.选择框1, c.按钮1};
}

std::array<HWND, 3> radio_buttons() {
    const Controls& c = the_controls;
    return {c.单选框1, c.单选框2, c.单选框3};
}

template <std::size_t N>
int index_of(const std::array<HWND, N>& windows, HWND window) {
    for (std::size_t i = 0; i < N; ++i)
        if (windows[i] == window) return static_cast<int>(i);
    return -1;
}

bool takes_focus(HWND control) {
    return IsWindowVisible(control) && IsWindowEnabled(control) &&
           (GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP);
}

void move_focus(bool backwards) {
    auto order = focus_order();
    const int count = static_cast<int>(order.size());
    const int step = backwards ? count - 1 : 1;
    int at = index_of(order, GetFocus());
    if (at < 0) at = backwards ? 0 : count - 1;
    for (int tried = 0; tried < count; ++tried) {
        at = (at + step) % count;
        if (takes_focus(order[at])) {
            SendMessageA(the_controls.main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
            SetFocus(order[at]);
            return;
        }
    }
}

void move_among_radios(int from, bool backwards) {
    auto radios = radio_buttons();
    const int count = static_cast<int>(radios.size());
    const int to = (from + (backwards ? count - 1 : 1)) % count;
    for (int i = 0; i < count; ++i)
        SendMessageA(radios[i], BM_SETCHECK, i == to ? BST_CHECKED : BST_UNCHECKED, 0);
    SetFocus(radios[to]);
}

// Tab, Shift+Tab and the arrows on a radio button; true when the key was taken.
bool navigate(const MSG& message) {
    if (message.message != WM_KEYDOWN || !the_controls.main) return false;
    if (message.hwnd != the_controls.main && !IsChild(the_controls.main, message.hwnd)) return false;
    switch (message.wParam) {
        case VK_TAB:
            move_focus(GetKeyState(VK_SHIFT) < 0);
            return true;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            const int radio = index_of(radio_buttons(), GetFocus());
            if (radio < 0) return false;
            move_among_radios(radio, message.wParam == VK_LEFT || message.wParam == VK_UP);
            return true;
        }
        default:
            return false;
    }
}

void subscribe() {
    open_page(subscription_page);
}

struct CommandBinding {
    int id;
    void (*handler)();
};

const CommandBinding command_bindings[] = {{control_id::按钮1, subscribe},
                                           {control_id::清空脚本, clear_script}};

void on_command(int id, int code, HWND control) {
    // Menu commands come with no control; control notifications other than a click are not bound.
    if (control && code != BN_CLICKED) return;
    for (const CommandBinding& binding : command_bindings)
        if (binding.id == id) binding.handler();
}

struct MenuTraits {
    using Handle = HMENU;
    static Handle none() { return nullptr; }
    static void close(Handle menu) { DestroyMenu(menu); }
};

void show_popup_menu() {
    Unique<MenuTraits> menu(CreatePopupMenu());
    if (!menu || !AppendMenuA(menu.get(), MF_STRING, control_id::清空脚本, "清空脚本")) return;
    POINT at;
    if (!GetCursorPos(&at)) return;
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, at.x + 3, at.y + 3, 0, the_controls.main, nullptr);
}

LRESULT on_notify(const NMHDR& header) {
    if (header.hwndFrom == the_controls.超级列表框1 && header.code == NM_RCLICK) show_popup_menu();
    return 0;
}

void on_activate(int state) {
    if (state == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(the_controls.main, focus)) focus_before_deactivation = focus;
        return;
    }
    HWND target = focus_before_deactivation;
    if (!target || !IsWindow(target)) target = the_controls.超级列表框1;
    SetFocus(target);
}

LRESULT on_ctl_color(HDC dc) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void on_destroy() {
    // A playback running inside this window's message handling must not outlive it.
    end_playback();
    the_controls = {};
    focus_before_deactivation = nullptr;
    // Only the running loop needs the quit message; left queued otherwise, it would close the error box.
    if (loop_running) PostQuitMessage(0);
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            on_command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            return on_notify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_ACTIVATE:
            on_activate(LOWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
            return on_ctl_color(reinterpret_cast<HDC>(wParam));
        case WM_DESTROY:
            on_destroy();
            return 0;
        case play_script_message:
            on_play_message();
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The usage note draws itself so that its text is laid out exactly: left, top, word-wrapped.
LRESULT CALLBACK label_proc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message != WM_PAINT) return DefSubclassProc(label, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(label, &paint);
    RECT area;
    GetClientRect(label, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    char text[256];
    const int length = GetWindowTextA(label, text, sizeof text);
    HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, length, &area, DT_LEFT | DT_WORDBREAK | DT_NOCLIP);
    SelectObject(dc, old_font);
    EndPaint(label, &paint);
    return 0;
}

// The group box paints only its frame and caption; its inside, clipped from the parent, is filled here.
LRESULT CALLBACK group_proc(HWND group, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message != WM_ERASEBKGND) return DefSubclassProc(group, message, wParam, lParam);
    RECT area;
    GetClientRect(group, &area);
    FillRect(reinterpret_cast<HDC>(wParam), &area, GetSysColorBrush(COLOR_BTNFACE));
    return 1;
}

bool build_list(HWND list) {
    constexpr DWORD extended =
        LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageA(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
    for (int i = 0; i < static_cast<int>(std::size(column_layouts)); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.cx = column_layouts[i].width;
        column.pszText = const_cast<char*>(column_layouts[i].header);
        if (SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column)) != i) return false;
    }
    return true;
}

bool build_controls(HINSTANCE instance) {
    for (const ControlLayout& layout : control_layouts) {
        HWND control = create_window(
            layout.ex_style, layout.window_class, layout.text, WS_CHILD | WS_CLIPSIBLINGS | layout.style,
            layout.x, layout.y, layout.width, layout.height, the_controls.*layout.parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance, nullptr);
        if (!control) return false;
        the_controls.*layout.slot = control;
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(gui_font()), FALSE);
        if (layout.checked) SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
    }
    return build_list(the_controls.超级列表框1) && SetWindowSubclass(the_controls.标签1, label_proc, 0, 0) &&
           SetWindowSubclass(the_controls.分组框1, group_proc, 0, 0);
}

// The window rectangle must be exactly the fixed outer size, whatever frame metrics the system has.
void enforce_outer_size(HWND window) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    if (rect.right - rect.left != main_window_width || rect.bottom - rect.top != main_window_height)
        SetWindowPos(window, nullptr, rect.left, rect.top, main_window_width, main_window_height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

const Controls& controls() {
    return the_controls;
}

bool is_checked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool load_program_icons() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    big_icon = static_cast<HICON>(LoadImageA(instance, default_icon, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), 0));
    small_icon = static_cast<HICON>(LoadImageA(
        instance, default_icon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    return big_icon && small_icon;
}

bool register_main_window_class() {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hIcon = big_icon;
    window_class.hIconSm = small_icon;
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = main_window_class;
    return RegisterClassExA(&window_class) != 0;
}

BuildResult create_main_window(void (*on_created)(HWND main)) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const Point origin = centred_origin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND window = create_window(0, main_window_class, "Vorlune", main_style, origin.x, origin.y,
                                main_window_width, main_window_height, nullptr, nullptr, instance, nullptr);
    if (!window) return BuildResult::failed;
    the_controls.main = window;
    enforce_outer_size(window);
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(gui_font()), FALSE);
    if (!build_controls(instance)) {
        DestroyWindow(window);
        return BuildResult::failed;
    }
    for (const ControlLayout& layout : control_layouts) ShowWindow(the_controls.*layout.slot, SW_SHOWNA);
    on_created(window);
    if (!IsWindow(window)) return BuildResult::destroyed_by_handler;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return BuildResult::shown;
}

void dispatch_message(MSG& message) {
    if (navigate(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void run_message_loop() {
    if (!the_controls.main) return;
    MSG message;
    loop_running = true;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) dispatch_message(message);
    loop_running = false;
}
