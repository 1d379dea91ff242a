// A project file described by choices that fuzz input makes: which objects exist and how
// they are linked, their HDF5 element types, shapes and lengths, the types and values of the
// attributes, and where NaN, infinities and other extreme numbers stand. Every choice's
// value 0 is the ordinary one, so a recipe of zeros is a valid project of 2 x 2 x 2 lines.
#ifndef BRENWICK_FUZZ_PROJECT_RECIPE_H
#define BRENWICK_FUZZ_PROJECT_RECIPE_H

#include "fuzz_bytes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brenwick {

// How an object is linked at its place: 0 a hard link to an object of the expected kind, 1 no
// link, 2 an object of the other kind (a group for a dataset and the reverse), 3 a soft link to
// the object stored elsewhere, 4 a dangling soft link, 5 an external link into a missing file.
inline constexpr std::uint8_t kLinkKinds = 6;

struct AttributeRecipe {
    // String attributes: 0 variable-length UTF-8, 1 missing, 2 fixed-length with NUL padding,
    // 3 fixed-length with blank padding, 4 a changed or shortened text, 5 an integer, 6 two
    // strings, 7 variable-length ASCII, 8 fixed-length without room for the NUL, 9 empty.
    // Integer attributes: 0 int64, 1 missing, 2 uint8, 3 int64 of the value byte as a signed
    // number, 4 float64, 5 a string, 6 the largest uint64, 7 two int32, 8 the smallest int64,
    // 9 big-endian int16.
    std::uint8_t form = 0;
    std::uint8_t value = 0;  // the byte that forms 3 (integers) and 2 to 4 (strings) use

    template <typename Archive, typename Self>
    static void Fields(Archive& archive, Self& self) {
        archive(self.form);
        archive(self.value);
    }
};

// One value of a dataset replaced by an extreme number (NaN, infinities, zeros of both signs,
// subnormals, numbers beyond float, ...).
struct ValueOverride {
    std::uint8_t index = 0;    // position, modulo the dataset's length
    std::uint8_t special = 0;  // which number

    template <typename Archive, typename Self>
    static void Fields(Archive& archive, Self& self) {
        archive(self.index);
        archive(self.special);
    }
};

struct DatasetRecipe {
    std::uint8_t link = 0;  // modulo kLinkKinds
    // 0 the format's float type, 1 the other float width, 2 big-endian float, 3 int32,
    // 4 uint8, 5 fixed-length strings (no values written).
    std::uint8_t type = 0;
    // 0 one-dimensional, 1 two-dimensional (n x 1), 2 scalar, 3 chunked, extendible, compressed.
    std::uint8_t shape = 0;
    // 0 the length the project needs; odd c: (c + 1) / 2 values fewer; even c: c / 2 more.
    std::uint8_t length_change = 0;
    std::vector<ValueOverride> overrides;

    template <typename Archive, typename Self>
    static void Fields(Archive& archive, Self& self) {
        archive(self.link);
        archive(self.type);
        archive(self.shape);
        archive(self.length_change);
        archive(self.overrides, 8);
    }
};

struct ResultRecipe {
    AttributeRecipe tree_path;   // valid: the potential's tree path
    AttributeRecipe field_type;  // valid: 4, a real scalar field
    DatasetRecipe values;

    template <typename Archive, typename Self>
    static void Fields(Archive& archive, Self& self) {
        Visit(archive, self.tree_path);
        Visit(archive, self.field_type);
        Visit(archive, self.values);
    }
};

struct ProjectRecipe {
    AttributeRecipe format;
    AttributeRecipe format_version;
    std::array<std::uint8_t, 3> lines{};  // (value + 2) % 17 lines per axis: 2 to 16, 0, 1
    std::uint8_t mesh_group = 0;          // link kind of /mesh
    std::array<DatasetRecipe, 3> mesh;
    std::uint8_t results_group = 0;  // link kind of /results
    ResultRecipe potential;          // /results/potential
    std::vector<ResultRecipe> other_results;
    std::uint8_t matrix_group = 0;           // link kind of /material_matrix
    std::array<DatasetRecipe, 2> matrices;  // quantity codes 0 and 3
    // Bit 0: by density; bit 1: only potentials; bit 2: write the element properties;
    // bit 3: a second export on the same engine in the other mode.
    std::uint8_t export_options = 0;

    template <typename Archive, typename Self>
    static void Fields(Archive& archive, Self& self) {
        Visit(archive, self.format);
        Visit(archive, self.format_version);
        archive(self.lines);
        archive(self.mesh_group);
        for (auto& axis : self.mesh) Visit(archive, axis);
        archive(self.results_group);
        Visit(archive, self.potential);
        archive(self.other_results, 2);
        archive(self.matrix_group);
        for (auto& matrix : self.matrices) Visit(archive, matrix);
        archive(self.export_options);
    }
};

// The number of mesh lines a recipe's line byte stands for.
std::size_t LineCount(std::uint8_t value);

// Writes the project to path (replacing any file there). Returns false when HDF5 cannot
// create the file; objects that HDF5 refuses to make are left out.
bool WriteRecipeProject(const std::string& path, const ProjectRecipe& recipe);

}  // namespace brenwick

#endif
