// BigArray: an uninitialised array for grids of millions of entries.
//
// A 4097 map keeps 350 MB of per-sample grids that tools, samplers and ray
// walks read at random places. With 4 KiB pages nearly every such read also
// misses the address translation cache; arrays of several megabytes are
// therefore aligned to 2 MiB and offered to the kernel for transparent huge
// pages (a hint: without them the array works the same, only slower).
// Entries are not initialised: the owner writes every entry before reading.
#pragma once

#include <sys/mman.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

struct BigArrayFree {
    void operator()(void* p) const { std::free(p); }
};

template <class T> using BigArray = std::unique_ptr<T[], BigArrayFree>;

// Null when the memory is not available.
template <class T> BigArray<T> AllocateBigArray(size_t count)
{
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);
    constexpr size_t kHugePage = size_t(2) << 20;
    if (count == 0 || count > SIZE_MAX / sizeof(T)) return nullptr;
    size_t bytes = count * sizeof(T);
    if (bytes < 2 * kHugePage) return BigArray<T>(static_cast<T*>(std::malloc(bytes)));
    size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (p) madvise(p, rounded, MADV_HUGEPAGE);
    return BigArray<T>(static_cast<T*>(p));
}
