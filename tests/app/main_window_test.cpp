// The main window built in-process under Wine and read back through Win32.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "link/open_page_win.h"

namespace {

class MainWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&classes));
        ASSERT_TRUE(load_program_icons());
        ASSERT_TRUE(register_main_window_class());
    }
    void SetUp() override { ASSERT_EQ(create_main_window([](HWND) {}), BuildResult::shown); }
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

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) dispatch_message(message);
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
    EXPECT_EQ(rect.right - rect.left, 445);
    EXPECT_EQ(rect.bottom - rect.top, 295);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 445) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 295) / 2);
    EXPECT_EQ(text_of(main), "Vorlune");
    const DWORD style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN),
              DWORD(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN));
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_EQ(GetWindowLongA(main, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_NE(SendMessageA(main, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(main, WM_GETICON, ICON_SMALL, 0), 0);
}

struct ControlCase {
    HWND Controls::*slot;
    const char* window_class;
    const char* text;
    DWORD style;
    RECT rect;
    bool checked;
};

TEST_F(MainWindow, EveryControlAsLaidOut) {
    const DWORD option = BS_LEFT | BS_VCENTER | BS_MULTILINE | WS_TABSTOP;
    const ControlCase cases[] = {
        {&Controls::单选框1, "Button", "\xC6\xD5\xCD\xA8\xC4\xA3\xC4\xE2", BS_AUTORADIOBUTTON | option,
         {280, 0, 360, 24}, true},
        {&Controls::单选框2, "Button", "后台模拟", BS_AUTORADIOBUTTON | option, {360, 0, 440, 24}, false},
        {&Controls::单选框3, "Button", "驱动模拟", BS_AUTORADIOBUTTON | option, {280, 24, 360, 48}, false},
        {&Controls::选择框1, "Button", "循环模拟", BS_AUTOCHECKBOX | option, {360, 24, 440, 48}, false},
        {&Controls::分组框1, "Button", "  使用说明  ", BS_GROUPBOX | BS_CENTER, {278, 66, 437, 154}, false},
        {&Controls::标签1, "Static", "1：HOME键记录或停止记录\r\n2：insert键执行脚本\r\n3：列表框右键清空脚本",
         SS_LEFT, {284, 90, 431, 130}, false},
        {&Controls::按钮1, "Button", "订阅下载更给力版本",
         BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | WS_TABSTOP, {280, 168, 432, 264}, false},
    };
    HFONT gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const ControlCase& c : cases) {
        HWND control = controls().*c.slot;
        char window_class[32];
        GetClassNameA(control, window_class, sizeof window_class);
        EXPECT_STRCASEEQ(window_class, c.window_class);
        EXPECT_EQ(text_of(control), c.text);
        const DWORD style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(style, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style) << c.text;
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
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE),
              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                  LVS_SHOWSELALWAYS | LVS_NOSORTHEADER);
    EXPECT_EQ(GetWindowLongA(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP);
    EXPECT_EQ(SendMessageA(list, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0));
    const RECT expected{0, 0, 276, 264};
    const RECT rect = rect_in_main(list);
    EXPECT_TRUE(EqualRect(&rect, &expected));
    const struct {
        const char* header;
        int width;
    } columns[] = {{"行", 25}, {"鼠标X", 60}, {"鼠标Y", 60}, {"鼠标状态", 60}, {"延时", 50}};
    for (int i = 0; i < 5; ++i) {
        char header[32] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = header;
        column.cchTextMax = sizeof header;
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(header, columns[i].header);
        EXPECT_EQ(column.cx, columns[i].width);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_FALSE(SendMessageA(list, LVM_GETCOLUMNA, 5, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(MainWindow, TabCyclesTheFocusOrderBothWays) {
    const Controls& c = controls();
    SetFocus(c.超级列表框1);
    const HWND order[] = {c.单选框1, c.单选框2, c.单选框3, c.选择框1, c.按钮1, c.超级列表框1};
    for (HWND next : order) {
        press(VK_TAB);
        EXPECT_EQ(GetFocus(), next);
    }
    EXPECT_EQ(GetFocus(), c.超级列表框1);
}

TEST_F(MainWindow, ArrowsMoveAndCheckAmongRadioButtons) {
    const Controls& c = controls();
    SetFocus(c.单选框1);
    struct {
        WORD key;
        HWND Controls::*reached;
    } steps[] = {{VK_RIGHT, &Controls::单选框2}, {VK_DOWN, &Controls::单选框3}, {VK_RIGHT, &Controls::单选框1},
                 {VK_LEFT, &Controls::单选框3}, {VK_UP, &Controls::单选框2}};
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
int WINAPI record_box(HWND, LPCSTR, LPCSTR, UINT) { return ++boxes, IDOK; }
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

}  // namespace
