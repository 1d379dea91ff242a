// What the dialog's handler logic needs from the window: the texts, enabled states and check
// states of its controls, the wait cursor and the end of the dialog. The window toolkit
// implements it; the tests implement it with a recording fake.
#ifndef BRENWICK_DIALOG_VIEW_H
#define BRENWICK_DIALOG_VIEW_H

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
    virtual bool IsChecked(ControlId id) const = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Ends the dialog with the cancel result.
    virtual void EndDialog() = 0;
};

}  // namespace brenwick

#endif
