// Reading the potential of a project into one value per node.
#include "engine/readout.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brenwick;

using namespace engine_test;

namespace {

constexpr int nodes = 3 * 4 * 5;

using Lines = std::vector<std::string>;

// What RetrieveFieldData logged and the text it failed with.
struct Retrieval {
    Lines lines;
    std::string failure;
};

fake_reader::Project ProjectWithResult(int field_type, std::size_t stored_values) {
    fake_reader::Project project = UniformProject(3, 4, 5);
    project.results.push_back({"2D/3D Results\\Other", field_type, PotentialValues(stored_values)});
    return project;
}

class FieldData : public testing::Test {
protected:
    Engine Open(const fake_reader::Project& project) { return OpenEngine(project, "project.cst", log.Sink()); }

    Retrieval Retrieve(CST_Readout& engine, const std::string& path = default_potential) {
        log.Take();
        Retrieval retrieval;
        retrieval.failure = FailureOf([&] { engine.RetrieveFieldData(path); });
        retrieval.lines = log.Take();
        return retrieval;
    }

    LogLines log;
};

}  // namespace

TEST_F(FieldData, ARealScalarResultFillsEveryNode) {
    auto engine = Open(UniformProject(3, 4, 5));
    const Retrieval retrieval = Retrieve(*engine);
    EXPECT_EQ(retrieval.failure, "");
    EXPECT_EQ(retrieval.lines, Lines{"Number of data found (real scalar field -> #nodes): 60"});
    EXPECT_EQ(engine->FieldType(), 4);
    EXPECT_EQ(engine->FieldValues(), PotentialValues(nodes));
}

TEST_F(FieldData, ASecondReadReplacesTheValues) {
    auto engine = Open(UniformProject(3, 4, 5));
    Retrieve(*engine);
    std::vector<float> changed(nodes);
    for (std::size_t n = 0; n < changed.size(); ++n) changed[n] = -static_cast<float>(n) * 1.5f;
    fake_reader::Current().results[0].values = changed;
    EXPECT_EQ(Retrieve(*engine).failure, "");
    EXPECT_EQ(engine->FieldValues(), changed);
}

TEST_F(FieldData, TheResultPathReachesTheReaderUnchanged) {
    fake_reader::Project project = UniformProject(3, 4, 5);
    const std::string path = "2D/3D Results\\e-Field [Es]\\ x ";
    project.results[0].tree_path = path;
    auto engine = Open(project);
    EXPECT_EQ(Retrieve(*engine, path).failure, "");
    EXPECT_EQ(engine->FieldValues(), PotentialValues(nodes));
}

TEST_F(FieldData, SizeAndInfoFailuresGiveTheInformationMessage) {
    const std::string path = "2D/3D Results\\Potentials [1]";
    const std::string expected =
        "In RetrieveFieldData could not get information about potentials.Maybe the data is not stored in " + path;
    for (int step = 0; step < 2; ++step) {
        fake_reader::Project project = UniformProject(3, 4, 5);
        project.results[0].tree_path = path;
        (step == 0 ? project.result_size_status : project.result_info_status) = 13;
        auto engine = Open(project);
        const Retrieval retrieval = Retrieve(*engine, path);
        EXPECT_EQ(retrieval.failure, expected) << "failing step " << step;
        EXPECT_TRUE(retrieval.lines.empty()) << "failing step " << step;
        EXPECT_EQ(engine->ReaderStatus(), 13) << "failing step " << step;
        EXPECT_EQ(fake_reader::CallCount("CST_Get3DHexResult"), 0) << "failing step " << step;
    }
}

TEST_F(FieldData, APathThatIsNotInTheProjectFailsWithTheInformationMessage) {
    auto engine = Open(UniformProject(3, 4, 5));
    EXPECT_EQ(Retrieve(*engine, "2D/3D Results\\potentials").failure,
              "In RetrieveFieldData could not get information about potentials.Maybe the data is not stored in "
              "2D/3D Results\\potentials");
}

TEST_F(FieldData, AReadFailureGivesTheReadingMessageAndDropsTheValues) {
    auto engine = Open(UniformProject(3, 4, 5));
    Retrieve(*engine);
    ASSERT_EQ(engine->FieldValues().size(), static_cast<std::size_t>(nodes));
    fake_reader::Current().result_status = 8;
    const Retrieval retrieval = Retrieve(*engine);
    EXPECT_EQ(retrieval.failure,
              "In CST_Readout::RetrieveFieldData could not get information about potentials.Maybe the data is not "
              "stored in 2D/3D Results\\Potentials");
    EXPECT_EQ(retrieval.lines, Lines{"Number of data found (real scalar field -> #nodes): 60"});
    EXPECT_EQ(engine->ReaderStatus(), 8);
    EXPECT_EQ(engine->FieldType(), 4);
    EXPECT_TRUE(engine->FieldValues().empty());
}

TEST_F(FieldData, ComplexAndVectorResultsAreRefusedAfterTheirLine) {
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
        auto engine = Open(ProjectWithResult(c.code, static_cast<std::size_t>(nodes * c.values_per_node)));
        const Retrieval retrieval = Retrieve(*engine, "2D/3D Results\\Other");
        // The count is the number of values stored, not of nodes.
        EXPECT_EQ(retrieval.lines, Lines{c.line + std::to_string(nodes * c.values_per_node)}) << "type " << c.code;
        EXPECT_NE(retrieval.failure.find(c.name), std::string::npos) << retrieval.failure;
        EXPECT_EQ(engine->FieldType(), c.code);
        EXPECT_TRUE(engine->FieldValues().empty()) << "type " << c.code;
    }
}

TEST_F(FieldData, ARefusedResultLeavesTheEarlierValues) {
    fake_reader::Project project = ProjectWithResult(2, nodes * 3);
    auto engine = Open(project);
    Retrieve(*engine);
    EXPECT_NE(Retrieve(*engine, "2D/3D Results\\Other").failure, "");
    EXPECT_EQ(engine->FieldValues(), PotentialValues(nodes));
}

TEST_F(FieldData, ACountOtherThanTheNodeCountIsRefusedNamingBoth) {
    for (const std::size_t count : {std::size_t{nodes - 1}, std::size_t{nodes + 1}, std::size_t{nodes * 6}}) {
        auto engine = Open(ProjectWithResult(4, count));
        const Retrieval retrieval = Retrieve(*engine, "2D/3D Results\\Other");
        EXPECT_EQ(retrieval.lines, Lines{"Number of data found (real scalar field -> #nodes): " + std::to_string(count)});
        EXPECT_TRUE(NamesNumber(retrieval.failure, static_cast<long long>(count)) && NamesNumber(retrieval.failure, nodes))
            << retrieval.failure;
    }
}

TEST_F(FieldData, ACountOfZeroWritesItsLineAndIsRefused) {
    auto engine = Open(ProjectWithResult(4, 0));
    const Retrieval retrieval = Retrieve(*engine, "2D/3D Results\\Other");
    EXPECT_EQ(retrieval.lines, Lines{"Number of data found (real scalar field -> #nodes): 0"});
    EXPECT_TRUE(NamesNumber(retrieval.failure, 0) && NamesNumber(retrieval.failure, nodes)) << retrieval.failure;
    EXPECT_EQ(engine->FieldType(), 4);
}

TEST_F(FieldData, AnUnknownTypeCodeWritesNoLineAndIsRefusedNamingIt) {
    for (const int code : {0, 5, -7, 1000}) {
        auto engine = Open(ProjectWithResult(code, nodes));
        const Retrieval retrieval = Retrieve(*engine, "2D/3D Results\\Other");
        EXPECT_TRUE(retrieval.lines.empty()) << "type " << code;
        EXPECT_TRUE(NamesNumber(retrieval.failure, code) && NamesWord(retrieval.failure, "type")) << retrieval.failure;
        EXPECT_EQ(fake_reader::CallCount("CST_Get3DHexResult"), 0) << "type " << code;
        EXPECT_TRUE(engine->FieldValues().empty()) << "type " << code;
    }
}

TEST_F(FieldData, ValuesThatAreNoFiniteNumbersAreKeptAsRead) {
    fake_reader::Project project = UniformProject(3, 4, 5);
    project.results[0].values[17] = std::numeric_limits<float>::quiet_NaN();
    project.results[0].values[40] = -std::numeric_limits<float>::infinity();
    auto engine = Open(project);
    EXPECT_EQ(Retrieve(*engine).failure, "");
    ASSERT_EQ(engine->FieldValues().size(), 60u);
    EXPECT_TRUE(std::isnan(engine->FieldValues()[17]));
    EXPECT_EQ(engine->FieldValues()[40], -std::numeric_limits<float>::infinity());
}
