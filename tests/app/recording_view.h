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
    void Attach(CBrenwickDlg& dialog) { dialog_ = &dialog; }

    // What the user can do: replace a field's text, type a text one key at a time into it,
    // set a check box. Input into a disabled field is a test failure.
    void Type(ControlId id, const std::string& text);
    void TypeKeyByKey(ControlId id, const std::string& keys);
    void Tick(ControlId id, bool ticked) { checked_[id] = ticked; }
    // The user puts the focus on a control the logic does not know, such as Close.
    void FocusElsewhere() { focus_.reset(); }
    // What the next file chooser returns: a path, or nothing for a cancelled choice.
    void AnswerChooser(std::optional<std::string> answer) { chooser_answer_ = std::move(answer); }

    // Runs the pending background work as the worker would, then what it posted and its
    // `finished`, as the user-interface thread would. A test failure when none is pending.
    void FinishBackgroundWork();
    bool BackgroundWorkPending() const { return static_cast<bool>(work_); }

    bool Enabled(ControlId id) const { return enabled_.at(id); }
    std::string Status() const { return texts_.at(ControlId::Status); }
    // Every status text shown, in order.
    const std::vector<std::string>& Statuses() const { return statuses_; }
    // Every view operation, in order, e.g. "enable 1010 on", "text 1017 name", "wait begin",
    // "progress 500/1000 reading the potential", "preview /tmp/out.efm", "preview clear",
    // "focus 1009", "choose 1000 at /data", "setting folders/any /data".
    const std::vector<std::string>& Log() const { return log_; }
    bool Ended() const { return ended_; }
    int WaitDepth() const { return wait_depth_; }

    std::string GetItemText(ControlId id) const override { return texts_.at(id); }
    void SetItemText(ControlId id, const std::string& text) override;
    void EnableItem(ControlId id, bool enabled) override;
    bool IsEnabled(ControlId id) const override { return enabled_.at(id); }
    bool IsChecked(ControlId id) const override { return checked_.at(id); }
    std::optional<ControlId> FocusedItem() const override { return focus_; }
    void SetFocus(ControlId id) override;
    std::optional<std::string> ChooseFile(ControlId field, const std::string& start) override;
    std::string Setting(const std::string& key) const override;
    void StoreSetting(const std::string& key, const std::string& value) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void RunInBackground(std::function<void()> work, std::function<void()> finished) override;
    void PostToUserInterface(std::function<void()> task) override { posted_.push_back(std::move(task)); }
    void WaitForBackgroundWork() override;
    void ShowProgress(int done, int total, const std::string& step) override;
    void ShowPreview(const std::string& path) override { log_.push_back("preview " + path); }
    void ClearPreview() override { log_.emplace_back("preview clear"); }
    void EndDialog() override;

private:
    void Notify(ControlId id);
    void RunPosted();

    CBrenwickDlg* dialog_ = nullptr;
    std::map<ControlId, std::string> texts_;
    std::map<ControlId, bool> enabled_;
    std::map<ControlId, bool> checked_;
    std::optional<ControlId> focus_ = ControlId::Export;  // the tests press Export, which takes the focus
    std::optional<std::string> chooser_answer_;
    std::map<std::string, std::string> settings_;
    std::vector<std::string> statuses_;
    std::vector<std::string> log_;
    std::function<void()> work_;
    std::function<void()> finished_;
    std::deque<std::function<void()>> posted_;
    bool ended_ = false;
    int wait_depth_ = 0;
};

}  // namespace brenwick

#endif
