// Names of the resources embedded in vorlune.exe, shared by the resource script and the code.
#pragma once

#define VORLUNE_VERSION_TEXT "0.1.0"
#define VORLUNE_VERSION_NUMBERS 0, 1, 0, 0

#ifndef RC_INVOKED
constexpr char default_icon[] = "DEFAULT_ICON";
constexpr char skin_library_resource[] = "SKIN_LIBRARY";
constexpr char skin_file_resource[] = "SKIN_FILE";
#endif
