// Result readers loaded at run time by brenwick-cli: the built-in reader as a library, a reader
// built apart from Brenwick (the minimal reader of docs/readers.md), libraries that cannot be
// used, readers that misbehave, and the choice between the option and the environment.
#include "engine/reader/reader_library.h"
#include "cli_export_fixture.h"
#include "dir_snapshot.h"
#include "tests/support/environment_variable.h"

#include <cstdlib>
#include <memory>
#include <sstream>

using namespace brenwick;

namespace integration {
namespace {

const std::string kBuiltInLibrary = BRENWICK_HDF5_READER_LIBRARY;
const std::string kMinimalLibrary = BRENWICK_MINIMAL_READER_LIBRARY;
const std::string kIncompleteLibrary = BRENWICK_INCOMPLETE_READER_LIBRARY;
const std::string kMisbehavingLibrary = BRENWICK_MISBEHAVING_READER_LIBRARY;

std::vector<std::string> WithReader(const std::string& library, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--reader", library});
    return arguments;
}

// What a reader serves, read through its own functions, as a project of the built-in format.
ProjectContents ContentsServedBy(const ResultReader& reader) {
    const ReaderFunctions& f = reader.functions;
    CSTProjHandle handle{};
    EXPECT_EQ(f.open_project("any.cst", &handle), 0);
    int dims[3] = {0, 0, 0};
    EXPECT_EQ(f.get_hex_mesh_info(&handle, dims), 0);
    std::vector<double> lines(static_cast<std::size_t>(dims[0] + dims[1] + dims[2]));
    EXPECT_EQ(f.get_hex_mesh(&handle, lines.data()), 0);
    ProjectContents contents;
    contents.x_lines.assign(lines.begin(), lines.begin() + dims[0]);
    contents.y_lines.assign(lines.begin() + dims[0], lines.begin() + dims[0] + dims[1]);
    contents.z_lines.assign(lines.begin() + dims[0] + dims[1], lines.end());
    int count = 0;
    EXPECT_EQ(f.get_3d_hex_result_size(&handle, kDefaultPotentialName, 0, &count), 0);
    std::vector<float> values(6 * static_cast<std::size_t>(count));
    EXPECT_EQ(f.get_3d_hex_result(&handle, kDefaultPotentialName, 0, values.data()), 0);
    values.resize(static_cast<std::size_t>(count));
    contents.results.push_back({"potential", kDefaultPotentialName, 4, values});
    for (const int quantity : {kQuantityPermittivity, kQuantityDensity}) {
        std::vector<float>& matrix = contents.material_matrices[quantity];
        matrix.resize(3 * static_cast<std::size_t>(dims[0] * dims[1] * dims[2]));
        EXPECT_EQ(f.get_material_matrix_hex_mesh(&handle, quantity, matrix.data()), 0);
    }
    EXPECT_EQ(f.close_project(&handle), 0);
    return contents;
}

using ReaderLibrary = CliExport;

TEST_F(ReaderLibrary, BuiltInReaderLoadedAsALibraryExportsTheSameBytes) {
    WriteProject(demo.contents);
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--write-property"}, std::vector<std::string>{"--density", "--write-property"},
          std::vector<std::string>{"--only-potentials"}}) {
        SCOPED_TRACE(options.front());
        ExpectExport(ExportArguments(options));
        const std::vector<unsigned char> linked = test_files::ReadBytes(output);
        ExpectExport(WithReader(kBuiltInLibrary, ExportArguments(options)));
        EXPECT_EQ(test_files::ReadBytes(output), linked);
    }
}

// The minimal reader stores the address of its own record in the handle and checks it on
// every call, and fills all six times the count it reported of the potential's array.
TEST_F(ReaderLibrary, ReaderBuiltApartExportsWhatAnEquivalentProjectGives) {
    WriteProject(ContentsServedBy(*LoadReaderLibrary(kMinimalLibrary)));
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--write-property"}, std::vector<std::string>{"--density", "--write-property"}}) {
        SCOPED_TRACE(options.front());
        ExpectExport(ExportArguments(options));
        const std::vector<unsigned char> built_in = test_files::ReadBytes(output);
        const efm::Report report = ExpectExport(WithReader(kMinimalLibrary, ExportArguments(options)));
        EXPECT_TRUE(report.Valid());
        EXPECT_EQ(test_files::ReadBytes(output), built_in);
    }
}

TEST_F(ReaderLibrary, TheOptionalFunctionsAreTakenFromALibraryThatOffersThem) {
    for (const auto& [library, offers] : {std::pair{kBuiltInLibrary, true}, std::pair{kMinimalLibrary, false}}) {
        SCOPED_TRACE(library);
        const std::shared_ptr<const ResultReader> reader = LoadReaderLibrary(library);
        EXPECT_EQ(static_cast<bool>(reader->functions.set_read_monitor), offers);
        EXPECT_EQ(static_cast<bool>(reader->functions.get_material_matrix_planes), offers);
    }
}

TEST_F(ReaderLibrary, UnusableLibrariesAreRefusedByNameBeforeAnyProjectIsTouched) {
    WriteProject(demo.contents);
    const std::string text_file = dir / "notes.so";
    test_files::WriteText(text_file, "not a library");
    struct Case {
        std::string library;
        std::string message_start;
    };
    const std::vector<Case> cases{
        {dir / "missing.so", "The result reader library " + (dir / "missing.so") + " does not exist."},
        {text_file, "The result reader library " + text_file + " cannot be loaded: "},
        {kIncompleteLibrary,
         "The result reader library " + kIncompleteLibrary + " lacks the function CST_OpenProject."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.library);
        const Snapshot before = TakeSnapshot(dir.path());
        const CliRun run = RunCli(WithReader(test.library, ExportArguments()));
        EXPECT_TRUE(run.exited && run.status == 1) << Describe(run);
        EXPECT_EQ(run.err.rfind(test.message_start, 0), 0u) << run.err;
        EXPECT_EQ(run.err.find("%1"), std::string::npos) << "the loader's text names the library: " << run.err;
        EXPECT_EQ(run.out, "") << "nothing may be opened or written";
        EXPECT_EQ(Differences(before, TakeSnapshot(dir.path())), "");
    }
}

// Whether `lines` are whole lines of `text`, in this order.
bool HasLinesInOrder(const std::string& text, const std::vector<std::string>& lines) {
    std::istringstream stream(text);
    auto wanted = lines.begin();
    for (std::string line; wanted != lines.end() && std::getline(stream, line);) {
        if (line == *wanted) ++wanted;
    }
    return wanted == lines.end();
}

// A reader that returns success without writing, reports nonsense, fails to close or ends the
// program gets the same result in every run, and a true one: a refusal, or an export with a
// warning for every value it left unwritten.
TEST_F(ReaderLibrary, MisbehavingReadersAreReportedAsWhatHappened) {
    const std::string type_refusal = "In CST_Readout::RetrieveFieldData the result " +
                                     std::string(kDefaultPotentialName) + " has the unknown field type code ";
    const std::string only_scalar = "; only a real scalar field can be exported as potential.";
    const std::string unwritten_nodes =
        "Warning: 36 node values of the potential are not finite numbers (the first at node 0, i = 0, j = 0, k = 0); "
        "they are written as read, so make sure that no electron drifts there";
    const std::string unwritten_elements =
        "Warning: 12 elements have a material property that is not a finite number (the first is element 0, i = 0, "
        "j = 0, k = 0); the assignment gave them a material all the same: check the project's material data there";
    struct Case {
        std::string faults;
        std::vector<std::string> options;
        int status;
        std::vector<std::string> err_lines;  // a refusal's exact message; an export's warnings among others
        bool needs_memory_limit = false;
    };
    const std::string closing = "Warning: Failed to close the CST project.";
    const std::string ended = "The result reader ended the program during CST_Get3DHexResult.";
    const std::string properties = "Failed to read material properties from CST.";
    const std::string no_properties = "Not enough memory for the element properties: 2,141,700,569 floats, 8.0 GiB.";
    const std::string no_potential =
        "Not enough memory for the potential as the reader delivers it: 6 x 2,146,689,000 floats, 48.0 GiB.";
    const std::vector<std::string> potentials{"--only-potentials"};
    const std::vector<Case> cases{
        {"type=5", {}, 1, {type_refusal + "5" + only_scalar}},
        {"type=unwritten", {}, 1, {type_refusal + "0" + only_scalar}},
        {"potential=unwritten", potentials, 0, {unwritten_nodes}},
        {"matrix=unwritten", {}, 0, {unwritten_elements}},
        {"potential=unwritten close=fails", potentials, 0, {unwritten_nodes, closing}},
        {"exit=CST_Get3DHexResult", {}, 1, {ended}},
        {"exit-thread=CST_Get3DHexResult", {}, 1, {ended}},
        {"mesh=huge", {}, 1, {properties, no_properties}, true},
        {"mesh=huge", potentials, 1, {no_potential}, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.faults);
#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
        // AddressSanitizer ends the program at a failed allocation instead of raising
        // std::bad_alloc; Windows sets no limit on a process's address space.
        if (test.needs_memory_limit) continue;
#endif
        const test_files::EnvironmentVariableScope faults("BRENWICK_TEST_READER_FAULTS", test.faults);
        const std::vector<std::string> arguments = WithReader(kMisbehavingLibrary, ExportArguments(test.options));
        const CliSetup setup = test.needs_memory_limit ? WithMemoryLimit(std::uint64_t{2} << 30) : CliSetup{};
        if (test.status != 0) {
            std::string message;
            for (const std::string& line : test.err_lines) message += (message.empty() ? "" : "\n") + line;
            ExpectRefusal(arguments, message, setup);
            continue;
        }
        // Leftover memory differs between these runs; the exports may not.
        std::vector<std::vector<unsigned char>> exports;
        for (const char* perturbation : {"85", "170"}) {
            const test_files::EnvironmentVariableScope perturb("MALLOC_PERTURB_", perturbation);
            const CliRun run = RunCli(arguments);
            ExpectSuccess(run);
            EXPECT_TRUE(HasLinesInOrder(run.err, test.err_lines)) << run.err;
            exports.push_back(test_files::ReadBytes(output));
        }
        EXPECT_EQ(exports[0], exports[1]);
    }
}

TEST_F(ReaderLibrary, TheOptionWinsOverTheEnvironmentAndVersionNamesTheReader) {
    WriteProject(demo.contents);
    {
        const test_files::EnvironmentVariableScope unusable(kReaderVariable, dir / "missing.so");
        EXPECT_EQ(RunCli(ExportArguments()).status, 1) << "the environment alone chooses the reader";
        ExpectExport(WithReader(kBuiltInLibrary, ExportArguments()));
    }
    const test_files::EnvironmentVariableScope minimal(kReaderVariable, kMinimalLibrary);
    const CliRun version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("result reader " + kMinimalLibrary + ", version 1\n"), std::string::npos) << version.out;
}

}  // namespace
}  // namespace integration
