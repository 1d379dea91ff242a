// The main dialog's handler logic against a recording view and the scripted result reader.
#include "brenwick_dlg.h"
#include "fake_reader.h"
#include "potential_project.h"
#include "reader_library.h"
#include "recording_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

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

    std::size_t LogCount(const std::string& entry) const {
        return static_cast<std::size_t>(std::count(view.Log().begin(), view.Log().end(), entry));
    }

    RecordingView view;
    CBrenwickDlg dialog{view};
};

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

TEST_F(DialogOpenTest, PathWithoutCstOnlyShowsTheError) {
    Open("/data/chamber.h5");

    EXPECT_EQ(view.Status(), "ERROR: The given input file /data/chamber.h5 does not seem to be a cst file.\n");
    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_EQ(fake_reader::CallCount("CST_OpenProject"), 0);
    EXPECT_FALSE(view.Enabled(ControlId::MaterialFile));
    EXPECT_EQ(view.Log().size(), 1u);
}

TEST_F(DialogOpenTest, CapitalExtensionIsRejected) {
    Open("/data/CHAMBER.CST");

    EXPECT_EQ(view.Status(), "ERROR: The given input file /data/CHAMBER.CST does not seem to be a cst file.\n");
    EXPECT_EQ(fake_reader::CallCount("CST_OpenProject"), 0);
}

TEST_F(DialogOpenTest, CstInsideTheNameIsEnough) {
    Open("/data/chamber.cst.bak");

    ASSERT_NE(dialog.Readout(), nullptr);
    EXPECT_EQ(fake_reader::OpenedPath(), "/data/chamber.cst.bak");
}

TEST_F(DialogOpenTest, PathWithoutCstKeepsTheOpenProjectForExport) {
    const std::string output = FreshTempPath("kept-project.efm");
    PrepareExport(output);
    const CST_Readout* before = dialog.Readout();
    view.Tick(ControlId::OnlyPotentials, true);

    Open("/data/other.txt");
    dialog.OnBnClickedExport();

    EXPECT_EQ(dialog.Readout(), before);
    EXPECT_EQ(fake_reader::CallCount("CST_CloseProject"), 0);
    EXPECT_EQ(view.Status(), "Start to extract data now...done!");
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
    const std::string output = FreshTempPath("unused.efm");
    PrepareExport(output);
    fake_reader::Current().open_status = 3;

    Open("/data/broken.cst");

    EXPECT_EQ(view.Status(),
              "Open the input file...failed with message:\nFailed to open the CST project file: /data/broken.cst");
    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_FALSE(view.Enabled(ControlId::MaterialFile));
    EXPECT_FALSE(view.Enabled(ControlId::OutputFile));
    EXPECT_FALSE(view.Enabled(ControlId::PotentialName));
    EXPECT_TRUE(view.Enabled(ControlId::Export));
    EXPECT_EQ(dialog.OutputFile(), output);
}

TEST_F(DialogOpenTest, OpenAfterAFailedOneStartsWithoutMaterialPath) {
    Open();
    view.Type(ControlId::MaterialFile, "/data/materials.xml");
    fake_reader::Current().open_status = 3;
    Open("/data/broken.cst");
    fake_reader::Current().open_status = 0;

    Open("/data/second.cst");

    ASSERT_NE(dialog.Readout(), nullptr);
    EXPECT_EQ(dialog.Readout()->material_file, "");
    EXPECT_TRUE(view.Enabled(ControlId::MaterialFile));
    EXPECT_EQ(view.GetItemText(ControlId::MaterialFile), "/data/materials.xml");
}

TEST_F(DialogOpenTest, FailedCloseOfTheOldProjectIsShownLikeAFailedOpen) {
    Open();
    fake_reader::Current().close_status = 5;

    Open("/data/second.cst");

    EXPECT_EQ(view.Status(), "Open the input file...failed with message:\nFailed to close the CST project.");
    EXPECT_EQ(dialog.Readout(), nullptr);
    EXPECT_EQ(fake_reader::CallCount("CST_OpenProject"), 1);
    EXPECT_FALSE(view.Enabled(ControlId::MaterialFile));
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

TEST_F(DialogFieldTest, OutputPathIsKeptByTheDialogAndEnablesExport) {
    Open();
    view.Type(ControlId::MaterialFile, "");

    view.Type(ControlId::OutputFile, "/tmp/out.efm");

    EXPECT_EQ(dialog.OutputFile(), "/tmp/out.efm");
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

TEST_F(DialogExportTest, WritesTheFileInsideTheWaitCursor) {
    const std::string output = FreshTempPath("dialog-export.efm");
    PrepareExport(output);
    view.Tick(ControlId::OnlyPotentials, true);
    const std::size_t before = view.Log().size();

    dialog.OnBnClickedExport();

    const std::vector<std::string> expected{"text 1008 Start to extract data now...", "wait begin",
                                            "text 1008 Start to extract data now...done!", "wait end"};
    EXPECT_EQ(std::vector<std::string>(view.Log().begin() + static_cast<std::ptrdiff_t>(before), view.Log().end()),
              expected);
    ExpectPotentialsOnlyExport(output);
}

TEST_F(DialogExportTest, WithoutOutputPathDoesNothing) {
    PrepareExport("");
    EXPECT_TRUE(view.Enabled(ControlId::Export));
    const std::size_t before = view.Log().size();

    dialog.OnBnClickedExport();

    EXPECT_EQ(view.Log().size(), before);
}

TEST_F(DialogExportTest, WithoutProjectDoesNothing) {
    const std::string output = FreshTempPath("never-written.efm");
    PrepareExport(output);
    fake_reader::Current().open_status = 3;
    Open("/data/broken.cst");
    const std::size_t before = view.Log().size();

    dialog.OnBnClickedExport();

    EXPECT_EQ(view.Log().size(), before);
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(DialogExportTest, FailureShowsTheEngineMessageOnTheSecondLineAndAllowsARetry) {
    const std::string output = FreshTempPath("no-such-dir-of-the-dialog-test/out.efm");
    PrepareExport(output);
    view.Tick(ControlId::OnlyPotentials, true);

    dialog.OnBnClickedExport();

    const std::string first_line = "Start to extract data now...failed!\n";
    ASSERT_TRUE(view.Status().starts_with(first_line)) << view.Status();
    EXPECT_NE(view.Status().find(output), std::string::npos) << view.Status();
    EXPECT_EQ(view.WaitDepth(), 0);
    ASSERT_NE(dialog.Readout(), nullptr);

    const std::string good_output = FreshTempPath("retry.efm");
    view.Type(ControlId::OutputFile, good_output);
    dialog.OnBnClickedExport();
    EXPECT_EQ(view.Status(), "Start to extract data now...done!");
    ExpectPotentialsOnlyExport(good_output);
}

TEST_F(DialogExportTest, ReadsThePotentialUnderTheEditedTreePath) {
    PrepareExport(FreshTempPath("no-potential.efm"));
    view.Tick(ControlId::OnlyPotentials, true);
    view.Type(ControlId::PotentialName, "2D/3D Results\\Nothing");

    dialog.OnBnClickedExport();

    EXPECT_TRUE(view.Status().starts_with("Start to extract data now...failed!\n")) << view.Status();
    EXPECT_TRUE(view.Status().ends_with("2D/3D Results\\Nothing")) << view.Status();
}

TEST_F(DialogExportTest, DensityBoxDecidesTheQuantityOfEveryExport) {
    PrepareExport(FreshTempPath("density.efm"));
    view.Tick(ControlId::OnlyPotentials, true);

    view.Tick(ControlId::UseDensity, true);
    dialog.OnBnClickedExport();
    EXPECT_EQ(dialog.Readout()->material_quantity, 3);

    view.Tick(ControlId::UseDensity, false);
    dialog.OnBnClickedExport();
    EXPECT_EQ(dialog.Readout()->material_quantity, 0);
}

TEST_F(DialogExportTest, WritesMaterialsUnlessOnlyPotentialsAreTicked) {
    // The project has no material matrix, so an export that assigns materials must fail:
    // this tells which check box reached which parameter.
    PrepareExport(FreshTempPath("with-materials.efm"));
    view.Tick(ControlId::WriteProperty, true);

    dialog.OnBnClickedExport();

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
    setenv(kReaderVariable, "/nowhere/reader.so", 1);
    const DialogReader from_environment = ChooseDialogReader(std::nullopt);
    const DialogReader from_option = ChooseDialogReader(library);
    unsetenv(kReaderVariable);
    EXPECT_EQ(from_environment.reader, nullptr);
    EXPECT_NE(from_environment.failure.find("/nowhere/reader.so"), std::string::npos) << from_environment.failure;
    ASSERT_NE(from_option.reader, nullptr) << from_option.failure;

    RecordingView view;
    CBrenwickDlg dialog{view, from_option};
    view.Attach(dialog);
    view.Type(ControlId::InputFile, "/any/chamber.cst");
    ASSERT_NE(dialog.Readout(), nullptr) << view.Status();
    EXPECT_EQ(dialog.Readout()->Reader().name, library);
    EXPECT_EQ(dialog.Readout()->MeshDims(), (std::array<int, 3>{4, 3, 3}));
    EXPECT_EQ(dialog.ReaderDescription(), "result reader " + library + ", version 1");
}

}  // namespace
