#include "reader_test_support.h"

#include <algorithm>
#include <stdexcept>

using namespace brenwick;


namespace reader_test {

using namespace brenwick::h5;

namespace {

void Check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("test setup failed: " + what + " " + LastErrorText());
}

}  // namespace

std::vector<float> Ramp(std::size_t n, float start, float step) {
    std::vector<float> values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = start + step * static_cast<float>(i);
    return values;
}

ProjectContents SmallProject() {
    ProjectContents contents;
    contents.x_lines = {-1.5, 0.0, 2.25};
    contents.y_lines = {0.0, 0.1, 0.3, 0.7};
    contents.z_lines = {1e-3, 2e-3, 4e-3, 8e-3, 1.6e-2};
    const std::size_t nodes = 3 * 4 * 5;
    contents.results = {
        {"potential", kPotentialPath, 4, Ramp(nodes, -3.0f, 0.25f)},
        {"complex_potential", "2D/3D Results\\Potentials (complex)", 3, Ramp(2 * nodes, 1.0f, 0.5f)},
        {"e_field", "2D/3D Results\\E-Field", 2, Ramp(3 * nodes, 7.0f, -0.125f)},
        {"complex_e_field", "2D/3D Results\\E-Field (complex)", 1, Ramp(6 * nodes, 0.0f, 1.0f)},
    };
    contents.material_matrices[0] = Ramp(3 * nodes, 1.0e10f, 1.0e8f);
    contents.material_matrices[3] = Ramp(3 * nodes, 0.5f, 0.75f);
    return contents;
}

std::string WriteProject(const std::filesystem::path& path, const ProjectContents& contents) {
    WriteProjectFile(path.string(), contents);
    return path.string();
}

OpenedProject::OpenedProject(const std::string& path)
    : status_(CST_OpenProject(path.c_str(), &handle_)), open_(status_ == 0) {}

OpenedProject::~OpenedProject() {
    if (open_) CST_CloseProject(&handle_);
}

int OpenedProject::Close() {
    open_ = false;
    return CST_CloseProject(&handle_);
}

File OpenForEdit(const std::filesystem::path& path) {
    SilenceErrorPrinting();
    File file(H5Fopen(path.string().c_str(), H5F_ACC_RDWR, H5P_DEFAULT));
    Check(file.valid(), "open " + path.string());
    return file;
}

File CreateFile(const std::filesystem::path& path) {
    SilenceErrorPrinting();
    File file(H5Fcreate(path.string().c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT));
    Check(file.valid(), "create " + path.string());
    return file;
}

Object OpenObject(hid_t file, const std::string& path) {
    Object object(H5Oopen(file, path.c_str(), H5P_DEFAULT));
    Check(object.valid(), "open object " + path);
    return object;
}

void DeleteAttribute(hid_t object, const std::string& name) {
    Check(H5Adelete(object, name.c_str()) >= 0, "delete attribute " + name);
}

void DeleteLink(hid_t file, const std::string& path) {
    Check(H5Ldelete(file, path.c_str(), H5P_DEFAULT) >= 0, "delete " + path);
}

namespace {
void RemoveAttributeIfPresent(hid_t object, const std::string& name) {
    const htri_t exists = H5Aexists(object, name.c_str());
    Check(exists >= 0, "look for attribute " + name);
    if (exists > 0) DeleteAttribute(object, name);
}

Dataspace AttributeSpace(int elements) {
    if (elements == 0) return Dataspace(H5Screate(H5S_SCALAR));
    const hsize_t dims = static_cast<hsize_t>(elements);
    return Dataspace(H5Screate_simple(1, &dims, nullptr));
}
}  // namespace

void SetStringAttribute(hid_t object, const std::string& name, const std::string& value,
                        std::size_t length, H5T_str_t pad, H5T_cset_t cset, int elements) {
    RemoveAttributeIfPresent(object, name);
    Datatype type(H5Tcopy(H5T_C_S1));
    Check(type.valid(), "copy string type");
    Check(H5Tset_cset(type.get(), cset) >= 0, "set character set");
    Dataspace space = AttributeSpace(elements);
    Check(space.valid(), "make attribute space");
    if (length == 0) {
        Check(H5Tset_size(type.get(), H5T_VARIABLE) >= 0, "set variable length");
        Attribute attribute(H5Acreate2(object, name.c_str(), type.get(), space.get(), H5P_DEFAULT, H5P_DEFAULT));
        Check(attribute.valid(), "create attribute " + name);
        const char* text = value.c_str();
        Check(H5Awrite(attribute.get(), type.get(), &text) >= 0, "write attribute " + name);
        return;
    }
    Check(H5Tset_size(type.get(), length) >= 0, "set string length");
    Check(H5Tset_strpad(type.get(), pad) >= 0, "set string padding");
    std::string stored = value;
    stored.resize(length, pad == H5T_STR_SPACEPAD ? ' ' : '\0');
    Attribute attribute(H5Acreate2(object, name.c_str(), type.get(), space.get(), H5P_DEFAULT, H5P_DEFAULT));
    Check(attribute.valid(), "create attribute " + name);
    Check(H5Awrite(attribute.get(), type.get(), stored.data()) >= 0, "write attribute " + name);
}

void SetNumberAttribute(hid_t object, const std::string& name, hid_t file_type, double value, int elements) {
    RemoveAttributeIfPresent(object, name);
    Dataspace space = AttributeSpace(elements);
    Check(space.valid(), "make attribute space");
    Attribute attribute(H5Acreate2(object, name.c_str(), file_type, space.get(), H5P_DEFAULT, H5P_DEFAULT));
    Check(attribute.valid(), "create attribute " + name);
    const std::vector<double> values(static_cast<std::size_t>(std::max(elements, 1)), value);
    Check(H5Awrite(attribute.get(), H5T_NATIVE_DOUBLE, values.data()) >= 0, "write attribute " + name);
}

void SetDataset(hid_t file, const std::string& path, hid_t file_type,
                const std::vector<hsize_t>& dims, hid_t memory_type, const void* data) {
    const htri_t exists = H5Lexists(file, path.c_str(), H5P_DEFAULT);
    if (exists > 0) DeleteLink(file, path);
    Dataspace space(dims.empty() ? H5Screate(H5S_SCALAR)
                                 : H5Screate_simple(static_cast<int>(dims.size()), dims.data(), nullptr));
    Check(space.valid(), "make dataset space");
    Dataset dataset(H5Dcreate2(file, path.c_str(), file_type, space.get(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    Check(dataset.valid(), "create dataset " + path);
    if (data != nullptr) {
        Check(H5Dwrite(dataset.get(), memory_type, H5S_ALL, H5S_ALL, H5P_DEFAULT, data) >= 0,
              "write dataset " + path);
    }
}

}  // namespace reader_test
