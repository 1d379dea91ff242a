// Opening a project, reading its mesh and closing it again.
#include "engine/readout.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace brenwick;

using namespace engine_test;

namespace {

using Lines = std::vector<std::string>;

// Constructs an engine on the project and returns the text it fails with ("" when none).
std::string ConstructionFailure(const fake_reader::Project& project, const std::string& path = "project.cst",
                                LogSink log = Discard()) {
    return FailureOf([&] { OpenEngine(project, path, std::move(log)); });
}

}  // namespace

TEST(ReadoutConstruction, LogsWhateverVersionTheReaderReportsAndTheLineCounts) {
    for (const int version : {2024, -17}) {
        fake_reader::Project project = UniformProject(3, 4, 5);
        project.version = version;
        LogLines log;
        const Engine engine = OpenEngine(project, "project.cst", log.Sink());
        EXPECT_EQ(log.Take(),
                  (Lines{"CST DLL Version is: " + std::to_string(version), "xlines: 3\t ylines: 4\t zlines: 5"}));
    }
}

TEST(ReadoutConstruction, AsksForTheVersionTheProjectTheMeshSizeAndTheLinesInThisOrder) {
    const auto engine = OpenEngine(MeshProject({-2, 0.5}, {1, 2, 4}, {10, 10.25, 11, 13}));
    EXPECT_EQ(fake_reader::Calls(), (std::vector<std::string>{"CST_GetDLLVersion", "CST_OpenProject",
                                                              "CST_GetHexMeshInfo", "CST_GetHexMesh"}));
}

TEST(ReadoutConstruction, OpenMeshInfoAndMeshFailuresShareOneMessageAfterTheVersionLine) {
    const std::string path = "C:\\Simulations\\drift tube (v2).cst";
    for (int step = 0; step < 3; ++step) {
        fake_reader::Project project = UniformProject(3, 4, 5);
        (step == 0 ? project.open_status : step == 1 ? project.mesh_info_status : project.mesh_status) = 11;
        LogLines log;
        EXPECT_EQ(ConstructionFailure(project, path, log.Sink()), "Failed to open the CST project file: " + path)
            << "failing step " << step;
        EXPECT_EQ(log.Take(), Lines{"CST DLL Version is: 2024"}) << "failing step " << step;
    }
}

TEST(ReadoutConstruction, PassesThePathToTheReaderUnchanged) {
    const std::string path = "results/field map.h5 ";
    const Engine engine = OpenEngine(UniformProject(2, 2, 2), path);
    EXPECT_EQ(fake_reader::OpenedPath(), path);
}

TEST(ReadoutConstruction, ClosesTheProjectWhenTheMeshCannotBeRead) {
    for (int step = 0; step < 2; ++step) {
        fake_reader::Project project = UniformProject(3, 3, 3);
        (step == 0 ? project.mesh_info_status : project.mesh_status) = 5;
        ConstructionFailure(project);
        EXPECT_FALSE(fake_reader::ProjectOpen()) << "failing step " << step;
        EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 1) << "failing step " << step;
    }
}

TEST(ReadoutConstruction, DoesNotCloseAProjectThatNeverOpened) {
    fake_reader::Project project = UniformProject(3, 3, 3);
    project.open_status = 1;
    ConstructionFailure(project);
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 0);
}

TEST(ReadoutConstruction, TwoLinesPerAxisGiveEightNodesAndOneElementAtNodeZero) {
    fake_reader::Project project = UniformProject(2, 2, 2);
    // Only node 0 carries the value 4 per component; at element (0,0,0) of a unit mesh the
    // density conversion halves it.
    std::vector<float> matrix(24, 1000.0f);
    matrix[0] = matrix[8] = matrix[16] = 4.0f;
    project.matrices[3] = matrix;
    TempDir dir;
    WriteMaterialFile(dir / "m.xml", {{1, 4, 1, 0, 2, "solid"}});
    auto engine = OpenEngine(project);
    engine->material_file = dir / "m.xml";
    engine->material_quantity = 3;
    const test_efm::MapContents written = Exported(*engine, false, true);
    EXPECT_EQ(written.properties, std::vector<float>{2.0f});
    EXPECT_EQ(written.bytes, std::vector<unsigned char>{1});
    EXPECT_EQ(written.nodes, PotentialValues(8));
}

TEST(ReadoutConstruction, PotentialNameDefaultsToTheResultTreePath) {
    const auto engine = OpenEngine(UniformProject(2, 2, 2));
    EXPECT_EQ(engine->GetPotentialName(), "2D/3D Results\\Potentials");
}

TEST(ReadoutMesh, AnAxisWithoutLinesIsRefusedNamingTheCounts) {
    fake_reader::Project project = UniformProject(7, 1, 13);
    project.dims = {7, 0, 13};
    const std::string failure = ConstructionFailure(project);
    EXPECT_TRUE(NamesNumber(failure, 7) && NamesNumber(failure, 0) && NamesNumber(failure, 13)) << failure;
    EXPECT_EQ(failure.find("Failed to open"), std::string::npos) << failure;
    EXPECT_FALSE(fake_reader::ProjectOpen());
}

TEST(ReadoutMesh, ANegativeLineCountIsRefused) {
    fake_reader::Project project = UniformProject(3, 3, 3);
    project.dims = {3, 3, -4};
    const std::string failure = ConstructionFailure(project);
    EXPECT_TRUE(NamesNumber(failure, -4)) << failure;
    EXPECT_FALSE(fake_reader::ProjectOpen());
}

TEST(ReadoutMesh, MoreNodesThanAnInt32CountsAreRefusedNamingTheCounts) {
    // 46341^2 = 2^31 + 4634 nodes. The reader is never asked for the lines.
    fake_reader::Project project = UniformProject(2, 2, 2);
    project.dims = {46341, 1, 46341};
    const std::string failure = ConstructionFailure(project);
    EXPECT_TRUE(NamesNumber(failure, 46341) && NamesNumber(failure, 1)) << failure;
    EXPECT_EQ(fake_reader::CallCount("CST_GetHexMesh"), 0);
    EXPECT_FALSE(fake_reader::ProjectOpen());
}

TEST(ReadoutMesh, ANodeCountJustBelowTheInt32LimitIsAccepted) {
    // 46340^2 = 2147395600 <= 2^31 - 1.
    fake_reader::Project project;
    project.dims = {46340, 1, 46340};
    project.lines = UniformLines(46340, 1);
    project.lines.push_back(0);
    project.lines.insert(project.lines.end(), project.lines.begin(), project.lines.begin() + 46340);
    const auto engine = OpenEngine(project);
    EXPECT_TRUE(fake_reader::ProjectOpen());
}

TEST(ReadoutMesh, LinesThatDoNotIncreaseAreRefused) {
    for (const double bad : {1.0, 0.5, std::nan("")}) {
        const std::string failure = ConstructionFailure(MeshProject({0, 1}, {0, 1, bad}, {0, 1}));
        EXPECT_FALSE(failure.empty()) << "third y line " << bad;
        EXPECT_TRUE(NamesWord(failure, "y")) << failure;
        EXPECT_FALSE(fake_reader::ProjectOpen());
    }
}

namespace {

class ReadoutClose : public testing::Test {
protected:
    // An engine on a 2 x 2 x 2 project whose close ends with `close_status` (0: success), with
    // the lines of its construction taken.
    Engine Open(int close_status = 0) {
        fake_reader::Project project = UniformProject(2, 2, 2);
        project.close_status = close_status;
        Engine engine = OpenEngine(project, "project.cst", log.Sink());
        log.Take();
        return engine;
    }

    LogLines log;
};

}  // namespace

TEST_F(ReadoutClose, CloseProjectLogsOneLineAndClosesOnce) {
    Engine engine = Open();
    engine->CloseProject();
    EXPECT_EQ(log.Take(), Lines{"Prejct was closed without problems"});
    EXPECT_FALSE(fake_reader::ProjectOpen());
    engine.reset();
    EXPECT_TRUE(log.Take().empty());
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 1);
}

TEST_F(ReadoutClose, DestructionClosesTheProject) {
    Engine engine = Open();
    engine.reset();
    EXPECT_EQ(log.Take(), Lines{"Prejct was closed without problems"});
    EXPECT_FALSE(fake_reader::ProjectOpen());
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 1);
}

TEST_F(ReadoutClose, AFailedCloseThrowsAndLogsNoLine) {
    Engine engine = Open(9);
    EXPECT_EQ(FailureOf([&] { engine->CloseProject(); }), "Failed to close the CST project.");
    EXPECT_TRUE(log.Take().empty());
    // The close is not repeated by the destructor.
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(engine.reset());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 1);
}

TEST_F(ReadoutClose, TheDestructorReportsAFailedCloseOnStandardError) {
    Engine engine = Open(9);
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(engine.reset());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to close the CST project.\n");
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(ReadoutClose, AFailedCloseDuringUnwindingLeavesTheFirstFailure) {
    testing::internal::CaptureStderr();
    const std::string failure = FailureOf([&] {
        const Engine engine = Open(9);
        throw std::runtime_error("export failed");
    });
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(failure, "export failed");
}
