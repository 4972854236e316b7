// Corrupted copies of the plain fixture: each row changes one field and names the reason the
// image must be refused with (or none, where the change is harmless).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "skin/pe_image.h"
#include "tests/skin/fake_binder.h"
#include "tests/skin/fixtures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t get(const Bytes& file, std::uint32_t offset, unsigned width) {
    std::uint32_t value = 0;
    std::memcpy(&value, file.data() + offset, width);
    return value;
}

// File offsets of the fields, found the plain way a reader of the format would.
std::uint32_t dos_header(const Bytes&) {
    return 0;
}
std::uint32_t pe(const Bytes& f) {
    return get(f, 0x3C, 4);
}
std::uint32_t file_header(const Bytes& f) {
    return pe(f) + 4;
}
std::uint32_t optional(const Bytes& f) {
    return pe(f) + 24;
}
std::uint32_t directory(const Bytes& f, unsigned index) {
    return optional(f) + 96 + 8 * index;
}
std::uint32_t section(const Bytes& f, unsigned index) {
    return optional(f) + get(f, file_header(f) + 16, 2) + 40 * index;
}
std::uint32_t last_section(const Bytes& f) {
    return section(f, get(f, file_header(f) + 2, 2) - 1);
}

std::uint32_t file_offset(const Bytes& f, std::uint32_t rva) {
    for (unsigned i = 0; i < get(f, file_header(f) + 2, 2); ++i) {
        std::uint32_t header = section(f, i);
        std::uint32_t start = get(f, header + 12, 4);
        if (rva >= start && rva - start < get(f, header + 16, 4)) return get(f, header + 20, 4) + rva - start;
    }
    ADD_FAILURE() << "rva " << rva << " is not stored in the file";
    return 0;
}
std::uint32_t directory_data(const Bytes& f, unsigned index) {
    return file_offset(f, get(f, directory(f, index), 4));
}
std::uint32_t relocation_block(const Bytes& f) {
    return directory_data(f, 5);
}
std::uint32_t import_descriptor(const Bytes& f) {
    return directory_data(f, 1);
}
std::uint32_t first_lookup_entry(const Bytes& f) {
    return file_offset(f, get(f, import_descriptor(f), 4));
}
std::uint32_t tls_directory(const Bytes& f) {
    return directory_data(f, 9);
}
std::uint32_t image_base(const Bytes& f) {
    return get(f, optional(f) + 28, 4);
}
std::uint32_t first_tls_callback(const Bytes& f) {
    return file_offset(f, get(f, tls_directory(f) + 12, 4) - image_base(f));
}

enum class Op { set, set_or, set_plus_base };

struct Row {
    const char* field;
    std::uint32_t (*locate)(const Bytes&);
    unsigned width;
    Op op;
    std::uint32_t value;
    bool moved;
    const char* reason;
};

#define FIELD(offset) [](const Bytes& f) -> std::uint32_t { return offset; }

const Row rows[] = {
    {"e_magic", FIELD(dos_header(f) + 0), 2, Op::set, 0x5A4E, false, "the DOS signature is not MZ"},
    {"e_lfanew", FIELD(dos_header(f) + 0x3C), 4, Op::set, 0xFFFFFFF0, false,
     "the PE headers lie outside the file"},
    {"Signature", FIELD(pe(f) + 0), 4, Op::set, 0x4551, false, "the PE signature is missing"},
    {"Machine", FIELD(file_header(f) + 0), 2, Op::set, 0x8664, false, "not a 32-bit i386 image"},
    {"NumberOfSections zero", FIELD(file_header(f) + 2), 2, Op::set, 0, false,
     "the section count is out of range"},
    {"NumberOfSections 97", FIELD(file_header(f) + 2), 2, Op::set, 97, false,
     "the section count is out of range"},
    {"NumberOfSections past the file", FIELD(file_header(f) + 2), 2, Op::set, 96, false,
     "the header size does not cover the headers or exceeds the file or image"},
    {"SizeOfOptionalHeader below its fixed part", FIELD(file_header(f) + 16), 2, Op::set, 95, false,
     "the optional header is truncated"},
    {"SizeOfOptionalHeader without room for 16 directories", FIELD(file_header(f) + 16), 2, Op::set, 104,
     false, "the data directories are truncated"},
    {"Characteristics without DLL", FIELD(file_header(f) + 18), 2, Op::set, 0x0102, false,
     "the image is not a DLL"},
    {"Characteristics without executable", FIELD(file_header(f) + 18), 2, Op::set, 0x2100, false,
     "the image is not marked executable"},
    {"Characteristics relocations stripped, at home", FIELD(file_header(f) + 18), 2, Op::set_or, 1, false,
     nullptr},
    {"Characteristics relocations stripped, moved", FIELD(file_header(f) + 18), 2, Op::set_or, 1, true,
     "the image must move but its relocations are stripped"},
    {"Magic PE32+", FIELD(optional(f) + 0), 2, Op::set, 0x20B, false, "the optional header is not PE32"},
    {"AddressOfEntryPoint past the image", FIELD(optional(f) + 16), 4, Op::set, 0x7FFFFFF0, false,
     "the entry point lies outside executable code"},
    {"AddressOfEntryPoint into the headers", FIELD(optional(f) + 16), 4, Op::set, 0x10, false,
     "the entry point lies outside executable code"},
    {"ImageBase not on 64 KiB", FIELD(optional(f) + 28), 4, Op::set, 0x10001000, false,
     "the image base is not a multiple of 64 KiB"},
    {"SectionAlignment not a power of two", FIELD(optional(f) + 32), 4, Op::set, 0x1001, false,
     "an alignment is not a power of two"},
    {"FileAlignment zero", FIELD(optional(f) + 36), 4, Op::set, 0, false,
     "an alignment is not a power of two"},
    {"FileAlignment above SectionAlignment", FIELD(optional(f) + 36), 4, Op::set, 0x2000, false,
     "the file alignment exceeds the section alignment"},
    {"SizeOfImage zero", FIELD(optional(f) + 56), 4, Op::set, 0, false,
     "the image size is zero or too large"},
    {"SizeOfImage huge", FIELD(optional(f) + 56), 4, Op::set, 0x7FFFFFFF, false,
     "the image size is zero or too large"},
    {"SizeOfImage short of the sections", FIELD(optional(f) + 56), 4, Op::set, 0x2000, false,
     "a section lies outside the image size"},
    {"SizeOfHeaders past the file", FIELD(optional(f) + 60), 4, Op::set, 0x7FFFFFF0, false,
     "the header size does not cover the headers or exceeds the file or image"},
    {"SizeOfHeaders short of the section table", FIELD(optional(f) + 60), 4, Op::set, 0x100, false,
     "the header size does not cover the headers or exceeds the file or image"},
    {"NumberOfRvaAndSizes huge is read as 16", FIELD(optional(f) + 92), 4, Op::set, 0xFFFFFFFF, false,
     nullptr},
    {"NumberOfRvaAndSizes 1 hides the imports", FIELD(optional(f) + 92), 4, Op::set, 1, false, nullptr},
    {"export directory past the image", FIELD(directory(f, 0) + 0), 4, Op::set, 0xFFFFFF00, false,
     "the export directory lies outside the image"},
    {"import directory past the image", FIELD(directory(f, 1) + 0), 4, Op::set, 0xFFFFFF00, false,
     "the import directory lies outside the image"},
    {"relocation directory size huge", FIELD(directory(f, 5) + 4), 4, Op::set, 0x7FFFFFFF, false,
     "the relocation directory lies outside the image"},
    {"relocation directory size zero, at home", FIELD(directory(f, 5) + 4), 4, Op::set, 0, false, nullptr},
    {"relocation directory size zero, moved", FIELD(directory(f, 5) + 4), 4, Op::set, 0, true,
     "the image must move but has no relocations"},
    {"relocation directory size 5", FIELD(directory(f, 5) + 4), 4, Op::set, 5, false,
     "a relocation block header is truncated"},
    {"TLS directory past the image", FIELD(directory(f, 9) + 0), 4, Op::set, 0xFFFFFFF0, false,
     "the TLS directory lies outside the image"},
    {"section VirtualAddress not aligned", FIELD(section(f, 0) + 12), 4, Op::set, 0x1004, false,
     "a section is not aligned to the section alignment"},
    {"section VirtualAddress inside the headers", FIELD(section(f, 0) + 12), 4, Op::set, 0, false,
     "sections overlap the headers or each other, or are out of order"},
    {"section VirtualAddress on its predecessor", FIELD(section(f, 1) + 12), 4, Op::set, 0x1000, false,
     "sections overlap the headers or each other, or are out of order"},
    {"section VirtualSize past the image", FIELD(last_section(f) + 8), 4, Op::set, 0x7FFFF000, false,
     "a section lies outside the image size"},
    {"section PointerToRawData past the file", FIELD(section(f, 0) + 20), 4, Op::set, 0x7FFFFE00, false,
     "a section's stored data lies outside the file"},
    {"section SizeOfRawData past the file with VirtualSize zero", FIELD(section(f, 0) + 8), 4, Op::set, 0,
     false, nullptr},
    {"relocation SizeOfBlock below its header", FIELD(relocation_block(f) + 4), 4, Op::set, 4, false,
     "a relocation block is smaller than its header"},
    {"relocation SizeOfBlock past the directory", FIELD(relocation_block(f) + 4), 4, Op::set, 0x7FFFFFF0,
     false, "a relocation block runs past its directory"},
    {"relocation SizeOfBlock odd", FIELD(relocation_block(f) + 4), 4, Op::set, 11, false,
     "a relocation block has an odd size"},
    {"relocation page past the image", FIELD(relocation_block(f) + 0), 4, Op::set, 0x7FFFF000, false,
     "a relocation fixup lies outside the image"},
    {"relocation type DIR64", FIELD(relocation_block(f) + 8), 2, Op::set, 0xA000, false,
     "a relocation has a type other than ABSOLUTE or HIGHLOW"},
    {"import module name past the image", FIELD(import_descriptor(f) + 12), 4, Op::set, 0x7FFFFFF0, false,
     "an imported module's name lies outside the image or is not terminated"},
    {"import descriptor without address table", FIELD(import_descriptor(f) + 16), 4, Op::set, 0, false,
     "an import descriptor has no address table"},
    {"import lookup table past the image", FIELD(import_descriptor(f) + 0), 4, Op::set, 0x0FFFFFF0, false,
     "an import table lies outside the image"},
    {"import function name past the image", FIELD(first_lookup_entry(f) + 0), 4, Op::set, 0x7FFFFFF0, false,
     "an imported function's name lies outside the image or is not terminated"},
    {"import ordinal zero", FIELD(first_lookup_entry(f) + 0), 4, Op::set, 0x80000000, false,
     "an import ordinal is out of range"},
    {"import ordinal above 16 bits", FIELD(first_lookup_entry(f) + 0), 4, Op::set, 0x80010001, false,
     "an import ordinal is out of range"},
    {"TLS callback list past the image", FIELD(tls_directory(f) + 12), 4, Op::set_plus_base, 0x7FFFFFF0,
     false, "the TLS callback list lies outside the image"},
    {"TLS callback in the headers", FIELD(first_tls_callback(f) + 0), 4, Op::set_plus_base, 0x10, false,
     "a TLS callback lies outside executable code"},
    {"TLS callback below the base", FIELD(first_tls_callback(f) + 0), 4, Op::set_plus_base, 0xFFFFFFF0, false,
     "a TLS callback lies outside executable code"},
};

TEST(CorruptImage, EachCorruptedFieldIsRefusedWithItsReason) {
    const Bytes original = fixture_bytes("plain");
    for (const Row& row : rows) {
        Bytes file = original;
        std::uint32_t offset = row.locate(file);
        ASSERT_LE(offset + row.width, file.size()) << row.field;
        std::uint32_t value = row.value;
        if (row.op == Op::set_or) value |= get(file, offset, row.width);
        if (row.op == Op::set_plus_base) value += image_base(file);
        std::memcpy(file.data() + offset, &value, row.width);
        FakeBinder binder;
        PreparedImage prepared(file, binder, row.moved);
        EXPECT_STREQ(row.reason, prepared.check.reason) << row.field;
    }
}

TEST(CorruptImage, AnImageThatWouldWrapPastFourGibibytesIsRefused) {
    Bytes file = fixture_bytes("plain");
    std::uint32_t base = 0xFFF00000, size = 0x00200000;
    std::memcpy(file.data() + optional(file) + 28, &base, 4);
    std::memcpy(file.data() + optional(file) + 56, &size, 4);
    PeImage image;
    EXPECT_STREQ("the image does not fit below 4 GiB",
                 parse_pe_image(file.data(), static_cast<std::uint32_t>(file.size()), &image).reason);
}

// The export directory is read after mapping, from the laid-out image: rows change the image's
// memory, where the directory's tables are.
TEST(CorruptImage, ExportLookupNeverReadsOutsideTheImage) {
    struct Case {
        const char* field;
        std::uint32_t offset;
        unsigned width;
        std::uint32_t value;
        const char* reason;
    };
    const Case cases[] = {
        {"NumberOfFunctions zero", 20, 4, 0, "an export's index is beyond its function table"},
        {"NumberOfNames huge", 24, 4, 0x40000000, "an export table lies outside the image"},
        {"AddressOfFunctions past the image", 28, 4, 0x7FFFFFF0, "an export table lies outside the image"},
        {"AddressOfNames past the image", 32, 4, 0xFFFFFFFC, "an export table lies outside the image"},
        {"AddressOfNameOrdinals past the image", 36, 4, 0x7FFFFFFF, "an export table lies outside the image"},
    };
    for (const Case& c : cases) {
        FakeBinder binder;
        PreparedImage prepared(fixture_bytes("plain"), binder);
        ASSERT_TRUE(prepared.check.ok());
        std::memcpy(prepared.memory.data() + prepared.image.exports.rva + c.offset, &c.value, c.width);
        std::uint32_t rva;
        EXPECT_STREQ(c.reason,
                     find_pe_export(prepared.image, prepared.memory.data(), "plain_add", &rva).reason)
            << c.field;
    }

    // A name that runs into the end of the image without its NUL.
    FakeBinder binder;
    PreparedImage prepared(fixture_bytes("plain"), binder);
    ASSERT_TRUE(prepared.check.ok());
    std::uint8_t* memory = prepared.memory.data();
    std::uint32_t size = prepared.image.image_size;
    std::uint32_t names;
    std::memcpy(&names, memory + prepared.image.exports.rva + 32, 4);
    std::memset(memory + size - 4, 'x', 4);
    std::uint32_t unterminated = size - 4;
    std::memcpy(memory + names, &unterminated, 4);
    std::uint32_t rva;
    EXPECT_STREQ("an export name lies outside the image or is not terminated",
                 find_pe_export(prepared.image, memory, "plain_add", &rva).reason);
}

}  // namespace
