// The hook procedures, the hotkeys' effects, and playback over the list and the chosen input mode.
#include "script/script_win.h"

#include "app/main_window_win.h"
#include "app/unique.h"
#include "script/hotkeys.h"
#include "script/input_win.h"
#include "script/player.h"
#include "script/precise_delay_win.h"
#include "script/recorder.h"
#include "script/script_table_win.h"

namespace {

struct HookTraits {
    using Handle = HHOOK;
    static Handle none() { return nullptr; }
    static void close(Handle hook) { UnhookWindowsHookEx(hook); }
};

Unique<HookTraits> keyboard_hook;
Unique<HookTraits> mouse_hook;
Recorder recorder;
Hotkeys hotkeys;
Player player;
// An Insert whose play message has been posted but not yet handled; a second Insert withdraws it.
bool play_requested;

class WindowPlaybackPort final : public PlaybackPort {
   public:
    bool begin_pass() override {
        const Controls& c = controls();
        input_ = is_checked(c.单选框2)   ? static_cast<InputPort*>(&posted_)
                 : is_checked(c.单选框3) ? static_cast<InputPort*>(&sent_)
                                         : static_cast<InputPort*>(&cursor_);
        return is_checked(c.选择框1);
    }
    void move(std::int32_t x, std::int32_t y) override { input_->move(x, y); }
    void button(MouseState state) override { input_->button(state); }
    std::int64_t now_us() override { return ::now_us(); }
    DelayResult wait_until(std::int64_t due_us, const bool& stop) override {
        return timer_.wait_until(due_us, &stop);
    }

   private:
    CursorInput cursor_;
    PostedInput posted_;
    SentInput sent_;
    InputPort* input_ = &cursor_;
    DelayTimer timer_;
};

void request_play() {
    play_requested = PostMessageA(controls().main, play_script_message, 0, 0);
}

void on_hotkey(HotkeyAction action) {
    switch (action) {
        case HotkeyAction::none:
            return;
        case HotkeyAction::start_recording:
            recorder.start(GetTickCount());
            return;
        case HotkeyAction::stop_recording:
            recorder.stop();
            return;
        case HotkeyAction::stop_recording_and_play:
            recorder.stop();
            request_play();
            return;
        case HotkeyAction::play:
            request_play();
            return;
        case HotkeyAction::stop_playback:
            end_playback();
            return;
    }
}

MouseEventKind kind_of(WPARAM message) {
    switch (message) {
        case WM_MOUSEMOVE:
            return MouseEventKind::move;
        case WM_LBUTTONDOWN:
            return MouseEventKind::left_down;
        case WM_LBUTTONUP:
            return MouseEventKind::left_up;
        case WM_RBUTTONDOWN:
            return MouseEventKind::right_down;
        case WM_RBUTTONUP:
            return MouseEventKind::right_up;
        case WM_MBUTTONDOWN:
            return MouseEventKind::middle_down;
        case WM_MBUTTONUP:
            return MouseEventKind::middle_up;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            return MouseEventKind::wheel;
        default:
            return MouseEventKind::other;
    }
}

}  // namespace

bool install_hooks() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    keyboard_hook.reset(SetWindowsHookExA(WH_KEYBOARD_LL, keyboard_hook_proc, module, 0));
    mouse_hook.reset(SetWindowsHookExA(WH_MOUSE_LL, mouse_hook_proc, module, 0));
    return keyboard_hook && mouse_hook;
}

void unhook() {
    keyboard_hook.reset();
    mouse_hook.reset();
    recorder.stop();
}

// Both hook procedures only turn the system's structure into an event and act on it in memory: a
// slow low-level hook is removed by Windows without notice.
LRESULT CALLBACK keyboard_hook_proc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        on_hotkey(hotkeys.on_key(key.vkCode, down, recorder.recording(), playing()));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK mouse_hook_proc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && recorder.recording()) {
        const auto& mouse = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        // The event's own point: the cursor position may not yet have caught up with queued moves.
        const MouseEvent event{kind_of(wParam), mouse.pt.x, mouse.pt.y, GetTickCount(),
                               (mouse.flags & LLMHF_INJECTED) != 0};
        if (const std::optional<ScriptRow> row = recorder.on_mouse(event))
            append_row(controls().超级列表框1, *row);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void on_play_message() {
    if (!play_requested) return;
    play_script();
}

void play_script() {
    play_requested = false;
    if (player.playing()) return;
    ListTable table(controls().超级列表框1);
    WindowPlaybackPort port;
    player.play(table, port);
}

void end_playback() {
    play_requested = false;
    player.request_stop();
}

void clear_script() {
    end_playback();
    delete_all_rows(controls().超级列表框1);
}

bool recording() {
    return recorder.recording();
}

bool playing() {
    return player.playing() || play_requested;
}
