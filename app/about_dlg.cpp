#include "about_dlg.h"

#include "brenwick_version.h"
#include "ui_about_dlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::AboutDlg>()) {
    m_ui->setupUi(this);
    m_ui->labelVersion->setText(QStringLiteral("Brenwick, Version " BRENWICK_VERSION_SHORT));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

CAboutDlg::~CAboutDlg() = default;
