// Reading the potential of a project into one value per node.
#include "engine/project/field_data.h"
#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brenwick;

using namespace engine_test;

namespace {

constexpr int kNodes = 3 * 4 * 5;

using Lines = std::vector<std::string>;

// What a read logged and the text it failed with.
struct Retrieval {
    Lines lines;
    std::string failure;
};

fake_reader::Project ProjectWithResult(int field_type, std::size_t stored_values) {
    fake_reader::Project project = UniformProject(3, 4, 5);
    project.results.push_back({"2D/3D Results\\Other", field_type, PotentialValues(stored_values)});
    return project;
}

class PotentialRead : public testing::Test {
protected:
    void Open(const fake_reader::Project& project) {
        opened.reset();  // closed before the next project is installed
        fake_reader::Install(project);
        opened = std::make_unique<OpenProject>("project.cst", fake_reader::Reader(), Discard());
    }

    Retrieval Retrieve(const std::string& path = default_potential) {
        Retrieval retrieval;
        retrieval.failure = FailureOf([&] { field.Retrieve(*opened, path, log.Sink(), {}, {}); });
        retrieval.lines = log.Take();
        return retrieval;
    }

    std::vector<float> Values() const { return {field.Values().begin(), field.Values().end()}; }

    LogLines log;
    std::unique_ptr<OpenProject> opened;
    FieldData field;
};

}  // namespace

TEST_F(PotentialRead, ARealScalarResultFillsEveryNode) {
    Open(UniformProject(3, 4, 5));
    const Retrieval retrieval = Retrieve();
    EXPECT_EQ(retrieval.failure, "");
    EXPECT_EQ(retrieval.lines, Lines{"Number of data found (real scalar field -> #nodes): 60"});
    EXPECT_EQ(Values(), PotentialValues(kNodes));
}

TEST_F(PotentialRead, ASecondReadReplacesTheValues) {
    Open(UniformProject(3, 4, 5));
    Retrieve();
    std::vector<float> changed(kNodes);
    for (std::size_t n = 0; n < changed.size(); ++n) changed[n] = -static_cast<float>(n) * 1.5f;
    fake_reader::Current().results[0].values = changed;
    EXPECT_EQ(Retrieve().failure, "");
    EXPECT_EQ(Values(), changed);
}

TEST_F(PotentialRead, TheResultPathReachesTheReaderUnchanged) {
    fake_reader::Project project = UniformProject(3, 4, 5);
    const std::string path = "2D/3D Results\\e-Field [Es]\\ x ";
    project.results[0].tree_path = path;
    Open(project);
    EXPECT_EQ(Retrieve(path).failure, "");
    EXPECT_EQ(Values(), PotentialValues(kNodes));
}

TEST_F(PotentialRead, SizeAndInfoFailuresGiveTheInformationMessage) {
    const std::string path = "2D/3D Results\\Potentials [1]";
    const std::string expected =
        "In RetrieveFieldData could not get information about potentials.Maybe the data is not stored in " + path;
    for (int step = 0; step < 2; ++step) {
        fake_reader::Project project = UniformProject(3, 4, 5);
        project.results[0].tree_path = path;
        (step == 0 ? project.result_size_status : project.result_info_status) = 13;
        Open(project);
        const Retrieval retrieval = Retrieve(path);
        EXPECT_EQ(retrieval.failure, expected) << "failing step " << step;
        EXPECT_TRUE(retrieval.lines.empty()) << "failing step " << step;
        EXPECT_EQ(fake_reader::CallCount("CST_Get3DHexResult"), 0) << "failing step " << step;
    }
}

TEST_F(PotentialRead, APathThatIsNotInTheProjectFailsWithTheInformationMessage) {
    Open(UniformProject(3, 4, 5));
    EXPECT_EQ(Retrieve("2D/3D Results\\potentials").failure,
              "In RetrieveFieldData could not get information about potentials.Maybe the data is not stored in "
              "2D/3D Results\\potentials");
}

TEST_F(PotentialRead, AReadFailureGivesTheReadingMessageAndDropsTheValues) {
    Open(UniformProject(3, 4, 5));
    Retrieve();
    ASSERT_EQ(Values().size(), static_cast<std::size_t>(kNodes));
    fake_reader::Current().result_status = 8;
    const Retrieval retrieval = Retrieve();
    EXPECT_EQ(retrieval.failure,
              "In CST_Readout::RetrieveFieldData could not get information about potentials.Maybe the data is not "
              "stored in 2D/3D Results\\Potentials");
    EXPECT_EQ(retrieval.lines, Lines{"Number of data found (real scalar field -> #nodes): 60"});
    EXPECT_TRUE(Values().empty());
}

TEST_F(PotentialRead, ComplexAndVectorResultsAreRefusedAfterTheirLine) {
    struct Case {
        int code;
        int values_per_node;
        const char* line;
        const char* name;
    };
    const Case cases[] = {
        {1, 6, "Number of data found (Re,Im for E_x,E_y,E_z -> 6x#nodes): ", "Complex vector field"},
        {2, 3, "This is a real vector field (Re for E_x,E_y,E_z -> 3x#nodes): ", "Real vector field"},
        {3, 2, "This is a complex scalar field (RE,Im -> 2x#nodes): ", "Complex scalar field"},
    };
    for (const Case& c : cases) {
        Open(ProjectWithResult(c.code, static_cast<std::size_t>(kNodes * c.values_per_node)));
        const Retrieval retrieval = Retrieve("2D/3D Results\\Other");
        // The count is the number of values stored, not of nodes.
        EXPECT_EQ(retrieval.lines, Lines{c.line + std::to_string(kNodes * c.values_per_node)}) << "type " << c.code;
        EXPECT_NE(retrieval.failure.find(c.name), std::string::npos) << retrieval.failure;
        EXPECT_TRUE(Values().empty()) << "type " << c.code;
    }
}

TEST_F(PotentialRead, ARefusedResultLeavesTheEarlierValues) {
    fake_reader::Project project = ProjectWithResult(2, kNodes * 3);
    Open(project);
    Retrieve();
    EXPECT_NE(Retrieve("2D/3D Results\\Other").failure, "");
    EXPECT_EQ(Values(), PotentialValues(kNodes));
}

TEST_F(PotentialRead, ACountOtherThanTheNodeCountIsRefusedNamingBoth) {
    for (const std::size_t count : {std::size_t{kNodes - 1}, std::size_t{kNodes + 1}, std::size_t{kNodes * 6}}) {
        Open(ProjectWithResult(4, count));
        const Retrieval retrieval = Retrieve("2D/3D Results\\Other");
        EXPECT_EQ(retrieval.lines,
                  Lines{"Number of data found (real scalar field -> #nodes): " + std::to_string(count)});
        EXPECT_TRUE(NamesNumber(retrieval.failure, static_cast<long long>(count)) &&
                    NamesNumber(retrieval.failure, kNodes))
            << retrieval.failure;
    }
}

TEST_F(PotentialRead, ACountOfZeroWritesItsLineAndIsRefused) {
    Open(ProjectWithResult(4, 0));
    const Retrieval retrieval = Retrieve("2D/3D Results\\Other");
    EXPECT_EQ(retrieval.lines, Lines{"Number of data found (real scalar field -> #nodes): 0"});
    EXPECT_TRUE(NamesNumber(retrieval.failure, 0) && NamesNumber(retrieval.failure, kNodes)) << retrieval.failure;
}

TEST_F(PotentialRead, AnUnknownTypeCodeWritesNoLineAndIsRefusedNamingIt) {
    for (const int code : {0, 5, -7, 1000}) {
        Open(ProjectWithResult(code, kNodes));
        const Retrieval retrieval = Retrieve("2D/3D Results\\Other");
        EXPECT_TRUE(retrieval.lines.empty()) << "type " << code;
        EXPECT_TRUE(NamesNumber(retrieval.failure, code) && NamesWord(retrieval.failure, "type")) << retrieval.failure;
        EXPECT_EQ(fake_reader::CallCount("CST_Get3DHexResult"), 0) << "type " << code;
        EXPECT_TRUE(Values().empty()) << "type " << code;
    }
}

TEST_F(PotentialRead, ValuesThatAreNoFiniteNumbersAreKeptAsRead) {
    fake_reader::Project project = UniformProject(3, 4, 5);
    project.results[0].values[17] = std::numeric_limits<float>::quiet_NaN();
    project.results[0].values[40] = -std::numeric_limits<float>::infinity();
    Open(project);
    EXPECT_EQ(Retrieve().failure, "");
    ASSERT_EQ(Values().size(), 60u);
    EXPECT_TRUE(std::isnan(Values()[17]));
    EXPECT_EQ(Values()[40], -std::numeric_limits<float>::infinity());
}
