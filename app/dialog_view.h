// What the dialog's handler logic needs from the window: the texts, enabled states, check
// states and the focus of its controls, the file choosers, settings kept between runs, the wait
// cursor, work away from the user-interface thread, the progress and the preview of an export,
// and the end of the dialog. The window toolkit implements it; the tests implement it with a
// recording fake.
#ifndef BRENWICK_DIALOG_VIEW_H
#define BRENWICK_DIALOG_VIEW_H

#include <functional>
#include <optional>
#include <string>

namespace brenwick {

// The controls the handlers touch, under their dialog control ids.
enum class ControlId : int {
    InputFile = 1000,
    UseDensity = 1001,
    OutputFile = 1002,
    OnlyPotentials = 1003,
    WriteProperty = 1006,
    Status = 1008,
    Export = 1009,
    MaterialFile = 1010,
    PotentialName = 1017,
    CancelExport = 1018,
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // The full current text of a field or label, possibly empty.
    virtual std::string GetItemText(ControlId id) const = 0;
    // Setting the text of an edit field notifies that field's change at once, inside the call,
    // exactly as a user edit does (also when the text stays the same).
    virtual void SetItemText(ControlId id, const std::string& text) = 0;
    // A disabled field takes no input and so raises no change from the user.
    virtual void EnableItem(ControlId id, bool enabled) = 0;
    virtual bool IsEnabled(ControlId id) const = 0;
    virtual bool IsChecked(ControlId id) const = 0;
    // The control that has the keyboard focus, when it is one of the controls above.
    virtual std::optional<ControlId> FocusedItem() const = 0;
    virtual void SetFocus(ControlId id) = 0;

    // Shows the file chooser of a path field (project, material or output file) opened at
    // `start`, a folder or a file in it (empty: the toolkit's choice), and returns the chosen
    // path, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFile(ControlId field, const std::string& start) = 0;
    // A text kept between runs of the program, empty when none was stored under `key`.
    virtual std::string Setting(const std::string& key) const = 0;
    virtual void StoreSetting(const std::string& key, const std::string& value) = 0;

    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Runs `work` on another thread while the window keeps repainting and taking input, then
    // `finished` on the user-interface thread. One piece of work at a time.
    virtual void RunInBackground(std::function<void()> work, std::function<void()> finished) = 0;
    // Callable from any thread: runs `task` on the user-interface thread soon after, in the
    // order of the calls and before the `finished` of work that posts it.
    virtual void PostToUserInterface(std::function<void()> task) = 0;
    // Blocks until the running work, if any, has returned; its `finished` is then never run.
    virtual void WaitForBackgroundWork() = 0;

    // How far an export has come: `done` of `total` parts and the stage under way; a total of
    // 0 hides the display.
    virtual void ShowProgress(int done, int total, const std::string& step) = 0;
    // Shows slices of the export file at `path`; ClearPreview takes them away.
    virtual void ShowPreview(const std::string& path) = 0;
    virtual void ClearPreview() = 0;

    // Ends the dialog with the cancel result.
    virtual void EndDialog() = 0;
};

}  // namespace brenwick

#endif
