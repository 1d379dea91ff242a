// A DialogView without widgets: holds the texts, enabled states and check states of the
// dialog's controls as the dialog starts with them, records every view operation, and passes
// the change of an edit field's text to the dialog logic at once, as the window does.
#ifndef BRENWICK_TESTS_RECORDING_VIEW_H
#define BRENWICK_TESTS_RECORDING_VIEW_H

#include "brenwick_dlg.h"
#include "dialog_view.h"

#include <map>
#include <string>
#include <vector>

namespace brenwick {

class RecordingView : public DialogView {
public:
    RecordingView();

    // The logic that receives the change notifications.
    void Attach(CBrenwickDlg& dialog) { m_dialog = &dialog; }

    // What the user can do: replace a field's text, type a text one key at a time into it,
    // set a check box. Input into a disabled field is a test failure.
    void Type(ControlId id, const std::string& text);
    void TypeKeyByKey(ControlId id, const std::string& keys);
    void Tick(ControlId id, bool ticked) { m_checked[id] = ticked; }

    bool Enabled(ControlId id) const { return m_enabled.at(id); }
    std::string Status() const { return m_texts.at(ControlId::Status); }
    // Every status text shown, in order.
    const std::vector<std::string>& Statuses() const { return m_statuses; }
    // Every view operation, in order, e.g. "enable 1010 on", "text 1017 name", "wait begin".
    const std::vector<std::string>& Log() const { return m_log; }
    bool Ended() const { return m_ended; }
    int WaitDepth() const { return m_wait_depth; }

    std::string GetItemText(ControlId id) const override { return m_texts.at(id); }
    void SetItemText(ControlId id, const std::string& text) override;
    void EnableItem(ControlId id, bool enabled) override;
    bool IsChecked(ControlId id) const override { return m_checked.at(id); }
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void EndDialog() override;

private:
    void Notify(ControlId id);

    CBrenwickDlg* m_dialog = nullptr;
    std::map<ControlId, std::string> m_texts;
    std::map<ControlId, bool> m_enabled;
    std::map<ControlId, bool> m_checked;
    std::vector<std::string> m_statuses;
    std::vector<std::string> m_log;
    bool m_ended = false;
    int m_wait_depth = 0;
};

}  // namespace brenwick

#endif
