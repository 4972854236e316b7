// The exports of skinlib.dll, the library that draws a thread's windows with a skin.
#pragma once

#include <windows.h>

extern "C" {

// Validates the skin file and, when it is sound, draws every window of the calling thread with
// it: those that exist now and those created later. Returns FALSE and changes nothing when the
// skin is not sound. The shifts adjust the skin's colours (0 keeps them as the skin says): hue
// -180..180 degrees, saturation and brightness -100..100 percent; values outside are clamped.
// A second call on the same thread with a sound skin replaces the first one's; a call from
// another thread while a skin is attached returns FALSE.
BOOL WINAPI Skin_AttachRes(const void* skin, DWORD size, int hue_shift, int saturation_shift,
                           int brightness_shift);

// Returns the thread's windows to their own look and stops watching for new ones.
void WINAPI Skin_Detach();
}

using SkinAttachResFn = decltype(&Skin_AttachRes);
using SkinDetachFn = decltype(&Skin_Detach);
