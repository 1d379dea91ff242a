// Helpers for the reader tests: a small project, an open project that closes itself, arrays
// with guard values behind them, and raw HDF5 edits of written files.
#ifndef BRENWICK_TESTS_READER_SUPPORT_H
#define BRENWICK_TESTS_READER_SUPPORT_H

#include "reader_contract/result_reader.h"
#include "readers/hdf5/hdf5_handles.h"
#include "readers/hdf5/project_writer.h"
#include "tests/support/test_files.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace reader_test {

using namespace brenwick;

using test_files::ReadBytes;
using test_files::ReadText;
using test_files::WriteBytes;
using test_files::WriteText;

inline constexpr const char* kPotentialPath = "2D/3D Results\\Potentials";

// n values start, start + step, ...
std::vector<float> Ramp(std::size_t n, float start, float step);

// A 3 x 4 x 5 mesh with non-uniform lines, one result of each field type (the real scalar
// one under kPotentialPath) and material matrices for codes 0 and 3.
ProjectContents SmallProject();

// Writes contents to path and returns path as a string.
std::string WriteProject(const std::filesystem::path& path, const ProjectContents& contents);

// A project opened with the reader, closed at the end of the scope if the open succeeded.
class OpenedProject {
public:
    explicit OpenedProject(const std::string& path);
    ~OpenedProject();
    OpenedProject(const OpenedProject&) = delete;
    OpenedProject& operator=(const OpenedProject&) = delete;

    int status() const { return status_; }
    CSTProjHandle* handle() { return &handle_; }
    // Closes now and returns the reader's status.
    int Close();

private:
    CSTProjHandle handle_{-1};
    int status_;
    bool open_;
};

// An array of `size` elements, each `fill`, followed by guard elements holding `guard`.
template <typename T>
class GuardedArray {
public:
    static constexpr std::size_t kGuard = 64;
    GuardedArray(std::size_t size, T fill, T guard)
        : size_(size), guard_(guard), data_(size + kGuard, fill) {
        for (std::size_t i = size; i < data_.size(); ++i) data_[i] = guard;
    }
    T* data() { return data_.data(); }
    const T& operator[](std::size_t i) const { return data_[i]; }
    std::size_t size() const { return size_; }
    bool GuardIntact() const {
        for (std::size_t i = size_; i < data_.size(); ++i) {
            if (!(data_[i] == guard_)) return false;
        }
        return true;
    }
    std::vector<T> Values() const { return std::vector<T>(data_.begin(), data_.begin() + size_); }

private:
    std::size_t size_;
    T guard_;
    std::vector<T> data_;
};

// Raw HDF5 edits of written files; each helper throws std::runtime_error on failure.
brenwick::h5::File OpenForEdit(const std::filesystem::path& path);
brenwick::h5::File CreateFile(const std::filesystem::path& path);
// An open object (group or dataset) at path below the root.
brenwick::h5::Object OpenObject(hid_t file, const std::string& path);
void DeleteAttribute(hid_t object, const std::string& name);
void DeleteLink(hid_t file, const std::string& path);
// Replaces (or creates) a string attribute. length 0 makes a variable-length string; otherwise
// a fixed-length string of that many bytes with the given padding. elements 0 makes a scalar
// attribute, 1 a one-dimensional attribute of one element.
void SetStringAttribute(hid_t object, const std::string& name, const std::string& value,
                        std::size_t length, H5T_str_t pad, H5T_cset_t cset, int elements = 0);
// Replaces (or creates) a numeric attribute stored with file_type: scalar for elements 0, else
// a one-dimensional attribute of that many elements, each `value`.
void SetNumberAttribute(hid_t object, const std::string& name, hid_t file_type, double value, int elements = 0);
// Replaces (or creates) the dataset at path (its group must exist) with the given shape.
void SetDataset(hid_t file, const std::string& path, hid_t file_type,
                const std::vector<hsize_t>& dims, hid_t memory_type, const void* data);


}  // namespace reader_test

#endif
