#include "brenwick_dlg.h"

#include "reader_library.h"

#include <exception>
#include <iostream>
#include <stdexcept>

using namespace brenwick;

namespace {

// Keeps the wait cursor up for one scope, so that it ends whatever the export does.
class WaitCursor {
public:
    explicit WaitCursor(DialogView& view) : m_view(view) { m_view.BeginWaitCursor(); }
    ~WaitCursor() { m_view.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    DialogView& m_view;
};

}  // namespace

DialogReader brenwick::ChooseDialogReader(const std::optional<std::string>& option) {
    try {
        return {ChooseReader(option), ""};
    } catch (const std::exception& failure) {
        return {nullptr, failure.what()};
    }
}

CBrenwickDlg::CBrenwickDlg(DialogView& view, DialogReader reader) : m_view(view), m_reader(std::move(reader)) {}

void CBrenwickDlg::OnInitDialog() {
    if (!m_reader.reader) SetStatus(m_reader.failure);
}

std::string CBrenwickDlg::ReaderDescription() const {
    return m_reader.reader ? DescribeReader(*m_reader.reader) : m_reader.failure;
}

void CBrenwickDlg::OnEnChange(ControlId id) {
    switch (id) {
    case ControlId::InputFile: OnEnChangeInputFile(); break;
    case ControlId::OutputFile: OnEnChangeOutputFile(); break;
    case ControlId::MaterialFile: OnEnChangeMaterialFile(); break;
    case ControlId::PotentialName: OnEnChangePotentialName(); break;
    default: break;
    }
}

void CBrenwickDlg::OnEnChangeInputFile() {
    const std::string path = m_view.GetItemText(ControlId::InputFile);
    if (path.find(".cst") == std::string::npos) {
        SetStatus("ERROR: The given input file " + path + " does not seem to be a cst file.\n");
        return;
    }
    SetStatus("Open the input file ...");
    try {
        const bool replacing = m_pReadout != nullptr;
        if (replacing) DeleteReadout();
        m_pReadout = OpenReadout(path);
        SetStatus("Open the input file...done!");
        if (replacing)
            m_pReadout->material_file = m_view.GetItemText(ControlId::MaterialFile);
        else
            m_view.EnableItem(ControlId::MaterialFile, true);
        m_view.EnableItem(ControlId::PotentialName, true);
        // Runs OnEnChangePotentialName at once, which hands the name back to the new readout.
        m_view.SetItemText(ControlId::PotentialName, m_pReadout->GetPotentialName());
    } catch (const std::exception& e) {
        SetStatus(std::string("Open the input file...failed with message:\n") + e.what());
        m_view.EnableItem(ControlId::MaterialFile, false);
        m_view.EnableItem(ControlId::OutputFile, false);
        // Without a project the tree path has nothing to act on.
        m_view.EnableItem(ControlId::PotentialName, false);
    }
}

void CBrenwickDlg::OnEnChangeMaterialFile() {
    if (m_pReadout) m_pReadout->material_file = m_view.GetItemText(ControlId::MaterialFile);
    m_view.EnableItem(ControlId::OutputFile, true);
    SetStatus("Matrial file set.");
}

void CBrenwickDlg::OnEnChangeOutputFile() {
    m_strOutputFile = m_view.GetItemText(ControlId::OutputFile);
    m_view.EnableItem(ControlId::Export, true);
    SetStatus("Output file set.");
}

void CBrenwickDlg::OnEnChangePotentialName() {
    const std::string name = m_view.GetItemText(ControlId::PotentialName);
    SetStatus("Changed potential name to: " + name);
    if (m_pReadout) m_pReadout->potential_name = name;
}

void CBrenwickDlg::OnBnClickedExport() {
    if (!m_pReadout || m_strOutputFile.empty()) return;
    SetStatus("Start to extract data now...");
    // Set on every export, so that the export always does what the box shows.
    m_pReadout->material_quantity =
        m_view.IsChecked(ControlId::UseDensity) ? kQuantityDensity : kQuantityPermittivity;
    const WaitCursor wait(m_view);
    try {
        const bool only_potentials = m_view.IsChecked(ControlId::OnlyPotentials);
        const bool write_property = m_view.IsChecked(ControlId::WriteProperty);
        m_pReadout->SaveBinaryFile(m_strOutputFile, only_potentials, write_property);
        SetStatus("Start to extract data now...done!");
    } catch (const std::exception& e) {
        SetStatus(std::string("Start to extract data now...failed!\n") + e.what());
    } catch (...) {
        SetStatus("Start to extract data now...failed!");
    }
}

void CBrenwickDlg::OnBnClickedClose() {
    if (m_pReadout) {
        // The dialog ends either way; a project that fails to close is only reported.
        try {
            DeleteReadout();
        } catch (const std::exception& e) {
            std::cerr << e.what() << std::endl;
        }
    }
    m_view.EndDialog();
}

// The readout is gone afterwards even when closing its project fails, so that the failure
// can be reported while the dialog never keeps a half-closed engine.
void CBrenwickDlg::DeleteReadout() {
    const std::unique_ptr<CST_Readout> readout = std::move(m_pReadout);
    readout->CloseProject();
}

// Every attempt to open a project with a reader that cannot be used fails with its reason.
std::unique_ptr<CST_Readout> CBrenwickDlg::OpenReadout(const std::string& path) const {
    if (!m_reader.reader) throw std::runtime_error(m_reader.failure);
    ReadoutContext context;
    context.reader = m_reader.reader;
    return std::make_unique<CST_Readout>(path, std::move(context));
}

void CBrenwickDlg::SetStatus(const std::string& text) { m_view.SetItemText(ControlId::Status, text); }
