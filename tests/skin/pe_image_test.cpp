// The pure PE steps on the real fixture DLLs: layout, relocation, import binding, TLS callbacks,
// export lookup and the protection plan.
#include "skin/pe_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/skin/fake_binder.h"
#include "tests/skin/fixtures.h"

namespace {

std::uint32_t read32(const std::vector<std::uint8_t>& memory, std::uint32_t rva) {
    std::uint32_t value;
    std::memcpy(&value, memory.data() + rva, sizeof value);
    return value;
}

std::uint32_t export_rva(const PreparedImage& prepared, const char* name) {
    std::uint32_t rva = 0;
    PeCheck check = find_pe_export(prepared.image, prepared.memory.data(), name, &rva);
    EXPECT_TRUE(check.ok()) << name << ": " << check.reason;
    return rva;
}

const char* fixture_names[] = {"plain", "rebase", "ordinal", "tls", "packed", "refuse"};

TEST(PeImage, EveryFixturePreparesAtItsOwnBaseAndMoved) {
    for (const char* name : fixture_names) {
        for (bool moved : {false, true}) {
            FakeBinder binder;
            PreparedImage prepared(fixture_bytes(name), binder, moved);
            EXPECT_TRUE(prepared.check.ok()) << name << (moved ? " moved: " : ": ") << prepared.check.reason;
        }
    }
}

TEST(PeImage, HeadersAndStoredBytesLandWhereTheSectionTableSays) {
    std::vector<std::uint8_t> file = fixture_bytes("plain");
    FakeBinder binder;
    PreparedImage prepared(file, binder);
    ASSERT_TRUE(prepared.check.ok()) << prepared.check.reason;
    EXPECT_EQ(0, std::memcmp(prepared.memory.data(), file.data(), prepared.image.headers_size));
    // At its own base nothing is relocated, and .text holds no address table: its bytes are the
    // file's. Beyond the stored bytes every section is zero.
    const PeSection& text = prepared.image.sections[0];
    EXPECT_EQ(0,
              std::memcmp(prepared.memory.data() + text.rva, file.data() + text.raw_offset, text.copy_size));
    for (std::uint32_t i = 0; i < prepared.image.section_count; ++i) {
        const PeSection& section = prepared.image.sections[i];
        EXPECT_TRUE(std::all_of(prepared.memory.begin() + section.rva + section.copy_size,
                                prepared.memory.begin() + section.rva + section.mapped_size,
                                [](auto b) { return b == 0; }))
            << "section " << i;
    }
}

TEST(PeImage, RelocationsMoveAbsoluteAddressesByExactlyTheDelta) {
    std::vector<std::uint8_t> file = fixture_bytes("rebase");
    PeImage image;
    ASSERT_TRUE(parse_pe_image(file.data(), static_cast<std::uint32_t>(file.size()), &image).ok());
    ASSERT_EQ(0x400000u, image.image_base);
    for (std::uint32_t base : {0x400000u, 0x10000000u, 0x10000u, 0x7FFE0000u, 0xFF000000u}) {
        std::vector<std::uint8_t> memory(image.image_size);
        FakeBinder binder;
        TlsCallbacks callbacks;
        ImportBinder import_binder = binder.binder();
        ASSERT_TRUE(
            prepare_pe_image(image, file.data(), memory.data(), base, import_binder, &callbacks).ok());
        std::uint32_t value = 0, pointer = 0;
        ASSERT_TRUE(find_pe_export(image, memory.data(), "rebase_value", &value).ok());
        ASSERT_TRUE(find_pe_export(image, memory.data(), "rebase_pointer", &pointer).ok());
        EXPECT_EQ(base + value, read32(memory, pointer)) << std::hex << base;
    }
}

TEST(PeImage, ImportsAreBoundByOrdinalAndByName) {
    FakeBinder ordinal_binder;
    PreparedImage ordinal(fixture_bytes("ordinal"), ordinal_binder);
    ASSERT_TRUE(ordinal.check.ok()) << ordinal.check.reason;
    for (const char* request : {"ws2_32.dll#8", "ws2_32.dll#9"})
        EXPECT_EQ(1, std::count(ordinal_binder.requests.begin(), ordinal_binder.requests.end(), request))
            << request;

    FakeBinder name_binder;
    PreparedImage plain(fixture_bytes("plain"), name_binder);
    ASSERT_TRUE(plain.check.ok()) << plain.check.reason;
    EXPECT_NE(name_binder.requests.end(), std::find(name_binder.requests.begin(), name_binder.requests.end(),
                                                    "KERNEL32.dll!GetTickCount"));

    // Every address handed out was written into the image, once: the address tables are filled.
    for (auto* prepared : {&ordinal, &plain}) {
        FakeBinder& binder = prepared == &ordinal ? ordinal_binder : name_binder;
        for (std::uint32_t address : binder.addresses) {
            int found = 0;
            for (std::uint32_t rva = 0; rva + 4 <= prepared->memory.size(); rva += 4)
                found += read32(prepared->memory, rva) == address;
            EXPECT_EQ(1, found) << std::hex << address;
        }
    }
}

TEST(PeImage, AnImportThatCannotBeHadFailsWithItsReason) {
    struct Case {
        const char* module;
        const char* function;
        const char* reason;
    };
    const Case cases[] = {
        {"msvcrt.dll", "", "an imported module cannot be loaded"},
        {"", "GetTickCount", "an imported function cannot be found"},
    };
    for (const Case& c : cases) {
        FakeBinder binder;
        binder.refused_module = c.module;
        binder.refused_function = c.function;
        PreparedImage prepared(fixture_bytes("plain"), binder);
        EXPECT_STREQ(c.reason, prepared.check.reason) << c.module << c.function;
    }
}

TEST(PeImage, TlsCallbacksAreListedAsExecutableRvasWhereverTheImageLands) {
    for (const char* name : {"tls", "plain"}) {
        FakeBinder binder_home, binder_moved;
        PreparedImage home(fixture_bytes(name), binder_home, false);
        PreparedImage moved(fixture_bytes(name), binder_moved, true);
        ASSERT_TRUE(home.check.ok() && moved.check.ok()) << name;
        EXPECT_GE(home.callbacks.count, 1u) << name;
        ASSERT_EQ(home.callbacks.count, moved.callbacks.count) << name;
        for (std::uint32_t i = 0; i < home.callbacks.count; ++i) {
            EXPECT_EQ(home.callbacks.rvas[i], moved.callbacks.rvas[i]) << name;
            const PeSection& text = home.image.sections[0];
            EXPECT_TRUE(home.callbacks.rvas[i] >= text.rva &&
                        home.callbacks.rvas[i] < text.rva + text.mapped_size);
        }
    }
    FakeBinder plain_binder, tls_binder;
    PreparedImage plain(fixture_bytes("plain"), plain_binder);
    PreparedImage tls(fixture_bytes("tls"), tls_binder);
    // The tls fixture adds its two callbacks to the C runtime's.
    EXPECT_EQ(plain.callbacks.count + 2, tls.callbacks.count);
    FakeBinder packed_binder;
    PreparedImage packed(fixture_bytes("packed"), packed_binder);
    EXPECT_EQ(0u, packed.callbacks.count);
}

TEST(PeImage, ExportsAreFoundByExactNameOnly) {
    struct Case {
        const char* fixture;
        const char* name;
        const char* reason;
    };
    const Case cases[] = {
        {"plain", "plain_add", nullptr},
        {"plain", "plain_tick_count", nullptr},
        {"plain", "PLAIN_ADD", "the image has no export of that name"},
        {"plain", "plain_ad", "the image has no export of that name"},
        {"plain", "plain_add_", "the image has no export of that name"},
        {"plain", "", "the image has no export of that name"},
        {"plain", "plain_forwarded", "the export is forwarded to another module"},
        {"rebase", "rebase_read", nullptr},
        {"refuse", "refuse_never_called", nullptr},
    };
    for (const Case& c : cases) {
        FakeBinder binder;
        PreparedImage prepared(fixture_bytes(c.fixture), binder);
        ASSERT_TRUE(prepared.check.ok());
        std::uint32_t rva = 1;
        EXPECT_STREQ(c.reason, find_pe_export(prepared.image, prepared.memory.data(), c.name, &rva).reason)
            << c.fixture << " " << c.name;
        EXPECT_EQ(c.reason == nullptr, rva != 0) << c.name;
    }
}

TEST(PeImage, ThePackedImitationsExportsPointIntoItsEmptyFirstSection) {
    FakeBinder binder;
    PreparedImage packed(fixture_bytes("packed"), binder);
    ASSERT_TRUE(packed.check.ok()) << packed.check.reason;
    const PeSection& first = packed.image.sections[0];
    EXPECT_EQ(0u, first.copy_size);
    EXPECT_GT(first.mapped_size, 0u);
    for (const char* name : {"packed_add", "packed_answer"}) {
        std::uint32_t rva = export_rva(packed, name);
        EXPECT_TRUE(rva >= first.rva && rva < first.rva + first.mapped_size) << name;
        // Nothing runnable is there until the entry point writes it.
        EXPECT_EQ(0u, read32(packed.memory, rva)) << name;
    }
    EXPECT_FALSE(packed.image.entry_point >= first.rva &&
                 packed.image.entry_point < first.rva + first.mapped_size);
}

std::vector<PeProtectionRun> plan(const PeImage& image) {
    std::vector<PeProtectionRun> runs;
    plan_pe_protections(
        image,
        [](void* context, const PeProtectionRun& run) {
            static_cast<decltype(runs)*>(context)->push_back(run);
        },
        &runs);
    return runs;
}

unsigned access_at(const std::vector<PeProtectionRun>& runs, std::uint32_t rva) {
    for (const PeProtectionRun& run : runs)
        if (rva >= run.rva && rva - run.rva < run.size) return run.access;
    ADD_FAILURE() << "no run covers " << std::hex << rva;
    return 0;
}

TEST(PeImage, ProtectionsFollowTheSectionFlagsAndCoverTheWholeImage) {
    for (const char* name : fixture_names) {
        FakeBinder binder;
        PreparedImage prepared(fixture_bytes(name), binder);
        ASSERT_TRUE(prepared.check.ok()) << name;
        std::vector<PeProtectionRun> runs = plan(prepared.image);
        std::uint32_t next = 0;
        for (const PeProtectionRun& run : runs) {
            EXPECT_EQ(next, run.rva) << name;
            EXPECT_EQ(0u, run.rva % pe_page_size) << name;
            EXPECT_TRUE(run.access & pe_access_read) << name;
            next = run.rva + run.size;
        }
        EXPECT_EQ(prepared.image.image_size, next) << name;

        bool packed = std::strcmp(name, "packed") == 0;
        EXPECT_EQ(packed, pe_unpacks_itself(prepared.image)) << name;
        EXPECT_EQ(packed ? pe_access_read | pe_access_write : pe_access_read, access_at(runs, 0)) << name;
        for (std::uint32_t i = 0; i < prepared.image.section_count; ++i) {
            const PeSection& section = prepared.image.sections[i];
            if (section.mapped_size == 0) continue;
            unsigned expected = pe_access_read;
            if (packed || (section.characteristics & pe_section_write)) expected |= pe_access_write;
            if (packed || (section.characteristics & pe_section_execute)) expected |= pe_access_execute;
            EXPECT_EQ(expected, access_at(runs, section.rva)) << name << " section " << i;
        }
    }
}

TEST(PeImage, SectionsSharingAPageGetTheUnionOfTheirAccess) {
    PeImage image{};
    image.image_size = 0x2000;
    image.headers_size = 0x200;
    image.section_count = 2;
    image.sections[0] = {0x200, 0x200, 0x200, 0x200, pe_section_read | pe_section_execute};
    image.sections[1] = {0x400, 0x1200, 0x400, 0x1200, pe_section_read | pe_section_write};
    std::vector<PeProtectionRun> runs = plan(image);
    EXPECT_EQ(pe_access_read | pe_access_write | pe_access_execute, access_at(runs, 0));
    EXPECT_EQ(pe_access_read | pe_access_write, access_at(runs, 0x1000));
}

}  // namespace
