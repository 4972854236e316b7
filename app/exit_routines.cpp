// The shutdown list: a fixed array, so registering never allocates.
#include "app/exit_routines.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace {

std::array<ExitRoutine, 8> routines{};
std::size_t count = 0;

}  // namespace

bool register_exit_routine(ExitRoutine routine) {
    if (!routine) return false;
    if (std::find(routines.begin(), routines.begin() + count, routine) != routines.begin() + count)
        return true;
    if (count == routines.size()) return false;
    routines[count++] = routine;
    return true;
}

void run_exit_routines() {
    // Empty the list first: a routine that registers another during shutdown is not run twice.
    std::array<ExitRoutine, 8> due = routines;
    std::size_t due_count = std::exchange(count, 0);
    for (std::size_t i = 0; i < due_count; ++i) due[i]();
}
