// The main dialog's handler logic: owns at most one CST_Readout, hands it the user's inputs as
// the fields change and runs the export on a worker, during which only Cancel and Close act.
// It reaches the widgets only through DialogView, so it builds and runs without a window
// toolkit.
#ifndef BRENWICK_BRENWICK_DLG_H
#define BRENWICK_BRENWICK_DLG_H

#include "dialog_view.h"
#include "engine/reader/reader_functions.h"
#include "engine/readout.h"
#include "export_session.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace brenwick {

// The result reader the dialog opens projects with, or, when the one the user chose cannot be
// used, why not (the reader is then null).
struct DialogReader {
    std::shared_ptr<const ResultReader> reader = LinkedReader();
    std::string failure;
};

// The reader of the --reader option, BRENWICK_READER or the built-in one (see ChooseReader);
// a failure is kept for the dialog to show instead of ending the program.
DialogReader ChooseDialogReader(const std::optional<std::string>& option);

}  // namespace brenwick

class CBrenwickDlg {
public:
    explicit CBrenwickDlg(brenwick::DialogView& view, brenwick::DialogReader reader = {});
    // Stops a running export and waits for its worker, which uses the readout.
    ~CBrenwickDlg();

    // Once the window stands: a reader that cannot be used is named in the status line.
    void OnInitDialog();

    CBrenwickDlg(const CBrenwickDlg&) = delete;
    CBrenwickDlg& operator=(const CBrenwickDlg&) = delete;

    // Routes the change notification of an edit field to its handler; other ids are ignored.
    void OnEnChange(brenwick::ControlId id);

    void OnEnChangeInputFile();
    void OnEnChangeMaterialFile();
    void OnEnChangeOutputFile();
    void OnEnChangePotentialName();
    // Starts the export on the worker, to the path the enabled output field shows; the status
    // and the inputs follow once it has finished. When it cannot run, the status says why.
    void OnBnClickedExport();
    // Asks a running export to stop; it ends as a cancelled export and leaves the output as it was.
    void OnBnClickedCancel();
    // "Close", Escape and the close box. A running export is asked to stop and the dialog ends
    // once its worker has ended, while the window stays responsive; repeated calls meanwhile do
    // nothing more.
    void OnBnClickedClose();
    // The browse button or the chooser key of a path field: the chosen file becomes the field's
    // text. The chooser opens in the folder of the field's path, else in the folder last chosen
    // in this field, else in the folder last chosen in any field.
    void OnBrowse(brenwick::ControlId field);

    // The engine of the open project, null while none is open.
    const CST_Readout* Readout() const { return m_pReadout.get(); }
    // The reader and its version, or why the chosen one cannot be used, for the About box.
    const std::string& ReaderDescription() const { return m_strReaderDescription; }

private:
    // Why "Export" cannot run now, or nothing when it can.
    std::optional<std::string> ExportBlocker() const;
    void EnableExportIfItCanRun();
    void FinishExport();
    void ShowExportOutcome(const std::exception_ptr& failure);
    void StopExport();
    // Closes the project and deletes the readout; returns the text of a failure to close.
    std::optional<std::string> CloseReadout();
    void CloseAndEnd();
    std::string ChooserStart(brenwick::ControlId field) const;
    std::string FieldPath(brenwick::ControlId field) const;
    std::unique_ptr<CST_Readout> OpenReadout(const std::string& path) const;
    void SetStatus(const std::string& text);

    brenwick::DialogView& m_view;
    brenwick::DialogReader m_reader;
    // Asked once, at start: the About box may open while the worker calls the reader, and a
    // reader is never called from two threads at once.
    std::string m_strReaderDescription;
    std::unique_ptr<CST_Readout> m_pReadout;
    std::string m_strOutputFile;  // the file the output field names, taken on each change
    // The path the open project was opened with, for the status; empty while none is open.
    std::string m_strProjectFile;
    std::unique_ptr<brenwick::ExportSession> m_export;  // while the worker exports
    bool m_closing = false;                             // the dialog ends once the worker has
};

#endif
