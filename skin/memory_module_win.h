// Mapping a DLL image held in memory into the process, without writing it anywhere.
#pragma once

#include <cstdint>

struct MappedImage;

// The runnable image, or null with *reason saying why; nothing is left behind on failure.
MappedImage* map_image(const void* bytes, std::uint32_t size, const char** reason);

// Address of the export with exactly this name, or null with *reason saying why.
void* image_export(MappedImage* image, const char* name, const char** reason);

void* image_base(MappedImage* image);

// Detaches the image, frees its imported modules, then its memory.
void unmap_image(MappedImage* image);
