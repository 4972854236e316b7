// What HOME and Insert do, given whether the tool records or plays.
#include "script/hotkeys.h"

HotkeyAction Hotkeys::on_key(std::uint32_t virtual_key, bool down, bool recording, bool playing) {
    bool* held = virtual_key == vk_home ? &home_down_ : virtual_key == vk_insert ? &insert_down_ : nullptr;
    if (!held) return HotkeyAction::none;
    const bool first_down = down && !*held;
    *held = down;
    if (!first_down) return HotkeyAction::none;
    if (virtual_key == vk_home) {
        if (playing) return HotkeyAction::none;
        return recording ? HotkeyAction::stop_recording : HotkeyAction::start_recording;
    }
    if (playing) return HotkeyAction::stop_playback;
    return recording ? HotkeyAction::stop_recording_and_play : HotkeyAction::play;
}
