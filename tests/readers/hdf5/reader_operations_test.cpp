// Every reader operation on projects written by WriteProjectFile: values, sizes, handles, and
// that no operation writes past the sizes it reported.
#include "reader_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include <set>

using namespace brenwick;

namespace reader_test {
namespace {

constexpr float kFloatGuard = -123456.5f;
constexpr double kDoubleGuard = -987654.25;

class ReaderOperations : public ::testing::Test {
protected:
    void SetUp() override { path_ = WriteProject((dir_.path() / "small.cst"), contents_); }

    test_files::TempDir dir_;
    ProjectContents contents_ = SmallProject();
    std::string path_;
};

TEST_F(ReaderOperations, MeshSizesAndLinesAsWritten) {
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    EXPECT_GT(project.handle()->id, 0);

    int dims[3] = {-1, -1, -1};
    ASSERT_EQ(CST_GetHexMeshInfo(project.handle(), dims), BRENWICK_READER_OK);
    EXPECT_EQ(dims[0], static_cast<int>(contents_.x_lines.size()));
    EXPECT_EQ(dims[1], static_cast<int>(contents_.y_lines.size()));
    EXPECT_EQ(dims[2], static_cast<int>(contents_.z_lines.size()));

    GuardedArray<double> lines(static_cast<std::size_t>(dims[0] + dims[1] + dims[2]), 0.0, kDoubleGuard);
    ASSERT_EQ(CST_GetHexMesh(project.handle(), lines.data()), BRENWICK_READER_OK);
    std::vector<double> expected = contents_.x_lines;
    expected.insert(expected.end(), contents_.y_lines.begin(), contents_.y_lines.end());
    expected.insert(expected.end(), contents_.z_lines.begin(), contents_.z_lines.end());
    EXPECT_EQ(lines.Values(), expected);
    EXPECT_TRUE(lines.GuardIntact());
}

TEST_F(ReaderOperations, EveryFieldTypeGivesCountTypeAndAllValues) {
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    for (const ProjectResult& stored : contents_.results) {
        SCOPED_TRACE(stored.tree_path);
        int count = -1;
        ASSERT_EQ(CST_Get3DHexResultSize(project.handle(), stored.tree_path.c_str(), 0, &count), BRENWICK_READER_OK);
        // The count is every value stored, whatever the values per node of the type.
        EXPECT_EQ(static_cast<std::size_t>(count), stored.values.size());

        int field_type = 0;
        ASSERT_EQ(CST_Get3DHexResultInfo(project.handle(), stored.tree_path.c_str(), 0, 1, 0, 0, &field_type, 0),
                  BRENWICK_READER_OK);
        EXPECT_EQ(field_type, stored.field_type);

        GuardedArray<float> values(static_cast<std::size_t>(count), 0.0f, kFloatGuard);
        ASSERT_EQ(CST_Get3DHexResult(project.handle(), stored.tree_path.c_str(), 0, values.data()), BRENWICK_READER_OK);
        EXPECT_EQ(values.Values(), stored.values);
        EXPECT_TRUE(values.GuardIntact());
    }
}

TEST_F(ReaderOperations, MaterialMatricesForBothCodes) {
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    for (const auto& [code, stored] : contents_.material_matrices) {
        SCOPED_TRACE(code);
        GuardedArray<float> matrix(stored.size(), 0.0f, kFloatGuard);
        ASSERT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), code, matrix.data()), BRENWICK_READER_OK);
        EXPECT_EQ(matrix.Values(), stored);
        EXPECT_TRUE(matrix.GuardIntact());
    }
}

// The planes from `first` on: their x components, then y, then z, as the whole matrix holds them.
std::vector<float> PlanesOf(const std::vector<float>& matrix, std::size_t plane, std::size_t first, std::size_t count) {
    const std::size_t nodes = matrix.size() / 3;
    std::vector<float> planes;
    for (std::size_t component = 0; component < 3; ++component) {
        const auto begin = matrix.begin() + static_cast<std::ptrdiff_t>(component * nodes + first * plane);
        planes.insert(planes.end(), begin, begin + static_cast<std::ptrdiff_t>(count * plane));
    }
    return planes;
}

TEST_F(ReaderOperations, PlanesOfTheMaterialMatrixAreExactlyThoseOfTheWholeMatrix) {
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    const std::size_t plane = contents_.x_lines.size() * contents_.y_lines.size();
    const int nz = static_cast<int>(contents_.z_lines.size());
    for (const auto& [code, stored] : contents_.material_matrices) {
        for (const auto& [first, count] : {std::pair{0, 1}, std::pair{nz - 1, 1}, std::pair{1, 3}, std::pair{0, nz}}) {
            SCOPED_TRACE(std::to_string(code) + ": " + std::to_string(count) + " from " + std::to_string(first));
            const auto wanted = static_cast<std::size_t>(count) * plane;
            GuardedArray<float> planes(3 * wanted, 0.0f, kFloatGuard);
            ASSERT_EQ(Brenwick_GetMaterialMatrixPlanes(project.handle(), code, first, count, planes.data()),
                      BRENWICK_READER_OK);
            EXPECT_EQ(planes.Values(), PlanesOf(stored, plane, static_cast<std::size_t>(first), wanted / plane));
            EXPECT_TRUE(planes.GuardIntact());
        }
    }
}

TEST_F(ReaderOperations, PlanesOutsideTheMeshOrOfNoStoredMatrixAreRefusedWritingNothing) {
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    const int nz = static_cast<int>(contents_.z_lines.size());
    struct Case {
        int code, first, count, status;
    };
    for (const Case& c : {Case{0, -1, 2, BRENWICK_READER_INVALID_ARGUMENT}, Case{0, 0, 0, BRENWICK_READER_INVALID_ARGUMENT},
                          Case{0, nz, 1, BRENWICK_READER_INVALID_ARGUMENT},
                          Case{3, nz - 1, 2, BRENWICK_READER_INVALID_ARGUMENT},
                          Case{0, 1, INT32_MAX, BRENWICK_READER_INVALID_ARGUMENT},
                          Case{1, 0, 1, BRENWICK_READER_QUANTITY_NOT_STORED}}) {
        SCOPED_TRACE(std::to_string(c.code) + ": " + std::to_string(c.count) + " from " + std::to_string(c.first));
        GuardedArray<float> planes(3 * contents_.x_lines.size() * contents_.y_lines.size(), 0.0f, kFloatGuard);
        EXPECT_EQ(Brenwick_GetMaterialMatrixPlanes(project.handle(), c.code, c.first, c.count, planes.data()), c.status);
        EXPECT_EQ(planes.Values(), std::vector<float>(planes.size(), 0.0f));
        EXPECT_TRUE(planes.GuardIntact());
    }
    EXPECT_EQ(Brenwick_GetMaterialMatrixPlanes(project.handle(), 0, 0, 1, nullptr), BRENWICK_READER_INVALID_ARGUMENT);
}

TEST_F(ReaderOperations, EmptyResultHasCountZeroAndWritesNothing) {
    contents_.results.push_back({"empty", "Empty", 4, {}});
    WriteProject(path_, contents_);
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int count = -1;
    ASSERT_EQ(CST_Get3DHexResultSize(project.handle(), "Empty", 0, &count), BRENWICK_READER_OK);
    EXPECT_EQ(count, 0);
    GuardedArray<float> values(0, 0.0f, kFloatGuard);
    EXPECT_EQ(CST_Get3DHexResult(project.handle(), "Empty", 0, values.data()), BRENWICK_READER_OK);
    EXPECT_TRUE(values.GuardIntact());
}

TEST_F(ReaderOperations, AxisWithoutLinesIsReportedAsStored) {
    contents_.y_lines.clear();
    contents_.results.clear();
    contents_.material_matrices = {{0, {}}};
    WriteProject(path_, contents_);
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int dims[3] = {-1, -1, -1};
    ASSERT_EQ(CST_GetHexMeshInfo(project.handle(), dims), BRENWICK_READER_OK);
    EXPECT_EQ(dims[1], 0);
    GuardedArray<double> lines(static_cast<std::size_t>(dims[0] + dims[2]), 0.0, kDoubleGuard);
    EXPECT_EQ(CST_GetHexMesh(project.handle(), lines.data()), BRENWICK_READER_OK);
    EXPECT_TRUE(lines.GuardIntact());
    EXPECT_EQ(lines[static_cast<std::size_t>(dims[0])], contents_.z_lines[0]);
    GuardedArray<float> matrix(0, 0.0f, kFloatGuard);
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix.data()), BRENWICK_READER_OK);
    EXPECT_TRUE(matrix.GuardIntact());
}

TEST_F(ReaderOperations, TreePathsAreComparedByteForByte) {
    const std::string utf8_path = "Ergebnisse\\Potential \xC3\xA4 (\xCE\xBC)";  // "ä", "μ"
    contents_.results.push_back({"utf8", utf8_path, 4, Ramp(60, 2.0f, 1.0f)});
    WriteProject(path_, contents_);
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int count = -1;
    EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), utf8_path.c_str(), 0, &count), BRENWICK_READER_OK);
    EXPECT_EQ(count, 60);
    // The same text in Latin-1 bytes is another path.
    EXPECT_EQ(CST_Get3DHexResultSize(project.handle(), "Ergebnisse\\Potential \xE4 (\xB5)", 0, &count),
              BRENWICK_READER_RESULT_NOT_FOUND);
}

TEST_F(ReaderOperations, DuplicateTreePathTakesFirstDatasetByName) {
    contents_.results.push_back({"b_second", "Twice", 4, Ramp(60, 100.0f, 1.0f)});
    contents_.results.push_back({"a_first", "Twice", 4, Ramp(30, -100.0f, 1.0f)});
    WriteProject(path_, contents_);
    OpenedProject project(path_);
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);
    int count = -1;
    ASSERT_EQ(CST_Get3DHexResultSize(project.handle(), "Twice", 0, &count), BRENWICK_READER_OK);
    EXPECT_EQ(count, 30);
    GuardedArray<float> values(30, 0.0f, kFloatGuard);
    ASSERT_EQ(CST_Get3DHexResult(project.handle(), "Twice", 0, values.data()), BRENWICK_READER_OK);
    EXPECT_EQ(values.Values(), contents_.results.back().values);
}

TEST_F(ReaderOperations, SeveralHandlesOnOneFileAreIndependent) {
    OpenedProject first(path_);
    OpenedProject second(path_);
    ASSERT_EQ(first.status(), BRENWICK_READER_OK);
    ASSERT_EQ(second.status(), BRENWICK_READER_OK);
    EXPECT_NE(first.handle()->id, second.handle()->id);

    EXPECT_EQ(first.Close(), BRENWICK_READER_OK);
    int dims[3] = {0, 0, 0};
    EXPECT_EQ(CST_GetHexMeshInfo(first.handle(), dims), BRENWICK_READER_UNKNOWN_HANDLE);
    ASSERT_EQ(CST_GetHexMeshInfo(second.handle(), dims), BRENWICK_READER_OK);
    EXPECT_EQ(dims[2], static_cast<int>(contents_.z_lines.size()));
    GuardedArray<float> matrix(contents_.material_matrices[3].size(), 0.0f, kFloatGuard);
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(second.handle(), 3, matrix.data()), BRENWICK_READER_OK);
    EXPECT_EQ(matrix.Values(), contents_.material_matrices[3]);
}

TEST_F(ReaderOperations, HandleIdsAreNotReusedWhileOpen) {
    std::set<int32_t> open_ids;
    std::vector<CSTProjHandle> handles;
    for (int round = 0; round < 20; ++round) {
        CSTProjHandle handle{};
        ASSERT_EQ(CST_OpenProject(path_.c_str(), &handle), BRENWICK_READER_OK);
        EXPECT_TRUE(open_ids.insert(handle.id).second) << "id " << handle.id << " given twice";
        handles.push_back(handle);
        if (round % 3 == 2) {  // close one now and then; the others stay open
            CSTProjHandle closing = handles.front();
            handles.erase(handles.begin());
            ASSERT_EQ(CST_CloseProject(&closing), BRENWICK_READER_OK);
            open_ids.erase(closing.id);
        }
    }
    for (CSTProjHandle& handle : handles) EXPECT_EQ(CST_CloseProject(&handle), BRENWICK_READER_OK);
}

// Whether HDF5 holds the file open for reading: it then refuses to open it for writing.
bool HeldOpen(const std::string& path) {
    h5::SilenceErrorPrinting();
    const h5::File file(H5Fopen(path.c_str(), H5F_ACC_RDWR, H5P_DEFAULT));
    return !file.valid();
}

TEST_F(ReaderOperations, FileIsReleasedAtClose) {
    {
        OpenedProject project(path_);
        ASSERT_EQ(project.status(), BRENWICK_READER_OK);
        EXPECT_TRUE(HeldOpen(path_));
        EXPECT_EQ(project.Close(), BRENWICK_READER_OK);
    }
    EXPECT_FALSE(HeldOpen(path_));
    contents_.x_lines.push_back(3.0);
    EXPECT_NO_THROW(WriteProject(path_, contents_));
    OpenedProject reopened(path_);
    ASSERT_EQ(reopened.status(), BRENWICK_READER_OK);
    int dims[3] = {0, 0, 0};
    ASSERT_EQ(CST_GetHexMeshInfo(reopened.handle(), dims), BRENWICK_READER_OK);
    EXPECT_EQ(dims[0], static_cast<int>(contents_.x_lines.size()));
}

// A matrix of 3 x 128^3 values spans several slabs; a monitor sees the read go up to all of
// them and can stop it, and is not called once it is taken away.
TEST_F(ReaderOperations, AReadMonitorFollowsTheSlabsAndCanStopTheRead) {
    constexpr int n = 128;
    ProjectContents contents;
    for (int line = 0; line < n; ++line) contents.x_lines.push_back(line);
    contents.y_lines = contents.z_lines = contents.x_lines;
    constexpr std::size_t count = 3 * std::size_t{n} * n * n;
    contents.material_matrices[0] = Ramp(count, 0, 1);
    OpenedProject project(WriteProject(dir_.path() / "large.cst", contents));
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);

    struct Told {
        std::vector<std::uint64_t> done;
        std::uint64_t stop_after = UINT64_MAX;  // slabs told before the monitor asks to stop
    } told;
    const BrenwickReadMonitor monitor = [](void* context, uint64_t done, uint64_t total) {
        auto& seen = *static_cast<Told*>(context);
        if (total != count) seen.done.push_back(UINT64_MAX);  // a wrong total shows as an odd entry
        seen.done.push_back(done);
        return seen.done.size() > seen.stop_after ? 1 : 0;
    };
    ASSERT_EQ(Brenwick_SetReadMonitor(project.handle(), monitor, &told), BRENWICK_READER_OK);
    std::vector<float> matrix(count);
    ASSERT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix.data()), BRENWICK_READER_OK);
    EXPECT_EQ(matrix, contents.material_matrices[0]);
    ASSERT_GE(told.done.size(), 4u);
    EXPECT_EQ(told.done.front(), 0u);
    EXPECT_EQ(told.done.back(), count);
    EXPECT_TRUE(std::is_sorted(told.done.begin(), told.done.end()));

    told = {{}, 2};
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix.data()), BRENWICK_READER_STOPPED);
    EXPECT_EQ(told.done.size(), 3u) << "no slab is read once the monitor asked to stop";

    ASSERT_EQ(Brenwick_SetReadMonitor(project.handle(), nullptr, nullptr), BRENWICK_READER_OK);
    told = {};
    EXPECT_EQ(CST_GetMaterialMatrixHexMesh(project.handle(), 0, matrix.data()), BRENWICK_READER_OK);
    EXPECT_TRUE(told.done.empty());
}

// A read of planes tells the monitor of its own array, one slab or more per component, and
// stops as a whole read does.
TEST_F(ReaderOperations, AReadMonitorFollowsAReadOfPlanes) {
    constexpr int n = 128, planes = 64;
    ProjectContents contents;
    for (int line = 0; line < n; ++line) contents.x_lines.push_back(line);
    contents.y_lines = contents.z_lines = contents.x_lines;
    contents.material_matrices[0] = Ramp(3 * std::size_t{n} * n * n, 0, 1);
    OpenedProject project(WriteProject(dir_.path() / "large.cst", contents));
    ASSERT_EQ(project.status(), BRENWICK_READER_OK);

    struct Told {
        std::vector<std::uint64_t> done, totals;
        std::size_t stop_after = SIZE_MAX;
    } told;
    const BrenwickReadMonitor monitor = [](void* context, uint64_t done, uint64_t total) {
        auto& seen = *static_cast<Told*>(context);
        seen.done.push_back(done);
        seen.totals.push_back(total);
        return seen.done.size() > seen.stop_after ? 1 : 0;
    };
    ASSERT_EQ(Brenwick_SetReadMonitor(project.handle(), monitor, &told), BRENWICK_READER_OK);
    const std::size_t count = 3 * std::size_t{n} * n * planes;
    std::vector<float> values(count);
    ASSERT_EQ(Brenwick_GetMaterialMatrixPlanes(project.handle(), 0, 1, planes, values.data()), BRENWICK_READER_OK);
    EXPECT_EQ(values, PlanesOf(contents.material_matrices[0], std::size_t{n} * n, 1, planes));
    ASSERT_GE(told.done.size(), 4u);
    EXPECT_EQ(told.done.front(), 0u);
    EXPECT_EQ(told.done.back(), count);
    EXPECT_TRUE(std::is_sorted(told.done.begin(), told.done.end()));
    EXPECT_EQ(std::set<std::uint64_t>(told.totals.begin(), told.totals.end()), std::set<std::uint64_t>{count});

    told = {{}, {}, 2};
    EXPECT_EQ(Brenwick_GetMaterialMatrixPlanes(project.handle(), 0, 1, planes, values.data()), BRENWICK_READER_STOPPED);
    EXPECT_EQ(told.done.size(), 3u) << "no slab is read once the monitor asked to stop";
}

}  // namespace
}  // namespace reader_test
