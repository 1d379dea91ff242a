// The project writer: the HDF5 types it stores and its failures. How fast it writes and how
// fast the reader reads a large project is measured in bench/ (project_io_bench).
#include "reader_test_support.h"

#include <gtest/gtest.h>

using namespace brenwick;

namespace reader_test {
namespace {

using namespace brenwick::h5;

class ProjectWriter : public ::testing::Test {
protected:
    test_files::TempDir dir_;
    ProjectContents contents_ = SmallProject();
};

Datatype AttributeType(hid_t object, const char* name) {
    Attribute attribute(H5Aopen(object, name, H5P_DEFAULT));
    EXPECT_TRUE(attribute.valid()) << name;
    return Datatype(H5Aget_type(attribute.get()));
}

bool IsScalarAttribute(hid_t object, const char* name) {
    Attribute attribute(H5Aopen(object, name, H5P_DEFAULT));
    Dataspace space(H5Aget_space(attribute.get()));
    return H5Sget_simple_extent_type(space.get()) == H5S_SCALAR;
}

void ExpectVariableUtf8(hid_t object, const char* name) {
    SCOPED_TRACE(name);
    const Datatype type = AttributeType(object, name);
    EXPECT_EQ(H5Tget_class(type.get()), H5T_STRING);
    EXPECT_GT(H5Tis_variable_str(type.get()), 0);
    EXPECT_EQ(H5Tget_cset(type.get()), H5T_CSET_UTF8);
    EXPECT_TRUE(IsScalarAttribute(object, name));
}

void ExpectInt64(hid_t object, const char* name) {
    SCOPED_TRACE(name);
    const Datatype type = AttributeType(object, name);
    EXPECT_GT(H5Tequal(type.get(), H5T_STD_I64LE), 0);
    EXPECT_TRUE(IsScalarAttribute(object, name));
}

void ExpectDataset(hid_t file, const char* path, hid_t type, hsize_t length) {
    SCOPED_TRACE(path);
    Dataset dataset(H5Dopen2(file, path, H5P_DEFAULT));
    ASSERT_TRUE(dataset.valid());
    Datatype stored(H5Dget_type(dataset.get()));
    EXPECT_GT(H5Tequal(stored.get(), type), 0);
    Dataspace space(H5Dget_space(dataset.get()));
    ASSERT_EQ(H5Sget_simple_extent_ndims(space.get()), 1);
    hsize_t dims = 0;
    H5Sget_simple_extent_dims(space.get(), &dims, nullptr);
    EXPECT_EQ(dims, length);
}

TEST_F(ProjectWriter, StoresTheTypesH5pyStores) {
    const std::string path = WriteProject((dir_.path() / "types.cst"), contents_);
    File file(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT));
    ASSERT_TRUE(file.valid());
    ExpectVariableUtf8(file.get(), "format");
    ExpectInt64(file.get(), "format_version");
    ExpectDataset(file.get(), "/mesh/x", H5T_IEEE_F64LE, contents_.x_lines.size());
    ExpectDataset(file.get(), "/mesh/y", H5T_IEEE_F64LE, contents_.y_lines.size());
    ExpectDataset(file.get(), "/mesh/z", H5T_IEEE_F64LE, contents_.z_lines.size());
    for (const ProjectResult& result : contents_.results) {
        const std::string where = "/results/" + result.dataset_name;
        ExpectDataset(file.get(), where.c_str(), H5T_IEEE_F32LE, result.values.size());
        const Object dataset = OpenObject(file.get(), where);
        ExpectVariableUtf8(dataset.get(), "tree_path");
        ExpectInt64(dataset.get(), "field_type");
    }
    for (const auto& [code, values] : contents_.material_matrices) {
        const std::string where = "/material_matrix/" + std::to_string(code);
        ExpectDataset(file.get(), where.c_str(), H5T_IEEE_F32LE, values.size());
    }
}

// A read into the engine's page-aligned arrays is fastest from data that starts on a page too.
TEST_F(ProjectWriter, StartsLargeDatasetsOnAPage) {
    contents_.x_lines.resize(37);  // odd sizes, so that the small datasets end anywhere in a page
    contents_.results[0].values.resize(20001);
    contents_.material_matrices[0].resize(3 * 20001);
    const std::string path = WriteProject(dir_.path() / "aligned.cst", contents_);
    File file(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT));
    ASSERT_TRUE(file.valid());
    for (const std::string where : {"/results/potential", "/material_matrix/0"}) {
        const Object dataset = OpenObject(file.get(), where);
        EXPECT_EQ(H5Dget_offset(dataset.get()) % 4096, 0u) << where;
    }
}

TEST_F(ProjectWriter, ReplacesAnExistingFile) {
    const std::filesystem::path path = (dir_.path() / "replace.cst");
    WriteText(path.string(), std::string(100000, 'x'));
    WriteProject(path.string(), contents_);
    OpenedProject project(path.string());
    EXPECT_EQ(project.status(), BRENWICK_READER_OK);
    EXPECT_LT(std::filesystem::file_size(path), 100000u);
}

// Expects WriteProjectFile to throw a text naming the path and to leave no file behind.
void ExpectWriteFailure(const std::filesystem::path& path, const ProjectContents& contents,
                        const std::string& mention) {
    try {
        WriteProjectFile(path.string(), contents);
        ADD_FAILURE() << "no exception for " << path;
    } catch (const std::runtime_error& error) {
        const std::string text = error.what();
        EXPECT_NE(text.find(path.string()), std::string::npos) << text;
        EXPECT_NE(text.find(mention), std::string::npos) << text;
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ProjectWriter, FailuresNameTheFileAndLeaveNothingBehind) {
    ExpectWriteFailure((dir_.path() / "no such folder") / "project.cst", contents_, "create the file");

    ProjectContents bad_name = contents_;
    bad_name.results.push_back({"a/b", "Elsewhere", 4, {1.0f}});
    ExpectWriteFailure((dir_.path() / "bad_name.cst"), bad_name, "/results/a/b");

    ProjectContents empty_name = contents_;
    empty_name.results.push_back({"", "Nameless", 4, {1.0f}});
    ExpectWriteFailure((dir_.path() / "empty_name.cst"), empty_name, "invalid dataset name");

    ProjectContents twice = contents_;
    twice.results.push_back(twice.results.front());
    ExpectWriteFailure((dir_.path() / "twice.cst"), twice, "/results/potential");
}

}  // namespace
}  // namespace reader_test
