// The main dialog window: the widgets of the dialog layout, wired to the handler logic of
// CBrenwickDlg, for which it is the view.
#ifndef BRENWICK_BRENWICK_WINDOW_H
#define BRENWICK_BRENWICK_WINDOW_H

#include "brenwick_dlg.h"
#include "dialog_view.h"

#include <QDialog>

#include <map>
#include <memory>

class QLineEdit;
class QToolButton;

namespace Ui {
class BrenwickWindow;
}

namespace brenwick {

class CBrenwickWindow : public QDialog, public DialogView {
public:
    explicit CBrenwickWindow(DialogReader reader = {}, QWidget* parent = nullptr);
    ~CBrenwickWindow() override;

    const CBrenwickDlg& Logic() const { return m_dlg; }

    std::string GetItemText(ControlId id) const override;
    void SetItemText(ControlId id, const std::string& text) override;
    void EnableItem(ControlId id, bool enabled) override;
    bool IsChecked(ControlId id) const override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void EndDialog() override;

    // Escape and the close box come here; they act as "Close".
    void reject() override;

private:
    void MapControls();
    void ConnectFields();
    void ConnectBrowseButtons();
    void ConnectButtons();
    void PutPath(ControlId id, const QString& path);
    void ShowAbout();

    std::unique_ptr<Ui::BrenwickWindow> m_ui;
    std::map<ControlId, QWidget*> m_controls;
    std::map<ControlId, QToolButton*> m_browseButtons;
    CBrenwickDlg m_dlg;
};

}  // namespace brenwick

#endif
