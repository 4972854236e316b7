// Reading, checking and laying out a 32-bit PE image over plain bytes. Every offset and RVA taken
// from the image is checked, with the size on the right-hand side, before it is followed.
#include "skin/pe_image.h"

#include <cstring>

namespace {

constexpr std::uint16_t dos_magic = 0x5A4D;     // "MZ"
constexpr std::uint32_t pe_signature = 0x4550;  // "PE\0\0"
constexpr std::uint16_t machine_i386 = 0x014C;
constexpr std::uint16_t optional_magic_pe32 = 0x010B;
constexpr std::uint16_t IMAGE_FILE_RELOCS_STRIPPED = 0x0001;
constexpr std::uint16_t IMAGE_FILE_EXECUTABLE_IMAGE = 0x0002;
constexpr std::uint16_t IMAGE_FILE_DLL = 0x2000;
constexpr std::uint16_t IMAGE_REL_BASED_ABSOLUTE = 0;
constexpr std::uint16_t IMAGE_REL_BASED_HIGHLOW = 3;
constexpr std::uint32_t IMAGE_ORDINAL_FLAG32 = 0x80000000;

// Offsets inside the fixed structures of the format.
constexpr std::uint32_t dos_header_size = 64;
constexpr std::uint32_t dos_lfanew = 0x3C;
constexpr std::uint32_t file_header_size = 20;
constexpr std::uint32_t optional_fixed_size = 96;
constexpr std::uint32_t section_header_size = 40;
constexpr std::uint32_t directory_count = 16;
constexpr std::uint32_t import_descriptor_size = 20;
constexpr std::uint32_t export_directory_size = 40;
constexpr std::uint32_t tls_directory_size = 24;

std::uint16_t read16(const std::uint8_t* at) {
    std::uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::uint32_t read32(const std::uint8_t* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void write32(std::uint8_t* at, std::uint32_t value) {
    std::memcpy(at, &value, sizeof value);
}

bool is_power_of_two(std::uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// True when [offset, offset + size) lies inside [0, limit).
bool inside(std::uint32_t offset, std::uint32_t size, std::uint32_t limit) {
    return size <= limit && offset <= limit - size;
}

// True when count entries of entry_size bytes starting at offset lie inside [0, limit).
bool table_inside(std::uint32_t offset, std::uint32_t count, std::uint32_t entry_size, std::uint32_t limit) {
    return count <= limit / entry_size && inside(offset, count * entry_size, limit);
}

// The NUL-terminated string at rva, or null when it does not end inside the image.
const char* image_string(const PeImage& image, const std::uint8_t* memory, std::uint32_t rva) {
    if (rva >= image.image_size) return nullptr;
    const void* end = std::memchr(memory + rva, 0, image.image_size - rva);
    return end ? reinterpret_cast<const char*>(memory + rva) : nullptr;
}

PeCheck fail(const char* reason) {
    return PeCheck{reason};
}

const PeSection* section_at(const PeImage& image, std::uint32_t rva) {
    for (std::uint32_t i = 0; i < image.section_count; ++i) {
        const PeSection& section = image.sections[i];
        if (rva >= section.rva && rva - section.rva < section.mapped_size) return &section;
    }
    return nullptr;
}

bool is_executable(const PeImage& image, std::uint32_t rva) {
    const PeSection* section = section_at(image, rva);
    return section && (section->characteristics & pe_section_execute);
}

PeCheck check_directory(const PeImage& image, const PeDirectory& directory, const char* reason) {
    if (directory.rva == 0 && directory.size == 0) return {};
    return inside(directory.rva, directory.size, image.image_size) ? PeCheck{} : fail(reason);
}

PeCheck parse_sections(const std::uint8_t* table, std::uint32_t file_size, std::uint32_t section_alignment,
                       PeImage* image) {
    std::uint32_t previous_end = image->headers_size;
    for (std::uint32_t i = 0; i < image->section_count; ++i) {
        const std::uint8_t* header = table + i * section_header_size;
        std::uint32_t virtual_size = read32(header + 8);
        std::uint32_t raw_size = read32(header + 16);
        PeSection& section = image->sections[i];
        section.rva = read32(header + 12);
        section.mapped_size = virtual_size ? virtual_size : raw_size;
        section.raw_offset = read32(header + 20);
        section.copy_size = raw_size < section.mapped_size ? raw_size : section.mapped_size;
        section.characteristics = read32(header + 36);
        if (section.rva % section_alignment != 0)
            return fail("a section is not aligned to the section alignment");
        if (section.rva < previous_end)
            return fail("sections overlap the headers or each other, or are out of order");
        if (!inside(section.rva, section.mapped_size, image->image_size))
            return fail("a section lies outside the image size");
        if (section.copy_size && !inside(section.raw_offset, section.copy_size, file_size))
            return fail("a section's stored data lies outside the file");
        previous_end = section.rva + section.mapped_size;
    }
    return {};
}

}  // namespace

PeCheck parse_pe_image(const std::uint8_t* file, std::uint32_t file_size, PeImage* image) {
    *image = PeImage{};
    if (file_size < dos_header_size) return fail("the image is smaller than a DOS header");
    if (read16(file) != dos_magic) return fail("the DOS signature is not MZ");
    std::uint32_t pe_offset = read32(file + dos_lfanew);
    if (!inside(pe_offset, 4 + file_header_size + optional_fixed_size, file_size))
        return fail("the PE headers lie outside the file");
    const std::uint8_t* nt = file + pe_offset;
    if (read32(nt) != pe_signature) return fail("the PE signature is missing");

    const std::uint8_t* header = nt + 4;
    if (read16(header) != machine_i386) return fail("not a 32-bit i386 image");
    image->section_count = read16(header + 2);
    std::uint32_t optional_size = read16(header + 16);
    std::uint16_t characteristics = read16(header + 18);
    if (!(characteristics & IMAGE_FILE_EXECUTABLE_IMAGE)) return fail("the image is not marked executable");
    if (!(characteristics & IMAGE_FILE_DLL)) return fail("the image is not a DLL");
    image->relocations_stripped = characteristics & IMAGE_FILE_RELOCS_STRIPPED;

    std::uint32_t optional_offset = pe_offset + 4 + file_header_size;
    if (optional_size < optional_fixed_size || !inside(optional_offset, optional_size, file_size))
        return fail("the optional header is truncated");
    const std::uint8_t* optional = file + optional_offset;
    if (read16(optional) != optional_magic_pe32) return fail("the optional header is not PE32");
    image->entry_point = read32(optional + 16);
    image->image_base = read32(optional + 28);
    std::uint32_t section_alignment = read32(optional + 32);
    std::uint32_t file_alignment = read32(optional + 36);
    image->image_size = read32(optional + 56);
    image->headers_size = read32(optional + 60);
    std::uint32_t directories = read32(optional + 92);
    if (directories > directory_count) directories = directory_count;
    if ((optional_size - optional_fixed_size) / 8 < directories)
        return fail("the data directories are truncated");
    PeDirectory* wanted[directory_count] = {&image->exports, &image->imports,     nullptr, nullptr,
                                            nullptr,         &image->relocations, nullptr, nullptr,
                                            nullptr,         &image->tls};
    for (std::uint32_t i = 0; i < directories; ++i) {
        if (!wanted[i]) continue;
        wanted[i]->rva = read32(optional + optional_fixed_size + 8 * i);
        wanted[i]->size = read32(optional + optional_fixed_size + 8 * i + 4);
    }

    if (!is_power_of_two(section_alignment) || !is_power_of_two(file_alignment))
        return fail("an alignment is not a power of two");
    if (file_alignment > section_alignment) return fail("the file alignment exceeds the section alignment");
    if (image->image_base % 0x10000 != 0) return fail("the image base is not a multiple of 64 KiB");
    if (image->image_size == 0 || image->image_size > pe_max_image_size)
        return fail("the image size is zero or too large");
    if (image->image_size > 0xFFFFFFFFu - image->image_base)
        return fail("the image does not fit below 4 GiB");
    if (image->section_count == 0 || image->section_count > pe_max_sections)
        return fail("the section count is out of range");
    std::uint32_t table_offset = optional_offset + optional_size;
    if (!table_inside(table_offset, image->section_count, section_header_size, file_size))
        return fail("the section table lies outside the file");
    std::uint32_t table_end = table_offset + image->section_count * section_header_size;
    if (image->headers_size < table_end || image->headers_size > file_size ||
        image->headers_size > image->image_size)
        return fail("the header size does not cover the headers or exceeds the file or image");

    if (PeCheck check = parse_sections(file + table_offset, file_size, section_alignment, image); !check.ok())
        return check;
    if (PeCheck check =
            check_directory(*image, image->exports, "the export directory lies outside the image");
        !check.ok())
        return check;
    if (PeCheck check =
            check_directory(*image, image->imports, "the import directory lies outside the image");
        !check.ok())
        return check;
    if (PeCheck check =
            check_directory(*image, image->relocations, "the relocation directory lies outside the image");
        !check.ok())
        return check;
    if (PeCheck check = check_directory(*image, image->tls, "the TLS directory lies outside the image");
        !check.ok())
        return check;
    if (image->entry_point && !is_executable(*image, image->entry_point))
        return fail("the entry point lies outside executable code");
    return {};
}

bool pe_unpacks_itself(const PeImage& image) {
    for (std::uint32_t i = 0; i < image.section_count; ++i) {
        const PeSection& section = image.sections[i];
        if ((section.characteristics & pe_section_execute) && section.mapped_size && !section.copy_size)
            return true;
    }
    return false;
}

void lay_out_pe_image(const PeImage& image, const std::uint8_t* file, std::uint8_t* memory) {
    // The C runtime and packer stubs read the section table at the base, so the headers go there.
    std::memcpy(memory, file, image.headers_size);
    for (std::uint32_t i = 0; i < image.section_count; ++i) {
        const PeSection& section = image.sections[i];
        if (section.copy_size)
            std::memcpy(memory + section.rva, file + section.raw_offset, section.copy_size);
    }
}

PeCheck relocate_pe_image(const PeImage& image, std::uint8_t* memory, std::uint32_t base) {
    std::uint32_t delta = base - image.image_base;
    if (delta != 0 && image.relocations_stripped)
        return fail("the image must move but its relocations are stripped");
    if (delta != 0 && image.relocations.size == 0) return fail("the image must move but has no relocations");
    // The blocks are checked even when the image stays put, so that a bad table fails on every run
    // and not only when the preferred base happens to be taken.
    const std::uint8_t* blocks = memory + image.relocations.rva;
    std::uint32_t offset = 0;
    while (offset < image.relocations.size) {
        if (image.relocations.size - offset < 8) return fail("a relocation block header is truncated");
        std::uint32_t page = read32(blocks + offset);
        std::uint32_t block_size = read32(blocks + offset + 4);
        if (block_size < 8) return fail("a relocation block is smaller than its header");
        if (block_size > image.relocations.size - offset)
            return fail("a relocation block runs past its directory");
        if (block_size % 2 != 0) return fail("a relocation block has an odd size");
        for (std::uint32_t entry = offset + 8; entry < offset + block_size; entry += 2) {
            std::uint16_t fixup = read16(blocks + entry);
            std::uint16_t type = fixup >> 12;
            if (type == IMAGE_REL_BASED_ABSOLUTE) continue;
            if (type != IMAGE_REL_BASED_HIGHLOW)
                return fail("a relocation has a type other than ABSOLUTE or HIGHLOW");
            if (page > image.image_size || !inside(page + (fixup & 0x0FFF), 4, image.image_size))
                return fail("a relocation fixup lies outside the image");
            if (delta != 0) {
                std::uint8_t* target = memory + page + (fixup & 0x0FFF);
                write32(target, read32(target) + delta);
            }
        }
        offset += block_size;
    }
    return {};
}

PeCheck bind_pe_imports(const PeImage& image, std::uint8_t* memory, const ImportBinder& binder) {
    if (image.imports.size == 0 && image.imports.rva == 0) return {};
    for (std::uint32_t descriptor = image.imports.rva;; descriptor += import_descriptor_size) {
        if (!inside(descriptor, import_descriptor_size, image.image_size))
            return fail("an import descriptor lies outside the image");
        std::uint32_t name_rva = read32(memory + descriptor + 12);
        if (name_rva == 0) return {};
        std::uint32_t address_table = read32(memory + descriptor + 16);
        std::uint32_t lookup_table = read32(memory + descriptor);
        if (lookup_table == 0) lookup_table = address_table;
        const char* module_name = image_string(image, memory, name_rva);
        if (!module_name)
            return fail("an imported module's name lies outside the image or is not terminated");
        if (address_table == 0) return fail("an import descriptor has no address table");
        void* module = binder.open_module(binder.context, module_name);
        if (!module) return fail("an imported module cannot be loaded");
        for (std::uint32_t index = 0;; ++index) {
            if (!table_inside(lookup_table, index + 1, 4, image.image_size) ||
                !table_inside(address_table, index + 1, 4, image.image_size))
                return fail("an import table lies outside the image");
            std::uint32_t entry = read32(memory + lookup_table + 4 * index);
            if (entry == 0) break;
            std::uint32_t address;
            if (entry & IMAGE_ORDINAL_FLAG32) {
                std::uint32_t ordinal = entry & ~IMAGE_ORDINAL_FLAG32;
                if (ordinal == 0 || ordinal > 0xFFFF) return fail("an import ordinal is out of range");
                address = binder.find_function(binder.context, module, nullptr,
                                               static_cast<std::uint16_t>(ordinal));
            } else {
                // The name follows a two-byte hint; without the ordinal flag, entry + 2 cannot wrap.
                const char* function = image_string(image, memory, entry + 2);
                if (!function)
                    return fail("an imported function's name lies outside the image or is not terminated");
                address = binder.find_function(binder.context, module, function, 0);
            }
            if (address == 0) return fail("an imported function cannot be found");
            write32(memory + address_table + 4 * index, address);
        }
    }
}

PeCheck find_pe_tls_callbacks(const PeImage& image, const std::uint8_t* memory, std::uint32_t base,
                              TlsCallbacks* callbacks) {
    callbacks->count = 0;
    if (image.tls.rva == 0 && image.tls.size == 0) return {};
    if (!inside(image.tls.rva, tls_directory_size, image.image_size))
        return fail("the TLS directory lies outside the image");
    // AddressOfCallBacks and the callbacks are addresses, already relocated to base.
    std::uint32_t list = read32(memory + image.tls.rva + 12);
    if (list == 0) return {};
    for (std::uint32_t index = 0;; ++index) {
        std::uint32_t list_rva = list - base;
        if (!table_inside(list_rva, index + 1, 4, image.image_size))
            return fail("the TLS callback list lies outside the image");
        std::uint32_t callback = read32(memory + list_rva + 4 * index);
        if (callback == 0) return {};
        if (index == pe_max_tls_callbacks) return fail("the image has too many TLS callbacks");
        std::uint32_t rva = callback - base;
        if (rva >= image.image_size || !is_executable(image, rva))
            return fail("a TLS callback lies outside executable code");
        callbacks->rvas[callbacks->count++] = rva;
    }
}

PeCheck prepare_pe_image(const PeImage& image, const std::uint8_t* file, std::uint8_t* memory,
                         std::uint32_t base, const ImportBinder& binder, TlsCallbacks* callbacks) {
    lay_out_pe_image(image, file, memory);
    if (PeCheck check = relocate_pe_image(image, memory, base); !check.ok()) return check;
    if (PeCheck check = bind_pe_imports(image, memory, binder); !check.ok()) return check;
    return find_pe_tls_callbacks(image, memory, base, callbacks);
}

PeCheck find_pe_export(const PeImage& image, const std::uint8_t* memory, const char* name,
                       std::uint32_t* rva) {
    *rva = 0;
    if (image.exports.size < export_directory_size ||
        !inside(image.exports.rva, export_directory_size, image.image_size))
        return fail("the image has no export directory");
    const std::uint8_t* directory = memory + image.exports.rva;
    std::uint32_t function_count = read32(directory + 20);
    std::uint32_t name_count = read32(directory + 24);
    std::uint32_t functions = read32(directory + 28);
    std::uint32_t names = read32(directory + 32);
    std::uint32_t ordinals = read32(directory + 36);
    if (!table_inside(functions, function_count, 4, image.image_size) ||
        !table_inside(names, name_count, 4, image.image_size) ||
        !table_inside(ordinals, name_count, 2, image.image_size))
        return fail("an export table lies outside the image");
    for (std::uint32_t i = 0; i < name_count; ++i) {
        const char* candidate = image_string(image, memory, read32(memory + names + 4 * i));
        if (!candidate) return fail("an export name lies outside the image or is not terminated");
        if (std::strcmp(candidate, name) != 0) continue;
        std::uint16_t index = read16(memory + ordinals + 2 * i);
        if (index >= function_count) return fail("an export's index is beyond its function table");
        std::uint32_t found = read32(memory + functions + 4 * index);
        if (found == 0 || found >= image.image_size)
            return fail("an export's address lies outside the image");
        if (found >= image.exports.rva && found - image.exports.rva < image.exports.size)
            return fail("the export is forwarded to another module");
        *rva = found;
        return {};
    }
    return fail("the image has no export of that name");
}

namespace {

unsigned page_access(const PeImage& image, std::uint32_t page, bool unpacks_itself) {
    unsigned access = pe_access_read;
    if (page < image.headers_size && unpacks_itself) access |= pe_access_write;
    for (std::uint32_t i = 0; i < image.section_count; ++i) {
        const PeSection& section = image.sections[i];
        // Sections may share a page when the section alignment is below the page size.
        if (section.mapped_size == 0 || section.rva >= page + pe_page_size ||
            section.rva + section.mapped_size <= page)
            continue;
        if (unpacks_itself) return pe_access_read | pe_access_write | pe_access_execute;
        if (section.characteristics & pe_section_write) access |= pe_access_write;
        if (section.characteristics & pe_section_execute) access |= pe_access_execute;
    }
    return access;
}

}  // namespace

void plan_pe_protections(const PeImage& image, void (*emit)(void* context, const PeProtectionRun& run),
                         void* context) {
    bool unpacks_itself = pe_unpacks_itself(image);
    PeProtectionRun run{0, 0, page_access(image, 0, unpacks_itself)};
    for (std::uint32_t page = 0; page < image.image_size; page += pe_page_size) {
        unsigned access = page_access(image, page, unpacks_itself);
        if (access != run.access) {
            emit(context, run);
            run = PeProtectionRun{page, 0, access};
        }
        std::uint32_t left = image.image_size - page;
        run.size += left < pe_page_size ? left : pe_page_size;
    }
    emit(context, run);
}
