// The make-project command: its options, its messages, and what the built-in reader makes of
// the project it writes.
#include "cli/make_project_command.h"
#include "demo/demo_project.h"
#include "reader_contract/result_reader.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <CLI/CLI.hpp>
#include <pugixml.hpp>

#include <filesystem>
#include <sstream>

using namespace brenwick;

namespace {

namespace fs = std::filesystem;
using test_files::TempDir;

std::size_t Nodes(const ProjectContents& c) { return c.x_lines.size() * c.y_lines.size() * c.z_lines.size(); }

TEST(MakeProjectCommand, MaterialFileDefaultsToTheProjectPathWithXmlExtension) {
    EXPECT_EQ(MaterialsPathOf({"dir/demo.cst", "", {}}), "dir/demo.xml");
    EXPECT_EQ(MaterialsPathOf({"demo", "", {}}), "demo.xml");
    EXPECT_EQ(MaterialsPathOf({"demo.cst", "other.xml", {}}), "other.xml");
}

TEST(MakeProjectCommand, WritesProjectAndMaterialFileAndSaysSo) {
    const TempDir dir;
    const MakeProjectOptions options{(dir / "demo.cst"), "", {6, 5, 4}};
    std::ostringstream out, err;
    ASSERT_EQ(RunMakeProject(options, out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_TRUE(fs::is_regular_file((dir / "demo.cst")));
    EXPECT_TRUE(fs::is_regular_file((dir / "demo.xml")));
    EXPECT_NE(out.str().find((dir / "demo.cst")), std::string::npos) << out.str();
    EXPECT_NE(out.str().find((dir / "demo.xml")), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("6 x 5 x 4"), std::string::npos) << out.str();

    pugi::xml_document document;
    ASSERT_TRUE(document.load_file((dir / "demo.xml").c_str()));
    EXPECT_EQ(document.child("Materials").attribute("Count").as_int(), static_cast<int>(DemoMaterials().size()));
}

TEST(MakeProjectCommand, FailuresGoToTheErrorStreamWithStatusOne) {
    const TempDir dir;
    struct Case {
        MakeProjectOptions options;
        std::string expected_text;
    };
    std::vector<Case> cases{
        {{(dir / "no/such/dir/demo.cst"), (dir / "demo.xml"), {4, 4, 4}}, "no/such/dir/demo.cst"},
        {{(dir / "demo.cst"), (dir / "no/such/dir/m.xml"), {4, 4, 4}}, "no/such/dir/m.xml"},
        {{(dir / "demo.cst"), "", {0, 4, 4}}, "0 x 4 x 4"},
        {{(dir / "demo.xml"), "", {4, 4, 4}}, "demo.xml"},
        {{"", "", {4, 4, 4}}, "No project file"},
    };
    // A material file named through a link to the project not made yet.
    if (test_files::CanMakeSymbolicLinks()) {
        fs::create_symlink("fresh.cst", dir / "fresh.xml");
        cases.push_back({{(dir / "fresh.cst"), (dir / "fresh.xml"), {4, 4, 4}}, "fresh.cst"});
    }
    for (const Case& test : cases) {
        SCOPED_TRACE(test.expected_text);
        std::ostringstream out, err;
        EXPECT_EQ(RunMakeProject(test.options, out, err), 1);
        EXPECT_EQ(err.str().rfind("make-project: ", 0), 0u) << err.str();
        EXPECT_NE(err.str().find(test.expected_text), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(fs::exists((dir / "demo.xml"))) << "a project named .xml was overwritten or written";
    EXPECT_FALSE(fs::exists(dir / "fresh.cst")) << "a project was written and then overwritten";
}

TEST(MakeProjectCommand, CommandLineOptionsReachTheOptions) {
    CLI::App app;
    MakeProjectOptions options;
    AddMakeProjectCommand(app, options);
    const char* argv[] = {"brenwick-cli", "make-project", "p.cst", "--mesh", "5", "6", "7", "--materials-out", "m.xml"};
    app.parse(9, argv);
    EXPECT_EQ(options.project_path, "p.cst");
    EXPECT_EQ(options.materials_path, "m.xml");
    EXPECT_EQ(options.mesh, (std::array{5, 6, 7}));

    CLI::App defaults_app;
    MakeProjectOptions defaults;
    AddMakeProjectCommand(defaults_app, defaults);
    const char* short_argv[] = {"brenwick-cli", "make-project", "q.cst"};
    defaults_app.parse(3, short_argv);
    EXPECT_EQ(defaults.project_path, "q.cst");
    EXPECT_EQ(defaults.materials_path, "");
    EXPECT_EQ(defaults.mesh, kDemoDefaultMesh);

    CLI::App bad_app;
    MakeProjectOptions bad;
    AddMakeProjectCommand(bad_app, bad);
    const char* zero_argv[] = {"brenwick-cli", "make-project", "r.cst", "--mesh", "0", "3", "3"};
    EXPECT_THROW(bad_app.parse(7, zero_argv), CLI::ValidationError);
}

// --- Through the built-in reader

TEST(MakeProjectRoundTrip, TheReaderDeliversWhatWasGenerated) {
    const TempDir dir;
    const std::array<int, 3> mesh{9, 7, 6};
    const MakeProjectOptions options{(dir / "demo.cst"), "", mesh};
    std::ostringstream out, err;
    ASSERT_EQ(RunMakeProject(options, out, err), 0) << err.str();
    const DemoProject demo = MakeDemoProject(mesh);
    const ProjectContents& c = demo.contents;

    CSTProjHandle handle{};
    ASSERT_EQ(CST_OpenProject(options.project_path.c_str(), &handle), 0);
    int dims[3] = {0, 0, 0};
    ASSERT_EQ(CST_GetHexMeshInfo(&handle, dims), 0);
    EXPECT_EQ(dims[0], mesh[0]);
    EXPECT_EQ(dims[1], mesh[1]);
    EXPECT_EQ(dims[2], mesh[2]);

    std::vector<double> lines(mesh[0] + mesh[1] + mesh[2]);
    ASSERT_EQ(CST_GetHexMesh(&handle, lines.data()), 0);
    std::vector<double> expected_lines = c.x_lines;
    expected_lines.insert(expected_lines.end(), c.y_lines.begin(), c.y_lines.end());
    expected_lines.insert(expected_lines.end(), c.z_lines.begin(), c.z_lines.end());
    EXPECT_EQ(lines, expected_lines);

    const char* path = kDemoPotentialPath;
    int count = 0, type = 0;
    ASSERT_EQ(CST_Get3DHexResultSize(&handle, path, 0, &count), 0);
    EXPECT_EQ(static_cast<std::size_t>(count), Nodes(c));
    ASSERT_EQ(CST_Get3DHexResultInfo(&handle, path, 0, 1, 0, 0, &type, 0), 0);
    EXPECT_EQ(type, 4);
    std::vector<float> values(6 * static_cast<std::size_t>(count));
    ASSERT_EQ(CST_Get3DHexResult(&handle, path, 0, values.data()), 0);
    values.resize(count);
    EXPECT_EQ(values, c.results[0].values);

    for (const int code : {0, 3}) {
        std::vector<float> matrix(3 * Nodes(c));
        ASSERT_EQ(CST_GetMaterialMatrixHexMesh(&handle, code, matrix.data()), 0) << "code " << code;
        EXPECT_EQ(matrix, c.material_matrices.at(code)) << "code " << code;
    }
    std::vector<float> unused(3 * Nodes(c));
    EXPECT_NE(CST_GetMaterialMatrixHexMesh(&handle, 1, unused.data()), 0) << "code 1 is not stored";
    EXPECT_EQ(CST_CloseProject(&handle), 0);
}

}  // namespace
