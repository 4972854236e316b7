// The fixture DLLs mapped from memory into this 32-bit process under Wine and called.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "skin/memory_module_win.h"
#include "skin/module_loader.h"
#include "skin/pe_image.h"
#include "tests/skin/fixtures.h"

namespace {

struct Mapping {
    std::vector<std::uint8_t> file;
    const char* reason = "";
    MappedImage* image;

    explicit Mapping(const char* fixture)
        : file(fixture_bytes(fixture)),
          image(map_image(file.data(), static_cast<std::uint32_t>(file.size()), &reason)) {}
    ~Mapping() { unmap_image(image); }

    template <class Function>
    Function find(const char* name) {
        const char* why = "";
        void* address = image_export(image, name, &why);
        EXPECT_NE(nullptr, address) << name << ": " << why;
        return reinterpret_cast<Function>(address);
    }
};

std::uint32_t preferred_base(const std::vector<std::uint8_t>& file) {
    PeImage image;
    EXPECT_TRUE(parse_pe_image(file.data(), static_cast<std::uint32_t>(file.size()), &image).ok());
    return image.image_base;
}

std::string environment(const char* name) {
    char value[512];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length && length < sizeof value ? std::string(value, length) : std::string();
}

DWORD region_state(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(address, &info, sizeof info) ? info.State : 0;
}

DWORD region_protection(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(address, &info, sizeof info) ? info.Protect : 0;
}

// Bytes of private memory reserved or committed in the process.
std::uint64_t private_bytes() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.Type == MEM_PRIVATE && info.State != MEM_FREE) total += info.RegionSize;
        if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < at) break;
    }
    return total;
}

TEST(MemoryModule, PlainImageMapsAtItsFreePreferredBaseAndRuns) {
    Mapping plain("plain");
    ASSERT_NE(nullptr, plain.image) << plain.reason;
    EXPECT_EQ(preferred_base(plain.file), reinterpret_cast<std::uintptr_t>(image_base(plain.image)));
    EXPECT_EQ(5, plain.find<int (*)(int, int)>("plain_add")(2, 3));
    EXPECT_STREQ("plain", plain.find<const char* (*)()>("plain_name")());
    DWORD before = GetTickCount();
    DWORD ticks = plain.find<DWORD (*)()>("plain_tick_count")();
    EXPECT_LE(before, ticks);
    EXPECT_LE(ticks - before, 10000u);
}

TEST(MemoryModule, ExportLookupGivesItsReason) {
    Mapping plain("plain");
    ASSERT_NE(nullptr, plain.image) << plain.reason;
    struct Case {
        const char* name;
        const char* reason;
    };
    const Case cases[] = {
        {"Plain_add", "the image has no export of that name"},
        {"plain_forwarded", "the export is forwarded to another module"},
        {nullptr, "no export name was given"},
    };
    for (const Case& c : cases) {
        const char* reason = "";
        EXPECT_EQ(nullptr, image_export(plain.image, c.name, &reason));
        EXPECT_STREQ(c.reason, reason);
    }
}

TEST(MemoryModule, ImageLinkedAtTheExecutablesBaseIsRelocated) {
    Mapping rebase("rebase");
    ASSERT_NE(nullptr, rebase.image) << rebase.reason;
    EXPECT_EQ(0x400000u, preferred_base(rebase.file));
    EXPECT_NE(0x400000u, reinterpret_cast<std::uintptr_t>(image_base(rebase.image)));
    int* value = rebase.find<int*>("rebase_value");
    int** pointer = rebase.find<int**>("rebase_pointer");
    EXPECT_EQ(value, *pointer);
    EXPECT_EQ(42, rebase.find<int (*)()>("rebase_read")());
}

TEST(MemoryModule, ImportsByOrdinalReachTheRightFunctions) {
    Mapping ordinal("ordinal");
    ASSERT_NE(nullptr, ordinal.image) << ordinal.reason;
    EXPECT_EQ(0x3412, ordinal.find<unsigned short (*)(unsigned short)>("ordinal_swap16")(0x1234));
    EXPECT_EQ(0x78563412ul, ordinal.find<unsigned long (*)(unsigned long)>("ordinal_swap32")(0x12345678));
}

TEST(MemoryModule, TlsCallbacksRunBeforeTheEntryPointAndDetachMirrorsAttach) {
    SetEnvironmentVariableA("VORLUNE_TLS_EVENTS", nullptr);
    {
        Mapping tls("tls");
        ASSERT_NE(nullptr, tls.image) << tls.reason;
        EXPECT_EQ("tls1 attach;tls2 attach;main attach;", environment("VORLUNE_TLS_EVENTS"));
        EXPECT_EQ(1, tls.find<int (*)()>("tls_ready")());
    }
    EXPECT_EQ("tls1 attach;tls2 attach;main attach;tls1 detach;tls2 detach;main detach;",
              environment("VORLUNE_TLS_EVENTS"));
}

TEST(MemoryModule, PackedImitationRunsOnlyOnceItsEntryPointHasWrittenTheCode) {
    std::vector<std::uint8_t> file = fixture_bytes("packed");
    PeImage image;
    ASSERT_TRUE(parse_pe_image(file.data(), static_cast<std::uint32_t>(file.size()), &image).ok());

    // Prepared but not attached, as a loader that called exports early would leave it: the
    // export's bytes are zero, so a call would run garbage.
    auto* memory = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, image.image_size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(nullptr, memory);
    ImportBinder no_imports{nullptr, [](void*, const char*) -> void* { return nullptr; },
                            [](void*, void*, const char*, std::uint16_t) -> std::uint32_t { return 0; }};
    TlsCallbacks callbacks;
    ASSERT_TRUE(prepare_pe_image(image, file.data(), memory, reinterpret_cast<std::uintptr_t>(memory),
                                 no_imports, &callbacks)
                    .ok());
    std::uint32_t add_rva;
    ASSERT_TRUE(find_pe_export(image, memory, "packed_add", &add_rva).ok());
    EXPECT_EQ(0, memory[add_rva]);
    VirtualFree(memory, 0, MEM_RELEASE);

    Mapping packed("packed");
    ASSERT_NE(nullptr, packed.image) << packed.reason;
    auto add = packed.find<int (*)(int, int)>("packed_add");
    EXPECT_EQ(PAGE_EXECUTE_READWRITE, region_protection(reinterpret_cast<const void*>(add)));
    EXPECT_EQ(5, add(2, 3));
    EXPECT_EQ(42, packed.find<int (*)()>("packed_answer")());
}

TEST(MemoryModule, RefusedAttachUndoesTheMappingWithoutADetach) {
    SetEnvironmentVariableA("VORLUNE_REFUSE_ATTACH", nullptr);
    SetEnvironmentVariableA("VORLUNE_REFUSE_DETACH", nullptr);
    std::vector<std::uint8_t> file = fixture_bytes("refuse");
    const char* reason = "";
    EXPECT_EQ(nullptr, map_image(file.data(), static_cast<std::uint32_t>(file.size()), &reason));
    EXPECT_STREQ("the image's entry point refused to attach", reason);
    EXPECT_EQ("1", environment("VORLUNE_REFUSE_ATTACH"));
    EXPECT_EQ("", environment("VORLUNE_REFUSE_DETACH"));
    EXPECT_EQ(static_cast<DWORD>(MEM_FREE), region_state(reinterpret_cast<void*>(preferred_base(file))));
}

// ws2_32.dll is loaded by nothing else in this test program, so its presence shows whether the
// mapper's own references to it are balanced.
TEST(MemoryModule, AMissingImportFreesTheModulesAlreadyLoaded) {
    ASSERT_EQ(nullptr, GetModuleHandleA("ws2_32.dll"));
    std::vector<std::uint8_t> file = fixture_bytes("ordinal");
    // Ordinal 9 (htons) becomes 9999, which ws2_32.dll does not export.
    const std::uint8_t from[4] = {0x09, 0x00, 0x00, 0x80}, to[4] = {0x0F, 0x27, 0x00, 0x80};
    int replaced = 0;
    for (std::size_t i = 0; i + 4 <= file.size(); ++i)
        if (std::memcmp(&file[i], from, 4) == 0) std::memcpy(&file[i], to, 4), ++replaced;
    ASSERT_GE(replaced, 1);
    const char* reason = "";
    EXPECT_EQ(nullptr, map_image(file.data(), static_cast<std::uint32_t>(file.size()), &reason));
    EXPECT_STREQ("an imported function cannot be found", reason);
    EXPECT_EQ(nullptr, GetModuleHandleA("ws2_32.dll"));
}

TEST(MemoryModule, ThousandMapAndReleaseCyclesLeaveNothingBehind) {
    ASSERT_EQ(nullptr, GetModuleHandleA("ws2_32.dll"));
    std::vector<std::uint8_t> file = fixture_bytes("ordinal");
    ModuleLoader* loader = create_module_loader();
    ASSERT_NE(nullptr, loader);
    // One cycle first, so that the heap blocks the loader keeps for its state already exist.
    ASSERT_TRUE(loader->ops->map(loader, file.data(), static_cast<std::uint32_t>(file.size())));
    loader->ops->release(loader);
    std::uint64_t before = private_bytes();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        ASSERT_TRUE(loader->ops->map(loader, file.data(), static_cast<std::uint32_t>(file.size())))
            << cycle << ": " << loader->ops->last_error(loader);
        void* base = loader->ops->base(loader);
        ASSERT_NE(nullptr, GetModuleHandleA("ws2_32.dll"));
        loader->ops->release(loader);
        ASSERT_EQ(static_cast<DWORD>(MEM_FREE), region_state(base)) << cycle;
        ASSERT_EQ(nullptr, GetModuleHandleA("ws2_32.dll")) << cycle;
    }
    // Heap growth is allowed for, but not a single image's worth of memory.
    EXPECT_LT(private_bytes(), before + 0x10000);
    loader->ops->destroy(loader);
    free_module_loader(loader);
}

TEST(MemoryModule, LoaderCopiesShareTheMappingAndTheLastOwnerReleasesIt) {
    std::vector<std::uint8_t> file = fixture_bytes("plain");
    ModuleLoader* loader = create_module_loader();
    ASSERT_TRUE(loader->ops->map(loader, file.data(), static_cast<std::uint32_t>(file.size())));
    EXPECT_FALSE(loader->ops->map(loader, file.data(), static_cast<std::uint32_t>(file.size())));
    EXPECT_STREQ("an image is already mapped", loader->ops->last_error(loader));
    ModuleLoader* twin = loader->ops->copy(loader);
    void* base = loader->ops->base(loader);
    EXPECT_EQ(base, twin->ops->base(twin));
    loader->ops->destroy(loader);
    free_module_loader(loader);
    auto add = reinterpret_cast<int (*)(int, int)>(twin->ops->export_address(twin, "plain_add"));
    ASSERT_NE(nullptr, add);
    EXPECT_EQ(9, add(4, 5));
    twin->ops->destroy(twin);
    free_module_loader(twin);
    EXPECT_EQ(static_cast<DWORD>(MEM_FREE), region_state(base));
}

}  // namespace
