// The process: start-up, the message loop and shutdown, and the process-wide state.
#pragma once

#include <windows.h>

struct ModuleLoader;

extern ModuleLoader* loader_pointer;

// One heap block for the tool's own routines, null until one of them fills it; freed at exit.
extern void* global_buffer;

// The failure box, replaceable so that tests can see it without a user to close it.
using MessageBoxFn = decltype(&MessageBoxA);
extern MessageBoxFn message_box;

// Runs the tool from start to end and returns the process exit code.
int run_app();
