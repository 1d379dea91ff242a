// Memory for the engine's big per-node and per-element arrays.
//
// Such arrays are hundreds of megabytes; touching them page by page costs more time than
// computing their contents. On Linux they are backed by transparent huge pages where the
// system allows it, which cuts the number of page faults by a factor of 512.
#ifndef BRENWICK_LARGE_ARRAY_H
#define BRENWICK_LARGE_ARRAY_H

#include <cstddef>
#include <memory>
#include <vector>

namespace brenwick {

// Asks the system to back [data, data + bytes) with huge pages. Only a hint; does nothing
// for small ranges and on systems without the facility.
void AdviseHugePages(void* data, std::size_t bytes);

// vector.resize(size), with the new memory advised before it is first touched.
template <typename T>
void ResizeLargeArray(std::vector<T>& vector, std::size_t size) {
    if (size > vector.capacity()) {
        std::vector<T> fresh;
        fresh.reserve(size);
        AdviseHugePages(fresh.data(), size * sizeof(T));
        fresh.assign(vector.begin(), vector.end());
        vector.swap(fresh);
    }
    vector.resize(size);
}

// An uninitialised array of `size` values, advised like the vectors.
template <typename T>
std::unique_ptr<T[]> MakeLargeArray(std::size_t size) {
    auto array = std::make_unique_for_overwrite<T[]>(size);
    AdviseHugePages(array.get(), size * sizeof(T));
    return array;
}

}  // namespace brenwick

#endif
