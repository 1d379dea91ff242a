// Writes a project file in the format of docs/project-format.md, the way h5py writes one:
// string attributes as scalar variable-length UTF-8 strings, integer attributes as 64-bit
// integers, mesh lines as float64 and results and material matrices as float32, each as one
// contiguous dataset written with one call.
//
// The writer stores what it is given and checks no consistency between the parts (result
// lengths, field types, matrix lengths): tests use it to make faulty projects too.
#include "project_writer.h"

#include "hdf5_handles.h"
#include "output/output_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace brenwick {

namespace {

using namespace brenwick::h5;

// Room for what HDF5 stores besides the values: the superblock, the groups, the object headers
// and the attributes of a project take a few kilobytes.
constexpr std::size_t kMetadataAllowance = std::size_t{1} << 20;
// Datasets of at least kAlignedFrom bytes start at a multiple of kPageBytes in the file.
constexpr hsize_t kAlignedFrom = hsize_t{64} << 10;
constexpr hsize_t kPageBytes = 4096;

// The memory of a file that HDF5 builds in memory. HDF5 allocates and grows it through these
// callbacks and, when it closes the file, hands it back instead of freeing it: so the bytes of
// the closed file are there without a copy.
class FileMemory {
public:
    // Lets the files opened with `access` keep their memory here; false when HDF5 refuses.
    bool Take(hid_t access) {
        H5FD_file_image_callbacks_t callbacks{&Allocate, &Copy, &Resize, &Release, &Share, &Unshare, this};
        return H5Pset_file_image_callbacks(access, &callbacks) >= 0;
    }

    // The memory of the closed file, and how many bytes it holds; null while the file is open.
    const unsigned char* Closed() const { return closed_.get(); }
    std::size_t Size() const { return size_; }

private:
    struct Free {
        void operator()(void* memory) const { std::free(memory); }
    };

    static void* Allocate(std::size_t size, H5FD_file_image_op_t, void* self) {
        static_cast<FileMemory*>(self)->size_ = size;
        return std::malloc(size);
    }
    static void* Copy(void* to, const void* from, std::size_t size, H5FD_file_image_op_t, void*) {
        return std::memcpy(to, from, size);
    }
    static void* Resize(void* memory, std::size_t size, H5FD_file_image_op_t, void* self) {
        void* resized = std::realloc(memory, size);
        if (resized != nullptr) static_cast<FileMemory*>(self)->size_ = size;
        return resized;
    }
    static herr_t Release(void* memory, H5FD_file_image_op_t operation, void* self) {
        if (operation == H5FD_FILE_IMAGE_OP_FILE_CLOSE) {
            static_cast<FileMemory*>(self)->closed_.reset(static_cast<unsigned char*>(memory));
        } else {
            std::free(memory);
        }
        return 0;
    }
    // Every copy of the property list refers to this one object, which outlives them.
    static void* Share(void* self) { return self; }
    static herr_t Unshare(void*) { return 0; }

    std::unique_ptr<unsigned char, Free> closed_;
    std::size_t size_ = 0;
};

class Writer {
public:
    explicit Writer(const std::string& path) : path_(path) {}

    [[noreturn]] void Fail(const std::string& what) const {
        std::string text = "WriteProjectFile: " + path_ + ": cannot " + what;
        const std::string cause = LastErrorText();
        if (!cause.empty()) text += " (" + cause + ")";
        throw std::runtime_error(text);
    }

    // Builds the project file in `memory` and returns its size. HDF5 never writes to the disk: a
    // write that fails while HDF5 closes a file on disk (a full disk, a file size limit) leaves
    // HDF5 1.10 listing a file it has already freed, which it closes again when the program
    // ends, and crashes there. The caller writes the bytes as any output.
    std::size_t BuildInMemory(const ProjectContents& contents, FileMemory& memory) const {
        File file = CreateInMemory(contents, memory);
        if (!file) Fail("create the file");

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
            Dataset dataset = WriteDataset(results.get(), result.dataset_name.c_str(), H5T_IEEE_F32LE, H5T_NATIVE_FLOAT,
                                           result.values.data(), result.values.size(), where);
            WriteStringAttribute(dataset.get(), "tree_path", result.tree_path, where);
            WriteIntegerAttribute(dataset.get(), "field_type", result.field_type, where);
        }
        results.reset();

        Group matrices = CreateGroup(file.get(), "material_matrix");
        for (const auto& [code, values] : contents.material_matrices) {
            const std::string name = std::to_string(code);
            WriteDataset(matrices.get(), name.c_str(), H5T_IEEE_F32LE, H5T_NATIVE_FLOAT, values.data(), values.size(),
                         "/material_matrix/" + name);
        }
        matrices.reset();

        const std::size_t size = SizeOf(file.get());
        if (!file.close()) Fail("finish writing (close) the file");
        if (memory.Closed() == nullptr || memory.Size() < size) Fail("keep the file's memory");
        return size;
    }

private:
    // A file in memory that grows in one step to about the size of the contents, so that a large
    // project is not copied again each time it grows.
    File CreateInMemory(const ProjectContents& contents, FileMemory& memory) const {
        std::size_t bytes = kMetadataAllowance;
        bytes += (contents.x_lines.size() + contents.y_lines.size() + contents.z_lines.size()) * sizeof(double);
        for (const ProjectResult& result : contents.results) bytes += result.values.size() * sizeof(float);
        for (const auto& [code, values] : contents.material_matrices) bytes += values.size() * sizeof(float);
        PropertyList access(H5Pcreate(H5P_FILE_ACCESS));
        // Large datasets start on a page, as the engine's arrays do: the system copies a read
        // several times slower on some processors when the two lie a few bytes apart in a page.
        if (!access || H5Pset_fapl_core(access.get(), bytes, false) < 0 ||
            H5Pset_alignment(access.get(), kAlignedFrom, kPageBytes) < 0 || !memory.Take(access.get())) {
            Fail("create the file in memory");
        }
        // Without a backing store the name only stands in HDF5's messages. HDF5 first tries to
        // open an existing file of that name, which would read it into memory; a name ending in a
        // slash opens no file.
        return File(H5Fcreate((path_ + "/").c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, access.get()));
    }

    // The size of the file once every object is in it: its end of allocated space, which the
    // flush also makes the file's memory cover.
    std::size_t SizeOf(hid_t file) const {
        if (H5Fflush(file, H5F_SCOPE_LOCAL) < 0) Fail("finish writing (flush) the file");
        const ssize_t size = H5Fget_file_image(file, nullptr, 0);
        if (size < 0) Fail("find the size of the file");
        return static_cast<std::size_t>(size);
    }

    void CheckName(const std::string& name, const std::string& where) const {
        if (name.empty() || name == "." || name.find('/') != std::string::npos) {
            throw std::runtime_error("WriteProjectFile: " + path_ + ": invalid dataset name for " + where +
                                     " (names must be non-empty, not \".\" and without '/')");
        }
    }

    Group CreateGroup(hid_t parent, const char* name) const {
        Group group(H5Gcreate2(parent, name, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        if (!group) Fail(std::string("create group /") + name);
        return group;
    }

    Dataset WriteDataset(hid_t parent, const char* name, hid_t file_type, hid_t memory_type, const void* data,
                         size_t count, const std::string& where) const {
        const hsize_t dims = static_cast<hsize_t>(count);
        Dataspace space(H5Screate_simple(1, &dims, nullptr));
        if (!space) Fail("describe the shape of dataset " + where);
        Dataset dataset(H5Dcreate2(parent, name, file_type, space.get(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        if (!dataset) Fail("create dataset " + where);
        if (count > 0 && H5Dwrite(dataset.get(), memory_type, H5S_ALL, H5S_ALL, H5P_DEFAULT, data) < 0) {
            Fail("write dataset " + where);
        }
        return dataset;
    }

    void WriteStringAttribute(hid_t object, const char* name, const std::string& value,
                              const std::string& where) const {
        Datatype type(H5Tcopy(H5T_C_S1));
        if (!type || H5Tset_size(type.get(), H5T_VARIABLE) < 0 || H5Tset_cset(type.get(), H5T_CSET_UTF8) < 0) {
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

    void WriteIntegerAttribute(hid_t object, const char* name, long long value, const std::string& where) const {
        Dataspace space(H5Screate(H5S_SCALAR));
        if (!space) Fail(std::string("make the space of attribute ") + name + " of " + where);
        Attribute attribute(H5Acreate2(object, name, H5T_STD_I64LE, space.get(), H5P_DEFAULT, H5P_DEFAULT));
        if (!attribute) Fail(std::string("create attribute ") + name + " of " + where);
        if (H5Awrite(attribute.get(), H5T_NATIVE_LLONG, &value) < 0) {
            Fail(std::string("write attribute ") + name + " of " + where);
        }
    }

    std::string path_;
};

}  // namespace

void WriteProjectFile(const std::string& path, const ProjectContents& contents) {
    SilenceErrorPrinting();
    FileMemory memory;
    const std::size_t size = Writer(path).BuildInMemory(contents, memory);
    OutputFile output(path, {"WriteProjectFile: cannot create the file ", "WriteProjectFile: cannot write the file "});
    output.Write(memory.Closed(), size);  // a failed write makes Commit fail
    output.Commit();
}

}  // namespace brenwick
