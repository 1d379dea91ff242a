// Turning fuzz input into structured choices, and structured choices back into input.
//
// A recipe type describes its fields once, in a static Fields(archive, self) function that
// hands every field to the archive in a fixed order. ByteSource fills the fields from fuzz input;
// ByteSink writes them out as bytes, which is how the seed corpus is made. An input that runs
// out reads as zero bytes, so every recipe field's value 0 is its ordinary, valid choice.
#ifndef BRENWICK_FUZZ_BYTES_H
#define BRENWICK_FUZZ_BYTES_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace brenwick {

template <typename Archive, typename Recipe>
void Visit(Archive& archive, Recipe& recipe) {
    std::remove_const_t<Recipe>::Fields(archive, recipe);
}

class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    void operator()(std::uint8_t& value) { value = position_ < size_ ? data_[position_++] : 0; }

    template <std::size_t N>
    void operator()(std::array<std::uint8_t, N>& values) {
        for (std::uint8_t& value : values) (*this)(value);
    }

    // A count byte (taken modulo max_count + 1), then that many elements.
    template <typename T>
    void operator()(std::vector<T>& elements, std::size_t max_count) {
        std::uint8_t count = 0;
        (*this)(count);
        elements.resize(count % (max_count + 1));
        for (T& element : elements) Visit(*this, element);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

class ByteSink {
public:
    void operator()(const std::uint8_t& value) { bytes_.push_back(value); }

    template <std::size_t N>
    void operator()(const std::array<std::uint8_t, N>& values) {
        for (const std::uint8_t& value : values) (*this)(value);
    }

    template <typename T>
    void operator()(const std::vector<T>& elements, std::size_t /*max_count*/) {
        bytes_.push_back(static_cast<std::uint8_t>(elements.size()));
        for (const T& element : elements) Visit(*this, element);
    }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// Reads a recipe from fuzz input.
template <typename Recipe>
Recipe DecodeRecipe(const std::uint8_t* data, std::size_t size) {
    Recipe recipe;
    ByteSource source(data, size);
    Visit(source, recipe);
    return recipe;
}

// The input that DecodeRecipe turns into this recipe.
template <typename Recipe>
std::vector<std::uint8_t> EncodeRecipe(const Recipe& recipe) {
    ByteSink sink;
    Visit(sink, recipe);
    return sink.Bytes();
}

}  // namespace brenwick

#endif
