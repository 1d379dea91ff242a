// Each failure status of the reader, on bad files, bad handles, bad arguments and faulty
// projects; none of them may write into the caller's arrays beyond the reported sizes.
#include "reader_test_support.h"

#include <gtest/gtest.h>

#include <span>

using namespace brenwick;

namespace reader_test {
namespace {

using namespace brenwick::h5;

constexpr float kFloatGuard = -55555.5f;

class ReaderFailures : public ::testing::Test {
protected:
    std::string Write() { return WriteProject((dir_.path() / "project.cst"), contents_); }

    // Opens path, expecting the given status, and checks that the handle then names nothing.
    void ExpectOpenStatus(const std::string& path, int expected) {
        CSTProjHandle handle{77};
        EXPECT_EQ(CST_OpenProject(path.c_str(), &handle), expected) << path;
        EXPECT_EQ(handle.id, 0);
        int dims[3] = {0, 0, 0};
        EXPECT_EQ(CST_GetHexMeshInfo(&handle, dims), BRENWICK_READER_UNKNOWN_HANDLE);
    }

    test_files::TempDir dir_;
    ProjectContents contents_ = SmallProject();
};

TEST_F(ReaderFailures, FilesThatAreNoHdf5FilesGiveFileError) {
    ExpectOpenStatus((dir_.path() / "missing.cst").string(), BRENWICK_READER_FILE_ERROR);
    ExpectOpenStatus("", BRENWICK_READER_FILE_ERROR);

    std::filesystem::create_directory((dir_.path() / "folder.cst"));
    ExpectOpenStatus((dir_.path() / "folder.cst").string(), BRENWICK_READER_FILE_ERROR);

    WriteBytes((dir_.path() / "empty.cst").string(), {});
    ExpectOpenStatus((dir_.path() / "empty.cst").string(), BRENWICK_READER_FILE_ERROR);

    const std::string text = "This is a text file, not a project.\n";
    WriteText((dir_.path() / "text.cst").string(), text);
    ExpectOpenStatus((dir_.path() / "text.cst").string(), BRENWICK_READER_FILE_ERROR);
}

TEST_F(ReaderFailures, ZeroFilledFileGivesFileError) {
    const std::string path = Write();
    const std::size_t size = std::filesystem::file_size(path);
    WriteBytes((dir_.path() / "zeros.cst").string(), std::vector<unsigned char>(size, 0));
    ExpectOpenStatus((dir_.path() / "zeros.cst").string(), BRENWICK_READER_FILE_ERROR);
}

// Expects every result operation on tree path "Faulty" to give status, writing nothing.
void ExpectFaultyResult(const std::string& path, int status) {
    OpenedProject project(path);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int number = -7;
    EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), "Faulty", 0, &number), status);
    EXPECT_EQ(CST_Get3DHexResultInfo(project.handle(), "Faulty", 0, 1, 0, 0, &number, 0), status);
    EXPECT_EQ(number, -7);
    GuardedArray<float> values(0, 0.0f, kFloatGuard);
    EXPECT_EQ(CST_Get3DHexResult(project.handle(), "Faulty", 0, values.data()), status);
    EXPECT_TRUE(values.GuardIntact());
}

// Runs every operation on a project that opened, with arrays of the reported sizes; returns
// whether one of them failed.
bool SomeOperationFails(CSTProjHandle* handle) {
    bool failed = false;
    int dims[3] = {0, 0, 0};
    if (CST_GetHexMeshInfo(handle, dims) != BRENWICK_READER_OK) return true;
    GuardedArray<double> lines(static_cast<std::size_t>(dims[0]) + dims[1] + dims[2], 0.0, -1.0);
    failed |= CST_GetHexMesh(handle, lines.data()) != BRENWICK_READER_OK;
    EXPECT_TRUE(lines.GuardIntact());
    int count = 0;
    int type = 0;
    if (CST_Get3DHexResultSize(handle, kPotentialPath, 0, &count) != BRENWICK_READER_OK ||
        CST_Get3DHexResultInfo(handle, kPotentialPath, 0, 1, 0, 0, &type, 0) != BRENWICK_READER_OK) {
        failed = true;
    } else {
        GuardedArray<float> values(static_cast<std::size_t>(count) * 6, 0.0f, kFloatGuard);
        failed |= CST_Get3DHexResult(handle, kPotentialPath, 0, values.data()) != BRENWICK_READER_OK;
        EXPECT_TRUE(values.GuardIntact());
    }
    GuardedArray<float> matrix(3 * static_cast<std::size_t>(dims[0]) * dims[1] * dims[2], 0.0f,
                               kFloatGuard);
    failed |= CST_GetMaterialMatrixHexMesh(handle, 0, matrix.data()) != BRENWICK_READER_OK;
    EXPECT_TRUE(matrix.GuardIntact());
    return failed;
}

TEST_F(ReaderFailures, TruncatedProjectFailsWithoutCrash) {
    const std::vector<unsigned char> bytes = ReadBytes(Write());
    for (const double fraction : {0.5, 0.1, 0.25, 0.75, 0.9, 0.99}) {
        SCOPED_TRACE(fraction);
        const auto cut = static_cast<std::size_t>(static_cast<double>(bytes.size()) * fraction);
        const std::filesystem::path path = (dir_.path() / "truncated.cst");
        WriteBytes(path.string(), std::span(bytes).first(cut));
        OpenedProject project(path.string());
        if (project.status() == BRENWICK_READER_OK) {
            EXPECT_TRUE(SomeOperationFails(project.handle()));
        } else {
            EXPECT_EQ(project.status(), BRENWICK_READER_FILE_ERROR);
        }
    }
}

TEST_F(ReaderFailures, ForeignHdf5FileIsNotAProject) {
    const std::filesystem::path path = (dir_.path() / "foreign.h5");
    {
        File file = CreateFile(path);
        const std::vector<double> data = {1.0, 2.0, 3.0};
        SetDataset(file.get(), "/data", H5T_IEEE_F64LE, {3}, H5T_NATIVE_DOUBLE, data.data());
    }
    ExpectOpenStatus(path.string(), BRENWICK_READER_NOT_A_PROJECT);
}

TEST_F(ReaderFailures, WrongFormatMarksAreNotAProject) {
    const std::string path = Write();
    const auto with_root = [&](auto edit) {
        WriteProject(path, contents_);
        {
            File file = OpenForEdit(path);
            edit(file.get());
        }
        ExpectOpenStatus(path, BRENWICK_READER_NOT_A_PROJECT);
    };
    with_root([](hid_t f) { SetNumberAttribute(f, "format_version", H5T_STD_I64LE, 2); });
    with_root([](hid_t f) { SetNumberAttribute(f, "format_version", H5T_STD_I64LE, 0); });
    with_root([](hid_t f) { SetNumberAttribute(f, "format_version", H5T_IEEE_F64LE, 1.0); });
    with_root([](hid_t f) {
        SetStringAttribute(f, "format_version", "1", 0, H5T_STR_NULLTERM, H5T_CSET_UTF8);
    });
    with_root([](hid_t f) { DeleteAttribute(f, "format_version"); });
    with_root([](hid_t f) { DeleteAttribute(f, "format"); });
    with_root([](hid_t f) {
        SetStringAttribute(f, "format", "Brenwick-project", 0, H5T_STR_NULLTERM, H5T_CSET_UTF8);
    });
    with_root([](hid_t f) {
        SetStringAttribute(f, "format", "brenwick-project ", 0, H5T_STR_NULLTERM, H5T_CSET_UTF8);
    });
    with_root([](hid_t f) { SetNumberAttribute(f, "format", H5T_STD_I32LE, 1); });
}

TEST_F(ReaderFailures, MissingMeshIsNotAProject) {
    const std::string path = Write();
    for (const char* link : {"/mesh/x", "/mesh/y", "/mesh/z", "/mesh"}) {
        SCOPED_TRACE(link);
        WriteProject(path, contents_);
        {
            File file = OpenForEdit(path);
            DeleteLink(file.get(), link);
        }
        ExpectOpenStatus(path, BRENWICK_READER_NOT_A_PROJECT);
    }
    WriteProject(path, contents_);
    {
        File file = OpenForEdit(path);
        DeleteLink(file.get(), "/mesh/y");
        Group group(H5Gcreate2(file.get(), "/mesh/y", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        ASSERT_TRUE(group.valid());
    }
    ExpectOpenStatus(path, BRENWICK_READER_NOT_A_PROJECT);
}

TEST_F(ReaderFailures, MalformedMeshDatasets) {
    const std::string path = Write();
    const std::vector<int> integers = {0, 1, 2};
    WriteProject(path, contents_);
    {
        File file = OpenForEdit(path);
        SetDataset(file.get(), "/mesh/z", H5T_STD_I32LE, {3}, H5T_NATIVE_INT, integers.data());
    }
    ExpectOpenStatus(path, BRENWICK_READER_READ_ERROR);

    const std::vector<double> grid = {0, 1, 2, 3, 4, 5};
    WriteProject(path, contents_);
    {
        File file = OpenForEdit(path);
        SetDataset(file.get(), "/mesh/x", H5T_IEEE_F64LE, {2, 3}, H5T_NATIVE_DOUBLE, grid.data());
    }
    ExpectOpenStatus(path, BRENWICK_READER_INCONSISTENT_SIZES);

    WriteProject(path, contents_);
    {
        File file = OpenForEdit(path);
        SetDataset(file.get(), "/mesh/x", H5T_IEEE_F64LE, {}, H5T_NATIVE_DOUBLE, grid.data());
    }
    ExpectOpenStatus(path, BRENWICK_READER_INCONSISTENT_SIZES);
}

// Datasets far larger than an int can count, created without data (HDF5 stores nothing for
// them until they are written).
TEST_F(ReaderFailures, SizesBeyondIntAreInconsistent) {
    const std::string path = Write();
    const hsize_t beyond_int = hsize_t{1} << 31;
    {
        File file = OpenForEdit(path);
        SetDataset(file.get(), "/results/potential", H5T_IEEE_F32LE, {beyond_int + 4},
                   H5T_NATIVE_FLOAT, nullptr);
        const Object dataset = OpenObject(file.get(), "/results/potential");
        SetStringAttribute(dataset.get(), "tree_path", "Faulty", 0, H5T_STR_NULLTERM, H5T_CSET_UTF8);
        SetNumberAttribute(dataset.get(), "field_type", H5T_STD_I64LE, 4);
    }
    ExpectFaultyResult(path, BRENWICK_READER_INCONSISTENT_SIZES);

    {
        File file = OpenForEdit(path);
        SetDataset(file.get(), "/mesh/y", H5T_IEEE_F64LE, {beyond_int}, H5T_NATIVE_DOUBLE, nullptr);
    }
    ExpectOpenStatus(path, BRENWICK_READER_INCONSISTENT_SIZES);

    // 3 * nx * ny * nz does not fit 64 bits: no matrix length can match.
    const hsize_t lines = hsize_t{1} << 22;
    {
        File file = OpenForEdit(path);
        for (const char* axis : {"/mesh/x", "/mesh/y", "/mesh/z"}) {
            SetDataset(file.get(), axis, H5T_IEEE_F64LE, {lines}, H5T_NATIVE_DOUBLE, nullptr);
        }
    }
    OpenedProject project(path);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int dims[3] = {0, 0, 0};
    ASSERT_EQ(CST_GetHexMeshInfo(project.handle(), dims), BRENWICK_READER_OK);
    EXPECT_EQ(dims[0], static_cast<int>(lines));
    GuardedArray<float> matrix(0, 0.0f, kFloatGuard);
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix.data()),
              BRENWICK_READER_INCONSISTENT_SIZES);
    EXPECT_TRUE(matrix.GuardIntact());
}

TEST_F(ReaderFailures, UnknownAndClosedHandles) {
    const std::string path = Write();
    CSTProjHandle never_opened{4242};
    CSTProjHandle closed{};
    ASSERT_EQ(CST_OpenProject(path.c_str(), &closed), BRENWICK_READER_OK);
    ASSERT_EQ(CST_CloseProject(&closed), BRENWICK_READER_OK);

    for (CSTProjHandle* handle : {&never_opened, &closed}) {
        SCOPED_TRACE(handle->id);
        int dims[3] = {0, 0, 0};
        double lines[16] = {};
        int number = 0;
        float values[16] = {};
        EXPECT_EQ(CST_GetHexMeshInfo(handle, dims), BRENWICK_READER_UNKNOWN_HANDLE);
        EXPECT_EQ(CST_GetHexMesh(handle, lines), BRENWICK_READER_UNKNOWN_HANDLE);
        EXPECT_EQ(CST_Get3DHexResultSize(handle, kPotentialPath, 0, &number),
                  BRENWICK_READER_UNKNOWN_HANDLE);
        EXPECT_EQ(CST_Get3DHexResultInfo(handle, kPotentialPath, 0, 1, 0, 0, &number, 0),
                  BRENWICK_READER_UNKNOWN_HANDLE);
        EXPECT_EQ(CST_Get3DHexResult(handle, kPotentialPath, 0, values), BRENWICK_READER_UNKNOWN_HANDLE);
        EXPECT_EQ(CST_GetMaterialMatrixHexMesh(handle, 0, values), BRENWICK_READER_UNKNOWN_HANDLE);
        EXPECT_EQ(Brenwick_GetMaterialMatrixPlanes(handle, 0, 0, 1, values), BRENWICK_READER_UNKNOWN_HANDLE);
        EXPECT_EQ(CST_CloseProject(handle), BRENWICK_READER_UNKNOWN_HANDLE);
        EXPECT_EQ(number, 0);
        EXPECT_EQ(dims[0], 0);
    }
}

TEST_F(ReaderFailures, NullPointersAreInvalidArguments) {
    OpenedProject project(Write());
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    CSTProjHandle* h = project.handle();
    int dims[3];
    double lines[16];
    int number;
    float values[16];
    constexpr int kInvalid = BRENWICK_READER_INVALID_ARGUMENT;

    EXPECT_EQ(CST_GetDLLVersion(nullptr), kInvalid);
    CSTProjHandle other{};
    EXPECT_EQ(CST_OpenProject(nullptr, &other), kInvalid);
    EXPECT_EQ(CST_OpenProject("x.cst", nullptr), kInvalid);
    EXPECT_EQ(CST_GetHexMeshInfo(nullptr, dims), kInvalid);
    EXPECT_EQ(CST_GetHexMeshInfo(h, nullptr), kInvalid);
    EXPECT_EQ(CST_GetHexMesh(nullptr, lines), kInvalid);
    EXPECT_EQ(CST_GetHexMesh(h, nullptr), kInvalid);
    EXPECT_EQ(CST_Get3DHexResultSize(nullptr, kPotentialPath, 0, &number), kInvalid);
    EXPECT_EQ(CST_Get3DHexResultSize(h, nullptr, 0, &number), kInvalid);
    EXPECT_EQ(CST_Get3DHexResultSize(h, kPotentialPath, 0, nullptr), kInvalid);
    EXPECT_EQ(CST_Get3DHexResultInfo(nullptr, kPotentialPath, 0, 1, 0, 0, &number, 0), kInvalid);
    EXPECT_EQ(CST_Get3DHexResultInfo(h, nullptr, 0, 1, 0, 0, &number, 0), kInvalid);
    EXPECT_EQ(CST_Get3DHexResultInfo(h, kPotentialPath, 0, 1, 0, 0, nullptr, 0), kInvalid);
    EXPECT_EQ(CST_Get3DHexResult(nullptr, kPotentialPath, 0, values), kInvalid);
    EXPECT_EQ(CST_Get3DHexResult(h, nullptr, 0, values), kInvalid);
    EXPECT_EQ(CST_Get3DHexResult(h, kPotentialPath, 0, nullptr), kInvalid);
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(nullptr, 0, values), kInvalid);
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(h, 0, nullptr), kInvalid);
    EXPECT_EQ(CST_CloseProject(nullptr), kInvalid);
    // The project is still open and usable.
    EXPECT_EQ(CST_GetHexMeshInfo(h, dims), BRENWICK_READER_OK);
}

TEST_F(ReaderFailures, ResultNotFound) {
    OpenedProject project(Write());
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int number = -7;
    for (const char* path : {"2D/3D Results\\Potential", "2d/3d results\\potentials",
                             "2D/3D Results\\POTENTIALS", "2D/3D Results/Potentials",
                             "2D/3D Results\\\\Potentials", " 2D/3D Results\\Potentials",
                             "2D/3D Results\\Potentials ", "", "potential"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), path, 0, &number),
                  BRENWICK_READER_RESULT_NOT_FOUND);
        EXPECT_EQ(CST_Get3DHexResultInfo(project.handle(), path, 0, 1, 0, 0, &number, 0),
                  BRENWICK_READER_RESULT_NOT_FOUND);
        float values[8];
        EXPECT_EQ(CST_Get3DHexResult(project.handle(), path, 0, values),
                  BRENWICK_READER_RESULT_NOT_FOUND);
    }
    EXPECT_EQ(number, -7);
    // One result per tree path: only result number 0 exists.
    EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), kPotentialPath, 1, &number),
              BRENWICK_READER_RESULT_NOT_FOUND);
}

TEST_F(ReaderFailures, ProjectWithoutResultsFindsNone) {
    const std::string path = Write();
    {
        File file = OpenForEdit(path);
        DeleteLink(file.get(), "/results");
    }
    OpenedProject project(path);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int number = 0;
    EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), kPotentialPath, 0, &number),
              BRENWICK_READER_RESULT_NOT_FOUND);
}

TEST_F(ReaderFailures, LengthNotDivisibleByValuesPerNode) {
    for (const auto& [type, length] :
         std::vector<std::pair<int, std::size_t>>{{1, 61}, {1, 3}, {2, 59}, {3, 7}}) {
        SCOPED_TRACE(type);
        contents_.results = {{"faulty", "Faulty", type, Ramp(length, 0.0f, 1.0f)}};
        ExpectFaultyResult(Write(), BRENWICK_READER_INCONSISTENT_SIZES);
    }
}

TEST_F(ReaderFailures, FieldTypeOutsideOneToFour) {
    for (const int type : {0, 5, -1, 100}) {
        SCOPED_TRACE(type);
        contents_.results = {{"faulty", "Faulty", type, Ramp(60, 0.0f, 1.0f)}};
        ExpectFaultyResult(Write(), BRENWICK_READER_READ_ERROR);
    }
}

TEST_F(ReaderFailures, FieldTypeMissingOrNotAnInteger) {
    contents_.results = {{"faulty", "Faulty", 4, Ramp(60, 0.0f, 1.0f)}};
    const std::string path = Write();
    {
        File file = OpenForEdit(path);
        DeleteAttribute(OpenObject(file.get(), "/results/faulty").get(), "field_type");
    }
    ExpectFaultyResult(path, BRENWICK_READER_READ_ERROR);

    Write();
    {
        File file = OpenForEdit(path);
        SetNumberAttribute(OpenObject(file.get(), "/results/faulty").get(), "field_type",
                           H5T_IEEE_F32LE, 4.0);
    }
    ExpectFaultyResult(path, BRENWICK_READER_READ_ERROR);

    Write();
    {
        File file = OpenForEdit(path);
        SetStringAttribute(OpenObject(file.get(), "/results/faulty").get(), "field_type", "4", 0,
                           H5T_STR_NULLTERM, H5T_CSET_UTF8);
    }
    ExpectFaultyResult(path, BRENWICK_READER_READ_ERROR);
}

TEST_F(ReaderFailures, ResultDatasetOfBadTypeOrShape) {
    contents_.results.clear();
    const std::string path = Write();
    const auto faulty = [&](hid_t type, std::vector<hsize_t> dims, hid_t memory, const void* data) {
        File file = OpenForEdit(path);
        SetDataset(file.get(), "/results/faulty", type, dims, memory, data);
        const Object dataset = OpenObject(file.get(), "/results/faulty");
        SetStringAttribute(dataset.get(), "tree_path", "Faulty", 0, H5T_STR_NULLTERM, H5T_CSET_UTF8);
        SetNumberAttribute(dataset.get(), "field_type", H5T_STD_I64LE, 4);
    };
    const std::vector<int> integers(60, 1);
    faulty(H5T_STD_I32LE, {60}, H5T_NATIVE_INT, integers.data());
    ExpectFaultyResult(path, BRENWICK_READER_READ_ERROR);

    const std::vector<float> floats(60, 1.0f);
    faulty(H5T_IEEE_F32LE, {6, 10}, H5T_NATIVE_FLOAT, floats.data());
    ExpectFaultyResult(path, BRENWICK_READER_INCONSISTENT_SIZES);

    faulty(H5T_IEEE_F32LE, {}, H5T_NATIVE_FLOAT, floats.data());
    ExpectFaultyResult(path, BRENWICK_READER_INCONSISTENT_SIZES);
}

TEST_F(ReaderFailures, DatasetsWithoutTreePathAreNoResults) {
    const std::string path = Write();
    {
        File file = OpenForEdit(path);
        DeleteAttribute(OpenObject(file.get(), "/results/potential").get(), "tree_path");
    }
    OpenedProject project(path);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int number = 0;
    EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), kPotentialPath, 0, &number),
              BRENWICK_READER_RESULT_NOT_FOUND);
    EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), "2D/3D Results\\E-Field", 0, &number),
              BRENWICK_READER_OK);
}

TEST_F(ReaderFailures, MatrixOfWrongLength) {
    const std::size_t nodes = 60;
    for (const std::size_t length : {3 * nodes - 1, 3 * nodes + 1, nodes, std::size_t{0}}) {
        SCOPED_TRACE(length);
        contents_.material_matrices[0] = Ramp(length, 1.0f, 1.0f);
        OpenedProject project(Write());
        ASSERT_EQ(project.status(), BRENWICK_READER_OK);
        GuardedArray<float> matrix(3 * nodes, 0.0f, kFloatGuard);
        EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix.data()),
                  BRENWICK_READER_INCONSISTENT_SIZES);
        EXPECT_EQ(Brenwick_GetMaterialMatrixPlanes(project.handle(), 0, 0, 1, matrix.data()),
                  BRENWICK_READER_INCONSISTENT_SIZES);
        EXPECT_TRUE(matrix.GuardIntact());
        EXPECT_EQ(matrix.Values(), std::vector<float>(3 * nodes, 0.0f));
        // The other matrix is unaffected.
        EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 3, matrix.data()), BRENWICK_READER_OK);
    }
}

TEST_F(ReaderFailures, MatrixOfBadTypeOrShape) {
    const std::string path = Write();
    const std::vector<int> integers(180, 1);
    {
        File file = OpenForEdit(path);
        SetDataset(file.get(), "/material_matrix/0", H5T_STD_I32LE, {180}, H5T_NATIVE_INT,
                   integers.data());
        SetDataset(file.get(), "/material_matrix/3", H5T_IEEE_F32LE, {3, 60}, H5T_NATIVE_INT,
                   integers.data());
    }
    OpenedProject project(path);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    GuardedArray<float> matrix(180, 0.0f, kFloatGuard);
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix.data()),
              BRENWICK_READER_READ_ERROR);
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 3, matrix.data()),
              BRENWICK_READER_INCONSISTENT_SIZES);
    EXPECT_TRUE(matrix.GuardIntact());
}

TEST_F(ReaderFailures, QuantityNotStored) {
    {
        OpenedProject project(Write());
        ASSERT_EQ(project.status(), BRENWICK_READER_OK);
        float matrix[4];
        for (const int code : {1, 2, 4, -1, 30, 0x7fffffff}) {
            EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), code, matrix),
                      BRENWICK_READER_QUANTITY_NOT_STORED)
                << code;
        }
    }
    contents_.material_matrices.clear();
    const std::string path = Write();
    {
        File file = OpenForEdit(path);
        DeleteLink(file.get(), "/material_matrix");
    }
    OpenedProject project(path);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    float matrix[4];
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix),
              BRENWICK_READER_QUANTITY_NOT_STORED);
}

}  // namespace
}  // namespace reader_test
