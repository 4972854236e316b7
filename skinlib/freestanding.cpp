// The memory routines GCC may call on its own; the library links no C runtime to provide them.
#include <cstddef>

extern "C" {

void* memset(void* to, int value, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(to);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(value);
    return to;
}

void* memcpy(void* to, const void* from, std::size_t size) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    for (std::size_t i = 0; i < size; ++i) out[i] = in[i];
    return to;
}
}
