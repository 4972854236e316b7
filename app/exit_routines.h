// The routines that run once at shutdown, in the order they were registered.
#pragma once

using ExitRoutine = void (*)();

// Appends the routine unless it is already listed; false when the list is full.
bool register_exit_routine(ExitRoutine routine);

// Runs every listed routine once, first registered first, then empties the list.
void run_exit_routines();
