#include "grid.h"

namespace brenwick::efm {

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return b > kSaturated - a ? kSaturated : a + b; }

std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > kSaturated / a ? kSaturated : a * b;
}

namespace {

std::uint64_t Product(const std::array<std::uint64_t, 3>& sizes) {
    return SaturatingMultiply(SaturatingMultiply(sizes[0], sizes[1]), sizes[2]);
}

}  // namespace

std::uint64_t NodeCount(const std::array<int, 3>& dims) { return Product(NodeSizes(dims)); }

std::uint64_t ElementCount(const std::array<int, 3>& dims) { return Product(ElementSizes(dims)); }

}  // namespace brenwick::efm
