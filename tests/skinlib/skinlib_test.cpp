// skinlib.dll attached to the real main window under Wine: its colours on screen, every control
// still working from keyboard and mouse, and rejected skins leaving the window as it was.
// skinlib.h brings windows.h, which commctrl.h needs ahead of it.
#include "skinlib/skinlib.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "app/main_window_win.h"
#include "link/open_page_win.h"
#include "skinlib/colour_shift.h"
#include "skinlib/skin_file.h"
#include "tests/app/window_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

HMODULE library;
SkinAttachResFn attach;
SkinDetachFn detach;
Bytes skin_bytes;
Skin skin;

COLORREF ref(std::uint32_t rgb) {
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}
COLORREF expected(SkinColour which) {
    return ref(skin.colour(which));
}

void settle() {
    pump();
    if (controls().main) RedrawWindow(controls().main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    pump();
}

int count_pixels(HWND window, COLORREF colour) {
    RECT r;
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    int found = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) found += GetPixel(dc, x, y) == colour;
    ReleaseDC(window, dc);
    return found;
}

HWND header() {
    return reinterpret_cast<HWND>(SendMessageA(controls().超级列表框1, LVM_GETHEADER, 0, 0));
}

struct Probe {
    const char* what;
    HWND (*window)();
    bool nonclient;
    int x, y;
    SkinColour colour;
};

HWND main_window() {
    return controls().main;
}
HWND list() {
    return controls().超级列表框1;
}
HWND radio1() {
    return controls().单选框1;
}
HWND radio2() {
    return controls().单选框2;
}
HWND check() {
    return controls().选择框1;
}
HWND group() {
    return controls().分组框1;
}
HWND button() {
    return controls().按钮1;
}

// Where the skin puts each of its colours; the mark centre is 7, 11 in a 24-pixel-high option.
const Probe probes[] = {
    {"frame", main_window, true, 1, 150, SkinColour::frame_active},
    {"window face", main_window, false, 278, 160, SkinColour::face},
    {"empty list", list, false, 150, 200, SkinColour::list_background},
    {"header", header, false, 2, 2, SkinColour::header_face},
    {"push button", button, false, 10, 48, SkinColour::button_face},
    {"checked radio dot", radio1, false, 7, 11, SkinColour::accent},
    {"unchecked radio", radio2, false, 7, 11, SkinColour::box},
    {"unchecked check box", check, false, 7, 11, SkinColour::box},
    {"group frame", group, false, 0, 40, SkinColour::group_line},
};

std::vector<COLORREF> snapshot() {
    std::vector<COLORREF> colours;
    for (const Probe& p : probes) colours.push_back(pixel(p.window(), p.x, p.y, p.nonclient));
    RECT window;
    GetWindowRect(controls().main, &window);
    colours.push_back(pixel(controls().main, (window.right - window.left) / 2, 5, true));
    return colours;
}

void expect_skinned() {
    for (const Probe& p : probes)
        EXPECT_EQ(pixel(p.window(), p.x, p.y, p.nonclient), expected(p.colour)) << p.what;
    RECT window;
    GetWindowRect(controls().main, &window);
    EXPECT_EQ(pixel(controls().main, (window.right - window.left) / 2, 5, true),
              expected(GetActiveWindow() == controls().main ? SkinColour::caption_active
                                                            : SkinColour::caption_inactive));
    // The usage note: the skin's text on the skin's face, nothing of the system's face left.
    EXPECT_GT(count_pixels(controls().标签1, expected(SkinColour::face)), 2000);
    EXPECT_GT(count_pixels(controls().标签1, expected(SkinColour::text)), 50);
    EXPECT_EQ(count_pixels(controls().标签1, GetSysColor(COLOR_BTNFACE)), 0);
}

class SkinnedWindow : public testing::Test {
   protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(prepare_for_main_window());
        library = LoadLibraryA(SKINLIB_PATH);
        ASSERT_TRUE(library);
        // Through void (*)(), the one function type that any other converts to without a warning.
        using AnyFn = void (*)();
        attach = reinterpret_cast<SkinAttachResFn>(
            reinterpret_cast<AnyFn>(GetProcAddress(library, "Skin_AttachRes")));
        detach =
            reinterpret_cast<SkinDetachFn>(reinterpret_cast<AnyFn>(GetProcAddress(library, "Skin_Detach")));
        ASSERT_TRUE(attach && detach);
        std::ifstream in(VORLUNE_SKIN_PATH, std::ios::binary);
        skin_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const SkinParse parsed = parse_skin_file(skin_bytes.data(), skin_bytes.size());
        ASSERT_EQ(parsed.error, SkinError::none);
        skin = parsed.skin;
    }
    static void TearDownTestSuite() { FreeLibrary(library); }

    void TearDown() override {
        detach();
        if (controls().main) DestroyWindow(controls().main);
        pump();
    }

    static void build() {
        ASSERT_EQ(create_main_window([](HWND) {}), BuildResult::shown);
        SetForegroundWindow(controls().main);
        settle();
    }
    static bool attach_shipped(int hue = 0) {
        return attach(skin_bytes.data(), static_cast<DWORD>(skin_bytes.size()), hue, 0, 0);
    }
};

TEST_F(SkinnedWindow, AttachedAfterTheWindowIsBuiltDrawsEveryPartInTheSkinsColours) {
    build();
    ASSERT_TRUE(attach_shipped());
    settle();
    expect_skinned();
}

// The program subclasses its label and group box after creating them; the skin must still win.
TEST_F(SkinnedWindow, AttachedBeforeTheWindowExistsSkinsItWhenItIsCreated) {
    ASSERT_TRUE(attach_shipped());
    build();
    expect_skinned();
}

TEST_F(SkinnedWindow, ListRowsAlternateAndTheSelectionShowsInTheSkin) {
    build();
    ASSERT_TRUE(attach_shipped());
    HWND list = controls().超级列表框1;
    for (int row = 0; row < 3; ++row) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<char*>("1");
        ASSERT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), row);
    }
    LVITEMA selected{};
    selected.stateMask = selected.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&selected));
    settle();
    const SkinColour rows[] = {SkinColour::list_background, SkinColour::list_row_alt, SkinColour::selection};
    for (int row = 0; row < 3; ++row) {
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)));
        EXPECT_EQ(pixel(list, r.right - 5, (r.top + r.bottom) / 2), expected(rows[row])) << row;
    }
}

void press(WORD key) {
    MSG message{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    dispatch_message(message);
    message.message = WM_KEYUP;
    dispatch_message(message);
    pump();
}

void click(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    for (int i = 0; i < 20; ++i) {
        pump();
        Sleep(5);
    }
}

bool any_pixel(HWND window, const RECT& area, COLORREF colour) {
    HDC dc = GetDC(window);
    bool found = false;
    for (int y = area.top; y < area.bottom && !found; ++y)
        for (int x = area.left; x < area.right && !found; ++x) found = GetPixel(dc, x, y) == colour;
    ReleaseDC(window, dc);
    return found;
}

TEST_F(SkinnedWindow, KeyboardKeepsTabOrderRadioArrowsAndShowsTheFocusCue) {
    build();
    ASSERT_TRUE(attach_shipped());
    const Controls& c = controls();
    SetFocus(c.超级列表框1);
    for (HWND next : {c.单选框1, c.单选框2, c.单选框3, c.选择框1, c.按钮1, c.超级列表框1}) {
        press(VK_TAB);
        EXPECT_EQ(GetFocus(), next);
        settle();
        if (next == c.超级列表框1) continue;
        RECT client;
        GetClientRect(next, &client);
        EXPECT_TRUE(any_pixel(next, client, expected(SkinColour::focus))) << "focus cue";
    }
    SetFocus(c.单选框1);
    press(VK_RIGHT);
    settle();
    EXPECT_EQ(GetFocus(), c.单选框2);
    EXPECT_TRUE(is_checked(c.单选框2));
    EXPECT_FALSE(is_checked(c.单选框1));
    EXPECT_EQ(pixel(c.单选框2, 7, 11), expected(SkinColour::accent));
    EXPECT_EQ(pixel(c.单选框1, 7, 11), expected(SkinColour::box));
    SetFocus(c.选择框1);
    press(VK_SPACE);
    settle();
    EXPECT_TRUE(is_checked(c.选择框1));
    EXPECT_TRUE(any_pixel(c.选择框1, RECT{1, 5, 14, 18}, expected(SkinColour::accent))) << "check mark";
}

int shell_calls;
HINSTANCE WINAPI count_shell(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    ++shell_calls;
    return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(SkinnedWindow, MouseClicksCheckRadioButtonsAndTheBoxAndPressTheButton) {
    build();
    ASSERT_TRUE(attach_shipped());
    const Controls& c = controls();
    click(c.单选框3, 30, 12);
    EXPECT_TRUE(is_checked(c.单选框3));
    EXPECT_FALSE(is_checked(c.单选框1));
    click(c.选择框1, 30, 12);
    EXPECT_TRUE(is_checked(c.选择框1));
    click(c.选择框1, 30, 12);
    EXPECT_FALSE(is_checked(c.选择框1));
    settle();
    EXPECT_EQ(pixel(c.单选框3, 7, 11), expected(SkinColour::accent));
    EXPECT_EQ(pixel(c.选择框1, 7, 11), expected(SkinColour::box));
    shell_calls = 0;
    ShellExecuteFn real = shell_execute;
    shell_execute = count_shell;
    click(c.按钮1, 76, 48);
    shell_execute = real;
    EXPECT_EQ(shell_calls, 1);
}

POINT close_button_centre() {
    RECT window;
    GetWindowRect(controls().main, &window);
    const int y = window.top + 10;
    int right = -1, left = -1;
    for (int x = window.right - 1; x > window.left; --x) {
        const bool on_close = SendMessageA(controls().main, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE;
        if (on_close && right < 0) right = x;
        if (!on_close && right >= 0) {
            left = x + 1;
            break;
        }
    }
    return {(left + right) / 2, y};
}

TEST_F(SkinnedWindow, CloseButtonAndAltF4StillCloseTheWindow) {
    for (bool by_mouse : {true, false}) {
        build();
        ASSERT_TRUE(attach_shipped());
        if (by_mouse) {
            const POINT at = close_button_centre();
            ASSERT_GT(at.x, 0);
            SetCursorPos(at.x, at.y);
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        } else {
            MSG message{controls().main, WM_SYSKEYDOWN, VK_F4, 1 << 29, 0, {}};
            dispatch_message(message);
        }
        for (int i = 0; i < 20 && controls().main; ++i) {
            pump();
            Sleep(5);
        }
        EXPECT_EQ(controls().main, nullptr) << (by_mouse ? "close button" : "Alt+F4");
        detach();
    }
}

TEST_F(SkinnedWindow, RejectedSkinsLeaveTheWindowAsItWasAndWorking) {
    build();
    const std::vector<COLORREF> before = snapshot();
    Bytes bad_magic = skin_bytes, bad_checksum = skin_bytes, truncated = skin_bytes;
    bad_magic[0] = 'X';
    bad_checksum.back() ^= 1;
    truncated.pop_back();
    for (const Bytes* bad : {&bad_magic, &bad_checksum, &truncated}) {
        EXPECT_FALSE(attach(bad->data(), static_cast<DWORD>(bad->size()), 0, 0, 0));
        settle();
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(SendMessageA(controls().超级列表框1, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
    }
    EXPECT_FALSE(attach(nullptr, 0, 0, 0, 0));
    SetFocus(controls().超级列表框1);
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), controls().单选框1);
}

TEST_F(SkinnedWindow, SecondAttachReplacesTheSkinAndDetachGivesTheWindowItsOwnLookBack) {
    build();
    const std::vector<COLORREF> before = snapshot();
    ASSERT_TRUE(attach_shipped());
    ASSERT_TRUE(attach_shipped(180));
    settle();
    const std::uint32_t shifted = shift_colour(skin.colour(SkinColour::face), {180, 0, 0});
    EXPECT_EQ(pixel(controls().main, 278, 160), ref(shifted));
    detach();
    settle();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(SendMessageA(controls().超级列表框1, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
}

}  // namespace
