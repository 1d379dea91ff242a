// Writes a project file in the format of docs/project-format.md, the way h5py writes one:
// string attributes as scalar variable-length UTF-8 strings, integer attributes as 64-bit
// integers, mesh lines as float64 and results and material matrices as float32, each as one
// contiguous dataset written with one call.
//
// The writer stores what it is given and checks no consistency between the parts (result
// lengths, field types, matrix lengths): tests use it to make faulty projects too.
#include "project_writer.h"

#include "hdf5_handles.h"
#include "platform/utf8_path.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace brenwick {

namespace {

using namespace brenwick::h5;

class Writer {
public:
    explicit Writer(const std::string& path) : path_(path) {}

    [[noreturn]] void Fail(const std::string& what) const {
        std::string text = "WriteProjectFile: " + path_ + ": cannot " + what;
        const std::string cause = LastErrorText();
        if (!cause.empty()) text += " (" + cause + ")";
        throw std::runtime_error(text);
    }

    void Write(const ProjectContents& contents) {
        // HDF5 takes the path as UTF-8 on Windows, as the program's own paths are there.
        File file(H5Fcreate(path_.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT));
        if (!file) Fail("create the file");
        created_ = true;

        WriteStringAttribute(file.get(), "format", "brenwick-project", "/");
        WriteIntegerAttribute(file.get(), "format_version", 1, "/");

        Group mesh = CreateGroup(file.get(), "mesh");
        WriteDataset(mesh.get(), "x", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, contents.x_lines.data(),
                     contents.x_lines.size(), "/mesh/x");
        WriteDataset(mesh.get(), "y", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, contents.y_lines.data(),
                     contents.y_lines.size(), "/mesh/y");
        WriteDataset(mesh.get(), "z", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, contents.z_lines.data(),
                     contents.z_lines.size(), "/mesh/z");
        mesh.reset();

        Group results = CreateGroup(file.get(), "results");
        for (const ProjectResult& result : contents.results) {
            const std::string where = "/results/" + result.dataset_name;
            CheckName(result.dataset_name, where);
            Dataset dataset =
                WriteDataset(results.get(), result.dataset_name.c_str(), H5T_IEEE_F32LE,
                             H5T_NATIVE_FLOAT, result.values.data(), result.values.size(), where);
            WriteStringAttribute(dataset.get(), "tree_path", result.tree_path, where);
            WriteIntegerAttribute(dataset.get(), "field_type", result.field_type, where);
        }
        results.reset();

        Group matrices = CreateGroup(file.get(), "material_matrix");
        for (const auto& [code, values] : contents.material_matrices) {
            const std::string name = std::to_string(code);
            WriteDataset(matrices.get(), name.c_str(), H5T_IEEE_F32LE, H5T_NATIVE_FLOAT,
                         values.data(), values.size(), "/material_matrix/" + name);
        }
        matrices.reset();

        if (!file.close()) Fail("finish writing (close) the file");
    }

    // Removes a partly written file after a failure.
    void RemovePartialFile() const noexcept {
        if (!created_) return;
        std::error_code ignored;
        std::filesystem::remove(PathFromText(path_), ignored);
    }

private:
    void CheckName(const std::string& name, const std::string& where) const {
        if (name.empty() || name == "." || name.find('/') != std::string::npos) {
            throw std::runtime_error("WriteProjectFile: " + path_ + ": invalid dataset name for " +
                                     where + " (names must be non-empty, not \".\" and without '/')");
        }
    }

    Group CreateGroup(hid_t parent, const char* name) const {
        Group group(H5Gcreate2(parent, name, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        if (!group) Fail(std::string("create group /") + name);
        return group;
    }

    Dataset WriteDataset(hid_t parent, const char* name, hid_t file_type, hid_t memory_type,
                         const void* data, size_t count, const std::string& where) const {
        const hsize_t dims = static_cast<hsize_t>(count);
        Dataspace space(H5Screate_simple(1, &dims, nullptr));
        if (!space) Fail("describe the shape of dataset " + where);
        Dataset dataset(
            H5Dcreate2(parent, name, file_type, space.get(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        if (!dataset) Fail("create dataset " + where);
        if (count > 0 &&
            H5Dwrite(dataset.get(), memory_type, H5S_ALL, H5S_ALL, H5P_DEFAULT, data) < 0) {
            Fail("write dataset " + where);
        }
        return dataset;
    }

    void WriteStringAttribute(hid_t object, const char* name, const std::string& value,
                              const std::string& where) const {
        Datatype type(H5Tcopy(H5T_C_S1));
        if (!type || H5Tset_size(type.get(), H5T_VARIABLE) < 0 ||
            H5Tset_cset(type.get(), H5T_CSET_UTF8) < 0) {
            Fail(std::string("make the string type of attribute ") + name + " of " + where);
        }
        Dataspace space(H5Screate(H5S_SCALAR));
        if (!space) Fail(std::string("make the space of attribute ") + name + " of " + where);
        Attribute attribute(H5Acreate2(object, name, type.get(), space.get(), H5P_DEFAULT, H5P_DEFAULT));
        if (!attribute) Fail(std::string("create attribute ") + name + " of " + where);
        const char* text = value.c_str();
        if (H5Awrite(attribute.get(), type.get(), &text) < 0) {
            Fail(std::string("write attribute ") + name + " of " + where);
        }
    }

    void WriteIntegerAttribute(hid_t object, const char* name, long long value,
                               const std::string& where) const {
        Dataspace space(H5Screate(H5S_SCALAR));
        if (!space) Fail(std::string("make the space of attribute ") + name + " of " + where);
        Attribute attribute(
            H5Acreate2(object, name, H5T_STD_I64LE, space.get(), H5P_DEFAULT, H5P_DEFAULT));
        if (!attribute) Fail(std::string("create attribute ") + name + " of " + where);
        if (H5Awrite(attribute.get(), H5T_NATIVE_LLONG, &value) < 0) {
            Fail(std::string("write attribute ") + name + " of " + where);
        }
    }

    std::string path_;
    bool created_ = false;
};

}  // namespace

void WriteProjectFile(const std::string& path, const ProjectContents& contents) {
    SilenceErrorPrinting();
    Writer writer(path);
    try {
        writer.Write(contents);
    } catch (...) {
        // Every HDF5 object of the file is closed by now (the handles left their scopes).
        writer.RemovePartialFile();
        throw;
    }
}

}  // namespace brenwick
