// The script's Win32 layer under Wine: precise_delay, the list table, the hook procedures and
// playback against a window of the test's own.
#include "script/script_win.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window_win.h"
#include "script/input_win.h"
#include "script/precise_delay_win.h"
#include "script/script_table_win.h"
#include "script/text_to_int.h"

// Failures show the text itself.
void PrintTo(const CellText& text, std::ostream* out) {
    *out << '"' << text.view() << '"';
}

namespace {

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) dispatch_message(message);
}

// A window that runs a callback for each posted test message, and logs the mouse messages it gets.
struct Received {
    UINT message;
    WPARAM flags;
    POINT client;
};
std::vector<Received> received;
void (*on_test_message)();
constexpr UINT test_message = WM_APP + 7;

LRESULT CALLBACK target_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case test_message:
            if (on_test_message) on_test_message();
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            received.push_back(
                {message, wParam, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}});
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND make_target(int x, int y) {
    static const bool registered = [] {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = target_proc;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "VorluneScriptTestTarget";
        return RegisterClassA(&window_class) != 0;
    }();
    EXPECT_TRUE(registered);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "VorluneScriptTestTarget", "target", WS_POPUP | WS_VISIBLE,
                                  x, y, 200, 150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_TRUE(window);
    pump();
    return window;
}

// ---- precise_delay ----

TEST(PreciseDelay, NeverReturnsEarlyWithoutAReason) {
    for (int milliseconds : {0, 1, 2, 5, 16, 30}) {
        for (int round = 0; round < 3; ++round) {
            const std::int64_t start = now_us();
            EXPECT_EQ(precise_delay(milliseconds), DelayResult::elapsed);
            EXPECT_GE(now_us() - start, std::int64_t{milliseconds} * 1000) << milliseconds;
        }
    }
    EXPECT_EQ(precise_delay(-5), DelayResult::elapsed);
}

TEST(PreciseDelay, QuitMessageStaysQueuedAndEndsTheWait) {
    pump();
    PostQuitMessage(7);
    const std::int64_t start = now_us();
    EXPECT_EQ(precise_delay(2000), DelayResult::quit);
    EXPECT_LT(now_us() - start, 1'000'000);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
}

// A message posted while waiting is handled during the wait; here its handler quits, so the wait
// ends early, with the quit message still queued behind it for the loop.
TEST(PreciseDelay, PostedMessagesAreHandledDuringTheWait) {
    HWND target = make_target(600, 10);
    static int handled;
    handled = 0;
    on_test_message = [] { ++handled; };
    PostMessageA(target, test_message, 0, 0);
    const std::int64_t start = now_us();
    EXPECT_EQ(precise_delay(50), DelayResult::elapsed);
    EXPECT_GE(now_us() - start, 50'000);
    EXPECT_EQ(handled, 1);

    on_test_message = [] { PostQuitMessage(3); };
    PostMessageA(target, test_message, 0, 0);
    EXPECT_EQ(precise_delay(3000), DelayResult::quit);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    on_test_message = nullptr;
    DestroyWindow(target);
}

TEST(PreciseDelay, StopSetDuringTheWaitEndsIt) {
    HWND target = make_target(600, 10);
    static bool stop;
    stop = false;
    on_test_message = [] { stop = true; };
    PostMessageA(target, test_message, 0, 0);
    const std::int64_t start = now_us();
    EXPECT_EQ(precise_delay(3000, &stop), DelayResult::stopped);
    EXPECT_LT(now_us() - start, 1'000'000);
    EXPECT_EQ(precise_delay(10, &stop), DelayResult::stopped);
    on_test_message = nullptr;
    DestroyWindow(target);
}

// ---- the table, the hooks and playback, on the real main window ----

class Script : public testing::Test {
   protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&classes));
        load_program_icons();
        ASSERT_TRUE(register_main_window_class());
    }
    void SetUp() override {
        ASSERT_EQ(create_main_window([](HWND) {}), BuildResult::shown);
        list = controls().超级列表框1;
        received.clear();
    }
    void TearDown() override {
        if (recording()) key(VK_HOME, true), key(VK_HOME, false);
        if (controls().main) DestroyWindow(controls().main);
        pump();
    }
    static void key(DWORD vk, bool down) {
        KBDLLHOOKSTRUCT data{vk, 0, down ? 0u : LLKHF_UP, 0, 0};
        keyboard_hook_proc(HC_ACTION, down ? WM_KEYDOWN : WM_KEYUP, reinterpret_cast<LPARAM>(&data));
    }
    static void tap(DWORD vk) { key(vk, true), key(vk, false); }
    static void mouse(WPARAM message, int x, int y, DWORD flags = 0) {
        MSLLHOOKSTRUCT data{{x, y}, 0, flags, 0, 0};
        mouse_hook_proc(HC_ACTION, message, reinterpret_cast<LPARAM>(&data));
    }
    std::vector<std::string> row_texts(int row) {
        std::vector<std::string> cells;
        for (int c = 0; c < column::count; ++c) cells.emplace_back(get_cell_text(list, row, c).view());
        return cells;
    }
    void add_rows(const std::vector<ScriptRow>& rows) {
        for (const ScriptRow& row : rows) ASSERT_TRUE(append_row(list, row));
    }
    HWND list = nullptr;
};

TEST_F(Script, TableOperations) {
    EXPECT_EQ(row_count(list), 0);
    EXPECT_EQ(insert_row(list), 0);
    EXPECT_EQ(insert_row(list, -1, "b"), 1);
    EXPECT_EQ(insert_row(list, 0, "a"), 0);
    EXPECT_EQ(row_count(list), 3);
    EXPECT_EQ(get_cell_text(list, 0), "a");
    EXPECT_EQ(get_cell_text(list, 1), "");
    EXPECT_EQ(get_cell_text(list, 2), "b");
    set_cell_text(list, 1, 3, "\xD7\xF3\xBC\xFC\xB0\xB4\xCF\xC2");
    set_cell_text(list, 2);
    EXPECT_EQ(get_cell_text(list, 1, 3), "左键按下");
    EXPECT_EQ(get_cell_text(list, 2), "");
    EXPECT_EQ(get_cell_text(list, 7, 1), "");
    delete_all_rows(list);
    EXPECT_EQ(row_count(list), 0);
    delete_all_rows(list);
    EXPECT_EQ(row_count(list), 0);
}

// The reader's buffer starts at 512 bytes and doubles: texts around each size come back whole.
TEST_F(Script, CellTextsOfAnyLengthComeBackWhole) {
    ASSERT_EQ(insert_row(list), 0);
    for (std::size_t length : {0u, 1u, 510u, 511u, 512u, 513u, 1023u, 1024u, 4097u, 20000u}) {
        std::string text(length, 'x');
        for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
        set_cell_text(list, 0, 2, text.c_str());
        EXPECT_EQ(get_cell_text(list, 0, 2), text) << length;
    }
}

TEST_F(Script, HookEventsBecomeRowsOnlyWhileRecording) {
    mouse(WM_LBUTTONDOWN, 1, 1);
    tap(VK_HOME);
    ASSERT_TRUE(recording());
    const struct {
        WPARAM message;
        DWORD flags;
    } events[] = {
        {WM_MOUSEMOVE, 0},
        {WM_LBUTTONDOWN, 0},
        {WM_MOUSEMOVE, 0},
        {WM_LBUTTONUP, 0},
        {WM_MBUTTONDOWN, 0},
        {WM_MBUTTONUP, 0},
        {WM_MOUSEWHEEL, 0},
        {WM_RBUTTONDOWN, 0},
        {WM_RBUTTONUP, 0},
        {WM_LBUTTONDOWN, LLMHF_INJECTED},
        {WM_LBUTTONUP, LLMHF_INJECTED | LLMHF_LOWER_IL_INJECTED},
    };
    int x = 100;
    for (const auto& event : events) mouse(event.message, x++, -5, event.flags);
    tap(VK_HOME);
    EXPECT_FALSE(recording());
    mouse(WM_LBUTTONDOWN, 1, 1);

    ASSERT_EQ(row_count(list), 4);
    const struct {
        const char* label;
        const char* x;
        const char* state;
    } rows[] = {{"1", "101", "左键按下"},
                {"2", "103", "左键弹起"},
                {"3", "107", "右键按下"},
                {"4", "108", "右键弹起"}};
    for (int i = 0; i < 4; ++i) {
        const std::vector<std::string> cells = row_texts(i);
        EXPECT_EQ(cells[0], rows[i].label);
        EXPECT_EQ(cells[1], rows[i].x);
        EXPECT_EQ(cells[2], "-5");
        EXPECT_EQ(cells[3], rows[i].state);
        EXPECT_GE(text_to_int(cells[4]), 0);
    }

    // A second recording appends, numbering on.
    tap(VK_HOME);
    mouse(WM_RBUTTONDOWN, 9, 9);
    tap(VK_HOME);
    ASSERT_EQ(row_count(list), 5);
    EXPECT_EQ(get_cell_text(list, 4, 0), "5");
}

// Playback in 后台模拟 against a window of the test's own: messages in order, client coordinates,
// button flags, the press's window keeping the release.
TEST_F(Script, BackgroundModePostsButtonMessagesToTheWindowUnderThePoint) {
    HWND target = make_target(600, 400);
    SendMessageA(controls().单选框1, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(controls().单选框2, BM_SETCHECK, BST_CHECKED, 0);
    POINT before;
    GetCursorPos(&before);
    add_rows({{610, 420, MouseState::left_down, 0},
              {650, 430, MouseState::left_up, 20},
              {700, 500, MouseState::right_down, 0},
              {700, 500, MouseState::right_up, 0}});
    tap(VK_INSERT);
    EXPECT_TRUE(playing());
    pump();
    EXPECT_FALSE(playing());
    pump();
    POINT after;
    GetCursorPos(&after);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);

    const struct {
        UINT message;
        WPARAM flags;
        POINT client;
    } expected[] = {
        {WM_MOUSEMOVE, 0, {10, 20}},
        {WM_LBUTTONDOWN, MK_LBUTTON, {10, 20}},
        {WM_MOUSEMOVE, MK_LBUTTON, {50, 30}},
        {WM_LBUTTONUP, 0, {50, 30}},
        {WM_MOUSEMOVE, 0, {100, 100}},
        {WM_RBUTTONDOWN, MK_RBUTTON, {100, 100}},
        {WM_MOUSEMOVE, MK_RBUTTON, {100, 100}},
        {WM_RBUTTONUP, 0, {100, 100}},
    };
    ASSERT_EQ(received.size(), std::size(expected));
    for (std::size_t i = 0; i < received.size(); ++i) {
        EXPECT_EQ(received[i].message, expected[i].message) << i;
        EXPECT_EQ(received[i].flags, expected[i].flags) << i;
        EXPECT_EQ(received[i].client.x, expected[i].client.x) << i;
        EXPECT_EQ(received[i].client.y, expected[i].client.y) << i;
    }
    DestroyWindow(target);
}

void (*timer_action)();
VOID CALLBACK run_timer_action(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    timer_action();
}

// Whatever ends a looping playback inside a long wait ends it at once and lets go of the button
// that the playback holds down.
TEST_F(Script, PlaybackEndsInsideAWaitAndReleasesTheHeldButton) {
    const struct {
        const char* name;
        void (*action)();
        int rows_after;
    } cases[] = {
        {"insert", [] { tap(VK_INSERT); }, 2},
        {"clear", [] { SendMessageA(controls().main, WM_COMMAND, control_id::清空脚本, 0); }, 0},
        {"close", [] { SendMessageA(controls().main, WM_CLOSE, 0, 0); }, -1},
    };
    for (const auto& c : cases) {
        if (!controls().main) SetUp();
        received.clear();
        HWND target = make_target(600, 400);
        SendMessageA(controls().单选框1, BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(controls().单选框2, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageA(controls().选择框1, BM_SETCHECK, BST_CHECKED, 0);
        add_rows({{610, 420, MouseState::left_down, 0}, {620, 420, MouseState::left_up, 3000}});
        timer_action = [] {
            // HOME while playing does nothing.
            tap(VK_HOME);
            EXPECT_FALSE(recording());
        };
        SetTimer(nullptr, 0, 50, run_timer_action);
        static void (*action)();
        action = c.action;
        struct Then {
            static VOID CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD) {
                KillTimer(nullptr, id);
                action();
            }
        };
        SetTimer(nullptr, 0, 150, Then::fire);
        const std::int64_t start = now_us();
        play_script();
        EXPECT_LT(now_us() - start, 2'000'000) << c.name;
        EXPECT_FALSE(playing()) << c.name;
        EXPECT_FALSE(recording()) << c.name;
        pump();
        const std::vector<UINT> expected = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP};
        std::vector<UINT> messages;
        for (const Received& r : received) messages.push_back(r.message);
        EXPECT_EQ(messages, expected) << c.name;
        if (c.rows_after >= 0) {
            EXPECT_EQ(row_count(list), c.rows_after) << c.name;
        } else {
            EXPECT_FALSE(controls().main) << c.name;
        }
        DestroyWindow(target);
    }
}

// A looping playback of an empty table ends at once.
TEST_F(Script, LoopingAnEmptyTableEndsAtOnce) {
    SendMessageA(controls().选择框1, BM_SETCHECK, BST_CHECKED, 0);
    play_script();
    EXPECT_FALSE(playing());
}

// Two quick Inserts before the play message is handled cancel each other: nothing plays.
TEST_F(Script, SecondInsertWithdrawsAPendingPlay) {
    HWND target = make_target(600, 400);
    SendMessageA(controls().单选框1, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(controls().单选框2, BM_SETCHECK, BST_CHECKED, 0);
    add_rows({{610, 420, MouseState::left_down, 0}, {610, 420, MouseState::left_up, 0}});
    tap(VK_INSERT);
    tap(VK_INSERT);
    EXPECT_FALSE(playing());
    pump();
    EXPECT_TRUE(received.empty());
    DestroyWindow(target);
}

}  // namespace
