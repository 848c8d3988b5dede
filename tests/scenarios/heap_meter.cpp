#include "heap_meter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace keyweave::scenario {

namespace {

// Each block starts with a header that records its size; the caller gets the memory after it,
// which keeps the default alignment of operator new.
constexpr std::size_t kHeader = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};

void RaisePeak(std::size_t now) {
    std::size_t highest = peak.load();
    while (now > highest && !peak.compare_exchange_weak(highest, now)) {
    }
}

void* Allocate(std::size_t size) noexcept {
    void* block = std::malloc(kHeader + (size == 0 ? 1 : size));
    if (block == nullptr) {
        return nullptr;
    }
    *static_cast<std::size_t*>(block) = size;
    RaisePeak(live.fetch_add(size) + size);
    return static_cast<char*>(block) + kHeader;
}

void Release(void* memory) noexcept {
    if (memory == nullptr) {
        return;
    }
    void* block = static_cast<char*>(memory) - kHeader;
    live.fetch_sub(*static_cast<std::size_t*>(block));
    std::free(block);
}

void* AllocateOrThrow(std::size_t size) {
    for (;;) {
        if (void* memory = Allocate(size)) {
            return memory;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            throw std::bad_alloc();
        }
        handler();
    }
}

} // namespace

std::size_t LiveHeapBytes() {
    return live.load();
}

std::size_t PeakHeapBytes() {
    return peak.load();
}

void ResetHeapPeak() {
    peak.store(live.load());
}

} // namespace keyweave::scenario

using keyweave::scenario::AllocateOrThrow;
using keyweave::scenario::Release;

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}

void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return keyweave::scenario::Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return keyweave::scenario::Allocate(size);
}

void operator delete(void* memory) noexcept {
    Release(memory);
}

void operator delete[](void* memory) noexcept {
    Release(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    Release(memory);
}

void operator delete[](void* memory, std::size_t) noexcept {
    Release(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept {
    Release(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    Release(memory);
}
