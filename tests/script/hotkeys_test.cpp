// Key sequences to actions: first key-down only, the held key's repeats and its key-up ignored.
#include "script/hotkeys.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using A = HotkeyAction;

struct Key {
    std::uint32_t vk;
    bool down;
    bool recording;
    bool playing;
    A action;
};

constexpr std::uint32_t home = vk_home, insert = vk_insert;
constexpr bool down = true, up = false;

TEST(Hotkeys, SequencesGiveTheirActions) {
    const struct {
        const char* name;
        std::vector<Key> keys;
    } cases[] = {
        {"home toggles on its first down only",
         {{home, down, false, false, A::start_recording},
          {home, down, true, false, A::none},
          {home, down, true, false, A::none},
          {home, up, true, false, A::none},
          {home, down, true, false, A::stop_recording},
          {home, up, false, false, A::none}}},
        {"insert plays when idle, stops when playing",
         {{insert, down, false, false, A::play},
          {insert, down, false, true, A::none},
          {insert, up, false, true, A::none},
          {insert, down, false, true, A::stop_playback}}},
        {"insert while recording ends it and plays",
         {{insert, down, true, false, A::stop_recording_and_play}}},
        {"home while playing does nothing",
         {{home, down, false, true, A::none}, {home, up, false, true, A::none}}},
        {"other keys are ignored and leave the state alone",
         {{0x41, down, false, false, A::none},
          {home, down, false, false, A::start_recording},
          {0x41, up, true, false, A::none},
          {home, up, true, false, A::none}}},
        {"each key has its own down state",
         {{home, down, false, false, A::start_recording},
          {insert, down, true, false, A::stop_recording_and_play},
          {home, down, false, true, A::none},
          {insert, up, false, true, A::none},
          {insert, down, false, true, A::stop_playback}}},
        {"an up with no down before it arms the next down",
         {{insert, up, false, false, A::none}, {insert, down, false, false, A::play}}},
    };
    for (const auto& c : cases) {
        Hotkeys hotkeys;
        int step = 0;
        for (const Key& key : c.keys)
            EXPECT_EQ(hotkeys.on_key(key.vk, key.down, key.recording, key.playing), key.action)
                << c.name << ", step " << step++;
    }
}

}  // namespace
