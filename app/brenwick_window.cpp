#include "brenwick_window.h"

#include "about_dlg.h"
#include "engine_text.h"
#include "local_file_drop.h"
#include "platform.h"
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

CBrenwickWindow::CBrenwickWindow(DialogReader reader, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::BrenwickWindow>()), m_dlg(*this, std::move(reader)) {
    m_ui->setupUi(this);
    m_preview = std::make_unique<SlicePreview>(SlicePreview::Controls{
        m_ui->comboSliceAxis, m_ui->sliderSlicePlane, m_ui->labelSlicePicture, m_ui->labelPreviewTitle});
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    for (QWidget* box : {m_ui->checkOnlyPotentials, m_ui->checkUseDensity, m_ui->checkWriteProperty}) WrapToolTip(*box);
    // The progress keeps its room while hidden, so that the layout does not move when it shows.
    QSizePolicy progress_room = m_ui->rowProgress->sizePolicy();
    progress_room.setRetainSizeWhenHidden(true);
    m_ui->rowProgress->setSizePolicy(progress_room);
    FitOnScreen();
    MapControls();
    ConnectFields();
    ConnectChoosers();
    ConnectButtons();
    AcceptLocalFileDrops(*m_ui->editInputFile, [this](const QString& path) { PutPath(ControlId::InputFile, path); });
    AcceptLocalFileDrops(*m_ui->editOutputFile, [this](const QString& path) { PutPath(ControlId::OutputFile, path); });
    connect(m_ui->actionAbout, &QAction::triggered, this, &CBrenwickWindow::ShowAbout);
    AddAboutToSystemMenu(*this, m_ui->actionAbout->text(), [this] { ShowAbout(); });
    m_dlg.OnInitDialog();
}

CBrenwickWindow::~CBrenwickWindow() = default;

// The window opens at the size its layout gives it, which leaves the preview room for
// readable plots, unless the screen is smaller: then the controls scroll above the preview.
// They are never narrower than they need to be, and the splitter gives them the height they
// need before the preview gets the rest.
void CBrenwickWindow::FitOnScreen() {
    const QWidget& controls = *m_ui->controls;
    QScrollArea& scroll = *m_ui->scrollControls;
    scroll.setMinimumWidth(controls.minimumSizeHint().width() + scroll.verticalScrollBar()->sizeHint().width());
    if (const QScreen* shown_on = screen()) resize(size().boundedTo(shown_on->availableGeometry().size() - kFrame));
    m_ui->splitterPreview->setSizes({controls.minimumSizeHint().height(), height()});
}

void CBrenwickWindow::MapControls() {
    m_controls = {
        {ControlId::InputFile, m_ui->editInputFile},
        {ControlId::UseDensity, m_ui->checkUseDensity},
        {ControlId::OutputFile, m_ui->editOutputFile},
        {ControlId::OnlyPotentials, m_ui->checkOnlyPotentials},
        {ControlId::WriteProperty, m_ui->checkWriteProperty},
        {ControlId::Status, m_ui->textStatus},
        {ControlId::Export, m_ui->btnExport},
        {ControlId::MaterialFile, m_ui->editMaterialFile},
        {ControlId::PotentialName, m_ui->editPotentialName},
        {ControlId::CancelExport, m_ui->btnCancel},
    };
    m_browseButtons = {
        {ControlId::InputFile, m_ui->browseInputFile},
        {ControlId::MaterialFile, m_ui->browseMaterialFile},
        {ControlId::OutputFile, m_ui->browseOutputFile},
    };
}

void CBrenwickWindow::ConnectFields() {
    for (const ControlId id :
         {ControlId::InputFile, ControlId::OutputFile, ControlId::MaterialFile, ControlId::PotentialName}) {
        connect(static_cast<QLineEdit*>(m_controls.at(id)), &QLineEdit::textChanged, this,
                [this, id] { m_dlg.OnEnChange(id); });
    }
}

QList<QKeySequence> CBrenwickWindow::ChooserKeys() {
    return {QKeySequence(Qt::ALT | Qt::Key_Down), QKeySequence(Qt::Key_F4)};
}

// The browse buttons take no focus, so that the tab order stays that of the fields; the keys
// of each field open its chooser instead, as in other desktop programs, and its tip names them.
void CBrenwickWindow::ConnectChoosers() {
    QStringList names;
    for (const QKeySequence& key : ChooserKeys()) names << key.toString(QKeySequence::NativeText);
    const QString tip = QStringLiteral("%1 opens the file chooser.").arg(names.join(QStringLiteral(" or ")));
    for (const auto& [id, button] : m_browseButtons) {
        const ControlId field = id;
        connect(button, &QToolButton::clicked, this, [this, field] { m_dlg.OnBrowse(field); });
        QWidget* edit = m_controls.at(field);
        edit->setToolTip(tip);
        for (const QKeySequence& key : ChooserKeys()) {
            auto* shortcut = new QShortcut(key, edit);
            shortcut->setContext(Qt::WidgetShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, field] { m_dlg.OnBrowse(field); });
        }
    }
}

std::optional<std::string> CBrenwickWindow::ChooseFile(ControlId field, const std::string& start) {
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

std::string CBrenwickWindow::Setting(const std::string& key) const {
    return EngineText(Settings().value(QtText(key)).toString());
}

void CBrenwickWindow::StoreSetting(const std::string& key, const std::string& value) {
    Settings().setValue(QtText(key), QtText(value));
}

void CBrenwickWindow::ConnectButtons() {
    connect(m_ui->btnExport, &QPushButton::clicked, this, [this] { m_dlg.OnBnClickedExport(); });
    connect(m_ui->btnClose, &QPushButton::clicked, this, [this] { m_dlg.OnBnClickedClose(); });
    connect(m_ui->btnCancel, &QPushButton::clicked, this, [this] { m_dlg.OnBnClickedCancel(); });
}

// A chosen or dropped file becomes the field's text; an empty path means the choice was cancelled.
void CBrenwickWindow::PutPath(ControlId id, const QString& path) {
    if (!path.isEmpty()) SetItemText(id, EngineText(QDir::toNativeSeparators(path)));
}

void CBrenwickWindow::ShowAbout() {
    CAboutDlg about(this, QtText(m_dlg.ReaderDescription()));
    about.exec();
}

std::string CBrenwickWindow::GetItemText(ControlId id) const {
    QWidget* control = m_controls.at(id);
    if (const auto* edit = qobject_cast<QLineEdit*>(control)) return EngineText(edit->text());
    if (const auto* text = qobject_cast<QPlainTextEdit*>(control)) return EngineText(text->toPlainText());
    return {};
}

void CBrenwickWindow::SetItemText(ControlId id, const std::string& text) {
    QWidget* control = m_controls.at(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        // textChanged stays silent when the text is unchanged; the field notifies every time.
        {
            const QSignalBlocker quiet(edit);
            edit->setText(QtText(text));
        }
        m_dlg.OnEnChange(id);
    } else if (auto* status = qobject_cast<QPlainTextEdit*>(control)) {
        status->setPlainText(QtText(text));
    }
}

void CBrenwickWindow::EnableItem(ControlId id, bool enabled) {
    m_controls.at(id)->setEnabled(enabled);
    if (const auto browse = m_browseButtons.find(id); browse != m_browseButtons.end())
        browse->second->setEnabled(enabled);
}

bool CBrenwickWindow::IsEnabled(ControlId id) const { return m_controls.at(id)->isEnabled(); }

bool CBrenwickWindow::IsChecked(ControlId id) const {
    const auto* box = qobject_cast<QAbstractButton*>(m_controls.at(id));
    return box != nullptr && box->isChecked();
}

std::optional<ControlId> CBrenwickWindow::FocusedItem() const {
    const QWidget* focus = QApplication::focusWidget();
    for (const auto& [id, control] : m_controls)
        if (control == focus) return id;
    return std::nullopt;
}

void CBrenwickWindow::SetFocus(ControlId id) { m_controls.at(id)->setFocus(Qt::OtherFocusReason); }

void CBrenwickWindow::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void CBrenwickWindow::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

void CBrenwickWindow::RunInBackground(std::function<void()> work, std::function<void()> finished) {
    m_work.Start(std::move(work), std::move(finished));
}

// Queued also from this thread, so a task never runs inside the call that posts it; a task
// still queued when the window goes is dropped with it.
void CBrenwickWindow::PostToUserInterface(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void CBrenwickWindow::WaitForBackgroundWork() { m_work.Wait(); }

void CBrenwickWindow::ShowProgress(int done, int total, const std::string& step) {
    m_ui->rowProgress->setVisible(total > 0);
    m_ui->progressExport->setRange(0, std::max(total, 1));
    m_ui->progressExport->setValue(done);
    // The bar's format gives % a meaning of its own.
    m_ui->progressExport->setFormat(QtText(step).replace('%', "%%"));
}

void CBrenwickWindow::ShowPreview(const std::string& path) { m_preview->Show(QtText(path)); }

void CBrenwickWindow::ClearPreview() { m_preview->Clear(); }

void CBrenwickWindow::EndDialog() { QDialog::reject(); }

void CBrenwickWindow::reject() { m_dlg.OnBnClickedClose(); }

}  // namespace brenwick
