// The main dialog's handler logic: owns at most one CST_Readout, hands it the user's inputs as
// the fields change and starts the export. It reaches the widgets only through DialogView, so
// it builds and runs without a window toolkit.
#ifndef BRENWICK_BRENWICK_DLG_H
#define BRENWICK_BRENWICK_DLG_H

#include "dialog_view.h"
#include "readout.h"

#include <memory>
#include <string>

class CBrenwickDlg {
public:
    explicit CBrenwickDlg(brenwick::DialogView& view);

    CBrenwickDlg(const CBrenwickDlg&) = delete;
    CBrenwickDlg& operator=(const CBrenwickDlg&) = delete;

    // Routes the change notification of an edit field to its handler; other ids are ignored.
    void OnEnChange(brenwick::ControlId id);

    void OnEnChangeInputFile();
    void OnEnChangeMaterialFile();
    void OnEnChangeOutputFile();
    void OnEnChangePotentialName();
    void OnBnClickedExport();
    // "Close", Escape and the close box.
    void OnBnClickedClose();

    // The engine of the open project, null while none is open.
    const CST_Readout* Readout() const { return m_pReadout.get(); }
    const std::string& OutputFile() const { return m_strOutputFile; }

private:
    void DeleteReadout();
    void SetStatus(const std::string& text);

    brenwick::DialogView& m_view;
    std::unique_ptr<CST_Readout> m_pReadout;
    std::string m_strOutputFile;
};

#endif
