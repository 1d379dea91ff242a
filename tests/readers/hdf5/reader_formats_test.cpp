// The ways other writers may store the same project: fixed-length and variable-length
// strings in either character set, integers of every width, one-element attributes, and
// other float types for the datasets.
#include "reader_test_support.h"

#include <gtest/gtest.h>

using namespace brenwick;

namespace reader_test {
namespace {

using namespace brenwick::h5;

struct StringKind {
    const char* name;
    std::size_t extra_length;  // fixed length = text length + extra_length; variable if unused
    bool variable;
    H5T_str_t pad;
    H5T_cset_t cset;
    int elements;
};

const StringKind kStringKinds[] = {
    {"variable ASCII", 0, true, H5T_STR_NULLTERM, H5T_CSET_ASCII, 0},
    {"variable UTF-8 one element", 0, true, H5T_STR_NULLTERM, H5T_CSET_UTF8, 1},
    {"fixed exact NULLTERM ASCII", 0, false, H5T_STR_NULLTERM, H5T_CSET_ASCII, 0},
    {"fixed NULLTERM with room", 1, false, H5T_STR_NULLTERM, H5T_CSET_ASCII, 0},
    {"fixed NULLPAD UTF-8", 7, false, H5T_STR_NULLPAD, H5T_CSET_UTF8, 0},
    {"fixed SPACEPAD", 5, false, H5T_STR_SPACEPAD, H5T_CSET_ASCII, 0},
    {"fixed exact NULLPAD one element", 0, false, H5T_STR_NULLPAD, H5T_CSET_ASCII, 1},
};

void SetString(hid_t object, const char* name, const std::string& value, const StringKind& kind) {
    SetStringAttribute(object, name, value, kind.variable ? 0 : value.size() + kind.extra_length,
                       kind.pad, kind.cset, kind.elements);
}

class ReaderFormats : public ::testing::Test {
protected:
    void SetUp() override { path_ = WriteProject((dir_.path() / "project.cst"), contents_); }

    // Opens the project and reads the real scalar result with the expected count and type.
    void ExpectPotentialReadable() {
        OpenedProject project(path_);
        ASSERT_EQ(project.status(), BRENWICK_READER_OK);
        const ProjectResult& stored = contents_.results.front();
        int count = 0;
        int type = 0;
        ASSERT_EQ(CST_Get3DHexResultSize(project.handle(), kPotentialPath, 0, &count),
                  BRENWICK_READER_OK);
        ASSERT_EQ(CST_Get3DHexResultInfo(project.handle(), kPotentialPath, 0, 1, 0, 0, &type, 0),
                  BRENWICK_READER_OK);
        EXPECT_EQ(type, stored.field_type);
        EXPECT_EQ(static_cast<std::size_t>(count), stored.values.size());
        GuardedArray<float> values(stored.values.size(), 0.0f, -1.0f);
        ASSERT_EQ(CST_Get3DHexResult(project.handle(), kPotentialPath, 0, values.data()),
                  BRENWICK_READER_OK);
        EXPECT_EQ(values.Values(), stored.values);
        EXPECT_TRUE(values.GuardIntact());
    }

    test_files::TempDir dir_;
    ProjectContents contents_ = SmallProject();
    std::string path_;
};

TEST_F(ReaderFormats, StringAttributesOfEveryKind) {
    for (const StringKind& kind : kStringKinds) {
        SCOPED_TRACE(kind.name);
        WriteProject(path_, contents_);
        {
            File file = OpenForEdit(path_);
            SetString(file.get(), "format", "brenwick-project", kind);
            SetString(OpenObject(file.get(), "/results/potential").get(), "tree_path",
                      kPotentialPath, kind);
        }
        ExpectPotentialReadable();
    }
}

TEST_F(ReaderFormats, IntegerAttributesOfEveryWidth) {
    const hid_t types[] = {H5T_STD_I8LE,  H5T_STD_U8LE,  H5T_STD_I16LE, H5T_STD_U16BE,
                           H5T_STD_I32BE, H5T_STD_U32LE, H5T_STD_I64BE, H5T_STD_U64LE};
    for (const hid_t type : types) {
        SCOPED_TRACE(H5Tget_size(type));
        WriteProject(path_, contents_);
        {
            File file = OpenForEdit(path_);
            SetNumberAttribute(file.get(), "format_version", type, 1);
            SetNumberAttribute(OpenObject(file.get(), "/results/potential").get(), "field_type",
                               type, 4);
        }
        ExpectPotentialReadable();
    }
}

TEST_F(ReaderFormats, IntegerAttributeHeldAsOneElementArray) {
    SetNumberAttribute(OpenForEdit(path_).get(), "format_version", H5T_STD_I16LE, 1, 1);
    ExpectPotentialReadable();
}

TEST_F(ReaderFormats, AttributeWithSeveralValuesIsRefused) {
    SetNumberAttribute(OpenForEdit(path_).get(), "format_version", H5T_STD_I64LE, 1, 2);
    CSTProjHandle handle{};
    EXPECT_EQ(CST_OpenProject(path_.c_str(), &handle), BRENWICK_READER_NOT_A_PROJECT);
}

TEST_F(ReaderFormats, OtherFloatTypesAreConverted) {
    {
        File file = OpenForEdit(path_);
        // Mesh lines as float32 (exact in both), the potential as big-endian float64 and the
        // matrix as big-endian float32.
        const std::vector<double>& x = contents_.x_lines;
        SetDataset(file.get(), "/mesh/x", H5T_IEEE_F32LE, {x.size()}, H5T_NATIVE_DOUBLE, x.data());
        const ProjectResult& potential = contents_.results.front();
        SetDataset(file.get(), "/results/potential", H5T_IEEE_F64BE, {potential.values.size()},
                   H5T_NATIVE_FLOAT, potential.values.data());
        const Object dataset = OpenObject(file.get(), "/results/potential");
        SetStringAttribute(dataset.get(), "tree_path", kPotentialPath, 0, H5T_STR_NULLTERM,
                           H5T_CSET_UTF8);
        SetNumberAttribute(dataset.get(), "field_type", H5T_STD_I64LE, 4);
        const std::vector<float>& matrix = contents_.material_matrices[0];
        SetDataset(file.get(), "/material_matrix/0", H5T_IEEE_F32BE, {matrix.size()},
                   H5T_NATIVE_FLOAT, matrix.data());
    }
    ExpectPotentialReadable();

    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    const std::size_t line_count =
        contents_.x_lines.size() + contents_.y_lines.size() + contents_.z_lines.size();
    GuardedArray<double> lines(line_count, 0.0, -1.0);
    ASSERT_EQ(CST_GetHexMesh(project.handle(), lines.data()), BRENWICK_READER_OK);
    const std::vector<double> read = lines.Values();
    EXPECT_EQ(std::vector<double>(read.begin(), read.begin() + 3), contents_.x_lines);
    const std::vector<float>& stored = contents_.material_matrices[0];
    GuardedArray<float> matrix(stored.size(), 0.0f, -1.0f);
    ASSERT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix.data()), BRENWICK_READER_OK);
    EXPECT_EQ(matrix.Values(), stored);
    EXPECT_TRUE(matrix.GuardIntact());
}

TEST_F(ReaderFormats, ChunkedCompressedMatrixIsRead) {
    const std::vector<float>& stored = contents_.material_matrices[3];
    {
        File file = OpenForEdit(path_);
        DeleteLink(file.get(), "/material_matrix/3");
        const hsize_t length = stored.size();
        const hsize_t chunk = 7;
        Dataspace space(H5Screate_simple(1, &length, nullptr));
        PropertyList creation(H5Pcreate(H5P_DATASET_CREATE));
        ASSERT_GE(H5Pset_chunk(creation.get(), 1, &chunk), 0);
        ASSERT_GE(H5Pset_deflate(creation.get(), 6), 0);
        Dataset dataset(H5Dcreate2(file.get(), "/material_matrix/3", H5T_IEEE_F32LE, space.get(),
                                   H5P_DEFAULT, creation.get(), H5P_DEFAULT));
        ASSERT_TRUE(dataset.valid());
        ASSERT_GE(H5Dwrite(dataset.get(), H5T_NATIVE_FLOAT, H5S_ALL, H5S_ALL, H5P_DEFAULT,
                           stored.data()),
                  0);
    }
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    GuardedArray<float> matrix(stored.size(), 0.0f, -1.0f);
    ASSERT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 3, matrix.data()), BRENWICK_READER_OK);
    EXPECT_EQ(matrix.Values(), stored);
    EXPECT_TRUE(matrix.GuardIntact());
}

TEST_F(ReaderFormats, ExternalLinksAreNotFollowed) {
    // A second project's potential, linked into the first under another dataset name.
    const std::string other = WriteProject((dir_.path() / "other.cst"), contents_);
    contents_.results.erase(contents_.results.begin());
    WriteProject(path_, contents_);
    {
        File file = OpenForEdit(path_);
        ASSERT_GE(H5Lcreate_external(other.c_str(), "/results/potential", file.get(),
                                     "/results/linked", H5P_DEFAULT, H5P_DEFAULT),
                  0);
    }
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int count = 0;
    EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), kPotentialPath, 0, &count),
              BRENWICK_READER_RESULT_NOT_FOUND);
}

TEST_F(ReaderFormats, SoftLinksInsideTheFileAreFollowed) {
    {
        File file = OpenForEdit(path_);
        DeleteLink(file.get(), "/material_matrix/3");
        ASSERT_GE(H5Lcreate_soft("/material_matrix/0", file.get(), "/material_matrix/3",
                                 H5P_DEFAULT, H5P_DEFAULT),
                  0);
    }
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    const std::vector<float>& stored = contents_.material_matrices[0];
    GuardedArray<float> matrix(stored.size(), 0.0f, -1.0f);
    ASSERT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 3, matrix.data()), BRENWICK_READER_OK);
    EXPECT_EQ(matrix.Values(), stored);
}

}  // namespace
}  // namespace reader_test
