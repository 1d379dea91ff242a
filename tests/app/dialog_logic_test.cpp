// The main dialog's handler logic against a recording view and the scripted result reader.
#include "app/brenwick_dlg.h"
#include "efm/reader.h"
#include "engine/export_summary_text.h"
#include "engine/reader/reader_library.h"
#include "platform/ansi_path.h"
#include "platform/utf8_path.h"
#include "potential_project.h"
#include "recording_view.h"
#include "tests/support/environment_variable.h"
#include "tests/support/fake_reader.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace brenwick;

namespace {

const std::string kDefaultPotential = "2D/3D Results\\Potentials";
const std::string kProject = "/data/chamber.cst";

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_reader::Install(PotentialProject());
        view.Attach(dialog);
    }

    void Open(const std::string& path = kProject) { view.Type(ControlId::InputFile, path); }

    // Opens the project and fills the material and output fields, so that "Export" works.
    void PrepareExport(const std::string& output) {
        Open();
        view.Type(ControlId::MaterialFile, "");
        view.Type(ControlId::OutputFile, output);
    }

    // Presses "Export" and lets the worker run the export to its end.
    void Export() {
        dialog.OnBnClickedExport();
        view.FinishBackgroundWork();
    }

    std::size_t LogCount(const std::string& entry) const {
        return static_cast<std::size_t>(std::count(view.Log().begin(), view.Log().end(), entry));
    }

    // The last entry about the preview: "preview clear" or "preview PATH".
    std::string LastPreview() const {
        const auto last = std::find_if(view.Log().rbegin(), view.Log().rend(),
                                       [](const std::string& entry) { return entry.starts_with("preview "); });
        return last == view.Log().rend() ? "" : *last;
    }

    // The log entries since the first `before` ones.
    std::vector<std::string> LogSince(std::size_t before) const {
        return {view.Log().begin() + static_cast<std::ptrdiff_t>(before), view.Log().end()};
    }

    test_files::TempDir temp;
    RecordingView view;
    CBrenwickDlg dialog{view, DialogReader{fake_reader::Reader(), ""}};
};

const std::vector<ControlId> kInputs{ControlId::InputFile,     ControlId::MaterialFile,   ControlId::OutputFile,
                                     ControlId::PotentialName, ControlId::OnlyPotentials, ControlId::UseDensity,
                                     ControlId::WriteProperty, ControlId::Export};

std::map<ControlId, bool> EnabledStates(const RecordingView& view) {
    std::map<ControlId, bool> states;
    for (const ControlId id : kInputs) states[id] = view.Enabled(id);
    return states;
}

const std::string kDone = "Start to extract data now...done!";

// --- Opening a project ---

using DialogOpenTest = DialogTest;

TEST_F(DialogOpenTest, FirstOpenEnablesMaterialAndPotentialFieldsAndShowsTheTreePath) {
    Open();

    ASSERT_NE(dialog.Readout(), nullptr);
    EXPECT_EQ(fake_reader::OpenedPath(), kProject);
    EXPECT_TRUE(view.Enabled(ControlId::MaterialFile));
    EXPECT_TRUE(view.Enabled(ControlId::PotentialName));
    EXPECT_FALSE(view.Enabled(ControlId::OutputFile));
    EXPECT_FALSE(view.Enabled(ControlId::Export));
    EXPECT_EQ(view.GetItemText(ControlId::PotentialName), kDefaultPotential);
    EXPECT_EQ(dialog.Readout()->material_file, "");
}

TEST_F(DialogOpenTest, StatusEndsWithThePotentialNameSetInsideTheOpen) {
    Open();

    const std::vector<std::string> expected{"Open the input file ...", "Open the input file...done!",
                                            "Changed potential name to: " + kDefaultPotential};
    EXPECT_EQ(view.Statuses(), expected);
    EXPECT_EQ(dialog.Readout()->potential_name, kDefaultPotential);
}

// "cst" anywhere in the name, in small letters, makes a project; any other name only shows the
// error (those come first, so that no project is open yet).
TEST_F(DialogOpenTest, OnlyANameWithCstOpensAProject) {
    for (const std::string path : {"/data/chamber.h5", "/data/CHAMBER.CST", "/data/chamber.cst.bak"}) {
        SCOPED_TRACE(path);
        const std::size_t log_lines = view.Log().size();
        Open(path);
        if (path.find("cst") != std::string::npos) {
            ASSERT_NE(dialog.Readout(), nullptr);
            EXPECT_EQ(fake_reader::OpenedPath(), path);
            continue;
        }
        EXPECT_EQ(view.Status(), "ERROR: The given input file " + path + " does not seem to be a cst file.\n");
        EXPECT_EQ(dialog.Readout(), nullptr);
        EXPECT_EQ(fake_reader::CallCount("CST_OpenProject"), 0);
        EXPECT_FALSE(view.Enabled(ControlId::MaterialFile));
        EXPECT_EQ(view.Log().size(), log_lines + 1);
    }
}

TEST_F(DialogOpenTest, PathWithoutCstKeepsTheOpenProjectForExport) {
    const std::string output = temp / "kept-project.efm";
    PrepareExport(output);
    const CST_Readout* before = dialog.Readout();
    view.Tick(ControlId::OnlyPotentials, true);

    Open("/data/other.txt");
    EXPECT_EQ(view.Status(),
              "ERROR: The given input file /data/other.txt does not seem to be a cst file.\nThe project " + kProject +
                  " stays open.");
    Export();

    EXPECT_EQ(dialog.Readout(), before);
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 0);
    EXPECT_TRUE(view.Status().starts_with(kDone + "\n")) << view.Status();
    ExpectPotentialsOnlyExport(output);
}

TEST_F(DialogOpenTest, ReplacementClosesTheOldProjectAndTakesTheMaterialPathFromTheField) {
    Open();
    view.Type(ControlId::MaterialFile, "/data/materials.xml");
    const std::size_t enables_of_material_field = LogCount("enable 1010 on");

    Open("/data/second.cst");

    ASSERT_NE(dialog.Readout(), nullptr);
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 1);
    EXPECT_EQ(fake_reader::OpenedPath(), "/data/second.cst");
    EXPECT_EQ(dialog.Readout()->material_file, "/data/materials.xml");
    EXPECT_EQ(LogCount("enable 1010 on"), enables_of_material_field);
}

TEST_F(DialogOpenTest, ReopeningDiscardsAnEditedPotentialName) {
    Open();
    view.Type(ControlId::PotentialName, "2D/3D Results\\Weighting");

    Open("/data/second.cst");

    EXPECT_EQ(view.GetItemText(ControlId::PotentialName), kDefaultPotential);
    EXPECT_EQ(dialog.Readout()->potential_name, kDefaultPotential);
    EXPECT_EQ(view.Status(), "Changed potential name to: " + kDefaultPotential);
}

TEST_F(DialogOpenTest, FailedOpenShowsTheMessageAndDisablesTheFieldsThatNeedAProject) {
    const std::string output = temp / "unused.efm";
    PrepareExport(output);
    fake_reader::Current().open_status = 3;

    Open("/data/broken.cst");

    // The cause follows the fixed lines.
    EXPECT_EQ(view.Status(),
              "Open the input file...failed with message:\nFailed to open the CST project file: /data/broken.cst\n"
              "The project file \"/data/broken.cst\" does not exist.");
    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_FALSE(view.Enabled(ControlId::MaterialFile));
    EXPECT_FALSE(view.Enabled(ControlId::OutputFile));
    EXPECT_FALSE(view.Enabled(ControlId::PotentialName));
}

TEST_F(DialogOpenTest, OpenAfterAFailedOneTakesTheMaterialPathTheFieldShows) {
    Open();
    view.Type(ControlId::MaterialFile, "/data/materials.xml");
    fake_reader::Current().open_status = 3;
    Open("/data/broken.cst");
    fake_reader::Current().open_status = 0;

    Open("/data/second.cst");

    ASSERT_NE(dialog.Readout(), nullptr);
    EXPECT_EQ(dialog.Readout()->material_file, "/data/materials.xml");
    EXPECT_TRUE(view.Enabled(ControlId::MaterialFile));
    EXPECT_EQ(view.GetItemText(ControlId::MaterialFile), "/data/materials.xml");
}

TEST_F(DialogOpenTest, FirstOpenTakesTheMaterialPathTheFieldShows) {
    // A program may fill the field before any project is open.
    view.SetItemText(ControlId::MaterialFile, "/data/materials.xml");

    Open();

    ASSERT_NE(dialog.Readout(), nullptr);
    EXPECT_EQ(dialog.Readout()->material_file, "/data/materials.xml");
}

TEST_F(DialogOpenTest, EveryOpenAttemptClearsThePreview) {
    PrepareExport(temp / "previewed.efm");
    view.Tick(ControlId::OnlyPotentials, true);
    Export();
    ASSERT_EQ(LastPreview(), "preview " + temp / "previewed.efm");
    fake_reader::Current().open_status = 3;

    Open("/data/broken.cst");

    EXPECT_EQ(LastPreview(), "preview clear");
}

TEST_F(DialogOpenTest, FailedCloseOfTheOldProjectIsAWarningAfterTheOpen) {
    Open();
    fake_reader::Current().close_status = 5;

    Open("/data/second.cst");

    EXPECT_EQ(view.Status(),
              "Changed potential name to: " + kDefaultPotential + "\nWarning: Failed to close the CST project.");
    ASSERT_NE(dialog.Readout(), nullptr);
    EXPECT_EQ(fake_reader::OpenedPath(), "/data/second.cst");
    EXPECT_TRUE(view.Enabled(ControlId::MaterialFile));
}

TEST_F(DialogOpenTest, TypingAPathReopensOnEveryKeyOnceItHoldsCst) {
    view.TypeKeyByKey(ControlId::InputFile, "a.cst.bak");

    // "a.cst", "a.cst.", "a.cst.b", "a.cst.ba" and "a.cst.bak" each open; each but the first
    // closes the one before.
    EXPECT_EQ(fake_reader::CallCount("CST_OpenProject"), 5);
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 4);
    EXPECT_EQ(fake_reader::OpenedPath(), "a.cst.bak");
    EXPECT_NE(dialog.Readout(), nullptr);
    EXPECT_EQ(std::count_if(view.Statuses().begin(), view.Statuses().end(),
                            [](const std::string& s) { return s.starts_with("ERROR: "); }),
              4);
}

TEST_F(DialogOpenTest, AKeyThatBreaksThePathLeavesNoProjectOpen) {
    view.TypeKeyByKey(ControlId::InputFile, "a.cst");
    view.Type(ControlId::MaterialFile, "m.xml");
    fake_reader::Current().open_status = 3;

    view.TypeKeyByKey(ControlId::InputFile, "x");

    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_FALSE(fake_reader::ProjectOpen());
    EXPECT_FALSE(view.Enabled(ControlId::MaterialFile));
    EXPECT_FALSE(view.Enabled(ControlId::OutputFile));
}

// --- Material, output and potential-name fields ---

using DialogFieldTest = DialogTest;

TEST_F(DialogFieldTest, MaterialPathGoesToTheReadoutAndEnablesTheOutputField) {
    Open();

    view.Type(ControlId::MaterialFile, "/data/materials.xml");

    EXPECT_EQ(dialog.Readout()->material_file, "/data/materials.xml");
    EXPECT_TRUE(view.Enabled(ControlId::OutputFile));
    EXPECT_FALSE(view.Enabled(ControlId::Export));
    EXPECT_EQ(view.Status(), "Matrial file set.");
}

TEST_F(DialogFieldTest, OutputPathEnablesExport) {
    Open();
    view.Type(ControlId::MaterialFile, "");

    view.Type(ControlId::OutputFile, "/tmp/out.efm");

    EXPECT_TRUE(view.Enabled(ControlId::Export));
    EXPECT_EQ(view.Status(), "Output file set.");
}

TEST_F(DialogFieldTest, PotentialNameGoesToTheReadout) {
    Open();

    view.Type(ControlId::PotentialName, "2D/3D Results\\Weighting");

    EXPECT_EQ(dialog.Readout()->potential_name, "2D/3D Results\\Weighting");
    EXPECT_EQ(view.Status(), "Changed potential name to: 2D/3D Results\\Weighting");
}

TEST_F(DialogFieldTest, ChangesWithoutAProjectTouchNoReadout) {
    dialog.OnEnChangeMaterialFile();
    dialog.OnEnChangePotentialName();

    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_EQ(view.Status(), "Changed potential name to: ");
}

// --- Export ---

using DialogExportTest = DialogTest;

TEST_F(DialogExportTest, TheAboutBoxAsksTheReaderNothingWhileAnExportRuns) {
    PrepareExport(temp / "about.efm");
    dialog.OnBnClickedExport();
    ASSERT_TRUE(view.BackgroundWorkPending());
    const int version_calls = fake_reader::CallCount("CST_GetDLLVersion");
    EXPECT_NE(dialog.ReaderDescription().find("version " + std::to_string(PotentialProject().version)),
              std::string::npos)
        << dialog.ReaderDescription();
    EXPECT_EQ(fake_reader::CallCount("CST_GetDLLVersion"), version_calls);
    view.FinishBackgroundWork();
}

TEST_F(DialogExportTest, RunsOnTheWorkerWithTheInputsDisabledAndRestoresThemAfterwards) {
    const std::string output = temp / "dialog-export.efm";
    PrepareExport(output);
    view.Tick(ControlId::OnlyPotentials, true);
    // Whatever state an input was in, the export gives it back.
    view.EnableItem(ControlId::PotentialName, false);
    const std::map<ControlId, bool> before = EnabledStates(view);

    dialog.OnBnClickedExport();

    ASSERT_TRUE(view.BackgroundWorkPending());
    EXPECT_EQ(view.Status(), "Start to extract data now...");
    for (const ControlId id : kInputs) EXPECT_FALSE(view.Enabled(id)) << static_cast<int>(id);
    EXPECT_TRUE(view.Enabled(ControlId::CancelExport));
    EXPECT_EQ(view.WaitDepth(), 1);
    EXPECT_FALSE(std::filesystem::exists(output));
    const std::size_t while_running = view.Log().size();
    dialog.OnBnClickedExport();  // no second export queued behind the first
    EXPECT_EQ(view.Log().size(), while_running);

    view.FinishBackgroundWork();

    EXPECT_EQ(EnabledStates(view), before);
    EXPECT_FALSE(view.Enabled(ControlId::CancelExport));
    EXPECT_EQ(view.WaitDepth(), 0);
    EXPECT_TRUE(view.Status().starts_with(kDone + "\n")) << view.Status();
    ExpectPotentialsOnlyExport(output);
}

TEST_F(DialogExportTest, ProgressGrowsThroughTheStagesOfTheEngineAndHidesAtTheEnd) {
    PrepareExport(temp / "progress.efm");
    view.Tick(ControlId::OnlyPotentials, true);
    fake_reader::Current().slabs = 4;
    const std::size_t before = view.Log().size();

    Export();

    std::vector<std::string> progress;
    for (const std::string& entry : LogSince(before))
        if (entry.starts_with("progress ")) progress.push_back(entry);
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress.front(), "progress 0/1000");
    EXPECT_EQ(progress[progress.size() - 2], "progress 1000/1000 done");
    EXPECT_EQ(progress.back(), "progress 0/0");
    std::vector<int> parts;
    std::vector<std::string> stages;
    for (const std::string& entry : std::vector<std::string>(progress.begin() + 1, progress.end() - 1)) {
        parts.push_back(std::stoi(entry.substr(9)));
        const std::string stage = entry.substr(entry.find(' ', 9) + 1);
        if (stages.empty() || stages.back() != stage) stages.push_back(stage);
    }
    EXPECT_TRUE(std::is_sorted(parts.begin(), parts.end()));
    EXPECT_GT(std::set<int>(parts.begin(), parts.end()).size(), 3u) << "the bar moves within the read";
    EXPECT_EQ(stages, (std::vector<std::string>{"reading the potential", "writing", "done"}));
}

TEST_F(DialogExportTest, SuccessShowsTheSummaryBelowTheDoneLineAndThePreview) {
    const std::string output = temp / "summary.efm";
    PrepareExport(output);
    view.Tick(ControlId::OnlyPotentials, true);

    Export();

    const ExportSummary& summary = dialog.Readout()->LastExport();
    EXPECT_EQ(summary.output_path, output);
    EXPECT_EQ(summary.project_path, kProject);
    EXPECT_EQ(view.Status(), "Start to extract data now..." + ExportSummaryText(summary));
    EXPECT_EQ(LastPreview(), "preview " + output);
}

// The loop of a simulation: export, run the simulation again, which writes the project anew with
// a finer mesh, and export again with the dialog still open.
TEST_F(DialogExportTest, AProjectWrittenAnewSinceItWasOpenedIsOpenedAgainAndExportedAsItIsNow) {
    const std::string project = temp / "chamber.cst";
    const std::string output = temp / "chamber.efm";
    test_files::WriteText(project, "the first run");
    Open(project);
    view.Type(ControlId::MaterialFile, "");
    view.Type(ControlId::OutputFile, output);
    view.Tick(ControlId::OnlyPotentials, true);
    Export();
    ASSERT_EQ(view.Status(), "Start to extract data now..." + ExportSummaryText(dialog.Readout()->LastExport()));

    fake_reader::Project finer = PotentialProject();
    finer.dims = {4, 3, 3};
    finer.lines = {0.0, 0.5, 1.0, 1.5, -1.0, 0.0, 1.0, 2.0, 3.0, 5.0};
    finer.results.front().values.resize(36, 7.5f);
    fake_reader::Current() = finer;
    test_files::WriteText(project, "the second run, with a finer mesh");
    Export();

    EXPECT_TRUE(
        view.Status().starts_with(kDone + "\nThe project file changed since it was opened; it was opened again.\n"))
        << view.Status();
    efm::FileReader written(output);
    EXPECT_EQ(written.MeshDims(), finer.dims);
    std::vector<float> values(36);
    written.ReadNodeValues(0, values);
    EXPECT_EQ(values, finer.results.front().values);
}

TEST_F(DialogExportTest, CancelEndsTheExportAsCancelledAndKeepsTheOlderOutput) {
    const std::string output = temp / "older.efm";
    const std::vector<unsigned char> older{'o', 'l', 'd'};
    test_files::WriteBytes(output, older);
    PrepareExport(output);
    view.Tick(ControlId::OnlyPotentials, true);
    const std::map<ControlId, bool> before = EnabledStates(view);
    dialog.OnBnClickedExport();

    dialog.OnBnClickedCancel();
    EXPECT_FALSE(view.Enabled(ControlId::CancelExport));
    EXPECT_EQ(view.Log().back(), "progress 0/1000 stopping");
    view.FinishBackgroundWork();

    EXPECT_EQ(view.Status(), "Start to extract data now...cancelled.\nThe output file was left as it was.");
    EXPECT_EQ(test_files::ReadBytes(output), older);
    EXPECT_EQ(EnabledStates(view), before);
    EXPECT_EQ(LastPreview(), "preview clear");
    EXPECT_NE(dialog.Readout(), nullptr);
}

TEST_F(DialogExportTest, FocusWaitsOnCancelAndReturnsWhereItWasOnceTheExportHasEnded) {
    PrepareExport(temp / "focus.efm");
    view.Tick(ControlId::OnlyPotentials, true);
    const struct {
        const char* name;
        std::optional<ControlId> before, after;
    } cases[] = {
        {"Export pressed", ControlId::Export, ControlId::Export},
        {"Enter in the output field", ControlId::OutputFile, ControlId::OutputFile},
        {"a control the logic does not know", std::nullopt, ControlId::Export},
    };
    for (const auto& with : cases) {
        SCOPED_TRACE(with.name);
        if (with.before)
            view.SetFocus(*with.before);
        else
            view.FocusElsewhere();

        dialog.OnBnClickedExport();
        EXPECT_EQ(view.FocusedItem(), ControlId::CancelExport);
        view.FinishBackgroundWork();

        EXPECT_EQ(view.FocusedItem(), with.after);
    }
}

// Through the loop of a user who keeps the dialog open: after each step "Export" is enabled
// exactly when a press writes the path the enabled output field shows, and a press that still
// arrives while it cannot says why.
TEST_F(DialogExportTest, IsEnabledOnlyWhenItWritesWhatTheOutputFieldShowsAndOtherwiseSaysWhy) {
    const std::string output = temp / "loop.efm";
    view.Tick(ControlId::OnlyPotentials, true);
    const std::string no_project = "Cannot export: no project is open.";
    const std::string greyed_out = "Cannot export: the output field is disabled until the material file is set.";
    const std::string no_output = "Cannot export: no output file is set.";
    const struct {
        const char* name;
        std::function<void()> act;
        std::optional<std::string> refusal;  // none: the press exports
    } steps[] = {
        {"nothing opened yet", [] {}, no_project},
        {"a project opened", [&] { Open(); }, greyed_out},
        {"the material file set", [&] { view.Type(ControlId::MaterialFile, ""); }, no_output},
        {"the output file set", [&] { view.Type(ControlId::OutputFile, output); }, std::nullopt},
        {"the output field emptied", [&] { view.Type(ControlId::OutputFile, ""); }, no_output},
        {"the output file set again", [&] { view.Type(ControlId::OutputFile, output); }, std::nullopt},
        {"a project that fails to open",
         [&] {
             fake_reader::Current().open_status = 3;
             Open("/data/broken.cst");
         },
         no_project},
        {"a project opened again, the output field greyed out with its path",
         [&] {
             fake_reader::Current().open_status = 0;
             Open("/data/second.cst");
         },
         greyed_out},
        {"the material file set again", [&] { view.Type(ControlId::MaterialFile, ""); }, std::nullopt},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        std::filesystem::remove(output);

        EXPECT_EQ(view.Enabled(ControlId::Export), !step.refusal);
        dialog.OnBnClickedExport();

        if (step.refusal) {
            EXPECT_EQ(view.Status(), *step.refusal);
            EXPECT_FALSE(view.BackgroundWorkPending());
            EXPECT_FALSE(std::filesystem::exists(output));
            continue;
        }
        ASSERT_TRUE(view.BackgroundWorkPending());
        view.FinishBackgroundWork();
        EXPECT_TRUE(view.Status().starts_with(kDone + "\n")) << view.Status();
        ExpectPotentialsOnlyExport(output);
    }
}

TEST_F(DialogExportTest, FailureShowsTheEngineMessageOnTheSecondLineAndAllowsARetry) {
    const std::string output = temp / "no-such-dir-of-the-dialog-test/out.efm";
    PrepareExport(output);
    view.Tick(ControlId::OnlyPotentials, true);

    Export();

    const std::string first_line = "Start to extract data now...failed!\n";
    ASSERT_TRUE(view.Status().starts_with(first_line)) << view.Status();
    EXPECT_NE(view.Status().find(output), std::string::npos) << view.Status();
    // The cause below the message, in the words the command line uses too.
    EXPECT_TRUE(
        view.Status().ends_with("\nThe folder " + (temp / "no-such-dir-of-the-dialog-test") + " does not exist."))
        << view.Status();
    EXPECT_EQ(view.WaitDepth(), 0);
    EXPECT_EQ(LastPreview(), "preview clear");
    ASSERT_NE(dialog.Readout(), nullptr);

    const std::string good_output = temp / "retry.efm";
    view.Type(ControlId::OutputFile, good_output);
    Export();
    EXPECT_TRUE(view.Status().starts_with(kDone + "\n")) << view.Status();
    ExpectPotentialsOnlyExport(good_output);
}

TEST_F(DialogExportTest, ReadsThePotentialUnderTheEditedTreePath) {
    PrepareExport(temp / "no-potential.efm");
    view.Tick(ControlId::OnlyPotentials, true);
    view.Type(ControlId::PotentialName, "2D/3D Results\\Nothing");

    Export();

    EXPECT_TRUE(view.Status().starts_with("Start to extract data now...failed!\n")) << view.Status();
    // The message names the edited path; the reader's status follows on the next line.
    EXPECT_NE(view.Status().find("2D/3D Results\\Nothing\n"), std::string::npos) << view.Status();
}

TEST_F(DialogExportTest, DensityBoxDecidesTheQuantityOfEveryExport) {
    PrepareExport(temp / "density.efm");
    view.Tick(ControlId::OnlyPotentials, true);

    view.Tick(ControlId::UseDensity, true);
    Export();
    EXPECT_EQ(dialog.Readout()->material_quantity, 3);

    view.Tick(ControlId::UseDensity, false);
    Export();
    EXPECT_EQ(dialog.Readout()->material_quantity, 0);
}

TEST_F(DialogExportTest, WritesMaterialsUnlessOnlyPotentialsAreTicked) {
    // The project has no material matrix, so an export that assigns materials must fail:
    // this tells which check box reached which parameter.
    PrepareExport(temp / "with-materials.efm");
    view.Tick(ControlId::WriteProperty, true);

    Export();

    EXPECT_TRUE(view.Status().starts_with("Start to extract data now...failed!\n")) << view.Status();
    EXPECT_GT(fake_reader::CallCount("CST_GetMaterialMatrixHexMesh"), 0);
}

// --- Close ---

using DialogCloseTest = DialogTest;

TEST_F(DialogCloseTest, ClosesTheProjectThenEndsTheDialog) {
    Open();

    dialog.OnBnClickedClose();

    EXPECT_FALSE(fake_reader::ProjectOpen());
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 1);
    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_TRUE(view.Ended());
}

TEST_F(DialogCloseTest, DuringAnExportStopsItAndEndsTheDialogOnceTheWorkerHasEnded) {
    const std::string output = temp / "closed.efm";
    PrepareExport(output);
    view.Tick(ControlId::OnlyPotentials, true);
    dialog.OnBnClickedExport();

    dialog.OnBnClickedClose();

    // The window goes on repainting while the worker stops: nothing waits for it.
    EXPECT_TRUE(view.BackgroundWorkPending());
    EXPECT_FALSE(view.Ended());
    EXPECT_FALSE(view.Enabled(ControlId::CancelExport));
    EXPECT_EQ(view.Status(),
              "Start to extract data now...\nStopping the export; the dialog closes once it has stopped.");
    const std::size_t before = view.Log().size();
    dialog.OnBnClickedClose();
    EXPECT_EQ(view.Log().size(), before) << "a second Close changes nothing";
    EXPECT_TRUE(fake_reader::ProjectOpen());

    view.FinishBackgroundWork();

    EXPECT_TRUE(view.Ended());
    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_FALSE(fake_reader::ProjectOpen());
    EXPECT_TRUE(temp.Entries().empty());
    EXPECT_EQ(view.WaitDepth(), 0);
    // The worker ran only after the stop had been asked for, so it read nothing.
    EXPECT_EQ(fake_reader::CallCount("CST_Get3DHexResult"), 0);
}

TEST_F(DialogCloseTest, WithoutProjectJustEndsTheDialog) {
    dialog.OnBnClickedClose();

    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 0);
    EXPECT_TRUE(view.Ended());
}

TEST_F(DialogCloseTest, AFailedCloseStillEndsTheDialog) {
    Open();
    fake_reader::Current().close_status = 5;

    EXPECT_NO_THROW(dialog.OnBnClickedClose());

    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_TRUE(view.Ended());
}

// --- The file choosers ---

using DialogChooserTest = DialogTest;

TEST_F(DialogChooserTest, StartsInTheFieldsFolderElseTheFolderLastChosenThereElseInAnyField) {
    // Names beyond the Windows code page, which the folders must keep on their way.
    const std::string projects = temp / "Projekte Grüße", outputs = temp / "出力 電場";
    std::filesystem::create_directories(PathFromText(projects));
    std::filesystem::create_directories(PathFromText(outputs));
    auto chooser_start = [&] {
        const auto last = std::find_if(view.Log().rbegin(), view.Log().rend(),
                                       [](const std::string& entry) { return entry.starts_with("choose "); });
        return last == view.Log().rend() ? std::string("none") : last->substr(last->find(" at ") + 4);
    };
    // Nothing known yet: the toolkit's choice.
    dialog.OnBrowse(ControlId::InputFile);
    EXPECT_EQ(chooser_start(), "");

    const std::string chosen = projects + "/chamber.cst";
    view.AnswerChooser(chosen);
    dialog.OnBrowse(ControlId::InputFile);
    EXPECT_EQ(view.GetItemText(ControlId::InputFile), chosen);
    EXPECT_EQ(fake_reader::OpenedPath(), AnsiPathFor(chosen));  // in the reader's own spelling

    view.Type(ControlId::MaterialFile, "materials.xml");  // no folder of its own
    view.Type(ControlId::OutputFile, outputs + "/run.efm");
    const struct {
        const char* name;
        ControlId field;
        std::string start;
    } cases[] = {
        {"the field's path in an existing folder", ControlId::OutputFile, outputs + "/run.efm"},
        {"no folder in the field: the folder last chosen in any field", ControlId::MaterialFile, projects},
    };
    for (const auto& with : cases) {
        SCOPED_TRACE(with.name);
        dialog.OnBrowse(with.field);  // cancelled: nothing changes
        EXPECT_EQ(chooser_start(), with.start);
    }
    EXPECT_EQ(view.GetItemText(ControlId::MaterialFile), "materials.xml");

    // A folder chosen in the project field is its own first choice afterwards.
    view.Type(ControlId::InputFile, "/no/such/folder/x.cst");
    view.StoreSetting("folders/any", outputs);
    dialog.OnBrowse(ControlId::InputFile);
    EXPECT_EQ(chooser_start(), projects);
}

// --- The result reader ---

TEST(DialogReaderTest, AnUnusableReaderIsShownAtStartAndAtEveryOpenAttempt) {
    fake_reader::Install(PotentialProject());
    const std::string failure = "The result reader library /opt/vendor/reader.so does not exist.";
    RecordingView view;
    CBrenwickDlg dialog{view, DialogReader{nullptr, failure}};
    view.Attach(dialog);

    dialog.OnInitDialog();
    EXPECT_EQ(view.Status(), failure);
    EXPECT_EQ(dialog.ReaderDescription(), failure);
    for (const std::string project : {"/data/a.cst", "/data/b.cst"}) {
        view.Type(ControlId::InputFile, project);
        EXPECT_EQ(view.Status(), "Open the input file...failed with message:\n" + failure);
        EXPECT_EQ(dialog.Readout(), nullptr);
        EXPECT_FALSE(view.Enabled(ControlId::MaterialFile));
    }
    EXPECT_EQ(fake_reader::CallCount("CST_OpenProject"), 0);
}

// Through the real loading path: the minimal reader of docs/readers.md, built apart.
TEST(DialogReaderTest, OptionBeforeEnvironmentBeforeTheBuiltInReader) {
    const std::string library = BRENWICK_MINIMAL_READER_LIBRARY;
    EXPECT_EQ(ChooseDialogReader(std::nullopt).reader, LinkedReader());
    const test_files::EnvironmentVariableScope variable(kReaderVariable, "/nowhere/reader.so");
    const DialogReader from_environment = ChooseDialogReader(std::nullopt);
    const DialogReader from_option = ChooseDialogReader(library);
    EXPECT_EQ(from_environment.reader, nullptr);
    EXPECT_NE(from_environment.failure.find("/nowhere/reader.so"), std::string::npos) << from_environment.failure;
    ASSERT_NE(from_option.reader, nullptr) << from_option.failure;

    RecordingView view;
    CBrenwickDlg dialog{view, from_option};
    view.Attach(dialog);
    view.Type(ControlId::InputFile, "/any/chamber.cst");
    // The built-in reader finds no project at that path; the minimal one opens any.
    ASSERT_NE(dialog.Readout(), nullptr) << view.Status();
    EXPECT_EQ(dialog.ReaderDescription(), "result reader " + library + ", version 1");
}

}  // namespace
