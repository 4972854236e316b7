// The test DLLs built from tests/skin/fixtures, embedded in the test programs.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

struct FixtureFile {
    const char* name;
    const unsigned char* bytes;
    unsigned size;
};

extern const FixtureFile fixture_files[];
extern const unsigned fixture_file_count;

// The named fixture's bytes; empty when there is none.
inline std::vector<std::uint8_t> fixture_bytes(const char* name) {
    for (unsigned i = 0; i < fixture_file_count; ++i)
        if (std::strcmp(fixture_files[i].name, name) == 0)
            return {fixture_files[i].bytes, fixture_files[i].bytes + fixture_files[i].size};
    return {};
}
