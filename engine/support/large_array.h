// Memory for the engine's big per-node and per-element arrays.
//
// Such arrays are hundreds of megabytes; touching them page by page costs more time than
// computing their contents. On Linux they are backed by transparent huge pages where the
// system allows it, which cuts the number of page faults by a factor of 512.
//
// They start on a page boundary (a huge page's for the huge-page arrays): the system copies file
// data into memory and out of it several times slower on some processors (AMD's among them)
// when the memory lies 1 to 31 bytes past the file data within a page, as it did at the 16 bytes
// past a page where the C library puts large blocks.
//
// Every large array of the engine is allocated here, so that a lack of memory is reported
// the same way everywhere: with what could not be allocated and how much.
#ifndef BRENWICK_LARGE_ARRAY_H
#define BRENWICK_LARGE_ARRAY_H

#include "engine/engine_error.h"

#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace brenwick {

// What a large array is for and how many values it holds: `blocks` blocks of `values` each
// (the material matrix is 3 blocks of one value per node).
struct LargeArraySize {
    const char* purpose;  // "the material matrix"
    std::size_t values;
    std::size_t blocks = 1;

    // Never overflows: the engine's arrays hold at most 6 x 2^31 values.
    std::size_t Count() const { return blocks * values; }
};

// The word for many values of a type in that message.
template <typename T>
inline constexpr const char* kValueWord = "values";
template <>
inline constexpr const char* kValueWord<float> = "floats";
template <>
inline constexpr const char* kValueWord<double> = "doubles";
template <>
inline constexpr const char* kValueWord<unsigned char> = "bytes";

// Throws OutOfMemory for an array of `size` whose values have `value_bytes` bytes each.
[[noreturn]] void FailToAllocate(const LargeArraySize& size, std::size_t value_bytes, const char* value_word);

// Memory for a large array of `bytes`, on a page. From half a huge page on it starts on a huge
// page and takes whole huge pages, which are advised to the system before anything touches them:
// no part of such an array then falls on small pages, each of whose first touches costs a fault.
// Throws std::bad_alloc.
void* AllocateLargeBlock(std::size_t bytes);

// Gives back what AllocateLargeBlock(bytes) gave.
void FreeLargeBlock(void* data, std::size_t bytes) noexcept;

// An allocator whose vectors take their memory from AllocateLargeBlock and leave the values that a
// resize adds uninitialised, like new T does, so that a large array is first touched by what fills it and
// not by zeros before.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > std::allocator_traits<std::allocator<T>>::max_size(*this)) throw std::bad_array_new_length();
        return static_cast<T*>(AllocateLargeBlock(count * sizeof(T)));
    }
    void deallocate(T* data, std::size_t count) noexcept { FreeLargeBlock(data, count * sizeof(T)); }

    template <typename U>
    void construct(U* place) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Arguments>
    void construct(U* place, Arguments&&... arguments) {
        ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
    }
};

// A vector for the engine's large arrays, whose contents the reader or a loop writes in full.
template <typename T>
using LargeVector = std::vector<T, UninitialisedAllocator<T>>;

// vector.resize(count of `size`).
// Throws OutOfMemory when the memory cannot be had.
template <typename T, typename Allocator>
void ResizeLargeArray(std::vector<T, Allocator>& vector, const LargeArraySize& size) {
    const std::size_t count = size.Count();
    if (count > vector.capacity()) {
        std::vector<T, Allocator> fresh;
        try {
            fresh.reserve(count);
        } catch (const std::exception&) {  // std::bad_alloc, or std::length_error beyond max_size()
            FailToAllocate(size, sizeof(T), kValueWord<T>);
        }
        fresh.assign(vector.begin(), vector.end());
        vector.swap(fresh);
    }
    vector.resize(count);
}

// Gives back the memory of a LargeArray.
template <typename T>
struct LargeArrayDelete {
    std::size_t count = 0;
    void operator()(T* data) const noexcept { UninitialisedAllocator<T>().deallocate(data, count); }
};

template <typename T>
using LargeArray = std::unique_ptr<T[], LargeArrayDelete<T>>;

// An uninitialised array of the count of `size`, placed like the vectors' memory. Throws
// OutOfMemory when the memory cannot be had.
template <typename T>
LargeArray<T> MakeLargeArray(const LargeArraySize& size) {
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);
    const std::size_t count = size.Count();
    T* data = nullptr;
    try {
        data = UninitialisedAllocator<T>().allocate(count);
    } catch (const std::bad_alloc&) {  // std::bad_array_new_length too
        FailToAllocate(size, sizeof(T), kValueWord<T>);
    }
    return LargeArray<T>(data, LargeArrayDelete<T>{count});
}

}  // namespace brenwick

#endif
