#include "brenwick_window.h"

#include "about_dlg.h"
#include "local_file_drop.h"
#include "platform.h"
#include "tool_tip.h"
#include "ui_brenwick_window.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>

namespace brenwick {

namespace {

// Paths and messages cross to the engine as narrow strings in the system's code page.
std::string ToNarrow(const QString& text) { return text.toLocal8Bit().toStdString(); }
QString FromNarrow(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// Wide enough for the materials and the potential side by side at a readable size, and tall
// enough for the picture of a plane about as wide as high.
constexpr int kWidthWithPreview = 900;
constexpr int kPreviewExtraHeight = 200;

}  // namespace

CBrenwickWindow::CBrenwickWindow(DialogReader reader, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::BrenwickWindow>()), m_dlg(*this, std::move(reader)) {
    m_ui->setupUi(this);
    m_preview = std::make_unique<SlicePreview>(SlicePreview::Controls{
        m_ui->groupPreview, m_ui->comboSliceAxis, m_ui->sliderSlicePlane, m_ui->labelSlicePicture});
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    for (QWidget* box : {m_ui->checkOnlyPotentials, m_ui->checkUseDensity, m_ui->checkWriteProperty})
        WrapToolTip(*box);
    MapControls();
    ConnectFields();
    ConnectBrowseButtons();
    ConnectButtons();
    AcceptLocalFileDrops(*m_ui->editInputFile, [this](const QString& path) { PutPath(ControlId::InputFile, path); });
    AcceptLocalFileDrops(*m_ui->editOutputFile, [this](const QString& path) { PutPath(ControlId::OutputFile, path); });
    connect(m_ui->actionAbout, &QAction::triggered, this, &CBrenwickWindow::ShowAbout);
    AddAboutToSystemMenu(*this, m_ui->actionAbout->text(), [this] { ShowAbout(); });
    m_dlg.OnInitDialog();
}

CBrenwickWindow::~CBrenwickWindow() = default;

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

void CBrenwickWindow::ConnectBrowseButtons() {
    connect(m_ui->browseInputFile, &QToolButton::clicked, this, [this] {
        PutPath(ControlId::InputFile,
                QFileDialog::getOpenFileName(this, QString(), m_ui->editInputFile->text(), "CST files (*.cst)"));
    });
    connect(m_ui->browseMaterialFile, &QToolButton::clicked, this, [this] {
        PutPath(ControlId::MaterialFile, QFileDialog::getOpenFileName(this, QString(), m_ui->editMaterialFile->text(),
                                                                      "Material file (*.xml)"));
    });
    connect(m_ui->browseOutputFile, &QToolButton::clicked, this, [this] {
        PutPath(ControlId::OutputFile, QFileDialog::getSaveFileName(this, QString(), m_ui->editOutputFile->text()));
    });
}

void CBrenwickWindow::ConnectButtons() {
    connect(m_ui->btnExport, &QPushButton::clicked, this, [this] { m_dlg.OnBnClickedExport(); });
    connect(m_ui->btnClose, &QPushButton::clicked, this, [this] { m_dlg.OnBnClickedClose(); });
    connect(m_ui->btnCancel, &QPushButton::clicked, this, [this] { m_dlg.OnBnClickedCancel(); });
}

// A chosen or dropped file becomes the field's text; an empty path means the choice was cancelled.
void CBrenwickWindow::PutPath(ControlId id, const QString& path) {
    if (!path.isEmpty()) SetItemText(id, ToNarrow(QDir::toNativeSeparators(path)));
}

void CBrenwickWindow::ShowAbout() {
    CAboutDlg about(this, FromNarrow(m_dlg.ReaderDescription()));
    about.exec();
}

std::string CBrenwickWindow::GetItemText(ControlId id) const {
    QWidget* control = m_controls.at(id);
    if (const auto* edit = qobject_cast<QLineEdit*>(control)) return ToNarrow(edit->text());
    if (const auto* text = qobject_cast<QPlainTextEdit*>(control)) return ToNarrow(text->toPlainText());
    return {};
}

void CBrenwickWindow::SetItemText(ControlId id, const std::string& text) {
    QWidget* control = m_controls.at(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        // textChanged stays silent when the text is unchanged; the field notifies every time.
        {
            const QSignalBlocker quiet(edit);
            edit->setText(FromNarrow(text));
        }
        m_dlg.OnEnChange(id);
    } else if (auto* status = qobject_cast<QPlainTextEdit*>(control)) {
        status->setPlainText(FromNarrow(text));
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
    m_ui->progressExport->setFormat(FromNarrow(step).replace('%', "%%"));
}

void CBrenwickWindow::ShowPreview(const std::string& path) {
    m_ui->groupPreview->show();
    GrowToHoldPreview();
    m_preview->Show(FromNarrow(path));
}

void CBrenwickWindow::ClearPreview() { m_preview->Clear(); }

// The window grows to give the preview room, within the screen; a size the user chose that
// already holds it stays.
void CBrenwickWindow::GrowToHoldPreview() {
    layout()->activate();
    const QSize wanted(kWidthWithPreview, minimumSizeHint().height() + kPreviewExtraHeight);
    QSize grown = size().expandedTo(wanted);
    if (const QScreen* display = screen()) grown = grown.boundedTo(display->availableGeometry().size());
    resize(grown.expandedTo(minimumSizeHint()));
}

void CBrenwickWindow::EndDialog() { QDialog::reject(); }

void CBrenwickWindow::reject() { m_dlg.OnBnClickedClose(); }

}  // namespace brenwick
