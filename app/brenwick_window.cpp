#include "brenwick_window.h"

#include "about_dlg.h"
#include "local_file_drop.h"
#include "platform.h"
#include "ui_brenwick_window.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QSignalBlocker>

namespace brenwick {

namespace {

// Paths and messages cross to the engine as narrow strings in the system's code page.
std::string ToNarrow(const QString& text) { return text.toLocal8Bit().toStdString(); }
QString FromNarrow(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CBrenwickWindow::CBrenwickWindow(DialogReader reader, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::BrenwickWindow>()), m_dlg(*this, std::move(reader)) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
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
        {ControlId::Status, m_ui->staticStatus},
        {ControlId::Export, m_ui->btnExport},
        {ControlId::MaterialFile, m_ui->editMaterialFile},
        {ControlId::PotentialName, m_ui->editPotentialName},
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
    if (const auto* label = qobject_cast<QLabel*>(control)) return ToNarrow(label->text());
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
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(FromNarrow(text));
    }
}

void CBrenwickWindow::EnableItem(ControlId id, bool enabled) {
    m_controls.at(id)->setEnabled(enabled);
    if (const auto browse = m_browseButtons.find(id); browse != m_browseButtons.end())
        browse->second->setEnabled(enabled);
}

bool CBrenwickWindow::IsChecked(ControlId id) const {
    const auto* box = qobject_cast<QAbstractButton*>(m_controls.at(id));
    return box != nullptr && box->isChecked();
}

void CBrenwickWindow::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void CBrenwickWindow::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

void CBrenwickWindow::EndDialog() { QDialog::reject(); }

void CBrenwickWindow::reject() { m_dlg.OnBnClickedClose(); }

}  // namespace brenwick
