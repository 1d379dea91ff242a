// A DialogView without widgets: holds the texts, enabled states and check states of the
// dialog's controls as the dialog starts with them, records every view operation, and passes
// the change of an edit field's text to the dialog logic at once, as the window does. Work
// for the background waits until the test runs it, so that a test decides what happens
// while an export runs.
#ifndef BRENWICK_TESTS_RECORDING_VIEW_H
#define BRENWICK_TESTS_RECORDING_VIEW_H

#include "app/brenwick_dlg.h"
#include "app/dialog_view.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
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
    // The user puts the focus on a control the logic does not know, such as Close.
    void FocusElsewhere() { m_focus.reset(); }
    // What the next file chooser returns: a path, or nothing for a cancelled choice.
    void AnswerChooser(std::optional<std::string> answer) { m_chooser_answer = std::move(answer); }

    // Runs the pending background work as the worker would, then what it posted and its
    // `finished`, as the user-interface thread would. A test failure when none is pending.
    void FinishBackgroundWork();
    bool BackgroundWorkPending() const { return static_cast<bool>(m_work); }

    bool Enabled(ControlId id) const { return m_enabled.at(id); }
    std::string Status() const { return m_texts.at(ControlId::Status); }
    // Every status text shown, in order.
    const std::vector<std::string>& Statuses() const { return m_statuses; }
    // Every view operation, in order, e.g. "enable 1010 on", "text 1017 name", "wait begin",
    // "progress 500/1000 reading the potential", "preview /tmp/out.efm", "preview clear",
    // "focus 1009", "choose 1000 at /data", "setting folders/any /data".
    const std::vector<std::string>& Log() const { return m_log; }
    bool Ended() const { return m_ended; }
    int WaitDepth() const { return m_wait_depth; }

    std::string GetItemText(ControlId id) const override { return m_texts.at(id); }
    void SetItemText(ControlId id, const std::string& text) override;
    void EnableItem(ControlId id, bool enabled) override;
    bool IsEnabled(ControlId id) const override { return m_enabled.at(id); }
    bool IsChecked(ControlId id) const override { return m_checked.at(id); }
    std::optional<ControlId> FocusedItem() const override { return m_focus; }
    void SetFocus(ControlId id) override;
    std::optional<std::string> ChooseFile(ControlId field, const std::string& start) override;
    std::string Setting(const std::string& key) const override;
    void StoreSetting(const std::string& key, const std::string& value) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void RunInBackground(std::function<void()> work, std::function<void()> finished) override;
    void PostToUserInterface(std::function<void()> task) override { m_posted.push_back(std::move(task)); }
    void WaitForBackgroundWork() override;
    void ShowProgress(int done, int total, const std::string& step) override;
    void ShowPreview(const std::string& path) override { m_log.push_back("preview " + path); }
    void ClearPreview() override { m_log.emplace_back("preview clear"); }
    void EndDialog() override;

private:
    void Notify(ControlId id);
    void RunPosted();

    CBrenwickDlg* m_dialog = nullptr;
    std::map<ControlId, std::string> m_texts;
    std::map<ControlId, bool> m_enabled;
    std::map<ControlId, bool> m_checked;
    std::optional<ControlId> m_focus = ControlId::Export;  // the tests press Export, which takes the focus
    std::optional<std::string> m_chooser_answer;
    std::map<std::string, std::string> m_settings;
    std::vector<std::string> m_statuses;
    std::vector<std::string> m_log;
    std::function<void()> m_work;
    std::function<void()> m_finished;
    std::deque<std::function<void()>> m_posted;
    bool m_ended = false;
    int m_wait_depth = 0;
};

}  // namespace brenwick

#endif
