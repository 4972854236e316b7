// The hotkeys: HOME records, Insert plays, each acting on a key's first key-down only.
#pragma once

#include <cstdint>

enum class HotkeyAction {
    none,
    start_recording,
    stop_recording,
    play,
    stop_playback,
    stop_recording_and_play
};

constexpr std::uint32_t vk_home = 0x24;
constexpr std::uint32_t vk_insert = 0x2D;

class Hotkeys {
   public:
    // The low-level hook has no repeat bit, so a held key's repeated key-downs are told apart by
    // remembering which keys are down.
    HotkeyAction on_key(std::uint32_t virtual_key, bool down, bool recording, bool playing);

   private:
    bool home_down_ = false;
    bool insert_down_ = false;
};
