// The causes that failures carry beside their fixed messages: what the file system says of an
// input or output, where a material file's XML breaks, the reader's status.
#include "engine/engine_error.h"
#include "engine/materials/material_file.h"
#include "engine/reader/reader_functions.h"
#include "engine/readout.h"
#include "platform/utf8_path.h"
#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>
#include <vector>

using namespace brenwick;
using namespace engine_test;

namespace {

struct Failure {
    std::string message, cause;
    std::string kind;  // the engine's type the front ends branch on
};

std::string KindOf(const std::exception& failure) {
    if (dynamic_cast<const ProjectError*>(&failure) != nullptr) return "project";
    if (dynamic_cast<const MaterialFileError*>(&failure) != nullptr) return "material file";
    if (dynamic_cast<const ExportFileError*>(&failure) != nullptr) return "export file";
    return "other";
}

#if !defined(_WIN32)
// For one scope the process acts as nobody when the tests run as root, whose rights would pass
// every check of permissions; else as the user it is.
class AsNobody {
public:
    AsNobody() : root_(geteuid() == 0) {
        if (root_ && (setegid(kNobody) != 0 || seteuid(kNobody) != 0)) ADD_FAILURE() << "cannot act as nobody";
    }
    ~AsNobody() {
        if (root_ && (seteuid(0) != 0 || setegid(0) != 0)) ADD_FAILURE() << "cannot act as root again";
    }
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;

private:
    static constexpr uid_t kNobody = 65534;  // user and group
    bool root_;
};
#endif

// The fixed message, the cause and the kind of what `action` throws.
Failure FailureKindAndCause(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& failure) {
        return {failure.what(), CauseLine(failure), KindOf(failure)};
    }
    return {"no failure", "", "none"};
}

TEST(FailureCause, EveryUnusableInputOrOutputIsNamedWithWhatIsWrong) {
    TempDir dir;
    // Names beyond ASCII, so that on Windows each cause is looked up by the whole name.
    const std::string folder = dir / "a folder 電場";
    const std::string broken = dir / "broken Grüße.xml";
    std::filesystem::create_directory(PathFromText(folder));
    WriteText(dir / "project.cst", "x");
    WriteText(broken, "<Materials Count=\"1\">\n  <Material ID=\"1\">\n</Materials>\n");
    WriteMaterialFile(dir / "good.xml", {{0, 1, 1, 0, 0, "gas"}, {1, 4, 1, 0, 0, "FR4"}});
    const std::string parse = "PrepareMaterialData: Error during parsing Materials.xml file.";
    const std::string open = "Failed to open the CST project file: ";
    const std::string output = "BinaryFileFormat::Save: Error. Unable to open/create file:  ";
    const std::string project_path = dir / "project.cst";
    fake_reader::Project project = UniformProject(2, 2, 2);
    project.matrices[0] = MatrixForProperties(project, {4.0f}, 0);
    auto export_with = [&](const std::string& materials, const std::string& out) {
        return [=] {
            const Engine engine = OpenEngine(project, project_path);
            engine->material_file = materials;
            engine->SaveBinaryFile(out, false, false);
        };
    };
    auto open_project = [](const std::string& path, int status) {
        return [=] {
            fake_reader::Project project = UniformProject(2, 2, 2);
            project.open_status = status;
            OpenEngine(project, path);
        };
    };
    struct Case {
        const char* name;
        std::function<void()> action;
        std::string message, cause;
        std::string kind;
    };
    std::vector<Case> cases{
        {"no material file", export_with("", dir / "out.efm"), parse, "\nNo material file was given.", "material file"},
        {"a missing material file", export_with(dir / "none.xml", dir / "out.efm"), parse,
         "\nThe material file \"" + (dir / "none.xml") + "\" does not exist.", "material file"},
        {"a folder as material file", export_with(folder, dir / "out.efm"), parse,
         "\nThe material file \"" + folder + "\" is a folder, not a file.", "material file"},
        {"broken XML", export_with(broken, dir / "out.efm"), parse,
         "\nThe material file \"" + broken + "\" is no valid XML in line 3: Start-end tags mismatch.", "material file"},
        {"a missing project", open_project(dir / "none.cst", 1), open + (dir / "none.cst"),
         "\nThe project file \"" + (dir / "none.cst") + "\" does not exist.", "project"},
        {"a project the reader refuses", open_project(dir / "project.cst", 2), open + (dir / "project.cst"),
         "\nThe built-in result reader, version 2024 found no project of a known version in the file (status 2).",
         "project"},
        {"a folder as output", export_with(dir / "good.xml", folder), output + folder,
         "\nThe output " + folder + " is a folder; give the name of a file in it.", "export file"},
        {"an output in a missing folder", export_with(dir / "good.xml", dir / "none/out.efm"),
         output + (dir / "none/out.efm"), "\nThe folder " + (dir / "none") + " does not exist.", "export file"},
    };
#if !defined(_WIN32)
    // Files out of reach, which exist: behind a folder the user may not search, directly or
    // through a link, and a loop of links.
    const std::string locked = dir / "locked";
    std::filesystem::create_directory(locked);
    WriteText(locked + "/project.cst", "x");
    std::filesystem::create_symlink(locked + "/project.cst", dir / "link.cst");
    std::filesystem::create_symlink("loop.xml", dir / "loop.xml");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const auto as_nobody = [](std::function<void()> action) {
        return [=] {
            const AsNobody nobody;
            action();
        };
    };
    cases.push_back({"a project behind a folder that may not be searched",
                     as_nobody(open_project(locked + "/project.cst", 1)), open + locked + "/project.cst",
                     "\nThe project file \"" + locked +
                         "/project.cst\" cannot be reached: permission denied on the folder " + locked + ".",
                     "project"});
    cases.push_back({"a link to a project behind such a folder", as_nobody(open_project(dir / "link.cst", 1)),
                     open + (dir / "link.cst"),
                     "\nThe project file \"" + (dir / "link.cst") + "\" cannot be reached: Permission denied.",
                     "project"});
    cases.push_back(
        {"a material file in a loop of links", export_with(dir / "loop.xml", dir / "out.efm"), parse,
         "\nThe material file \"" + (dir / "loop.xml") + "\" cannot be reached: Too many levels of symbolic links.",
         "material file"});
#endif
    for (const auto& with : cases) {
        SCOPED_TRACE(with.name);
        const Failure failure = FailureKindAndCause(with.action);
        EXPECT_EQ(failure.message, with.message);
        EXPECT_EQ(failure.cause, with.cause);
        EXPECT_EQ(failure.kind, with.kind);
    }
}

TEST(FailureCause, ReaderStatusesAreNamedInTheContractsWords) {
    const std::string otherwise = "could not read it as a project";
    const std::vector<std::pair<int, std::string>> cases{
        {BRENWICK_READER_FILE_ERROR, "could not open the project (status 1)"},
        {BRENWICK_READER_NOT_A_PROJECT, "found no project of a known version in the file (status 2)"},
        {BRENWICK_READER_UNKNOWN_HANDLE, "was given a handle that names no open project (status 3)"},
        {BRENWICK_READER_RESULT_NOT_FOUND, "found no result with the requested tree path (status 4)"},
        {BRENWICK_READER_INCONSISTENT_SIZES,
         "found stored lengths that contradict the mesh or the field type (status 5)"},
        {BRENWICK_READER_QUANTITY_NOT_STORED, "found no material matrix for the requested quantity (status 6)"},
        {BRENWICK_READER_INVALID_ARGUMENT, "was given a null pointer where an array is needed (status 7)"},
        {BRENWICK_READER_READ_ERROR, "could not read the data, or found data of a bad type (status 8)"},
        {BRENWICK_READER_STOPPED, "stopped the read as it was asked to (status 9)"},
        // Statuses of a reader's own.
        {10, otherwise + " (status 10)"},
        {-1, otherwise + " (status -1)"},
    };
    for (const auto& [status, words] : cases) {
        SCOPED_TRACE(status);
        EXPECT_EQ(ReaderStatusWords(status, otherwise), words);
    }
}

}  // namespace
