#include "brenwick_window.h"

#include "about_dlg.h"
#include "desktop_integration.h"
#include "engine_text.h"
#include "local_file_drop.h"
#include "tool_tip.h"
#include "ui_brenwick_window.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>

#include <algorithm>
#include <optional>

namespace brenwick {

namespace {

// About what window systems add around a window: its borders and title bar.
constexpr QSize kFrame{16, 40};

// The folders the file choosers remember, kept between runs.
QSettings Settings() { return QSettings(QStringLiteral("Brenwick"), QStringLiteral("Brenwick")); }

}  // namespace

BrenwickWindow::BrenwickWindow(DialogReader reader, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::BrenwickWindow>()), dlg_(*this, std::move(reader)) {
    ui_->setupUi(this);
    preview_ = std::make_unique<SlicePreview>(SlicePreview::Controls{ui_->comboSliceAxis, ui_->sliderSlicePlane,
                                                                     ui_->labelSlicePicture, ui_->labelPreviewTitle});
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    for (QWidget* box : {ui_->checkOnlyPotentials, ui_->checkUseDensity, ui_->checkWriteProperty}) WrapToolTip(*box);
    // The progress keeps its room while hidden, so that the layout does not move when it shows.
    QSizePolicy progress_room = ui_->rowProgress->sizePolicy();
    progress_room.setRetainSizeWhenHidden(true);
    ui_->rowProgress->setSizePolicy(progress_room);
    FitOnScreen();
    MapControls();
    ConnectFields();
    ConnectChoosers();
    ConnectButtons();
    AcceptLocalFileDrops(*ui_->editInputFile, [this](const QString& path) { PutPath(ControlId::InputFile, path); });
    AcceptLocalFileDrops(*ui_->editOutputFile, [this](const QString& path) { PutPath(ControlId::OutputFile, path); });
    connect(ui_->actionAbout, &QAction::triggered, this, &BrenwickWindow::ShowAbout);
    AddAboutToSystemMenu(*this, ui_->actionAbout->text(), [this] { ShowAbout(); });
    dlg_.OnInitDialog();
}

BrenwickWindow::~BrenwickWindow() = default;

// The window opens at the size its layout gives it, which leaves the preview room for
// readable plots, unless the screen is smaller: then the controls scroll above the preview.
// They are never narrower than they need to be, and the splitter gives them the height they
// need before the preview gets the rest.
void BrenwickWindow::FitOnScreen() {
    const QWidget& controls = *ui_->controls;
    QScrollArea& scroll = *ui_->scrollControls;
    scroll.setMinimumWidth(controls.minimumSizeHint().width() + scroll.verticalScrollBar()->sizeHint().width());
    if (const QScreen* shown_on = screen()) resize(size().boundedTo(shown_on->availableGeometry().size() - kFrame));
    ui_->splitterPreview->setSizes({controls.minimumSizeHint().height(), height()});
}

void BrenwickWindow::MapControls() {
    controls_ = {
        {ControlId::InputFile, ui_->editInputFile},
        {ControlId::UseDensity, ui_->checkUseDensity},
        {ControlId::OutputFile, ui_->editOutputFile},
        {ControlId::OnlyPotentials, ui_->checkOnlyPotentials},
        {ControlId::WriteProperty, ui_->checkWriteProperty},
        {ControlId::Status, ui_->textStatus},
        {ControlId::Export, ui_->btnExport},
        {ControlId::MaterialFile, ui_->editMaterialFile},
        {ControlId::PotentialName, ui_->editPotentialName},
        {ControlId::CancelExport, ui_->btnCancel},
    };
    browse_buttons_ = {
        {ControlId::InputFile, ui_->browseInputFile},
        {ControlId::MaterialFile, ui_->browseMaterialFile},
        {ControlId::OutputFile, ui_->browseOutputFile},
    };
}

void BrenwickWindow::ConnectFields() {
    for (const ControlId id :
         {ControlId::InputFile, ControlId::OutputFile, ControlId::MaterialFile, ControlId::PotentialName}) {
        connect(static_cast<QLineEdit*>(controls_.at(id)), &QLineEdit::textChanged, this,
                [this, id] { dlg_.OnEnChange(id); });
    }
}

QList<QKeySequence> BrenwickWindow::ChooserKeys() {
    return {QKeySequence(Qt::ALT | Qt::Key_Down), QKeySequence(Qt::Key_F4)};
}

// The browse buttons take no focus, so that the tab order stays that of the fields; the keys
// of each field open its chooser instead, as in other desktop programs, and its tip names them.
void BrenwickWindow::ConnectChoosers() {
    QStringList names;
    for (const QKeySequence& key : ChooserKeys()) names << key.toString(QKeySequence::NativeText);
    const QString tip = QStringLiteral("%1 opens the file chooser.").arg(names.join(QStringLiteral(" or ")));
    for (const auto& [id, button] : browse_buttons_) {
        const ControlId field = id;
        connect(button, &QToolButton::clicked, this, [this, field] { dlg_.OnBrowse(field); });
        QWidget* edit = controls_.at(field);
        edit->setToolTip(tip);
        for (const QKeySequence& key : ChooserKeys()) {
            auto* shortcut = new QShortcut(key, edit);
            shortcut->setContext(Qt::WidgetShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, field] { dlg_.OnBrowse(field); });
        }
    }
}

std::optional<std::string> BrenwickWindow::ChooseFile(ControlId field, const std::string& start) {
    const QString from = QtText(start);
    QString path;
    switch (field) {
    case ControlId::InputFile:
        path = QFileDialog::getOpenFileName(this, QString(), from, QStringLiteral("CST files (*.cst)"));
        break;
    case ControlId::MaterialFile:
        path = QFileDialog::getOpenFileName(this, QString(), from, QStringLiteral("Material file (*.xml)"));
        break;
    default: path = QFileDialog::getSaveFileName(this, QString(), from); break;
    }
    if (path.isEmpty()) return std::nullopt;
    return EngineText(QDir::toNativeSeparators(path));
}

std::string BrenwickWindow::Setting(const std::string& key) const {
    return EngineText(Settings().value(QtText(key)).toString());
}

void BrenwickWindow::StoreSetting(const std::string& key, const std::string& value) {
    Settings().setValue(QtText(key), QtText(value));
}

void BrenwickWindow::ConnectButtons() {
    connect(ui_->btnExport, &QPushButton::clicked, this, [this] { dlg_.OnBnClickedExport(); });
    connect(ui_->btnClose, &QPushButton::clicked, this, [this] { dlg_.OnBnClickedClose(); });
    connect(ui_->btnCancel, &QPushButton::clicked, this, [this] { dlg_.OnBnClickedCancel(); });
}

// A chosen or dropped file becomes the field's text; an empty path means the choice was cancelled.
void BrenwickWindow::PutPath(ControlId id, const QString& path) {
    if (!path.isEmpty()) SetItemText(id, EngineText(QDir::toNativeSeparators(path)));
}

void BrenwickWindow::ShowAbout() {
    CAboutDlg about(this, QtText(dlg_.ReaderDescription()));
    about.exec();
}

std::string BrenwickWindow::GetItemText(ControlId id) const {
    QWidget* control = controls_.at(id);
    if (const auto* edit = qobject_cast<QLineEdit*>(control)) return EngineText(edit->text());
    if (const auto* text = qobject_cast<QPlainTextEdit*>(control)) return EngineText(text->toPlainText());
    return {};
}

void BrenwickWindow::SetItemText(ControlId id, const std::string& text) {
    QWidget* control = controls_.at(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        // textChanged stays silent when the text is unchanged; the field notifies every time.
        {
            const QSignalBlocker quiet(edit);
            edit->setText(QtText(text));
        }
        dlg_.OnEnChange(id);
    } else if (auto* status = qobject_cast<QPlainTextEdit*>(control)) {
        status->setPlainText(QtText(text));
    }
}

void BrenwickWindow::EnableItem(ControlId id, bool enabled) {
    controls_.at(id)->setEnabled(enabled);
    if (const auto browse = browse_buttons_.find(id); browse != browse_buttons_.end())
        browse->second->setEnabled(enabled);
}

bool BrenwickWindow::IsEnabled(ControlId id) const { return controls_.at(id)->isEnabled(); }

bool BrenwickWindow::IsChecked(ControlId id) const {
    const auto* box = qobject_cast<QAbstractButton*>(controls_.at(id));
    return box != nullptr && box->isChecked();
}

std::optional<ControlId> BrenwickWindow::FocusedItem() const {
    const QWidget* focus = QApplication::focusWidget();
    for (const auto& [id, control] : controls_)
        if (control == focus) return id;
    return std::nullopt;
}

void BrenwickWindow::SetFocus(ControlId id) { controls_.at(id)->setFocus(Qt::OtherFocusReason); }

void BrenwickWindow::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void BrenwickWindow::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

void BrenwickWindow::RunInBackground(std::function<void()> work, std::function<void()> finished) {
    work_.Start(std::move(work), std::move(finished));
}

// Queued also from this thread, so a task never runs inside the call that posts it; a task
// still queued when the window goes is dropped with it.
void BrenwickWindow::PostToUserInterface(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void BrenwickWindow::WaitForBackgroundWork() { work_.Wait(); }

void BrenwickWindow::ShowProgress(int done, int total, const std::string& step) {
    ui_->rowProgress->setVisible(total > 0);
    ui_->progressExport->setRange(0, std::max(total, 1));
    ui_->progressExport->setValue(done);
    // The bar's format gives % a meaning of its own.
    ui_->progressExport->setFormat(QtText(step).replace('%', "%%"));
}

void BrenwickWindow::ShowPreview(const std::string& path) { preview_->Show(QtText(path)); }

void BrenwickWindow::ClearPreview() { preview_->Clear(); }

void BrenwickWindow::EndDialog() { QDialog::reject(); }

void BrenwickWindow::reject() { dlg_.OnBnClickedClose(); }

}  // namespace brenwick
