// The main dialog window: the widgets of the dialog layout, wired to the handler logic of
// CBrenwickDlg, for which it is the view. Exports run on a worker of Qt's pool, and the
// preview below the controls shows the slices of a written file; it keeps its place while
// there is none, so that the window never changes its size by itself. A splitter between the
// controls and the preview lets the preview grow while the controls scroll, which they also
// do on a screen too small for the whole window.
#ifndef BRENWICK_BRENWICK_WINDOW_H
#define BRENWICK_BRENWICK_WINDOW_H

#include "background_work.h"
#include "brenwick_dlg.h"
#include "dialog_view.h"
#include "slice_preview.h"

#include <QDialog>
#include <QKeySequence>
#include <QList>

#include <map>
#include <memory>

class QToolButton;

namespace Ui {
class BrenwickWindow;
}

namespace brenwick {

class BrenwickWindow : public QDialog, public DialogView {
public:
    explicit BrenwickWindow(DialogReader reader = {}, QWidget* parent = nullptr);
    ~BrenwickWindow() override;

    const CBrenwickDlg& Logic() const { return dlg_; }

    std::string GetItemText(ControlId id) const override;
    void SetItemText(ControlId id, const std::string& text) override;
    void EnableItem(ControlId id, bool enabled) override;
    bool IsEnabled(ControlId id) const override;
    bool IsChecked(ControlId id) const override;
    std::optional<ControlId> FocusedItem() const override;
    void SetFocus(ControlId id) override;
    std::optional<std::string> ChooseFile(ControlId field, const std::string& start) override;
    std::string Setting(const std::string& key) const override;
    void StoreSetting(const std::string& key, const std::string& value) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void RunInBackground(std::function<void()> work, std::function<void()> finished) override;
    void PostToUserInterface(std::function<void()> task) override;
    void WaitForBackgroundWork() override;
    void ShowProgress(int done, int total, const std::string& step) override;
    void ShowPreview(const std::string& path) override;
    void ClearPreview() override;
    void EndDialog() override;

    // Escape and the close box come here; they act as "Close". While an export stops, the
    // window stays until its worker has ended.
    void reject() override;

    // The keys that open the file chooser of a path field.
    static QList<QKeySequence> ChooserKeys();

private:
    void FitOnScreen();
    void MapControls();
    void ConnectFields();
    void ConnectChoosers();
    void ConnectButtons();
    void PutPath(ControlId id, const QString& path);
    void ShowAbout();

    // Members go in reverse order, the logic first: it stops a running export and waits for
    // the worker through this view, so everything the view uses is declared before it.
    std::unique_ptr<Ui::BrenwickWindow> ui_;
    std::map<ControlId, QWidget*> controls_;
    std::map<ControlId, QToolButton*> browse_buttons_;
    BackgroundWork work_;
    std::unique_ptr<SlicePreview> preview_;
    CBrenwickDlg dlg_;
};

}  // namespace brenwick

#endif
