// The C++ heap of this program, counted by replacing the global operator
// new and delete: the bytes live now and the most live since the last
// reset. Include it in one benchmark program only (it defines the
// operators).
#pragma once
#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace bench {

inline std::atomic<long long> heapLive{0}, heapPeak{0};

// The peak starts again from what is live now.
inline void ResetHeapPeak() {
    heapPeak.store(heapLive.load());
}

inline void CountAllocation(void* p) {
    const long long live = heapLive += (long long)malloc_usable_size(p);
    long long peak = heapPeak.load();
    while (live > peak && !heapPeak.compare_exchange_weak(peak, live)) {
    }
}

inline void* CountedNew(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    CountAllocation(p);
    return p;
}

inline void* CountedNewAligned(std::size_t n, std::align_val_t a) {
    const std::size_t align = (std::size_t)a;
    void* p = std::aligned_alloc(align, (n + align - 1) / align * align);
    if (!p) throw std::bad_alloc();
    CountAllocation(p);
    return p;
}

inline void CountedDelete(void* p) {
    if (!p) return;
    heapLive -= (long long)malloc_usable_size(p);
    std::free(p);
}

}  // namespace bench

void* operator new(std::size_t n) {
    return bench::CountedNew(n);
}
void* operator new[](std::size_t n) {
    return bench::CountedNew(n);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return bench::CountedNewAligned(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return bench::CountedNewAligned(n, a);
}
void operator delete(void* p) noexcept {
    bench::CountedDelete(p);
}
void operator delete[](void* p) noexcept {
    bench::CountedDelete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    bench::CountedDelete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    bench::CountedDelete(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    bench::CountedDelete(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    bench::CountedDelete(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    bench::CountedDelete(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    bench::CountedDelete(p);
}
