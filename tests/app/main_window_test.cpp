// The main window built in-process under Wine and read back through Win32.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "link/open_page_win.h"
#include "tests/app/expected_layout.h"
#include "tests/app/window_support.h"

namespace {

class MainWindow : public testing::Test {
   protected:
    static void SetUpTestSuite() { ASSERT_TRUE(prepare_for_main_window()); }
    void SetUp() override {
        ASSERT_EQ(create_main_window([](HWND) {}), BuildResult::shown);
    }
    void TearDown() override {
        if (controls().main) DestroyWindow(controls().main);
    }
};

std::string text_of(HWND window) {
    char text[256];
    return std::string(text, GetWindowTextA(window, text, sizeof text));
}

RECT rect_in_main(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, controls().main, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void press(WORD key) {
    MSG message{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    dispatch_message(message);
    pump();
}

TEST_F(MainWindow, OuterSizeTitleStylesAndIcons) {
    HWND main = controls().main;
    RECT rect;
    GetWindowRect(main, &rect);
    EXPECT_EQ(rect.right - rect.left, expected::width);
    EXPECT_EQ(rect.bottom - rect.top, expected::height);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - expected::width) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - expected::height) / 2);
    EXPECT_EQ(text_of(main), "Vorlune");
    const DWORD style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_EQ(style & expected::main_style, expected::main_style);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_EQ(GetWindowLongA(main, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_NE(SendMessageA(main, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(main, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(MainWindow, EveryControlAsLaidOut) {
    HFONT gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const expected::Control& c : expected::controls) {
        HWND control = controls().*c.slot;
        char window_class[32];
        GetClassNameA(control, window_class, sizeof window_class);
        EXPECT_STRCASEEQ(window_class, c.window_class);
        EXPECT_EQ(text_of(control), c.text);
        EXPECT_EQ(GetDlgCtrlID(control), c.id);
        const DWORD style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(style, expected::child_style | c.style) << c.text;
        const RECT rect = rect_in_main(control);
        EXPECT_TRUE(EqualRect(&rect, &c.rect)) << c.text << ' ' << rect.left << ',' << rect.top;
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), gui_font);
        if (c.style & (BS_AUTORADIOBUTTON | BS_AUTOCHECKBOX)) {
            EXPECT_EQ(is_checked(control), c.checked) << c.text;
        }
    }
    EXPECT_EQ(GetParent(controls().标签1), controls().分组框1);
}

TEST_F(MainWindow, ScriptListColumnsStylesAndColours) {
    HWND list = controls().超级列表框1;
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE), expected::child_style | expected::list_style);
    EXPECT_EQ(GetWindowLongA(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), expected::list_extended_style);
    EXPECT_EQ(SendMessageA(list, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0));
    const RECT rect = rect_in_main(list);
    EXPECT_TRUE(EqualRect(&rect, &expected::list_rect));
    for (int i = 0; i < 5; ++i) {
        char header[32] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = header;
        column.cchTextMax = sizeof header;
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(header, expected::columns[i].header);
        EXPECT_EQ(column.cx, expected::columns[i].width);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_FALSE(SendMessageA(list, LVM_GETCOLUMNA, 5, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(MainWindow, TabCyclesTheFocusOrderBothWays) {
    SetFocus(controls().超级列表框1);
    for (int id : expected::focus_order) {
        press(VK_TAB);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), id);
    }
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    for (int i = static_cast<int>(std::size(expected::focus_order)) - 2; i >= -1; --i) {
        press(VK_TAB);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), i >= 0 ? expected::focus_order[i] : control_id::超级列表框1);
    }
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

TEST_F(MainWindow, ArrowsMoveAndCheckAmongRadioButtons) {
    const Controls& c = controls();
    SetFocus(c.单选框1);
    struct {
        WORD key;
        HWND Controls::*reached;
    } steps[] = {{VK_RIGHT, &Controls::单选框2},
                 {VK_DOWN, &Controls::单选框3},
                 {VK_RIGHT, &Controls::单选框1},
                 {VK_LEFT, &Controls::单选框3},
                 {VK_UP, &Controls::单选框2}};
    for (const auto& step : steps) {
        press(step.key);
        HWND reached = c.*step.reached;
        EXPECT_EQ(GetFocus(), reached);
        for (HWND radio : {c.单选框1, c.单选框2, c.单选框3}) EXPECT_EQ(is_checked(radio), radio == reached);
    }
}

TEST_F(MainWindow, EscapeAndEnterLeaveTheWindowOpen) {
    for (HWND control : {controls().超级列表框1, controls().按钮1}) {
        SetFocus(control);
        press(VK_ESCAPE);
        press(VK_RETURN);
        EXPECT_TRUE(IsWindow(controls().main));
    }
}

struct MenuSeen {
    RECT rect;
    HMENU menu;
    UINT_PTR keys[2];
} menu_seen;

// Runs inside the menu's modal loop: notes where the menu is, then presses the given keys.
void CALLBACK look_at_menu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND window = FindWindowA("#32768", nullptr);
    if (!window) return;
    GetWindowRect(window, &menu_seen.rect);
    menu_seen.menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
    for (UINT_PTR key : menu_seen.keys) PostMessageA(window, WM_KEYDOWN, key, 0);
}

void right_click_list(UINT_PTR first_key, UINT_PTR second_key) {
    menu_seen = {{}, nullptr, {first_key, second_key}};
    SetTimer(nullptr, 0, 50, look_at_menu);
    NMHDR header{controls().超级列表框1, control_id::超级列表框1, UINT(NM_RCLICK)};
    SendMessageA(controls().main, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    pump();
}

TEST_F(MainWindow, RightClickMenuAtTheCursorClearsOnlyWhenChosen) {
    HWND list = controls().超级列表框1;
    SetCursorPos(300, 300);
    struct {
        UINT_PTR first, second;
        int rows_before, rows_after;
    } cases[] = {{VK_ESCAPE, VK_ESCAPE, 3, 3}, {VK_DOWN, VK_RETURN, 3, 0}, {VK_DOWN, VK_RETURN, 0, 0}};
    for (const auto& c : cases) {
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        while (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) < c.rows_before) {
            LVITEMA row{};
            row.mask = LVIF_TEXT;
            row.iItem = INT_MAX;
            row.pszText = const_cast<char*>("1");
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
        }
        right_click_list(c.first, c.second);
        POINT cursor;
        GetCursorPos(&cursor);
        EXPECT_EQ(menu_seen.rect.left, cursor.x + 3);
        EXPECT_EQ(menu_seen.rect.top, cursor.y + 3);
        ASSERT_NE(menu_seen.menu, nullptr);
        EXPECT_FALSE(IsMenu(menu_seen.menu)) << "the popup menu outlives its use";
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), c.rows_after);
    }
}

int shell_calls;
HINSTANCE WINAPI record_shell(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                              INT show) {
    ++shell_calls;
    EXPECT_EQ(owner, nullptr);
    EXPECT_STREQ(operation, "open");
    EXPECT_STREQ(file, subscription_page);
    EXPECT_STREQ(parameters, "");
    EXPECT_STREQ(directory, "");
    EXPECT_EQ(show, SW_SHOWNORMAL);
    return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(MainWindow, EachClickOnTheButtonAsksTheShellOnce) {
    shell_calls = 0;
    ShellExecuteFn real = shell_execute;
    shell_execute = record_shell;
    for (int click = 1; click <= 3; ++click) {
        SendMessageA(controls().按钮1, BM_CLICK, 0, 0);
        pump();
        EXPECT_EQ(shell_calls, click);
    }
    shell_execute = real;
}

int boxes;
int WINAPI record_box(HWND, LPCSTR, LPCSTR, UINT) {
    return ++boxes, IDOK;
}
HWND WINAPI refuse_window(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) {
    return nullptr;
}

TEST(Startup, AWindowThatCannotBeBuiltShowsTheErrorBoxAndReturnsMinusOne) {
    CreateWindowFn real_window = create_window;
    MessageBoxFn real_box = message_box;
    create_window = refuse_window;
    message_box = record_box;
    EXPECT_EQ(run_app(), -1);
    EXPECT_EQ(boxes, 1);
    create_window = real_window;
    message_box = real_box;
}

void CALLBACK close_main_window(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    SendMessageA(controls().main, WM_CLOSE, 0, 0);
}

TEST(Startup, ClosingRightAwayReturnsZeroAndReleasesTheProcessStateOnce) {
    for (bool buffer_filled : {false, true}) {
        if (buffer_filled) global_buffer = HeapAlloc(GetProcessHeap(), 0, 64);
        SetTimer(nullptr, 0, 10, close_main_window);
        EXPECT_EQ(run_app(), 0);
        EXPECT_EQ(controls().main, nullptr);
        EXPECT_EQ(loader_pointer, nullptr);
        EXPECT_EQ(global_buffer, nullptr);
    }
}

}  // namespace
