// The About box: program name and version beside the About picture, closed with OK or Escape.
#ifndef BRENWICK_ABOUT_DLG_H
#define BRENWICK_ABOUT_DLG_H

#include <QDialog>

#include <memory>

namespace Ui {
class AboutDlg;
}

class CAboutDlg : public QDialog {
public:
    // `reader` names the result reader in use and its version (or why it cannot be used).
    explicit CAboutDlg(QWidget* parent = nullptr, const QString& reader = {});
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui::AboutDlg> ui_;
};

#endif
