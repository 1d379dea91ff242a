// The real dialog window, driven as a user would, without a display (offscreen platform) and
// against the scripted result reader, with a gate that can hold an export while it runs.
#include "app/about_dlg.h"
#include "app/brenwick_window.h"
#include "app/slice_preview.h"
#include "app/tool_tip.h"
#include "brenwick_version.h"
#include "engine/export_control.h"
#include "potential_project.h"
#include "reader_gate.h"
#include "render/slice_picture.h"
#include "tests/support/environment_variable.h"
#include "tests/support/fake_reader.h"
#include "tests/support/test_files.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QSplitter>
#include <QStandardPaths>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

using namespace brenwick;

namespace {

const QString kDefaultPotential = QStringLiteral("2D/3D Results\\Potentials");

// The application object exists only while tests run, not while they are listed.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        // The choosers' folders go to a settings file of the tests, not the user's.
        QStandardPaths::setTestModeEnabled(true);
        // Without a display; chosen here, not by CTest, since Wine keeps QT_ variables from
        // Windows programs.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        Start();
        QSettings("Brenwick", "Brenwick").clear();
    }
    void TearDown() override { app_.reset(); }

    // Makes the application again, which reads its platform and scale from the environment anew.
    static void Restart() {
        app_.reset();
        Start();
    }

private:
    static void Start() { app_ = std::make_unique<QApplication>(argc_, argv_); }

    static inline int argc_ = 1;
    static inline char name_[32] = "brenwick_dialog_window_tests";
    static inline char* argv_[2] = {name_, nullptr};
    static inline std::unique_ptr<QApplication> app_;
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

constexpr int kExportTimeoutMs = 10000;

// The window over the gated reader. Close waits for the worker only after it has asked the
// export to stop, so opening the gate there lets a held worker go on to meet the stop.
class GatedWindow : public BrenwickWindow {
public:
    GatedWindow() : BrenwickWindow(DialogReader{reader_gate::GatedReader(), ""}) {}
    void WaitForBackgroundWork() override {
        reader_gate::Open();
        BrenwickWindow::WaitForBackgroundWork();
    }
};

// Declared after the window, so that a worker still held is let go before the window waits for it.
struct OpenGateAtTheEnd {
    ~OpenGateAtTheEnd() { reader_gate::Open(); }
};

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
    QPushButton& Button(const char* name) { return Child<QPushButton>(name); }
    QString Status() { return Child<QPlainTextEdit>("textStatus").toPlainText(); }

    // The title line of the preview in full: its text, or its tip where the text is shortened.
    QString PreviewTitle() {
        const auto& title = Child<QLabel>("labelPreviewTitle");
        return title.toolTip().isEmpty() ? title.text() : title.toolTip();
    }

    // The preview keeps its place without a file and says what it will show.
    void ExpectThePreviewPlaceholder() {
        EXPECT_FALSE(Child<QWidget>("panePreview").isHidden());
        EXPECT_EQ(Child<QLabel>("labelSlicePicture").text(), SlicePreview::Placeholder());
        EXPECT_EQ(PreviewTitle(), SlicePreview::Heading());
        EXPECT_TRUE(Child<QLabel>("labelSlicePicture").pixmap().isNull());
        EXPECT_FALSE(Child<QComboBox>("comboSliceAxis").isEnabled());
    }

    // Fills the three paths and ticks "Write only potentials", ready for "Export".
    void FillForPotentialsExport(const std::string& output, const QString& project = "/data/chamber.cst") {
        Field("editInputFile").setText(project);
        Field("editMaterialFile").setText("/data/materials.xml");
        Field("editOutputFile").clear();
        QTest::keyClicks(&Field("editOutputFile"), QString::fromStdString(output));
        Child<QCheckBox>("checkOnlyPotentials").setChecked(true);
    }

    // Export is enabled again once the worker has finished and the window has taken the outcome.
    bool WaitForTheExport() {
        return QTest::qWaitFor([&] { return Button("btnExport").isEnabled(); }, kExportTimeoutMs);
    }

    // Presses Export with the gate closed and returns once the worker waits inside the
    // export, reading the potential.
    void StartHeldExport() {
        reader_gate::Close();
        QTest::mouseClick(&Button("btnExport"), Qt::LeftButton);
        ASSERT_TRUE(reader_gate::WaitUntilHeld());
    }

    // The enabled state of every input, with the browse buttons.
    std::map<QString, bool> InputStates() {
        std::map<QString, bool> states;
        for (QWidget* input : std::initializer_list<QWidget*>{
                 &Field("editInputFile"), &Field("editMaterialFile"), &Field("editOutputFile"),
                 &Field("editPotentialName"), &Child<QToolButton>("browseInputFile"),
                 &Child<QToolButton>("browseMaterialFile"), &Child<QToolButton>("browseOutputFile"),
                 &Child<QCheckBox>("checkOnlyPotentials"), &Child<QCheckBox>("checkUseDensity"),
                 &Child<QCheckBox>("checkWriteProperty"), &Button("btnExport")})
            states[input->objectName()] = input->isEnabled();
        return states;
    }

    void ShowActive() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    test_files::TempDir temp;
    GatedWindow window;
    OpenGateAtTheEnd open_gate;
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
    for (const char* name : {"checkOnlyPotentials", "checkUseDensity", "checkWriteProperty"}) {
        EXPECT_TRUE(Child<QCheckBox>(name).isEnabled()) << name;
        EXPECT_FALSE(Child<QCheckBox>(name).isChecked()) << name;
    }
    EXPECT_FALSE(Button("btnExport").isEnabled());
    EXPECT_TRUE(Button("btnExport").isDefault());
    EXPECT_TRUE(Button("btnClose").isEnabled());
    EXPECT_FALSE(Button("btnCancel").isEnabled());
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_TRUE(Child<QPlainTextEdit>("textStatus").isReadOnly());
    EXPECT_TRUE(Child<QWidget>("rowProgress").isHidden());
    ExpectThePreviewPlaceholder();
}

TEST_F(DialogWindowTest, CheckBoxTipsWrapAtAFixedWidthWithTheirWordsUnchanged) {
    for (const char* name : {"checkOnlyPotentials", "checkUseDensity", "checkWriteProperty"})
        EXPECT_TRUE(Qt::mightBeRichText(Child<QCheckBox>(name).toolTip())) << name;

    const int width = 300;
    for (const QString& text : {QString("Short."), QString("Garfield++ reads <ID> & (rho) ").repeated(8)}) {
        const QString tip = WrappedToolTip(text, width);
        // The table's cell stands on lines of its own.
        EXPECT_EQ(QTextDocumentFragment::fromHtml(tip).toPlainText().trimmed(), text.trimmed());
        // Qt sizes a rich-text tip with adjustSize, which would narrow plain paragraphs.
        QTextDocument layout;
        layout.setHtml(tip);
        layout.adjustSize();
        EXPECT_NEAR(layout.size().width(), width, 0.05 * width) << text.toStdString();
    }
}

TEST_F(DialogWindowTest, CloseHasTheFocusAtStart) {
    ShowActive();

    EXPECT_EQ(QApplication::focusWidget(), &Button("btnClose"));
}

TEST_F(DialogWindowTest, TabOrderFollowsTheControlOrder) {
    const QStringList expected{"btnExport",           "btnClose",         "editInputFile",      "editOutputFile",
                               "checkOnlyPotentials", "editMaterialFile", "checkWriteProperty", "checkUseDensity",
                               "editPotentialName",   "btnCancel",        "textStatus",         "comboSliceAxis",
                               "sliderSlicePlane"};
    QStringList order;
    QWidget* widget = &Button("btnExport");
    do {
        if (widget->focusPolicy() & Qt::TabFocus) order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != &Button("btnExport"));
    EXPECT_EQ(order, expected);
}

TEST_F(DialogWindowTest, LongMessagesWrapInTheStatusAtTheMinimumSize) {
    window.resize(window.minimumSizeHint());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString path = "/data/" + QString("a-long-folder-name/").repeated(20) + "broken.cst";
    fake_reader::Current().open_status = 3;

    Field("editInputFile").setText(path);

    auto& status = Child<QPlainTextEdit>("textStatus");
    EXPECT_TRUE(Status().startsWith(
        "Open the input file...failed with message:\nFailed to open the CST project file: " + path + "\n"));
    EXPECT_EQ(status.horizontalScrollBar()->maximum(), 0);
    EXPECT_LE(window.width(), window.minimumSizeHint().width());
}

// --- Layout on screens of any scale ---

// A plane of 3 x 3 nodes of one element layer, square, whose legend lists the records of a
// small detector.
fieldmap::Slice SquareSlice() {
    fieldmap::Slice slice;
    slice.planes = 3;
    slice.has_mesh = true;
    slice.plane_axes = {efm::Axis::x, efm::Axis::y};
    slice.lines = {std::vector<double>{0, 1, 2}, std::vector<double>{0, 1, 2}};
    slice.potential = {0, 1, 2, 1, 2, 3, 2, 3, 4};
    slice.element_layer = 0;
    slice.materials = {0, 1, 2, 3};
    slice.records = {{0, "gas", 1, 1, 0},
                     {1, "FR4 readout board", 4, 1, 0},
                     {2, "polyimide pillars", 3.4f, 1, 0},
                     {3, "alumina spacer frame", 9.8f, 1, 0}};
    return slice;
}

// Scrolls the controls until `control` stands whole in their view, if the view can hold it.
void ScrollTo(QScrollArea& scroll, const QWidget& control) {
    const QRect place(control.mapTo(scroll.widget(), QPoint(0, 0)), control.size());
    scroll.ensureVisible(place.center().x(), place.center().y(), place.width() / 2 + 1, place.height() / 2 + 1);
}

// On a screen of 1280 x 800 pixels at the scales desktops offer, the window opens inside the
// screen with every control in reach: in view, or in view once the controls are scrolled to
// it. At scale 1 nothing scrolls and the preview's room holds plots of at least 250 pixels
// both ways. The application is made again for each scale, since Qt reads the scale when it
// starts.
TEST(DialogLayout, EveryControlIsInReachOnA1280By800ScreenAtEveryScale) {
#if defined(_WIN32)
    GTEST_SKIP() << "Qt's offscreen platform finds no font on Windows, so no text has its true width there";
#endif
    test_files::TempDir temp;
    test_files::WriteText(temp / "screen.json",
                          R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 800,)"
                          R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    const struct {
        const char* scale;
        QSize screen;  // in the window's pixels
    } scales[] = {{"1", {1280, 800}}, {"1.5", {853, 533}}, {"2", {640, 400}}};
    for (const auto& scale : scales) {
        SCOPED_TRACE(std::string("scale ") + scale.scale);
        const test_files::EnvironmentVariableScope platform(
            "QT_QPA_PLATFORM", "offscreen:configfile=" + std::string(temp / "screen.json"));
        const test_files::EnvironmentVariableScope factor("QT_SCALE_FACTOR", scale.scale);
        QtApplication::Restart();
        BrenwickWindow window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        const QRect screen = window.screen()->geometry();
        EXPECT_EQ(screen.size(), scale.screen);
        EXPECT_TRUE(screen.contains(window.frameGeometry()))
            << "the window at " << window.frameGeometry().x() << ", " << window.frameGeometry().y() << " is "
            << window.frameGeometry().width() << " x " << window.frameGeometry().height();
        auto& scroll = *window.findChild<QScrollArea*>("scrollControls");
        for (QWidget* control : window.findChildren<QWidget*>()) {
            const bool input = control->focusPolicy() != Qt::NoFocus && control->isVisibleTo(&window) &&
                               !control->objectName().isEmpty() && control->objectName() != "scrollControls";
            if (!input && !qobject_cast<QToolButton*>(control) && !qobject_cast<QLabel*>(control)) continue;
            if (scroll.widget()->isAncestorOf(control)) ScrollTo(scroll, *control);
            const QRect shown = control->visibleRegion().boundingRect();
            EXPECT_EQ(shown, control->rect()) << control->objectName().toStdString() << " is cut";
            EXPECT_TRUE(screen.contains(QRect(control->mapToGlobal(QPoint(0, 0)), control->size())))
                << control->objectName().toStdString() << " lies off the screen";
        }
        if (std::string(scale.scale) == "1") {
            EXPECT_EQ(scroll.verticalScrollBar()->maximum(), 0) << "the controls scroll at scale 1";
            const QSize room = window.findChild<QLabel*>("labelSlicePicture")->contentsRect().size();
            const render::SlicePicture picture =
                render::RenderSlice(SquareSlice(), "square.efm", room, 1.0, render::TitleLine::left_out);
            ASSERT_TRUE(picture.materials.has_value());
            for (const QRect& plot : {picture.materials->pixels(), picture.potential.plot.pixels()}) {
                EXPECT_GE(plot.width(), 250);
                EXPECT_GE(plot.height(), 250);
            }
        }
    }
    QtApplication::Restart();
}

// --- Exporting ---

TEST_F(DialogWindowTest, ExportRunsOnTheWorkerAndTheStateTableHoldsAfterwards) {
    const std::string output = temp / "window-export.efm";
    FillForPotentialsExport(output);
    const std::map<QString, bool> before = InputStates();

    QTest::mouseClick(&Button("btnExport"), Qt::LeftButton);

    // The worker's outcome reaches the window only through its event loop, which has not run yet.
    EXPECT_EQ(Status(), "Start to extract data now...");
    for (const auto& [name, enabled] : InputStates()) EXPECT_FALSE(enabled) << name.toStdString();
    EXPECT_TRUE(Button("btnCancel").isEnabled());
    EXPECT_FALSE(Child<QWidget>("rowProgress").isHidden());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    ASSERT_TRUE(WaitForTheExport());

    EXPECT_EQ(InputStates(), before);
    EXPECT_FALSE(Button("btnCancel").isEnabled());
    EXPECT_TRUE(Child<QWidget>("rowProgress").isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(Status().startsWith("Start to extract data now...done!\n")) << Status().toStdString();
    ExpectPotentialsOnlyExport(output);
}

TEST_F(DialogWindowTest, EnterInAFieldPressesExport) {
    const std::string output = temp / "window-enter.efm";
    FillForPotentialsExport(output);
    ShowActive();

    QTest::keyClick(&Field("editOutputFile"), Qt::Key_Return);

    ASSERT_TRUE(WaitForTheExport());
    EXPECT_TRUE(Status().startsWith("Start to extract data now...done!\n")) << Status().toStdString();
    ExpectPotentialsOnlyExport(output);
}

TEST_F(DialogWindowTest, FailedExportShowsTheReasonBelowTheFailure) {
    FillForPotentialsExport(temp / "no-such-dir-of-the-window-test/out.efm");

    QTest::mouseClick(&Button("btnExport"), Qt::LeftButton);

    ASSERT_TRUE(WaitForTheExport());
    EXPECT_TRUE(Status().startsWith("Start to extract data now...failed!\n")) << Status().toStdString();
    EXPECT_GT(Status().size(), QString("Start to extract data now...failed!\n").size());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ExpectThePreviewPlaceholder();
}

TEST_F(DialogWindowTest, ProgressShowsTheStageUnderWayAndCancelLeavesTheOutputAsItWas) {
    const std::string output = temp / "cancelled.efm";
    FillForPotentialsExport(output);
    const std::string cancelled = "Start to extract data now...cancelled.\nThe output file was left as it was.";
    const struct {
        const char* name;
        std::vector<unsigned char> older;  // the output's contents before; empty: no output
    } cases[] = {{"no older output", {}}, {"an older output", {'o', 'l', 'd'}}};
    for (const auto& with : cases) {
        SCOPED_TRACE(with.name);
        if (!with.older.empty()) test_files::WriteBytes(output, with.older);

        StartHeldExport();
        auto& progress = Child<QProgressBar>("progressExport");
        EXPECT_TRUE(QTest::qWaitFor([&] { return progress.format() == "reading the potential"; }));
        EXPECT_LT(progress.value(), progress.maximum());
        QTest::mouseClick(&Button("btnCancel"), Qt::LeftButton);
        EXPECT_FALSE(Button("btnCancel").isEnabled());
        EXPECT_EQ(progress.format(), "stopping");
        reader_gate::Open();
        ASSERT_TRUE(WaitForTheExport());

        EXPECT_EQ(Status().toStdString(), cancelled);
        if (with.older.empty()) {
            EXPECT_TRUE(temp.Entries().empty());
        } else {
            EXPECT_EQ(temp.Entries(), std::set<std::string>{"cancelled.efm"});
            EXPECT_EQ(test_files::ReadBytes(output), with.older);
        }
    }
}

TEST_F(DialogWindowTest, CloseEscapeOrTheCloseBoxDuringAnExportStopItWhileTheWindowStaysResponsive) {
    const std::string output = temp / "never.efm";
    const struct {
        const char* name;
        std::function<void()> act;
    } ways[] = {
        {"Close", [this] { QTest::mouseClick(&Button("btnClose"), Qt::LeftButton); }},
        {"Escape", [this] { QTest::keyClick(&window, Qt::Key_Escape); }},
        {"close box", [this] { window.close(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        // Each time another project, since only a changed path opens one.
        FillForPotentialsExport(output, QString("/data/%1.cst").arg(way.name));
        ShowActive();
        StartHeldExport();

        way.act();
        way.act();  // again, while the export stops

        // The worker is still held in the reader, and the window goes on.
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(Button("btnCancel").isEnabled());
        for (const auto& [name, enabled] : InputStates()) EXPECT_FALSE(enabled) << name.toStdString();
        EXPECT_TRUE(Status().endsWith("Stopping the export; the dialog closes once it has stopped."))
            << Status().toStdString();
        EXPECT_EQ(Child<QProgressBar>("progressExport").format(), "stopping");
        QTest::qWait(20);
        EXPECT_TRUE(window.isVisible());

        reader_gate::Open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, kExportTimeoutMs));
        EXPECT_EQ(window.result(), QDialog::Rejected);
        EXPECT_EQ(window.Logic().Readout(), nullptr);
        EXPECT_FALSE(fake_reader::ProjectOpen());
        EXPECT_TRUE(temp.Entries().empty());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST_F(DialogWindowTest, KeysAfterAnExportActOnTheControlThatHadTheFocus) {
    const std::string output = temp / "twice.efm";
    FillForPotentialsExport(output);
    ShowActive();
    Button("btnExport").setFocus();

    QTest::keyClick(&Button("btnExport"), Qt::Key_Space);
    EXPECT_EQ(QApplication::focusWidget(), &Button("btnCancel"));
    ASSERT_TRUE(WaitForTheExport());
    EXPECT_EQ(QApplication::focusWidget(), &Button("btnExport"));

    // Enter now presses Export again, not Close.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(WaitForTheExport());
    EXPECT_EQ(fake_reader::CallCount("CST_Get3DHexResult"), 2);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(Status().startsWith("Start to extract data now...done!\n")) << Status().toStdString();
}

TEST_F(DialogWindowTest, ThePreviewKeepsItsPlaceAndIsDrawnForTheRoomItIsShownIn) {
    auto& picture = Child<QLabel>("labelSlicePicture");
    const struct {
        const char* name;
        bool only_potentials;
    } files[] = {{"potentials only", true}, {"with materials", false}};
    fake_reader::Project project = PotentialProject();
    project.matrices[0] = std::vector<float>(3 * 27, 1.0f);
    fake_reader::Install(project);
    test_files::WriteText(temp / "materials.xml",
                          "<Materials Count=\"1\"><Material ID=\"0\" description=\"gas\" eps=\"1\"/></Materials>");
    window.resize(window.minimumSizeHint());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect place = window.geometry();
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string output = temp / (std::string(file.name) + ".efm");
        FillForPotentialsExport(output, QString("/data/%1.cst").arg(file.name));
        Field("editMaterialFile").setText(QString::fromStdString(temp / "materials.xml"));
        Child<QCheckBox>("checkOnlyPotentials").setChecked(file.only_potentials);

        QTest::mouseClick(&Button("btnExport"), Qt::LeftButton);
        ASSERT_TRUE(WaitForTheExport());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !picture.pixmap().isNull(); }, kExportTimeoutMs))
            << Status().toStdString() << picture.text().toStdString();

        EXPECT_EQ(window.geometry(), place) << "the window neither grows nor moves";
        EXPECT_EQ(picture.pixmap().deviceIndependentSize().toSize(), picture.contentsRect().size())
            << "drawn for its room, not shrunk";
        EXPECT_TRUE(picture.toolTip().startsWith(QString::fromStdString(std::string(file.name) + ".efm")))
            << picture.toolTip().toStdString();
        const auto& title = Child<QLabel>("labelPreviewTitle");
        EXPECT_LE(title.fontMetrics().horizontalAdvance(title.text()), title.contentsRect().width());
        EXPECT_EQ(PreviewTitle(), picture.toolTip());
    }
}

// Dragging the splitter up gives the preview the controls' room; the window keeps its size and
// the controls scroll.
TEST_F(DialogWindowTest, TheSplitterEnlargesThePreviewAloneWhileTheControlsScroll) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    const QRect place = window.geometry();
    const auto& picture = Child<QLabel>("labelSlicePicture");
    const int height_before = picture.height();
    QWidget& handle = *Child<QSplitter>("splitterPreview").handle(1);
    const QPoint grip = handle.rect().center();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, handle.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&handle, &event);
    };
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    send(QEvent::MouseMove, grip - QPoint(0, 200), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, grip - QPoint(0, 200), Qt::NoButton);
    QApplication::processEvents();

    EXPECT_EQ(picture.height(), height_before + 200);
    EXPECT_EQ(window.geometry(), place);
    EXPECT_GT(Child<QScrollArea>("scrollControls").verticalScrollBar()->maximum(), 0);
}

TEST_F(DialogWindowTest, PreviewShowsTheWrittenFileUntilTheNextOpen) {
    const std::string output = temp / "previewed.efm";
    FillForPotentialsExport(output);
    window.show();
    auto& picture = Child<QLabel>("labelSlicePicture");
    auto& plane = Child<QSlider>("sliderSlicePlane");

    QTest::mouseClick(&Button("btnExport"), Qt::LeftButton);
    ASSERT_TRUE(WaitForTheExport());

    EXPECT_FALSE(Child<QWidget>("panePreview").isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picture.pixmap().isNull(); }, kExportTimeoutMs))
        << picture.text().toStdString();
    EXPECT_EQ(Child<QComboBox>("comboSliceAxis").currentText(), "z");
    EXPECT_EQ(plane.maximum(), 2);  // the three planes of the mesh
    EXPECT_EQ(plane.value(), 1);    // the middle one

    const qint64 middle = picture.pixmap().cacheKey();
    plane.setValue(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture.pixmap().cacheKey() != middle; }, kExportTimeoutMs));

    Field("editInputFile").setText("/data/second.cst");
    ExpectThePreviewPlaceholder();
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

    EXPECT_TRUE(
        Status().startsWith("Open the input file...failed with message:\nFailed to open the CST project file: "
                            "/data/broken.cst\n"));
    for (const char* name : {"editMaterialFile", "editOutputFile", "editPotentialName"})
        EXPECT_FALSE(Field(name).isEnabled()) << name;
    for (const char* name : {"browseMaterialFile", "browseOutputFile"})
        EXPECT_FALSE(Child<QToolButton>(name).isEnabled()) << name;
}

// Names beyond the Windows code page pass whole from a field to the engine and back into the status.
TEST_F(DialogWindowTest, PathsBeyondTheCodePageReachTheEngineWhole) {
    const QString project = "/data/Grüße 電場/chamber.cst";
    fake_reader::Current().open_status = 3;

    Field("editInputFile").setText(project);

    EXPECT_TRUE(Status().startsWith(
        "Open the input file...failed with message:\nFailed to open the CST project file: " + project + "\n"))
        << Status().toStdString();
}

// --- Dropped and chosen files ---

TEST_F(DialogWindowTest, DroppedLocalFileBecomesTheProjectPathInTheSystemsForm) {
#if defined(_WIN32)
    const QString dropped = "C:/data/dropped.cst", shown = "C:\\data\\dropped.cst";
#else
    const QString dropped = "/data/dropped.cst", shown = dropped;
#endif
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(dropped), QUrl::fromLocalFile("/data/other.cst")});

    EXPECT_TRUE(DropOn(Field("editInputFile"), files));

    EXPECT_EQ(Field("editInputFile").text(), shown);
    EXPECT_EQ(fake_reader::OpenedPath(), shown.toStdString());
}

TEST_F(DialogWindowTest, DroppedTextIsRefused) {
    QMimeData text;
    text.setText("/data/typed.cst");

    EXPECT_FALSE(DropOn(Field("editInputFile"), text));

    EXPECT_TRUE(Field("editInputFile").text().isEmpty());
    EXPECT_EQ(fake_reader::CallCount("CST_OpenProject"), 0);
}

TEST_F(DialogWindowTest, BrowseButtonsOfferTheirFileFilters) {
    const std::string project = temp / "browsed.cst";
    test_files::WriteText(project, "\n");
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

TEST_F(DialogWindowTest, EachPathFieldOpensItsChooserByKeyInTheFoldersOfItsPath) {
    const std::string folder = temp / "outputs";
    std::filesystem::create_directories(temp.path() / "outputs");
    FillForPotentialsExport(folder + "/run.efm");
    for (const char* name : {"editInputFile", "editMaterialFile", "editOutputFile"}) {
        for (const QKeySequence& key : BrenwickWindow::ChooserKeys())
            EXPECT_TRUE(Field(name).toolTip().contains(key.toString(QKeySequence::NativeText))) << name;
    }
    for (const QKeySequence& key : BrenwickWindow::ChooserKeys()) {
        SCOPED_TRACE(key.toString().toStdString());
        ShowActive();
        Field("editOutputFile").setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Field("editOutputFile").hasFocus(); }));
        QString opened_in;
        WhenModalOpens([&](QWidget& modal) {
            auto& chooser = dynamic_cast<QFileDialog&>(modal);
            opened_in = chooser.directory().absolutePath();
            chooser.reject();
        });
        QTest::keySequence(&Field("editOutputFile"), key);
        EXPECT_EQ(QDir::toNativeSeparators(opened_in).toStdString(), folder);
        EXPECT_EQ(Field("editOutputFile").text().toStdString(), folder + "/run.efm");
    }
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
    QTest::mouseClick(&Button("btnClose"), Qt::LeftButton);
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
        EXPECT_EQ(about.findChild<QLabel*>("labelVersion")->text(),
                  QStringLiteral("Brenwick, Version " BRENWICK_VERSION_SHORT));
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
