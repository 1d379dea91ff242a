// The export file the engine writes: the blocks of the four option combinations, its messages
// when the output fails, and what a failure or a stop leaves behind.
#include "efm/reader.h"
#include "engine/readout.h"
#include "output/output_error.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/efm_files.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <stop_token>
#include <thread>

using namespace brenwick;

using namespace engine_test;
namespace fs = std::filesystem;

namespace {

const char* const open_failure = "BinaryFileFormat::Save: Error. Unable to open/create file:  ";
const char* const write_failure = "BinaryFileFormat::Save: Error. Unable to write file:  ";
const char* const input_refusal = "BinaryFileFormat::Save: Error. Refusing to overwrite an input file:  ";

// The catalogue of the export tests: an ID-0 gas and two solids, one with an empty description.
const std::vector<Material> catalogue{
    {0, 1, 1, 0.0012f, 0.5f, "gas"}, {1, 4, 1, 1850, 2, "FR4"}, {2, 12, 0.99f, 2330, 8, ""}};

// Element properties on a 5 x 4 x 3 mesh that pick the three materials in a 3D pattern.
std::vector<float> Pattern(const fake_reader::Project& project, unsigned quantity) {
    const int ex = project.dims[0] - 1, ey = project.dims[1] - 1, ez = project.dims[2] - 1;
    std::vector<float> properties;
    for (int k = 0; k < ez; ++k) {
        for (int j = 0; j < ey; ++j) {
            for (int i = 0; i < ex; ++i) {
                const int id = (i + 2 * j + k) % 3;
                const Material& m = catalogue[static_cast<std::size_t>(id)];
                properties.push_back(quantity == 0 ? m.eps : m.rho_set);
            }
        }
    }
    return properties;
}

std::vector<unsigned char> PatternBytes(const fake_reader::Project& project) {
    std::vector<unsigned char> bytes;
    for (const float eps : Pattern(project, 0)) bytes.push_back(eps == 1 ? 0 : eps == 4 ? 1 : 2);
    return bytes;
}

class Export : public testing::Test {
protected:
    Export() {
        project.matrices[0] = MatrixForProperties(project, Pattern(project, 0), 0);
        project.matrices[3] = MatrixForProperties(project, Pattern(project, 3), 3);
        WriteText(project_path, "the project");
        WriteMaterialFile(material_path, catalogue);
        engine = OpenEngine(project, project_path);
        engine->material_file = material_path;
    }

    std::string Save(const std::string& path, bool only_potentials, bool write_property) {
        return FailureOf([&] { engine->SaveBinaryFile(path, only_potentials, write_property); });
    }

    // Whether `path` holds the export of this project's potential alone.
    static bool HoldsThePotentialAlone(const std::string& path) {
        const test_efm::MapContents written = test_efm::Read(path);
        return written.nodes == PotentialValues(60) && written.x.empty() && written.records.empty();
    }

    // Where the blocks of this project's export with its property begin, from a complete export.
    efm::Layout LayoutOfTheExport() {
        const std::string complete = dir / "complete.efm";
        EXPECT_EQ(Save(complete, false, true), "");
        const efm::Layout layout = efm::FileReader(complete).layout();
        fs::remove(complete);
        return layout;
    }

    // An existing output with contents of its own; returns them.
    std::vector<unsigned char> ExistingOutput() {
        std::vector<unsigned char> old(3000);
        for (std::size_t b = 0; b < old.size(); ++b) old[b] = static_cast<unsigned char>(b * 7 + 3);
        WriteBytes(output, old);
        return old;
    }

    void ExpectOnlyTheOriginalFiles() const {
        EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "out.efm"}));
    }

    TempDir dir;
    fake_reader::Project project = MeshProject({-1, 0, 0.5, 2, 2.25}, {0, 1e-3, 2e-3, 1}, {10, 10.5, 13});
    std::string project_path = dir / "project.cst";
    std::string material_path = dir / "materials.xml";
    std::string output = dir / "out.efm";
    Engine engine;
};

}  // namespace

TEST_F(Export, EveryOptionCombinationWritesTheBlocksItAsksFor) {
    const std::vector<float> properties = ComputedProperties(project, 0);
    engine = OpenEngine(project, project_path);
    engine->material_file = material_path;
    for (const bool only_potentials : {false, true}) {
        for (const bool write_property : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "only potentials " << only_potentials << ", property " << write_property);
            ASSERT_EQ(Save(output, only_potentials, write_property), "");
            const test_efm::MapContents written = test_efm::Read(output);
            EXPECT_EQ(written.dims, (std::array<int, 3>{5, 4, 3}));
            EXPECT_EQ(written.nodes, PotentialValues(5 * 4 * 3));
            if (only_potentials) {
                EXPECT_TRUE(written.x.empty() && written.y.empty() && written.z.empty());
                EXPECT_TRUE(written.properties.empty());
                EXPECT_TRUE(written.bytes.empty());
                EXPECT_TRUE(written.records.empty());
                continue;
            }
            EXPECT_EQ(written.x, (std::vector<double>{-1, 0, 0.5, 2, 2.25}));
            EXPECT_EQ(written.y, (std::vector<double>{0, 1e-3, 2e-3, 1}));
            EXPECT_EQ(written.z, (std::vector<double>{10, 10.5, 13}));
            EXPECT_EQ(written.properties, write_property ? properties : std::vector<float>{});
            EXPECT_EQ(written.bytes, PatternBytes(project));
            ASSERT_EQ(written.records.size(), catalogue.size());
            for (std::size_t m = 0; m < catalogue.size(); ++m) {
                EXPECT_EQ(written.records[m].id, catalogue[m].ID);
                EXPECT_EQ(written.records[m].description, catalogue[m].description);
                EXPECT_EQ(written.records[m].eps, catalogue[m].eps);
                EXPECT_EQ(written.records[m].mue, catalogue[m].mue);
                EXPECT_EQ(written.records[m].rho, catalogue[m].rho);
            }
        }
    }
}

TEST_F(Export, DensityModeRecoversTheSameMaterials) {
    engine->material_quantity = 3;
    ASSERT_EQ(Save(output, false, true), "");
    const test_efm::MapContents written = test_efm::Read(output);
    EXPECT_EQ(written.bytes, PatternBytes(project));
    EXPECT_EQ(fake_reader::RequestedQuantity(), 3);
    const std::vector<float> densities = Pattern(project, 3);
    ASSERT_EQ(written.properties.size(), densities.size());
    for (std::size_t e = 0; e < densities.size(); ++e) EXPECT_FLOAT_EQ(written.properties[e], densities[e]);
}

TEST_F(Export, OnlyPotentialsNeedsNeitherMaterialFileNorMatrixAndWinsOverTheProperty) {
    engine->material_file = dir / "missing.xml";
    ASSERT_EQ(Save(output, true, true), "");
    const test_efm::MapContents written = test_efm::Read(output);
    EXPECT_EQ(written.nodes, PotentialValues(60));
    EXPECT_TRUE(written.properties.empty());
    EXPECT_TRUE(written.records.empty());
    EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 0);
}

TEST_F(Export, ASingleLineAlongAnAxisHasNoElementBlocks) {
    engine = OpenEngine(MeshProject({0, 1, 2}, {5}, {0, 1, 3, 4}), project_path);
    engine->material_file = material_path;
    ASSERT_EQ(Save(output, false, true), "");
    const test_efm::MapContents written = test_efm::Read(output);
    EXPECT_EQ(written.y, std::vector<double>{5});
    EXPECT_EQ(written.nodes.size(), 12u);
    EXPECT_TRUE(written.properties.empty());
    EXPECT_TRUE(written.bytes.empty());
    EXPECT_EQ(written.records.size(), 3u);
}

TEST_F(Export, ThePotentialComesFromTheCurrentTreePath) {
    std::vector<float> other(60);
    for (std::size_t n = 0; n < other.size(); ++n) other[n] = 100.0f + static_cast<float>(n);
    fake_reader::Current().results.push_back({"2D/3D Results\\Weighting", 4, other});
    engine->potential_name = "2D/3D Results\\Weighting";
    ASSERT_EQ(Save(output, true, false), "");
    EXPECT_EQ(test_efm::Read(output).nodes, other);
}

TEST_F(Export, AnEmptyCatalogueIsReadAgainByTheNextExport) {
    engine = OpenEngine(MeshProject({0, 1}, {0, 1, 2}, {0}), project_path);
    engine->material_file = material_path;
    WriteText(material_path, "<Materials Count=\"0\"/>");
    ASSERT_EQ(Save(output, false, false), "");
    EXPECT_TRUE(test_efm::Read(output).records.empty());
    WriteMaterialFile(material_path, catalogue);
    ASSERT_EQ(Save(output, false, false), "");
    EXPECT_EQ(test_efm::Read(output).records.size(), 3u);
}

TEST_F(Export, ALaterExportReplacesTheWholeFile) {
    ASSERT_EQ(Save(output, false, true), "");
    ASSERT_EQ(Save(output, true, false), "");
    EXPECT_TRUE(HoldsThePotentialAlone(output));
    ExpectOnlyTheOriginalFiles();
}

TEST_F(Export, AMissingDirectoryGivesTheOpenMessageAndNoFile) {
    const std::string path = dir / "no such dir/out.efm";
    EXPECT_EQ(Save(path, false, false), open_failure + path);
    EXPECT_FALSE(fs::exists(dir / "no such dir"));
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml"}));
}

TEST_F(Export, AFailureBeforeWritingLeavesTheOldFile) {
    const auto old = ExistingOutput();
    struct Case {
        const char* what;
        std::function<void()> break_input;
        bool only_potentials;
    };
    const std::vector<Case> cases{
        {"material matrix", [] { fake_reader::Current().matrix_status = 7; }, false},
        {"material file", [&] { WriteText(material_path, "<Materials Count=\"1\"><Material ID=\"1\">"); }, false},
        {"size of the potential", [] { fake_reader::Current().result_size_status = 4; }, false},
        {"values of the potential", [] { fake_reader::Current().result_status = 8; }, true},
        {"type of the potential", [] { fake_reader::Current().results[0].field_type = 2; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteMaterialFile(material_path, catalogue);
        engine = OpenEngine(project, project_path);
        engine->material_file = material_path;
        c.break_input();
        EXPECT_NE(Save(output, c.only_potentials, false), "");
        EXPECT_EQ(ReadBytes(output), old);
        ExpectOnlyTheOriginalFiles();
    }
}

// Every spelling of an input is one file (tests/output); here the engine refuses both of its
// inputs, before it reads anything, with its own message.
TEST_F(Export, TheInputsAreNeverTheOutput) {
    const auto materials = ReadBytes(material_path);
    fs::create_directory(dir / "sub");
    for (const std::string& path : {project_path, dir / "sub/../project.cst", material_path}) {
        for (const bool only_potentials : {false, true}) {
            EXPECT_EQ(Save(path, only_potentials, false), input_refusal + path);
        }
    }
    EXPECT_EQ(test_files::ReadText(project_path), "the project");
    EXPECT_EQ(ReadBytes(material_path), materials);
    EXPECT_EQ(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 0);
    EXPECT_EQ(fake_reader::CallCount("CST_Get3DHexResultSize"), 0);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "sub"}));
}

#if !defined(_WIN32)
namespace {

// Runs the export in a child process whose files may not grow beyond `limit` bytes.
std::string SaveUnderFileSizeLimit(CST_Readout& engine, const std::string& path, rlim_t limit) {
    return FailureInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0) throw std::runtime_error("setrlimit failed");
        engine.SaveBinaryFile(path, false, true);
    });
}

}  // namespace
#endif

TEST_F(Export, AWriteFailureLeavesTheOldFileAndNoTemporaryFile) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no file size limit for a process";
#else
    const efm::Layout layout = LayoutOfTheExport();
    const auto old = ExistingOutput();
    // Fail in the header, the mesh lines, the node values, the element blocks and the material
    // records.
    for (const std::uint64_t limit :
         {std::uint64_t{0}, layout.x_lines - 1, layout.y_lines + 4, layout.node_values + 4,
          layout.element_properties + 4, layout.element_materials + 1, layout.records + 4}) {
        EXPECT_EQ(SaveUnderFileSizeLimit(*engine, output, limit), write_failure + output) << "limit " << limit;
        EXPECT_EQ(ReadBytes(output), old) << "limit " << limit;
        ExpectOnlyTheOriginalFiles();
    }
#endif
}

TEST_F(Export, AWriteFailureOnANewFileLeavesNothing) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no file size limit for a process";
#else
    EXPECT_EQ(SaveUnderFileSizeLimit(*engine, output, LayoutOfTheExport().node_values), write_failure + output);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml"}));
#endif
}

TEST_F(Export, NoFreeFileDescriptorGivesTheOpenMessageAndLeavesTheOldFile) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no limit on the descriptors of a process";
#else
    const auto old = ExistingOutput();
    const std::string failure = FailureInChild([&] {
        // The data are complete first, so that only the output cannot be opened.
        engine->AssignElementMaterials();
        // The sanitizers check the type behind each call of a member with a pipe the first time
        // they meet that type and member's class, and report a false fault without one: let them
        // meet the calls the engine makes on the output's failure while descriptors are free.
        try {
            throw OutputError("no output", "no cause");
        } catch (const OutputError& met) {
            EXPECT_STREQ(met.what(), "no output");
            EXPECT_EQ(met.Cause(), "no cause");
        }
        const int lowest_free = open("/dev/null", O_RDONLY);
        close(lowest_free);
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit usual = limit;
        limit.rlim_cur = static_cast<rlim_t>(lowest_free);
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0) throw std::runtime_error("setrlimit failed");
        try {
            engine->SaveBinaryFile(output, false, true);
        } catch (...) {
            // Descriptors back before the failure is read: the sanitizers' checks of the
            // exception object open a pipe, and report a false fault without one.
            setrlimit(RLIMIT_NOFILE, &usual);
            throw;
        }
    });
    EXPECT_EQ(failure, open_failure + output);
    EXPECT_EQ(ReadBytes(output), old);
    ExpectOnlyTheOriginalFiles();
#endif
}

TEST_F(Export, AStopAsAnOutputWrittenInPlaceIsOpenedLeavesItUntouched) {
    const auto old = ExistingOutput();
    fs::create_hard_link(output, dir / "second name.efm");  // a file with two links is written in place
    std::stop_source stop;
    engine->SetCancellation(stop.get_token());
    engine->SetProgressListener([&](const ExportProgress& progress) {
        if (progress.stage == ExportStage::Writing) stop.request_stop();
    });
    EXPECT_THROW(engine->SaveBinaryFile(output, false, true), ExportCancelled);
    EXPECT_EQ(ReadBytes(output), old);
}

TEST_F(Export, AStopWhileAFifoIsWrittenDoesNotCutTheExportShort) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no FIFOs in the file system";
#else
    // More than a pipe holds, so that the export is still writing when the reader asks to stop.
    fake_reader::Project large = UniformProject(40, 40, 40);
    large.matrices[0] = MatrixForProperties(large, std::vector<float>(39 * 39 * 39, 4.0f), 0);
    engine = OpenEngine(large, project_path);
    engine->material_file = material_path;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::stop_source stop;
    engine->SetCancellation(stop.get_token());
    std::vector<unsigned char> received;
    std::thread reader([&] {
        const int descriptor = open(fifo.c_str(), O_RDONLY);
        unsigned char buffer[1000];
        for (ssize_t n; (n = read(descriptor, buffer, sizeof buffer)) > 0;) {
            received.insert(received.end(), buffer, buffer + n);
            stop.request_stop();
        }
        close(descriptor);
    });
    const std::string failure = Save(fifo, false, true);
    // Should the export never have opened the FIFO, the reader would wait for it for ever.
    const int release = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (release >= 0) close(release);
    reader.join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(received.size(), engine->LastExport().file_size);
    engine->SetCancellation({});
    ASSERT_EQ(Save(output, false, true), "");
    EXPECT_EQ(received, ReadBytes(output));
#endif
}

TEST_F(Export, AStopEndsTheWaitForAReaderOfAFifoAndWritesNothing) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no FIFOs in the file system";
#else
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::stop_source stop;
    std::vector<std::string> notices;
    ReadoutContext context;
    context.log = Discard();
    context.reader = fake_reader::Reader();
    // The stop comes once the export says that it waits.
    context.notices = [&](const std::string& line) {
        notices.push_back(line);
        stop.request_stop();
    };
    engine.reset();
    engine = std::make_unique<CST_Readout>(project_path, std::move(context));
    engine->material_file = material_path;
    engine->SetCancellation(stop.get_token());
    auto saving = std::async(std::launch::async, [&] { return Save(fifo, false, true); });
    // Should the wait take no stop, a reader ends it.
    if (saving.wait_for(std::chrono::seconds(30)) != std::future_status::ready) ReadBytes(fifo);
    EXPECT_EQ(saving.get(), ExportCancelled().what());
    EXPECT_EQ(notices, std::vector<std::string>{"Waiting for a reader of the FIFO " + fifo});
#endif
}

namespace {

std::vector<ExportStage> StagesOf(CST_Readout& engine, const std::function<void()>& action) {
    std::vector<ExportStage> stages;
    engine.SetProgressListener([&](const ExportProgress& progress) {
        if (stages.empty() || stages.back() != progress.stage) stages.push_back(progress.stage);
    });
    action();
    engine.SetProgressListener({});
    return stages;
}

}  // namespace

TEST_F(Export, StagesAreReportedInTheOrderTheyRun) {
    using S = ExportStage;
    EXPECT_EQ(
        StagesOf(*engine, [&] { Save(output, false, true); }),
        (std::vector<S>{S::ReadingProperties, S::AssigningMaterials, S::ReadingPotential, S::Writing, S::Finished}));
    // The properties are kept, so the second export does not read them.
    EXPECT_EQ(StagesOf(*engine, [&] { Save(output, false, false); }),
              (std::vector<S>{S::AssigningMaterials, S::ReadingPotential, S::Writing, S::Finished}));
    EXPECT_EQ(StagesOf(*engine, [&] { Save(output, true, false); }),
              (std::vector<S>{S::ReadingPotential, S::Writing, S::Finished}));
    fake_reader::Current().result_status = 8;
    EXPECT_EQ(StagesOf(*engine, [&] { Save(output, true, false); }), (std::vector<S>{S::ReadingPotential}));
    fake_reader::Current().result_status = 0;
    EXPECT_EQ(StagesOf(*engine, [&] { Save(dir / "missing/out.efm", false, false); }),
              (std::vector<S>{S::AssigningMaterials, S::ReadingPotential, S::Writing}));
}
