// Every allocation of the tool comes from the process heap, and none of them throws.
#include <windows.h>

#include <cstddef>
#include <new>

void* operator new(std::size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size);
}
void operator delete(void* block) noexcept {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
void operator delete[](void* block) noexcept {
    operator delete(block);
}
void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    operator delete(block);
}
