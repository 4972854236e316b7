// How long mapping the skinning library takes. Until the library exists this maps the largest
// fixture DLL and names it in the figure. Where the process is 64-bit a PE32 image cannot run,
// so only the pure preparation (parse, layout, relocation, binding) is timed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "skin/memory_module_win.h"
#include "skin/pe_image.h"
#include "tests/skin/fixtures.h"

namespace {

double now_ms() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Step>
double median_ms(int runs, Step step) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double start = now_ms();
        step();
        times.push_back(now_ms() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void* open_module(void*, const char* name) {
    return LoadLibraryA(name);
}

std::uint32_t find_function(void*, void*, const char*, std::uint16_t) {
    return 0x1000;
}

// The system loader on the same bytes written to a file, as the comparison.
double system_load_ms(const FixtureFile& fixture) {
    char directory[MAX_PATH], path[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    GetTempFileNameA(directory, "vlb", 0, path);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, fixture.bytes, fixture.size, &written, nullptr);
    CloseHandle(file);
    double ms = median_ms(200, [&] { FreeLibrary(LoadLibraryA(path)); });
    DeleteFileA(path);
    return ms;
}

}  // namespace

int main() {
    const FixtureFile* largest = &fixture_files[0];
    for (unsigned i = 0; i < fixture_file_count; ++i)
        if (fixture_files[i].size > largest->size) largest = &fixture_files[i];
    std::string what =
        std::string(largest->name) + ".dll fixture, " + std::to_string(largest->size / 1024) + " KiB";

    if (sizeof(void*) == 4) {
        double ms = median_ms(200, [&] {
            const char* reason = "";
            unmap_image(map_image(largest->bytes, largest->size, &reason));
        });
        double system = system_load_ms(*largest);
        std::printf(
            "map and release from memory (%s)\t<= 2 ms\t%.3f ms\tLoadLibraryA from a file: %.3f ms (x%.1f)\n",
            what.c_str(), ms, system, system / ms);
        return 0;
    }
    PeImage image;
    if (!parse_pe_image(largest->bytes, largest->size, &image).ok()) return 1;
    double ms = median_ms(200, [&] {
        PeImage parsed;
        parse_pe_image(largest->bytes, largest->size, &parsed);
        auto* memory = static_cast<std::uint8_t*>(
            VirtualAlloc(nullptr, parsed.image_size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        ImportBinder binder{nullptr, open_module, find_function};
        TlsCallbacks callbacks;
        prepare_pe_image(parsed, largest->bytes, memory, 0x10000000, binder, &callbacks);
        VirtualFree(memory, 0, MEM_RELEASE);
    });
    std::printf("prepare without running, 64-bit test build (%s)\t<= 2 ms\t%.3f ms\t-\n", what.c_str(), ms);
    return 0;
}
