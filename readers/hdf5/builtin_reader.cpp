// Brenwick's built-in result reader: the nine operations of result_reader.h for the HDF5
// project format of docs/project-format.md, the optional read monitor and plane reads.
//
// Reader version 1004 (reader 1.4, format version 1).
//
// An open project is one read-only HDF5 file, kept open from CST_OpenProject to
// CST_CloseProject, in a table keyed by the handle's id. The mesh is checked when the project
// is opened and its line counts are kept; every later operation checks its arguments and the
// objects it reads again, and reads with HDF5 memory selections of exactly the sizes it
// reported, so that no operation writes more into the caller's array than the sizes reported
// before allow, whatever the file says. Arrays are read in slabs sized by time
// (slab_pacing.h), so that a read monitor sees the progress and can stop a read between two
// of them on a slow disk as on a fast one. No exception leaves these functions: every failure,
// including a failed allocation, becomes a status.
#include "reader_contract/result_reader.h"

#include "hdf5_handles.h"
#include "platform/ansi_path.h"
#include "platform/file_reading.h"
#include "platform/utf8_path.h"
#include "slab_pacing.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

using namespace brenwick::h5;

constexpr int kReaderVersion = 1004;
constexpr const char* kFormatName = "brenwick-project";
constexpr long long kFormatVersion = 1;

// Raised inside the reader and turned into the status at the C boundary.
struct ReaderFailure {
    int status;
};

[[noreturn]] void Fail(int status) { throw ReaderFailure{status}; }

struct Monitor {
    BrenwickReadMonitor call = nullptr;
    void* context = nullptr;

    // Tells the monitor how far a read has come; a monitor that asks to stop ends the read.
    void Tell(hsize_t done, hsize_t total) const {
        if (call != nullptr && call(context, done, total) != 0) Fail(BRENWICK_READER_STOPPED);
    }
};

struct OpenProject {
    File file;
    int descriptor = -1;      // of the file, while HDF5 keeps it open
    int dims[3] = {0, 0, 0};  // nx, ny, nz as stored when the project was opened
    Monitor monitor;
};

// The table of open projects. One lock guards it and every HDF5 call of the reader.
struct Registry {
    std::mutex mutex;
    std::map<int32_t, OpenProject> projects;
    int32_t next_id = 1;

    // An id not used by any open project; ids count up and never return to 0 or below.
    int32_t NewId() {
        for (;;) {
            const int32_t id = next_id;
            next_id = (next_id == INT32_MAX) ? 1 : next_id + 1;
            if (projects.find(id) == projects.end()) return id;
        }
    }
};

Registry& GetRegistry() {
    static Registry registry;
    return registry;
}

// Runs body under the registry lock and turns everything it throws into a status.
template <typename Body>
int Guarded(Body&& body) noexcept {
    try {
        SilenceErrorPrinting();
        Registry& registry = GetRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        return body(registry);
    } catch (const ReaderFailure& failure) {
        return failure.status;
    } catch (...) {
        // Out of memory or anything unforeseen: the project could not be read.
        return BRENWICK_READER_READ_ERROR;
    }
}

OpenProject& FindProject(Registry& registry, const CSTProjHandle* handle) {
    const auto it = registry.projects.find(handle->id);
    if (it == registry.projects.end()) Fail(BRENWICK_READER_UNKNOWN_HANDLE);
    return it->second;
}

enum class Kind { Missing, Group, Dataset, Other };

// Opens the object linked as name (one path component) below loc, following hard and soft
// links inside the file only. kind tells what it is; the handle is valid for Group and Dataset.
Object OpenChild(hid_t loc, const char* name, Kind& kind) {
    kind = Kind::Missing;
    const htri_t exists = H5Lexists(loc, name, H5P_DEFAULT);
    if (exists < 0) Fail(BRENWICK_READER_READ_ERROR);
    if (exists == 0) return Object();
    H5L_info_t link_info;
    if (H5Lget_info(loc, name, &link_info, H5P_DEFAULT) < 0) Fail(BRENWICK_READER_READ_ERROR);
    kind = Kind::Other;
    if (link_info.type != H5L_TYPE_HARD && link_info.type != H5L_TYPE_SOFT) return Object();
    Object object(H5Oopen(loc, name, H5P_DEFAULT));
    if (!object) return Object();  // e.g. a dangling soft link
    switch (H5Iget_type(object.get())) {
    case H5I_GROUP: kind = Kind::Group; return object;
    case H5I_DATASET: kind = Kind::Dataset; return object;
    default: return Object();
    }
}

// The value of a string attribute (fixed- or variable-length, any character set) holding one
// string, or nothing when the attribute is missing, is no string or cannot be read.
std::optional<std::string> ReadStringAttribute(hid_t object, const char* name) {
    if (H5Aexists(object, name) <= 0) return std::nullopt;
    Attribute attribute(H5Aopen(object, name, H5P_DEFAULT));
    if (!attribute) return std::nullopt;
    Datatype file_type(H5Aget_type(attribute.get()));
    if (!file_type || H5Tget_class(file_type.get()) != H5T_STRING) return std::nullopt;
    Dataspace space(H5Aget_space(attribute.get()));
    if (!space || H5Sget_simple_extent_npoints(space.get()) != 1) return std::nullopt;
    const H5T_cset_t cset = H5Tget_cset(file_type.get());
    if (cset < 0) return std::nullopt;

    const htri_t variable = H5Tis_variable_str(file_type.get());
    if (variable < 0) return std::nullopt;
    if (variable > 0) {
        Datatype memory_type(H5Tcopy(H5T_C_S1));
        if (!memory_type || H5Tset_size(memory_type.get(), H5T_VARIABLE) < 0 ||
            H5Tset_cset(memory_type.get(), cset) < 0) {
            return std::nullopt;
        }
        char* raw = nullptr;
        if (H5Aread(attribute.get(), memory_type.get(), &raw) < 0) return std::nullopt;
        const std::unique_ptr<char, herr_t (*)(void*)> owned(raw, H5free_memory);
        return std::string(raw != nullptr ? raw : "");
    }

    const size_t size = H5Tget_size(file_type.get());
    if (size == 0) return std::nullopt;
    std::vector<char> buffer(size + 1, '\0');
    if (H5Aread(attribute.get(), file_type.get(), buffer.data()) < 0) return std::nullopt;
    std::string text(buffer.data(), size);
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    if (H5Tget_strpad(file_type.get()) == H5T_STR_SPACEPAD) {
        const size_t last = text.find_last_not_of(' ');
        text.resize(last == std::string::npos ? 0 : last + 1);
    }
    return text;
}

// The value of an integer attribute (any width, signed or unsigned) holding one number, or
// nothing when the attribute is missing, is no integer or cannot be read. Values beyond the
// range of long long arrive clipped to it.
std::optional<long long> ReadIntegerAttribute(hid_t object, const char* name) {
    if (H5Aexists(object, name) <= 0) return std::nullopt;
    Attribute attribute(H5Aopen(object, name, H5P_DEFAULT));
    if (!attribute) return std::nullopt;
    Datatype file_type(H5Aget_type(attribute.get()));
    if (!file_type || H5Tget_class(file_type.get()) != H5T_INTEGER) return std::nullopt;
    Dataspace space(H5Aget_space(attribute.get()));
    if (!space || H5Sget_simple_extent_npoints(space.get()) != 1) return std::nullopt;
    long long value = 0;
    if (H5Aread(attribute.get(), H5T_NATIVE_LLONG, &value) < 0) return std::nullopt;
    return value;
}

// Checks that dataset holds a one-dimensional array of floating-point numbers and returns
// its length. Other number types: READ_ERROR; another shape: INCONSISTENT_SIZES.
hsize_t FloatVectorLength(hid_t dataset) {
    Datatype type(H5Dget_type(dataset));
    if (!type) Fail(BRENWICK_READER_READ_ERROR);
    if (H5Tget_class(type.get()) != H5T_FLOAT) Fail(BRENWICK_READER_READ_ERROR);
    Dataspace space(H5Dget_space(dataset));
    if (!space) Fail(BRENWICK_READER_READ_ERROR);
    if (H5Sget_simple_extent_type(space.get()) != H5S_SIMPLE || H5Sget_simple_extent_ndims(space.get()) != 1) {
        Fail(BRENWICK_READER_INCONSISTENT_SIZES);
    }
    hsize_t length = 0;
    if (H5Sget_simple_extent_dims(space.get(), &length, nullptr) != 1) {
        Fail(BRENWICK_READER_READ_ERROR);
    }
    return length;
}

// Where the values of a dataset lie in the file: from `offset` on in one piece, when the
// dataset is stored that way, `size` bytes each. The system may hold some of them in memory.
struct StoredValues {
    int descriptor = -1;
    std::optional<std::uint64_t> offset;
    std::uint64_t size = 0;

    // How many bytes of the `count` values from `first` on, up to a slab's worth, are in memory.
    // Only the values to be read are asked about: the system looks at every page asked about.
    std::uint64_t InMemory(hsize_t first, hsize_t count) const {
        if (descriptor < 0 || !offset) return 0;
        return brenwick::BytesInMemory(descriptor, *offset + first * size, std::min<std::uint64_t>(count * size, kLargestSlabBytes));
    }
};

StoredValues FindStoredValues(hid_t dataset, int descriptor, size_t value_size) {
    StoredValues stored{descriptor, std::nullopt, value_size};
    Datatype type(H5Dget_type(dataset));
    const size_t size = type ? H5Tget_size(type.get()) : 0;
    const haddr_t offset = H5Dget_offset(dataset);
    if (size > 0 && offset != HADDR_UNDEF) {
        stored.offset = offset;
        stored.size = size;
    }
    return stored;
}

// Reads the n values from `first` on, converted to the memory type, into destination, with a
// memory selection of exactly n values.
void ReadSlab(hid_t dataset, hid_t memory_type, hid_t file_space, hsize_t first, hsize_t n, void* destination) {
    Dataspace memory_space(H5Screate_simple(1, &n, nullptr));
    if (!memory_space || H5Sselect_hyperslab(file_space, H5S_SELECT_SET, &first, nullptr, &n, nullptr) < 0 ||
        H5Dread(dataset, memory_type, memory_space.get(), file_space, H5P_DEFAULT, destination) < 0) {
        Fail(BRENWICK_READER_READ_ERROR);
    }
}

// A dataset of values opened for reading, and how far the read of the caller's array has come.
struct ValueReader {
    hid_t dataset;
    hid_t memory_type;
    size_t value_size;
    Dataspace file_space;
    StoredValues stored;
    const Monitor& monitor;
    hsize_t done = 0;  // values of the caller's array filled
    hsize_t total = 0;

    // Checks that the dataset holds `stored_count` values and tells the monitor that a read of
    // `total` values begins.
    ValueReader(hid_t dataset_in, hid_t memory_type_in, hsize_t stored_count, hsize_t total_in, int descriptor,
                const Monitor& monitor_in)
        : dataset(dataset_in),
          memory_type(memory_type_in),
          value_size(H5Tget_size(memory_type_in)),
          file_space(H5Dget_space(dataset_in)),
          monitor(monitor_in),
          total(total_in) {
        if (value_size == 0 || !file_space) Fail(BRENWICK_READER_READ_ERROR);
        if (H5Sget_simple_extent_npoints(file_space.get()) != static_cast<hssize_t>(stored_count)) {
            Fail(BRENWICK_READER_INCONSISTENT_SIZES);
        }
        stored = FindStoredValues(dataset, descriptor, value_size);
        monitor.Tell(0, total);
    }

    // Reads the count stored values from `first` on into destination, slab by slab, telling the
    // monitor after each. What the system holds in memory comes in slabs as large as slabs
    // get; the rest in slabs paced by the disk's rate.
    void Read(hsize_t first, hsize_t count, void* destination) {
        SlabPacing pacing;
        for (hsize_t offset = 0; offset < count;) {
            const std::uint64_t in_memory = stored.InMemory(first + offset, count - offset);
            const bool from_disk = in_memory < pacing.Bytes();
            const std::uint64_t bytes = from_disk ? pacing.Bytes() : in_memory;
            const hsize_t n = std::min(std::max<hsize_t>(1, bytes / stored.size), count - offset);
            const auto start = std::chrono::steady_clock::now();
            ReadSlab(dataset, memory_type, file_space.get(), first + offset, n,
                     static_cast<char*>(destination) + offset * value_size);
            const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
            if (from_disk) pacing.Took(n * stored.size, taken.count());
            offset += n;
            done += n;
            monitor.Tell(done, total);
        }
    }
};

// Reads all count values of dataset, converted to the memory type, into destination.
void ReadWhole(hid_t dataset, hid_t memory_type, hsize_t count, void* destination, int descriptor,
               const Monitor& monitor) {
    ValueReader(dataset, memory_type, count, count, descriptor, monitor).Read(0, count, destination);
}

// Opens /mesh/<axis> and returns its checked length.
Object OpenMeshLines(hid_t file, const char* axis, hsize_t& length) {
    Kind kind;
    Object mesh = OpenChild(file, "mesh", kind);
    if (kind != Kind::Group) Fail(BRENWICK_READER_NOT_A_PROJECT);
    Object lines = OpenChild(mesh.get(), axis, kind);
    if (kind != Kind::Dataset) Fail(BRENWICK_READER_NOT_A_PROJECT);
    length = FloatVectorLength(lines.get());
    if (length > static_cast<hsize_t>(INT_MAX)) Fail(BRENWICK_READER_INCONSISTENT_SIZES);
    return lines;
}

constexpr const char* kAxes[3] = {"x", "y", "z"};

// Checks the marks of a project and its mesh; fills dims.
void CheckProject(hid_t file, int dims[3]) {
    const std::optional<std::string> format = ReadStringAttribute(file, "format");
    if (!format || *format != kFormatName) Fail(BRENWICK_READER_NOT_A_PROJECT);
    const std::optional<long long> version = ReadIntegerAttribute(file, "format_version");
    if (!version || *version != kFormatVersion) Fail(BRENWICK_READER_NOT_A_PROJECT);
    for (int axis = 0; axis < 3; ++axis) {
        hsize_t length = 0;
        OpenMeshLines(file, kAxes[axis], length);
        dims[axis] = static_cast<int>(length);
    }
}

struct Result {
    Object dataset;
    int field_type = 0;
    hsize_t length = 0;  // values stored: the node count times the values per node of the type
};

// Finds the result whose tree_path equals tree_path exactly and checks it.
Result FindResult(hid_t file, const char* tree_path, int result_number) {
    // The format keeps one result per tree path: result number 0.
    if (result_number != 0) Fail(BRENWICK_READER_RESULT_NOT_FOUND);
    Kind kind;
    Object results = OpenChild(file, "results", kind);
    if (kind != Kind::Group) Fail(BRENWICK_READER_RESULT_NOT_FOUND);
    H5G_info_t group_info;
    if (H5Gget_info(results.get(), &group_info) < 0) Fail(BRENWICK_READER_READ_ERROR);

    Result result;
    // In name order: when two datasets carry the same tree path, the first name wins.
    for (hsize_t index = 0; index < group_info.nlinks && !result.dataset; ++index) {
        H5L_info_t link_info;
        if (H5Lget_info_by_idx(results.get(), ".", H5_INDEX_NAME, H5_ITER_INC, index, &link_info, H5P_DEFAULT) < 0) {
            continue;
        }
        if (link_info.type != H5L_TYPE_HARD && link_info.type != H5L_TYPE_SOFT) continue;
        Object object(H5Oopen_by_idx(results.get(), ".", H5_INDEX_NAME, H5_ITER_INC, index, H5P_DEFAULT));
        if (!object || H5Iget_type(object.get()) != H5I_DATASET) continue;
        const std::optional<std::string> path = ReadStringAttribute(object.get(), "tree_path");
        if (path && *path == tree_path) result.dataset = std::move(object);
    }
    if (!result.dataset) Fail(BRENWICK_READER_RESULT_NOT_FOUND);

    const std::optional<long long> field_type = ReadIntegerAttribute(result.dataset.get(), "field_type");
    if (!field_type) Fail(BRENWICK_READER_READ_ERROR);
    const int per_node = BrenwickValuesPerNode(*field_type);
    if (per_node == 0) Fail(BRENWICK_READER_READ_ERROR);
    result.field_type = static_cast<int>(*field_type);
    result.length = FloatVectorLength(result.dataset.get());
    // Whole nodes only, and a count that the caller's int can hold.
    if (result.length % static_cast<hsize_t>(per_node) != 0 || result.length > static_cast<hsize_t>(INT_MAX)) {
        Fail(BRENWICK_READER_INCONSISTENT_SIZES);
    }
    return result;
}

// The descriptor HDF5 reads the file through, or -1 where its driver keeps another kind of
// handle.
int FileDescriptor(hid_t file) {
    PropertyList access(H5Fget_access_plist(file));
    void* handle = nullptr;
    if (!access || H5Pget_driver(access.get()) != H5FD_SEC2 || H5Fget_vfd_handle(file, access.get(), &handle) < 0 ||
        handle == nullptr) {
        return -1;
    }
    return *static_cast<int*>(handle);
}

// a * b, or nothing when the product does not fit.
std::optional<uint64_t> CheckedMultiply(uint64_t a, uint64_t b) {
    if (a != 0 && b > UINT64_MAX / a) return std::nullopt;
    return a * b;
}

struct MaterialMatrix {
    Object dataset;
    hsize_t nodes = 0;  // nx * ny * nz: the dataset holds three times as many values
};

// Opens /material_matrix/<quantity> and checks that it holds 3 * nx * ny * nz values.
MaterialMatrix OpenMaterialMatrix(const OpenProject& project, int quantity) {
    Kind kind;
    Object group = OpenChild(project.file.get(), "material_matrix", kind);
    if (kind == Kind::Missing) Fail(BRENWICK_READER_QUANTITY_NOT_STORED);
    if (kind != Kind::Group) Fail(BRENWICK_READER_READ_ERROR);
    const std::string name = std::to_string(quantity);
    MaterialMatrix matrix;
    matrix.dataset = OpenChild(group.get(), name.c_str(), kind);
    if (kind == Kind::Missing) Fail(BRENWICK_READER_QUANTITY_NOT_STORED);
    if (kind != Kind::Dataset) Fail(BRENWICK_READER_READ_ERROR);
    const hsize_t length = FloatVectorLength(matrix.dataset.get());

    // 3 * nx * ny * nz, without overflow; it must also fit the caller's address space.
    std::optional<uint64_t> expected = 3;
    for (int axis = 0; axis < 3 && expected; ++axis) {
        expected = CheckedMultiply(*expected, static_cast<uint64_t>(project.dims[axis]));
    }
    if (!expected || *expected > SIZE_MAX / sizeof(float) || length != *expected) {
        Fail(BRENWICK_READER_INCONSISTENT_SIZES);
    }
    matrix.nodes = length / 3;
    return matrix;
}

}  // namespace

extern "C" {

BRENWICK_READER_API int CST_GetDLLVersion(int* version) {
    if (version == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    *version = kReaderVersion;
    return BRENWICK_READER_OK;
}

BRENWICK_READER_API int CST_OpenProject(const char* path, CSTProjHandle* handle) {
    if (handle == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    handle->id = 0;  // no project: 0 is never the id of an open project
    if (path == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    return Guarded([&](Registry& registry) {
        // Only regular files: a directory, a device or a pipe is refused before HDF5 sees it.
        std::error_code error;
        const std::filesystem::path file = brenwick::PathFromAnsi(path);
        const auto status = std::filesystem::status(file, error);
        if (error || !std::filesystem::is_regular_file(status)) {
            return int{BRENWICK_READER_FILE_ERROR};
        }

        PropertyList access(H5Pcreate(H5P_FILE_ACCESS));
        if (!access) return int{BRENWICK_READER_READ_ERROR};
#if H5_VERSION_GE(1, 10, 7)
        // Keep HDF5's shared lock, but open the file also where the file system has no locks.
        H5Pset_file_locking(access.get(), true, true);
#endif
        // HDF5 takes narrow paths as UTF-8 on Windows.
        File hdf5_file(H5Fopen(brenwick::TextFromPath(file).c_str(), H5F_ACC_RDONLY, access.get()));
        if (!hdf5_file) return int{BRENWICK_READER_FILE_ERROR};

        OpenProject project;
        project.descriptor = FileDescriptor(hdf5_file.get());
        // The system's read-ahead would queue megabytes behind every slab, which on a slow
        // disk the next slab, and a stop, would wait for; slabs are large where the disk is
        // fast.
        if (project.descriptor >= 0) brenwick::ReadWithoutReadAhead(project.descriptor);
        CheckProject(hdf5_file.get(), project.dims);
        project.file = std::move(hdf5_file);

        const int32_t id = registry.NewId();
        registry.projects.emplace(id, std::move(project));
        handle->id = id;
        return int{BRENWICK_READER_OK};
    });
}

BRENWICK_READER_API int CST_GetHexMeshInfo(CSTProjHandle* handle, int* mesh_dims) {
    if (handle == nullptr || mesh_dims == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    return Guarded([&](Registry& registry) {
        const OpenProject& project = FindProject(registry, handle);
        for (int axis = 0; axis < 3; ++axis) mesh_dims[axis] = project.dims[axis];
        return int{BRENWICK_READER_OK};
    });
}

BRENWICK_READER_API int CST_GetHexMesh(CSTProjHandle* handle, double* lines) {
    if (handle == nullptr || lines == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    return Guarded([&](Registry& registry) {
        const OpenProject& project = FindProject(registry, handle);
        // Check all three first, so that a mismatch writes nothing.
        Object datasets[3];
        for (int axis = 0; axis < 3; ++axis) {
            hsize_t length = 0;
            datasets[axis] = OpenMeshLines(project.file.get(), kAxes[axis], length);
            if (length != static_cast<hsize_t>(project.dims[axis])) {
                return int{BRENWICK_READER_INCONSISTENT_SIZES};
            }
        }
        size_t offset = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const auto count = static_cast<hsize_t>(project.dims[axis]);
            ReadWhole(datasets[axis].get(), H5T_NATIVE_DOUBLE, count, lines + offset, project.descriptor, Monitor{});
            offset += static_cast<size_t>(count);
        }
        return int{BRENWICK_READER_OK};
    });
}

BRENWICK_READER_API int CST_Get3DHexResultSize(CSTProjHandle* handle, const char* tree_path, int result_number,
                                               int* count) {
    if (handle == nullptr || tree_path == nullptr || count == nullptr) {
        return BRENWICK_READER_INVALID_ARGUMENT;
    }
    return Guarded([&](Registry& registry) {
        const OpenProject& project = FindProject(registry, handle);
        const Result result = FindResult(project.file.get(), tree_path, result_number);
        *count = static_cast<int>(result.length);
        return int{BRENWICK_READER_OK};
    });
}

BRENWICK_READER_API int CST_Get3DHexResultInfo(CSTProjHandle* handle, const char* tree_path, int result_number,
                                               int info_count, int reserved_a, int reserved_b, int* field_type,
                                               int reserved_c) {
    // info_count and the reserved arguments select nothing in this format; they are ignored.
    (void)info_count;
    (void)reserved_a;
    (void)reserved_b;
    (void)reserved_c;
    if (handle == nullptr || tree_path == nullptr || field_type == nullptr) {
        return BRENWICK_READER_INVALID_ARGUMENT;
    }
    return Guarded([&](Registry& registry) {
        const OpenProject& project = FindProject(registry, handle);
        const Result result = FindResult(project.file.get(), tree_path, result_number);
        *field_type = result.field_type;
        return int{BRENWICK_READER_OK};
    });
}

BRENWICK_READER_API int CST_Get3DHexResult(CSTProjHandle* handle, const char* tree_path, int result_number,
                                           float* values) {
    if (handle == nullptr || tree_path == nullptr || values == nullptr) {
        return BRENWICK_READER_INVALID_ARGUMENT;
    }
    return Guarded([&](Registry& registry) {
        const OpenProject& project = FindProject(registry, handle);
        const Result result = FindResult(project.file.get(), tree_path, result_number);
        // Exactly the count CST_Get3DHexResultSize reported.
        ReadWhole(result.dataset.get(), H5T_NATIVE_FLOAT, result.length, values, project.descriptor, project.monitor);
        return int{BRENWICK_READER_OK};
    });
}

BRENWICK_READER_API int CST_GetMaterialMatrixHexMesh(CSTProjHandle* handle, int quantity, float* matrix) {
    if (handle == nullptr || matrix == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    return Guarded([&](Registry& registry) {
        const OpenProject& project = FindProject(registry, handle);
        const MaterialMatrix stored = OpenMaterialMatrix(project, quantity);
        // Straight into the caller's array.
        ReadWhole(stored.dataset.get(), H5T_NATIVE_FLOAT, 3 * stored.nodes, matrix, project.descriptor,
                  project.monitor);
        return int{BRENWICK_READER_OK};
    });
}

BRENWICK_READER_API int CST_CloseProject(CSTProjHandle* handle) {
    if (handle == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    return Guarded([&](Registry& registry) {
        const auto it = registry.projects.find(handle->id);
        if (it == registry.projects.end()) return int{BRENWICK_READER_UNKNOWN_HANDLE};
        // The project leaves the table whatever HDF5 says about the close.
        File file = std::move(it->second.file);
        registry.projects.erase(it);
        return file.close() ? int{BRENWICK_READER_OK} : int{BRENWICK_READER_READ_ERROR};
    });
}

BRENWICK_READER_API int Brenwick_GetMaterialMatrixPlanes(CSTProjHandle* handle, int quantity, int first_plane,
                                                         int plane_count, float* matrix) {
    if (handle == nullptr || matrix == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    return Guarded([&](Registry& registry) {
        const OpenProject& project = FindProject(registry, handle);
        if (first_plane < 0 || plane_count < 1 || plane_count > project.dims[2] - first_plane) {
            return int{BRENWICK_READER_INVALID_ARGUMENT};
        }
        const MaterialMatrix stored = OpenMaterialMatrix(project, quantity);
        // The planes are one piece of each component's block: three hyperslabs, each read
        // straight into its part of the caller's array.
        const auto plane = static_cast<hsize_t>(project.dims[0]) * static_cast<hsize_t>(project.dims[1]);
        const hsize_t first = plane * static_cast<hsize_t>(first_plane);
        const hsize_t count = plane * static_cast<hsize_t>(plane_count);
        ValueReader reader(stored.dataset.get(), H5T_NATIVE_FLOAT, 3 * stored.nodes, 3 * count, project.descriptor,
                           project.monitor);
        for (hsize_t component = 0; component < 3; ++component) {
            reader.Read(component * stored.nodes + first, count, matrix + component * count);
        }
        return int{BRENWICK_READER_OK};
    });
}

BRENWICK_READER_API int Brenwick_SetReadMonitor(CSTProjHandle* handle, BrenwickReadMonitor monitor, void* context) {
    if (handle == nullptr) return BRENWICK_READER_INVALID_ARGUMENT;
    return Guarded([&](Registry& registry) {
        FindProject(registry, handle).monitor = Monitor{monitor, context};
        return int{BRENWICK_READER_OK};
    });
}

}  // extern "C"
