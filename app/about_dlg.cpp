#include "about_dlg.h"

#include "brenwick_version.h"
#include "ui_about_dlg.h"

CAboutDlg::CAboutDlg(QWidget* parent, const QString& reader) : QDialog(parent), m_ui(std::make_unique<Ui::AboutDlg>()) {
    m_ui->setupUi(this);
    m_ui->labelVersion->setText(QStringLiteral("Brenwick, Version " BRENWICK_VERSION_SHORT));
    m_ui->labelReader->setText(reader);
    m_ui->labelReader->setVisible(!reader.isEmpty());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

CAboutDlg::~CAboutDlg() = default;
