// What a front end sees of an export and how it stops one: the log seam, the stages, a stop
// request at every stage, and the summary of what was written.
#include "engine/readout.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stop_token>

using namespace engine_test;

namespace {

const std::vector<Material> catalogue{{0, 1, 1, 0.0012f, 0, "gas"}, {1, 4, 1, 1850, 0, "FR4"}};

// Every stage paired with each way of reading the material matrix: whole, and plane by plane.
std::vector<std::pair<ExportStage, bool>> Combinations(std::initializer_list<ExportStage> stages) {
    std::vector<std::pair<ExportStage, bool>> pairs;
    for (const ExportStage stage : stages) {
        for (const bool plane_reads : {false, true}) pairs.emplace_back(stage, plane_reads);
    }
    return pairs;
}

// A 5 x 4 x 3 mesh whose elements alternate between gas and FR4, exported by an engine that
// logs into `log` instead of standard output.
class ExportControl : public testing::Test {
protected:
    ExportControl() {
        std::vector<float> properties;
        for (int e = 0; e < 4 * 3 * 2; ++e) properties.push_back(e % 2 == 0 ? 1.0f : 4.0f);
        project.matrices[0] = MatrixForProperties(project, properties, 0);
        WriteText(project_path, "the project");
        WriteMaterialFile(material_path, catalogue);
        engine = OpenEngine(project, project_path, log.Sink());
        engine->material_file = material_path;
    }

    TempDir dir;
    fake_reader::Project project = UniformProject(5, 4, 3);
    std::string project_path = dir / "project.cst";
    std::string material_path = dir / "materials.xml";
    std::string output = dir / "out.efm";
    LogLines log;
    Engine engine;
};

TEST_F(ExportControl, InformationalLinesGoToTheAttachedLogOnly) {
    const std::string printed = StdoutOf([&] {
        engine->SaveBinaryFile(output, false, false);
        engine->CloseProject();
    });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"CST DLL Version is: 2024", "xlines: 5\t ylines: 4\t zlines: 3",
                                                    "Number of data found (real scalar field -> #nodes): 60",
                                                    "Prejct was closed without problems"}));
}

TEST_F(ExportControl, AStopRequestedAtAnyStageLeavesTheOutputAsItWas) {
    const std::vector<unsigned char> old{1, 2, 3};
    for (const auto& [stop_at, plane_reads] :
         Combinations({ExportStage::ReadingProperties, ExportStage::AssigningMaterials, ExportStage::ReadingPotential,
                       ExportStage::Writing})) {
        SCOPED_TRACE(ExportStageName(stop_at) + std::string(plane_reads ? ", plane reads" : ""));
        project.plane_reads = plane_reads;
        engine = OpenEngine(project, project_path);
        engine->material_file = material_path;
        WriteBytes(output, old);
        std::stop_source stop;
        std::vector<ExportStage> seen;
        engine->SetCancellation(stop.get_token());
        engine->SetProgressListener([&](const ExportProgress& progress) {
            if (seen.empty() || seen.back() != progress.stage) seen.push_back(progress.stage);
            if (progress.stage == stop_at) stop.request_stop();
        });
        EXPECT_THROW(engine->SaveBinaryFile(output, false, true), ExportCancelled);
        EXPECT_EQ(seen.back(), stop_at) << "no stage begins after the request";
        EXPECT_EQ(ReadBytes(output), old);
        EXPECT_EQ(dir.Entries(), (std::set<std::string>{"project.cst", "materials.xml", "out.efm"}));

        // The engine stays usable: a fresh token exports as if nothing had happened.
        engine->SetCancellation({});
        engine->SaveBinaryFile(output, false, true);
        EXPECT_EQ(seen.back(), ExportStage::Finished);
    }
}

TEST_F(ExportControl, ProgressGrowsInStepsWithinEveryStageFromNothingToAll) {
    for (const bool plane_reads : {false, true}) {
        SCOPED_TRACE(plane_reads ? "plane reads" : "whole matrix");
        project.plane_reads = plane_reads;
        engine = OpenEngine(project, project_path);
        engine->material_file = material_path;
        fake_reader::Current().slabs = 4;
        std::vector<ExportProgress> reports;
        engine->SetProgressListener([&](const ExportProgress& progress) { reports.push_back(progress); });

        engine->SaveBinaryFile(output, false, true);

        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.front().done, 0.0);
        EXPECT_EQ(reports.back().stage, ExportStage::Finished);
        EXPECT_EQ(reports.back().done, 1.0);
        EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end(),
                                   [](const ExportProgress& a, const ExportProgress& b) { return a.done < b.done; }));
        // The reads move slab by slab; the assignment of these few elements is one piece.
        for (const auto& [stage, steps] :
             {std::pair{ExportStage::ReadingProperties, 5u}, std::pair{ExportStage::AssigningMaterials, 2u},
              std::pair{ExportStage::ReadingPotential, 5u}}) {
            std::set<double> shares;
            for (const ExportProgress& report : reports)
                if (report.stage == stage) shares.insert(report.done);
            EXPECT_GE(shares.size(), steps) << ExportStageName(stage);
        }
    }
}

TEST_F(ExportControl, AStopEndsAReadOfTheReaderWhileItRuns) {
    for (const auto& [stop_in, plane_reads] :
         Combinations({ExportStage::ReadingProperties, ExportStage::ReadingPotential})) {
        SCOPED_TRACE(ExportStageName(stop_in) + std::string(plane_reads ? ", plane reads" : ""));
        project.plane_reads = plane_reads;
        engine = OpenEngine(project, project_path);
        engine->material_file = material_path;
        fake_reader::Current().slabs = 4;
        std::stop_source stop;
        engine->SetCancellation(stop.get_token());
        int reports_in_stage = 0;
        // The stage's first report is its beginning, the second comes from inside the read.
        engine->SetProgressListener([&](const ExportProgress& progress) {
            if (progress.stage == stop_in && ++reports_in_stage == 2) stop.request_stop();
        });

        EXPECT_THROW(engine->SaveBinaryFile(output, false, true), ExportCancelled);

        EXPECT_EQ(reports_in_stage, 2);
        EXPECT_FALSE(fake_reader::Monitored()) << "the monitor ends with the read";
        // Nothing of a stopped matrix read is kept: the next export reads it again.
        engine->SetCancellation({});
        engine->SetProgressListener({});
        EXPECT_EQ(Exported(*engine, false, true).nodes, PotentialValues(60));
        EXPECT_EQ(fake_reader::CallCount(MatrixReadCall(plane_reads)),
                  stop_in == ExportStage::ReadingProperties ? 2 : 1);
    }
}

TEST_F(ExportControl, SummaryTellsWhatWasWrittenWithGarfieldWarnings) {
    EXPECT_TRUE(engine->LastExport().output_path.empty());
    engine->SaveBinaryFile(output, false, false);
    const ExportSummary& summary = engine->LastExport();
    EXPECT_EQ(summary.project_path, project_path);
    EXPECT_EQ(summary.output_path, output);
    EXPECT_EQ(summary.file_size, ReadBytes(output).size());
    EXPECT_EQ(summary.nodes, 60u);
    EXPECT_EQ(summary.elements, 24u);
    EXPECT_FALSE(summary.only_potentials);
    ASSERT_EQ(summary.records.size(), 2u);
    EXPECT_EQ(summary.records[1].description, "FR4");
    EXPECT_EQ(summary.elements_per_byte[0], 12u);
    EXPECT_EQ(summary.elements_per_byte[1], 12u);
    EXPECT_TRUE(summary.warnings.empty()) << summary.warnings.front();

    engine->SaveBinaryFile(output, true, false);
    EXPECT_TRUE(engine->LastExport().only_potentials);
    EXPECT_TRUE(engine->LastExport().records.empty());
    EXPECT_EQ(engine->LastExport().file_size, 1000u + 4 * 60);

    // Garfield++ takes the byte as a record's position: IDs 1 and 2 are misnumbered.
    TempDir other;
    WriteMaterialFile(other / "m.xml", {{1, 1, 1, 0, 0, "gas"}, {2, 4, 1, 0, 0, "FR4"}});
    const Engine renumbered = OpenEngine(project, project_path);
    renumbered->material_file = other / "m.xml";
    renumbered->SaveBinaryFile(other / "out.efm", false, false);
    ASSERT_FALSE(renumbered->LastExport().warnings.empty());
    EXPECT_NE(renumbered->LastExport().warnings.back().find("(record 0 has the ID 1)"), std::string::npos);
}

}  // namespace
