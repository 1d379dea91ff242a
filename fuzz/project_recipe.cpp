#include "project_recipe.h"

#include "reader_contract/result_reader.h"
#include "readers/hdf5/hdf5_handles.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <limits>

namespace brenwick {

namespace {

using namespace brenwick::h5;

constexpr const char* kFormatName = "brenwick-project";
constexpr const char* kPotentialPath = "2D/3D Results\\Potentials";

double Special(std::uint8_t choice) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    constexpr double numbers[16] = {std::numeric_limits<double>::quiet_NaN(),
                                    infinity,
                                    -infinity,
                                    0.0,
                                    -0.0,
                                    1.0,
                                    -1.0,
                                    1e-4,  // where the material assignment's zero rule begins
                                    0.5,
                                    3.5e38,  // beyond float
                                    1e-42,   // a float subnormal
                                    1e-320,  // a double subnormal
                                    DBL_MAX,
                                    -1e30,
                                    12.0,
                                    1e9};
    return numbers[choice % 16] * (1 + choice / 16);
}

// The values a dataset needs, changed in length and with extreme numbers as the recipe says.
template <typename Base>
std::vector<double> Values(const DatasetRecipe& recipe, std::size_t needed, Base base) {
    std::size_t length = needed;
    const std::size_t change = recipe.length_change;
    if (change % 2 == 1) {
        length -= std::min(length, (change + 1) / 2);
    } else {
        length += change / 2;
    }
    std::vector<double> values(length);
    for (std::size_t i = 0; i < length; ++i) values[i] = base(i);
    if (!values.empty()) {
        for (const ValueOverride& change_at : recipe.overrides) values[change_at.index % length] = Special(change_at.special);
    }
    return values;
}

enum class Role { Mesh, Values };

Datatype ElementType(Role role, std::uint8_t choice) {
    const bool mesh = role == Role::Mesh;
    switch (choice % 6) {
        case 0: return Datatype(H5Tcopy(mesh ? H5T_IEEE_F64LE : H5T_IEEE_F32LE));
        case 1: return Datatype(H5Tcopy(mesh ? H5T_IEEE_F32LE : H5T_IEEE_F64LE));
        case 2: return Datatype(H5Tcopy(mesh ? H5T_IEEE_F64BE : H5T_IEEE_F32BE));
        case 3: return Datatype(H5Tcopy(H5T_STD_I32LE));
        case 4: return Datatype(H5Tcopy(H5T_STD_U8LE));
        default: {
            Datatype text(H5Tcopy(H5T_C_S1));
            H5Tset_size(text.get(), 8);
            return text;
        }
    }
}

Dataset MakeDataset(hid_t parent, const char* name, Role role, const DatasetRecipe& recipe,
                    const std::vector<double>& values) {
    const Datatype type = ElementType(role, recipe.type);
    const PropertyList creation(H5Pcreate(H5P_DATASET_CREATE));
    const hsize_t length = values.size();
    Dataspace space;
    switch (recipe.shape % 4) {
        case 0: space.reset(H5Screate_simple(1, &length, nullptr)); break;
        case 1: {
            const hsize_t dims[2] = {length, 1};
            space.reset(H5Screate_simple(2, dims, nullptr));
            break;
        }
        case 2: space.reset(H5Screate(H5S_SCALAR)); break;
        default: {
            const hsize_t unlimited = H5S_UNLIMITED;
            const hsize_t chunk = std::clamp<hsize_t>(length, 1, 8);
            space.reset(H5Screate_simple(1, &length, &unlimited));
            H5Pset_chunk(creation.get(), 1, &chunk);
            H5Pset_deflate(creation.get(), 1);
        }
    }
    Dataset dataset(H5Dcreate2(parent, name, type.get(), space.get(), H5P_DEFAULT, creation.get(), H5P_DEFAULT));
    // Fails for strings; the dataset then keeps its fill value.
    if (dataset && !values.empty()) {
        H5Dwrite(dataset.get(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
    }
    return dataset;
}

Group MakeGroup(hid_t parent, const char* name) {
    return Group(H5Gcreate2(parent, name, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
}

// Stands where a group belongs.
void MakeStubDataset(hid_t parent, const char* name) {
    MakeDataset(parent, name, Role::Values, DatasetRecipe{}, {1.0});
}

// Where an object goes: the file, and the parent and name of its link.
struct Place {
    hid_t file;
    hid_t parent;
    std::string name;
};

// Links an object at place as the link kind says. make(parent, name) creates an object of the
// expected kind, other(parent, name) one of the other kind; an object reached through a soft
// link is made at the root. Returns the expected object when one was made.
template <typename Make, typename MakeOther>
auto Link(const Place& place, std::uint8_t link, Make make, MakeOther other) -> decltype(make(hid_t{}, "")) {
    using Handle = decltype(make(hid_t{}, ""));
    const char* name = place.name.c_str();
    switch (link % kLinkKinds) {
        case 0: return make(place.parent, name);
        case 1: return Handle();
        case 2: other(place.parent, name); return Handle();
        case 3: {
            const std::string elsewhere = "elsewhere-" + std::to_string(place.parent) + "-" + place.name;
            Handle object = make(place.file, elsewhere.c_str());
            if (object) H5Lcreate_soft(("/" + elsewhere).c_str(), place.parent, name, H5P_DEFAULT, H5P_DEFAULT);
            return object;
        }
        case 4: H5Lcreate_soft("/nowhere", place.parent, name, H5P_DEFAULT, H5P_DEFAULT); return Handle();
        default:
            H5Lcreate_external("missing.h5", "/object", place.parent, name, H5P_DEFAULT, H5P_DEFAULT);
            return Handle();
    }
}

Group LinkGroup(hid_t file, const char* name, std::uint8_t link) {
    return Link(Place{file, file, name}, link, MakeGroup, MakeStubDataset);
}

// Writes one attribute; elements 0 makes it scalar.
void WriteAttribute(hid_t object, const char* name, hid_t file_type, hid_t memory_type, const void* data,
                    hsize_t elements = 0) {
    const Dataspace space(elements == 0 ? H5Screate(H5S_SCALAR) : H5Screate_simple(1, &elements, nullptr));
    const Attribute attribute(H5Acreate2(object, name, file_type, space.get(), H5P_DEFAULT, H5P_DEFAULT));
    if (attribute) H5Awrite(attribute.get(), memory_type, data);
}

void WriteVariableStrings(hid_t object, const char* name, const std::vector<std::string>& texts, H5T_cset_t cset) {
    const Datatype type(H5Tcopy(H5T_C_S1));
    H5Tset_size(type.get(), H5T_VARIABLE);
    H5Tset_cset(type.get(), cset);
    std::vector<const char*> pointers;
    for (const std::string& text : texts) pointers.push_back(text.c_str());
    WriteAttribute(object, name, type.get(), type.get(), pointers.data(), texts.size() > 1 ? texts.size() : 0);
}

void WriteFixedString(hid_t object, const char* name, const std::string& text, std::size_t size, H5T_str_t pad) {
    const Datatype type(H5Tcopy(H5T_C_S1));
    H5Tset_size(type.get(), std::max<std::size_t>(size, 1));
    H5Tset_strpad(type.get(), pad);
    std::string stored(std::max<std::size_t>(size, 1), pad == H5T_STR_SPACEPAD ? ' ' : '\0');
    stored.replace(0, std::min(text.size(), stored.size()), text, 0, std::min(text.size(), stored.size()));
    WriteAttribute(object, name, type.get(), type.get(), stored.data());
}

// The text with one letter's case changed (even value) or cut short (odd value).
std::string Changed(const std::string& text, std::uint8_t value) {
    const std::size_t at = static_cast<std::size_t>(value >> 1) % text.size();
    if (value % 2 == 1) return text.substr(0, at);
    std::string changed = text;
    changed[at] = static_cast<char>(changed[at] ^ 0x20);
    return changed;
}

void WriteStringAttribute(hid_t object, const char* name, const std::string& text, const AttributeRecipe& recipe) {
    const long long number = recipe.value;
    switch (recipe.form % 10) {
        case 0: WriteVariableStrings(object, name, {text}, H5T_CSET_UTF8); break;
        case 1: break;
        case 2: WriteFixedString(object, name, text, text.size() + 1 + recipe.value % 4, H5T_STR_NULLPAD); break;
        case 3: WriteFixedString(object, name, text, text.size() + recipe.value % 4, H5T_STR_SPACEPAD); break;
        case 4: WriteVariableStrings(object, name, {Changed(text, recipe.value)}, H5T_CSET_UTF8); break;
        case 5: WriteAttribute(object, name, H5T_STD_I64LE, H5T_NATIVE_LLONG, &number); break;
        case 6: WriteVariableStrings(object, name, {text, text}, H5T_CSET_UTF8); break;
        case 7: WriteVariableStrings(object, name, {text}, H5T_CSET_ASCII); break;
        case 8: WriteFixedString(object, name, text, text.size(), H5T_STR_NULLTERM); break;
        default: WriteVariableStrings(object, name, {""}, H5T_CSET_UTF8); break;
    }
}

// The integer a recipe writes where `valid` is expected, for the forms that write one.
long long IntendedInteger(const AttributeRecipe& recipe, long long valid) {
    return recipe.form % 10 == 3 ? static_cast<std::int8_t>(recipe.value) : valid;
}

void WriteIntegerAttribute(hid_t object, const char* name, long long valid, const AttributeRecipe& recipe) {
    const long long number = IntendedInteger(recipe, valid);
    const double real = static_cast<double>(valid);
    const unsigned long long largest = std::numeric_limits<unsigned long long>::max();
    const long long smallest = std::numeric_limits<long long>::min();
    const long long pair[2] = {valid, valid};
    switch (recipe.form % 10) {
        case 0:
        case 3: WriteAttribute(object, name, H5T_STD_I64LE, H5T_NATIVE_LLONG, &number); break;
        case 1: break;
        case 2: WriteAttribute(object, name, H5T_STD_U8LE, H5T_NATIVE_LLONG, &number); break;
        case 4: WriteAttribute(object, name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, &real); break;
        case 5: WriteVariableStrings(object, name, {std::to_string(valid)}, H5T_CSET_UTF8); break;
        case 6: WriteAttribute(object, name, H5T_STD_U64LE, H5T_NATIVE_ULLONG, &largest); break;
        case 7: WriteAttribute(object, name, H5T_STD_I32LE, H5T_NATIVE_LLONG, pair, 2); break;
        case 8: WriteAttribute(object, name, H5T_STD_I64LE, H5T_NATIVE_LLONG, &smallest); break;
        default: WriteAttribute(object, name, H5T_STD_I16BE, H5T_NATIVE_LLONG, &number); break;
    }
}

void WriteMesh(hid_t file, const ProjectRecipe& recipe) {
    const Group mesh = LinkGroup(file, "mesh", recipe.mesh_group);
    if (!mesh) return;
    const char* const names[3] = {"x", "y", "z"};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const DatasetRecipe& lines = recipe.mesh[axis];
        const double spacing = 0.25 * static_cast<double>(axis + 1);
        const std::vector<double> values = Values(lines, LineCount(recipe.lines[axis]),
                                                  [&](std::size_t i) { return static_cast<double>(i) * spacing - 1.0; });
        const auto make = [&](hid_t parent, const char* name) {
            return MakeDataset(parent, name, Role::Mesh, lines, values);
        };
        Link(Place{file, mesh.get(), names[axis]}, lines.link, make, MakeGroup);
    }
}

void WriteResult(hid_t file, hid_t results, const std::string& name, const ResultRecipe& result, std::size_t nodes) {
    // A code that names no field type gets one value per node.
    const int per_node = BrenwickValuesPerNode(IntendedInteger(result.field_type, BRENWICK_REAL_SCALAR_FIELD));
    const std::size_t needed = nodes * static_cast<std::size_t>(std::max(per_node, 1));
    const std::vector<double> values =
        Values(result.values, needed, [](std::size_t i) { return 0.5 * static_cast<double>(i) - 100.0; });
    const auto make = [&](hid_t parent, const char* dataset_name) {
        Dataset dataset = MakeDataset(parent, dataset_name, Role::Values, result.values, values);
        if (dataset) {
            WriteStringAttribute(dataset.get(), "tree_path", kPotentialPath, result.tree_path);
            WriteIntegerAttribute(dataset.get(), "field_type", BRENWICK_REAL_SCALAR_FIELD, result.field_type);
        }
        return dataset;
    };
    Link(Place{file, results, name}, result.values.link, make, MakeGroup);
}

void WriteResults(hid_t file, const ProjectRecipe& recipe, std::size_t nodes) {
    const Group results = LinkGroup(file, "results", recipe.results_group);
    if (!results) return;
    WriteResult(file, results.get(), "potential", recipe.potential, nodes);
    for (std::size_t index = 0; index < recipe.other_results.size(); ++index) {
        WriteResult(file, results.get(), "result-" + std::to_string(index), recipe.other_results[index], nodes);
    }
}

void WriteMatrices(hid_t file, const ProjectRecipe& recipe, std::size_t nodes) {
    const Group matrices = LinkGroup(file, "material_matrix", recipe.matrix_group);
    if (!matrices) return;
    const int codes[2] = {0, 3};
    for (std::size_t index = 0; index < 2; ++index) {
        const DatasetRecipe& matrix = recipe.matrices[index];
        const double scale = codes[index] == 0 ? 1e10 : 1.0;
        const std::vector<double> values = Values(matrix, 3 * nodes, [&](std::size_t i) {
            return scale * static_cast<double>(1 + i % 5);
        });
        const auto make = [&](hid_t parent, const char* name) {
            return MakeDataset(parent, name, Role::Values, matrix, values);
        };
        Link(Place{file, matrices.get(), std::to_string(codes[index])}, matrix.link, make, MakeGroup);
    }
}

}  // namespace

std::size_t LineCount(std::uint8_t value) { return (static_cast<std::size_t>(value) + 2) % 17; }

bool WriteRecipeProject(const std::string& path, const ProjectRecipe& recipe) {
    SilenceErrorPrinting();
    File file(H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT));
    if (!file) return false;
    WriteStringAttribute(file.get(), "format", kFormatName, recipe.format);
    WriteIntegerAttribute(file.get(), "format_version", 1, recipe.format_version);
    WriteMesh(file.get(), recipe);
    std::size_t nodes = 1;
    for (const std::uint8_t lines : recipe.lines) nodes *= LineCount(lines);
    WriteResults(file.get(), recipe, nodes);
    WriteMatrices(file.get(), recipe, nodes);
    return file.close();
}

}  // namespace brenwick
