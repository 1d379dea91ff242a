#include "about_dlg.h"

#include "brenwick_version.h"
#include "ui_about_dlg.h"

CAboutDlg::CAboutDlg(QWidget* parent, const QString& reader) : QDialog(parent), ui_(std::make_unique<Ui::AboutDlg>()) {
    ui_->setupUi(this);
    ui_->labelVersion->setText(QStringLiteral("Brenwick, Version " BRENWICK_VERSION_SHORT));
    ui_->labelReader->setText(reader);
    ui_->labelReader->setVisible(!reader.isEmpty());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

CAboutDlg::~CAboutDlg() = default;
