#include "grid.h"

namespace brenwick::efm {

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return b > kSaturated - a ? kSaturated : a + b; }

std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > kSaturated / a ? kSaturated : a * b;
}

std::uint64_t NodeCount(const std::array<int, 3>& dims) {
    return SaturatingMultiply(SaturatingMultiply(NodesAlong(dims[0]), NodesAlong(dims[1])), NodesAlong(dims[2]));
}

std::uint64_t ElementCount(const std::array<int, 3>& dims) {
    return SaturatingMultiply(SaturatingMultiply(ElementsAlong(dims[0]), ElementsAlong(dims[1])),
                              ElementsAlong(dims[2]));
}

}  // namespace brenwick::efm
