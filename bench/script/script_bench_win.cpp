// Figures for the script: precise_delay's overshoot, playback drift and overhead, the hook's cost
// per recorded row as the list grows, and clearing a long list.
// commctrl.h needs what windows.h declares.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window_win.h"
#include "script/player.h"
#include "script/precise_delay_win.h"
#include "script/script_table_win.h"
#include "script/script_win.h"

namespace {

struct Spread {
    double median, p99;
};

Spread spread(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[std::min(values.size() - 1, values.size() * 99 / 100)]};
}

template <class Wait>
Spread overshoot_ms(int milliseconds, int samples, Wait wait) {
    std::vector<double> late;
    for (int i = 0; i < samples; ++i) {
        const std::int64_t start = now_us();
        wait(milliseconds);
        late.push_back(static_cast<double>(now_us() - start - std::int64_t{milliseconds} * 1000) / 1000.0);
    }
    return spread(late);
}

void plain_timer_wait(int milliseconds) {
    HANDLE timer = CreateWaitableTimerA(nullptr, FALSE, nullptr);
    LARGE_INTEGER due;
    due.QuadPart = -10000LL * milliseconds;
    SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
    WaitForSingleObject(timer, INFINITE);
    CloseHandle(timer);
}

void delay_figures() {
    const struct { int milliseconds, samples; } cases[] = {{1, 200}, {5, 100}, {16, 50}, {100, 15}};
    for (const auto& c : cases) {
        const Spread precise = overshoot_ms(c.milliseconds, c.samples, [](int ms) { precise_delay(ms); });
        const Spread sleep = overshoot_ms(c.milliseconds, c.samples, [](int ms) { Sleep(ms); });
        const Spread timer = overshoot_ms(c.milliseconds, c.samples, plain_timer_wait);
        std::printf(
            "precise_delay overshoot at %d ms (median / p99)\t<= 0.1 ms / <= 1 ms\t%.3f / %.3f ms\t"
            "Sleep %.3f / %.3f ms, waitable timer %.3f / %.3f ms\n",
            c.milliseconds, precise.median, precise.p99, sleep.median, sleep.p99, timer.median, timer.p99);
    }
}

class MemoryTable final : public ScriptSource {
   public:
    MemoryTable(int rows, const char* delay) : rows_(rows), delay_(delay) {}
    int row_count() override { return rows_; }
    CellText cell(int, int column) override {
        if (column == column::state) return CellText("\xD7\xF3\xBC\xFC\xB0\xB4\xCF\xC2");
        return CellText(column == column::delay ? delay_ : "1");
    }

   private:
    int rows_;
    std::string delay_;
};

// Real waits and message dispatching; the input goes nowhere.
class TimedPort final : public PlaybackPort {
   public:
    bool begin_pass() override { return false; }
    void move(std::int32_t, std::int32_t) override {}
    void button(MouseState) override {}
    std::int64_t now_us() override { return ::now_us(); }
    DelayResult wait_until(std::int64_t due_us, const bool& stop) override {
        return timer_.wait_until(due_us, &stop);
    }

   private:
    DelayTimer timer_;
};

void drift_figure() {
    MemoryTable table(1000, "5");
    TimedPort port;
    Player player;
    std::int64_t start = now_us();
    player.play(table, port);
    const double drift = static_cast<double>(now_us() - start - 5'000'000) / 1000.0;
    start = now_us();
    for (int i = 0; i < 1000; ++i) precise_delay(5);
    const double chained = static_cast<double>(now_us() - start - 5'000'000) / 1000.0;
    std::printf(
        "drift of a 1000-row script of 5 ms delays\t<= 2 ms over the 5 s\t%.2f ms\t"
        "1000 precise_delay(5) one after another: %.2f ms\n",
        drift, chained);
}

void fill(HWND list, int rows) {
    for (int i = row_count(list); i < rows; ++i) append_row(list, {100, 200, MouseState::left_up, 16});
}

void key(DWORD vk, bool down) {
    KBDLLHOOKSTRUCT data{vk, 0, down ? 0u : LLKHF_UP, 0, 0};
    keyboard_hook_proc(HC_ACTION, down ? WM_KEYDOWN : WM_KEYUP, reinterpret_cast<LPARAM>(&data));
}

void list_figures() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    load_program_icons();
    register_main_window_class();
    if (create_main_window([](HWND) {}) != BuildResult::shown) {
        std::printf("hook cost per recorded row\t<= 20 us, flat\tFAILED: no window\t-\n");
        return;
    }
    HWND list = controls().超级列表框1;
    constexpr int calls = 500;
    for (int rows : {0, 10'000, 100'000}) {
        delete_all_rows(list);
        fill(list, rows);
        key(VK_HOME, true), key(VK_HOME, false);
        MSLLHOOKSTRUCT event{{123, 456}, 0, 0, 0, 0};
        const std::int64_t start = now_us();
        for (int i = 0; i < calls; ++i)
            mouse_hook_proc(HC_ACTION, i % 2 ? WM_LBUTTONUP : WM_LBUTTONDOWN,
                            reinterpret_cast<LPARAM>(&event));
        const double per_row = static_cast<double>(now_us() - start) / calls;
        key(VK_HOME, true), key(VK_HOME, false);
        std::printf("hook cost per recorded row, %d rows in the list\t<= 20 us, flat\t%.1f us\t-\n", rows,
                    per_row);
    }

    ListTable table(list);
    TimedPort port;
    Player player;
    const int rows = row_count(list);
    std::int64_t start = now_us();
    player.play(table, port);
    const double per_row = static_cast<double>(now_us() - start) / rows;
    std::printf("playback overhead per row at %d rows\t<= 50 us\t%.1f us\t-\n", rows, per_row);

    start = now_us();
    clear_script();
    std::printf("clearing %d rows\t<= 100 ms\t%.1f ms\t-\n", rows,
                static_cast<double>(now_us() - start) / 1000.0);
    DestroyWindow(controls().main);
}

}  // namespace

int main() {
    delay_figures();
    drift_figure();
    list_figures();
    return 0;
}
