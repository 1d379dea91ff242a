// The real dialog window, driven as a user would, without a display (offscreen platform) and
// against the scripted result reader.
#include "about_dlg.h"
#include "brenwick_window.h"
#include "fake_reader.h"
#include "potential_project.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

using namespace brenwick;

namespace {

const QString kDefaultPotential = QStringLiteral("2D/3D Results\\Potentials");

// The application object exists only while tests run, not while they are listed.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[32] = "brenwick_dialog_window_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

// Drags `data` onto `target` and drops it there, as the window system delivers a drop;
// true when the drop was taken.
bool DropOn(QWidget& target, const QMimeData& data) {
    const QPointF inside(5, 5);
    QDragEnterEvent enter(inside.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
}

// Runs `inspect` on the modal window the next call opens, once that window is up.
void WhenModalOpens(std::function<void(QWidget&)> inspect) {
    QTimer::singleShot(0, [inspect = std::move(inspect)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            ADD_FAILURE() << "no modal window opened";
            return;
        }
        inspect(*modal);
    });
}

class DialogWindowTest : public ::testing::Test {
protected:
    void SetUp() override { fake_reader::Install(PotentialProject()); }

    template <class Widget>
    Widget& Child(const char* name) {
        auto* child = window.findChild<Widget*>(name);
        if (child == nullptr) throw std::runtime_error(std::string("no control ") + name);
        return *child;
    }
    QLineEdit& Field(const char* name) { return Child<QLineEdit>(name); }
    QString Status() { return Child<QLabel>("staticStatus").text(); }

    // Fills the three paths and ticks "Write only potentials", ready for "Export".
    void FillForPotentialsExport(const std::string& output) {
        Field("editInputFile").setText("/data/chamber.cst");
        Field("editMaterialFile").setText("/data/materials.xml");
        QTest::keyClicks(&Field("editOutputFile"), QString::fromStdString(output));
        QTest::mouseClick(&Child<QCheckBox>("checkOnlyPotentials"), Qt::LeftButton);
    }

    void ShowActive() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    CBrenwickWindow window;
};

// --- What the dialog shows before any input ---

TEST_F(DialogWindowTest, StartsWithOnlyTheProjectFieldUsable) {
    EXPECT_EQ(window.windowTitle(), "Brenwick");
    EXPECT_TRUE(Field("editInputFile").isEnabled());
    EXPECT_TRUE(Child<QToolButton>("browseInputFile").isEnabled());
    for (const char* name : {"editMaterialFile", "editOutputFile", "editPotentialName"})
        EXPECT_FALSE(Field(name).isEnabled()) << name;
    for (const char* name : {"browseMaterialFile", "browseOutputFile"})
        EXPECT_FALSE(Child<QToolButton>(name).isEnabled()) << name;
    EXPECT_FALSE(Child<QPushButton>("btnExport").isEnabled());
    EXPECT_TRUE(Child<QPushButton>("btnExport").isDefault());
    EXPECT_TRUE(Child<QPushButton>("btnClose").isEnabled());
    EXPECT_TRUE(Status().isEmpty());
}

TEST_F(DialogWindowTest, CheckBoxesStartClearWithTheirTips) {
    const struct {
        const char* name;
        QString text;
        QString tip;
    } boxes[] = {
        {"checkOnlyPotentials", "Write only potentials",
         "This options is supposed to be used for exporting weighting fields to Garfield++."},
        {"checkUseDensity", "Use the density to assign the element material",
         "Use rho instead of the relative permittivity of the node material to assign the element material."},
        {"checkWriteProperty", "Write the material property of each element",
         "Write also the material prperty of each element (rho or relative permittivity). By default only the "
         "material ID per element is written. Only this is useed by Garfield++."},
    };
    for (const auto& box : boxes) {
        const QCheckBox& check = Child<QCheckBox>(box.name);
        EXPECT_EQ(check.text(), box.text);
        EXPECT_EQ(check.toolTip(), box.tip);
        EXPECT_TRUE(check.isEnabled());
        EXPECT_FALSE(check.isChecked());
    }
}

TEST_F(DialogWindowTest, TabOrderFollowsTheControlOrder) {
    const QStringList expected{"btnExport",        "btnClose",           "editInputFile",
                               "editOutputFile",   "checkOnlyPotentials", "editMaterialFile",
                               "checkWriteProperty", "checkUseDensity",   "editPotentialName"};
    QStringList order;
    QWidget* widget = &Child<QPushButton>("btnExport");
    do {
        if (widget->focusPolicy() & Qt::TabFocus) order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != &Child<QPushButton>("btnExport"));
    EXPECT_EQ(order, expected);
}

// --- Working through the fields ---

TEST_F(DialogWindowTest, ExportWritesTheFileAndReportsIt) {
    const std::string output = FreshTempPath("window-export.efm");
    FillForPotentialsExport(output);

    QTest::mouseClick(&Child<QPushButton>("btnExport"), Qt::LeftButton);

    EXPECT_EQ(Status(), "Start to extract data now...done!");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ExpectPotentialsOnlyExport(output);
}

TEST_F(DialogWindowTest, EnterInAFieldPressesExport) {
    const std::string output = FreshTempPath("window-enter.efm");
    FillForPotentialsExport(output);
    ShowActive();

    QTest::keyClick(&Field("editOutputFile"), Qt::Key_Return);

    EXPECT_EQ(Status(), "Start to extract data now...done!");
    ExpectPotentialsOnlyExport(output);
}

TEST_F(DialogWindowTest, FailedExportShowsTheReasonBelowTheFailure) {
    FillForPotentialsExport(FreshTempPath("no-such-dir-of-the-window-test/out.efm"));

    QTest::mouseClick(&Child<QPushButton>("btnExport"), Qt::LeftButton);

    EXPECT_TRUE(Status().startsWith("Start to extract data now...failed!\n")) << Status().toStdString();
    EXPECT_GT(Status().size(), QString("Start to extract data now...failed!\n").size());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DialogWindowTest, EveryOpenShowsThePotentialNameAgain) {
    Field("editInputFile").setText("/data/first.cst");
    Field("editMaterialFile").setText("/data/materials.xml");

    Field("editInputFile").setText("/data/second.cst");

    EXPECT_EQ(Field("editPotentialName").text(), kDefaultPotential);
    EXPECT_EQ(Status(), "Changed potential name to: " + kDefaultPotential);
}

TEST_F(DialogWindowTest, SettingThePotentialNameInCodeRunsItsHandler) {
    Field("editInputFile").setText("/data/chamber.cst");

    Field("editPotentialName").setText("2D/3D Results\\Weighting");

    EXPECT_EQ(Status(), "Changed potential name to: 2D/3D Results\\Weighting");
    ASSERT_NE(window.Logic().Readout(), nullptr);
    EXPECT_EQ(window.Logic().Readout()->potential_name, "2D/3D Results\\Weighting");
}

TEST_F(DialogWindowTest, FailedOpenDisablesTheFieldsWithTheirBrowseButtons) {
    Field("editInputFile").setText("/data/chamber.cst");
    fake_reader::Current().open_status = 3;

    Field("editInputFile").setText("/data/broken.cst");

    EXPECT_EQ(Status(), "Open the input file...failed with message:\nFailed to open the CST project file: "
                        "/data/broken.cst");
    for (const char* name : {"editMaterialFile", "editOutputFile", "editPotentialName"})
        EXPECT_FALSE(Field(name).isEnabled()) << name;
    for (const char* name : {"browseMaterialFile", "browseOutputFile"})
        EXPECT_FALSE(Child<QToolButton>(name).isEnabled()) << name;
}

// --- Dropped and chosen files ---

TEST_F(DialogWindowTest, DroppedLocalFileBecomesTheProjectPath) {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/data/dropped.cst"), QUrl::fromLocalFile("/data/other.cst")});

    EXPECT_TRUE(DropOn(Field("editInputFile"), files));

    EXPECT_EQ(Field("editInputFile").text(), "/data/dropped.cst");
    EXPECT_EQ(fake_reader::OpenedPath(), "/data/dropped.cst");
}

TEST_F(DialogWindowTest, DroppedTextIsRefused) {
    QMimeData text;
    text.setText("/data/typed.cst");

    EXPECT_FALSE(DropOn(Field("editInputFile"), text));

    EXPECT_TRUE(Field("editInputFile").text().isEmpty());
    EXPECT_EQ(fake_reader::CallCount("CST_OpenProject"), 0);
}

TEST_F(DialogWindowTest, BrowseButtonsOfferTheirFileFilters) {
    const std::string project = FreshTempPath("browsed.cst");
    std::ofstream(project).put('\n');
    QStringList project_filters;
    WhenModalOpens([&](QWidget& modal) {
        auto& chooser = dynamic_cast<QFileDialog&>(modal);
        project_filters = chooser.nameFilters();
        chooser.selectFile(QString::fromStdString(project));
        static_cast<QDialog&>(chooser).accept();
    });
    QTest::mouseClick(&Child<QToolButton>("browseInputFile"), Qt::LeftButton);

    QStringList material_filters;
    WhenModalOpens([&](QWidget& modal) {
        auto& chooser = dynamic_cast<QFileDialog&>(modal);
        material_filters = chooser.nameFilters();
        chooser.reject();
    });
    QTest::mouseClick(&Child<QToolButton>("browseMaterialFile"), Qt::LeftButton);

    EXPECT_EQ(project_filters, QStringList{"CST files (*.cst)"});
    EXPECT_EQ(Field("editInputFile").text().toStdString(), project);
    EXPECT_EQ(fake_reader::OpenedPath(), project);
    EXPECT_EQ(material_filters, QStringList{"Material file (*.xml)"});
    EXPECT_TRUE(Field("editMaterialFile").text().isEmpty());
}

// --- Leaving the dialog and the About box ---

TEST_F(DialogWindowTest, EscapeClosesTheProjectAndTheDialog) {
    Field("editInputFile").setText("/data/chamber.cst");
    ShowActive();

    QTest::keyClick(&window, Qt::Key_Escape);

    EXPECT_FALSE(fake_reader::ProjectOpen());
    EXPECT_EQ(window.Logic().Readout(), nullptr);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(DialogWindowTest, CloseButtonAndCloseBoxCloseTheProject) {
    Field("editInputFile").setText("/data/chamber.cst");
    window.show();
    QTest::mouseClick(&Child<QPushButton>("btnClose"), Qt::LeftButton);
    EXPECT_FALSE(fake_reader::ProjectOpen());
    EXPECT_FALSE(window.isVisible());

    Field("editInputFile").setText("/data/second.cst");
    window.show();
    window.close();
    EXPECT_FALSE(fake_reader::ProjectOpen());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(DialogWindowTest, F1ShowsTheAboutBoxAndReturnsToTheOpenProject) {
    Field("editInputFile").setText("/data/chamber.cst");
    ShowActive();
    bool shown = false;
    WhenModalOpens([&](QWidget& modal) {
        shown = true;
        auto& about = dynamic_cast<CAboutDlg&>(modal);
        EXPECT_EQ(about.windowTitle(), "About Brenwick");
        EXPECT_EQ(about.findChild<QLabel*>("labelVersion")->text(), "Brenwick, Version 1.1");
        EXPECT_EQ(about.findChild<QLabel*>("pictureAbout")->pixmap().size(), QSize(67, 58));
        EXPECT_EQ(about.findChild<QLabel*>("labelReader")->text(), "built-in result reader, version 2024");
        QTest::keyClick(&about, Qt::Key_Escape);
    });

    QTest::keyClick(&window, Qt::Key_F1);

    EXPECT_TRUE(shown);
    EXPECT_TRUE(fake_reader::ProjectOpen());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(DialogWindowTest, AboutEntryIsInTheContextMenu) {
    EXPECT_EQ(window.contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(window.actions().size(), 1);
    EXPECT_EQ(window.actions().front()->text(), "&About Brenwick...");
    EXPECT_EQ(window.actions().front()->shortcut(), QKeySequence(Qt::Key_F1));
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new QtApplication);
    return RUN_ALL_TESTS();
}
