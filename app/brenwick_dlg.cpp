#include "brenwick_dlg.h"

#include "engine/engine_error.h"
#include "engine/export_summary_text.h"
#include "engine/reader/reader_library.h"
#include "engine/support/typed_path.h"
#include "platform/utf8_path.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <system_error>
#include <utility>

using namespace brenwick;

namespace {

// The settings that keep the folder last chosen in any path field, and in each of them.
const std::string kAnyFolderSetting = "folders/any";
std::string FolderSetting(ControlId field) {
    switch (field) {
    case ControlId::InputFile: return "folders/project";
    case ControlId::MaterialFile: return "folders/material";
    case ControlId::OutputFile: return "folders/output";
    default: return kAnyFolderSetting;
    }
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

// The one mapping from a failure to the dialog's status: the step's headline, then the
// failure's text and its cause; a stopped export says that it was stopped.
std::string FailureStatus(const std::string& headline, const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const ExportCancelled&) {
        return "Start to extract data now...cancelled.\nThe output file was left as it was.";
    } catch (const std::exception& e) {
        return headline + "\n" + e.what() + CauseLine(e);
    } catch (...) {
        return headline;
    }
}

}  // namespace

DialogReader brenwick::ChooseDialogReader(const std::optional<std::string>& option) {
    try {
        return {ChooseReader(option), ""};
    } catch (const std::exception& failure) {
        return {nullptr, failure.what()};
    }
}

CBrenwickDlg::CBrenwickDlg(DialogView& view, DialogReader reader)
    : m_view(view),
      m_reader(std::move(reader)),
      m_strReaderDescription(m_reader.reader ? DescribeReader(*m_reader.reader) : m_reader.failure) {}

CBrenwickDlg::~CBrenwickDlg() { StopExport(); }

void CBrenwickDlg::OnInitDialog() {
    if (!m_reader.reader) SetStatus(m_reader.failure);
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
    const std::string text = m_view.GetItemText(ControlId::InputFile);
    if (text.find(".cst") == std::string::npos) {
        // The open project is still the one Export writes, though the field no longer names it.
        const std::string stays_open = m_pReadout ? "The project " + m_strProjectFile + " stays open." : "";
        SetStatus("ERROR: The given input file " + text + " does not seem to be a cst file.\n" + stays_open);
        return;
    }
    const std::string path = TypedPath(text);
    SetStatus("Open the input file ...");
    m_view.ClearPreview();
    const bool replacing = m_pReadout != nullptr;
    // The old project is gone either way, so one that cannot be closed is a warning after the
    // outcome of the open, not a reason to refuse the new project.
    const std::optional<std::string> close_failure = replacing ? CloseReadout() : std::nullopt;
    try {
        m_pReadout = OpenReadout(path);
        m_strProjectFile = path;
        SetStatus("Open the input file...done!");
        // Also a first open, and one after a failed open, takes the path the field shows, so
        // that the field and the engine never disagree.
        m_pReadout->material_file = FieldPath(ControlId::MaterialFile);
        if (!replacing) m_view.EnableItem(ControlId::MaterialFile, true);
        m_view.EnableItem(ControlId::PotentialName, true);
        // Runs OnEnChangePotentialName at once, which hands the name back to the new readout.
        m_view.SetItemText(ControlId::PotentialName, m_pReadout->GetPotentialName());
    } catch (...) {
        SetStatus(FailureStatus("Open the input file...failed with message:", std::current_exception()));
        m_view.EnableItem(ControlId::MaterialFile, false);
        m_view.EnableItem(ControlId::OutputFile, false);
        // Without a project the tree path has nothing to act on.
        m_view.EnableItem(ControlId::PotentialName, false);
    }
    EnableExportIfItCanRun();
    if (close_failure) SetStatus(m_view.GetItemText(ControlId::Status) + "\nWarning: " + *close_failure);
}

void CBrenwickDlg::OnEnChangeMaterialFile() {
    if (m_pReadout) m_pReadout->material_file = FieldPath(ControlId::MaterialFile);
    m_view.EnableItem(ControlId::OutputFile, true);
    EnableExportIfItCanRun();
    SetStatus("Matrial file set.");
}

void CBrenwickDlg::OnEnChangeOutputFile() {
    m_strOutputFile = FieldPath(ControlId::OutputFile);
    EnableExportIfItCanRun();
    SetStatus("Output file set.");
}

void CBrenwickDlg::OnEnChangePotentialName() {
    const std::string name = m_view.GetItemText(ControlId::PotentialName);
    SetStatus("Changed potential name to: " + name);
    if (m_pReadout) m_pReadout->potential_name = name;
}

void CBrenwickDlg::OnBnClickedExport() {
    // Export is disabled while an export runs, whose status and progress show meanwhile.
    if (m_export) return;
    if (const std::optional<std::string> blocker = ExportBlocker()) {
        SetStatus(*blocker);
        return;
    }
    SetStatus("Start to extract data now...");
    m_view.ClearPreview();
    // Set on every export, so that the export always does what the box shows. The boxes are
    // read here, on the user-interface thread, before the worker starts.
    m_pReadout->material_quantity = m_view.IsChecked(ControlId::UseDensity) ? kQuantityDensity : kQuantityPermittivity;
    const bool only_potentials = m_view.IsChecked(ControlId::OnlyPotentials);
    const bool write_property = m_view.IsChecked(ControlId::WriteProperty);

    m_export = std::make_unique<ExportSession>(m_view);
    m_pReadout->SetCancellation(m_export->StopToken());
    m_pReadout->SetProgressListener([this](const ExportProgress& progress) {
        m_view.PostToUserInterface([this, progress] {
            if (m_export) m_export->ShowStage(progress);
        });
    });
    m_view.RunInBackground(
        [session = m_export.get(), readout = m_pReadout.get(), output = m_strOutputFile, only_potentials,
         write_property] { session->Run([&] { readout->SaveBinaryFile(output, only_potentials, write_property); }); },
        [this] { FinishExport(); });
}

// The output path is the one the field showed last, and is used only while the field is
// enabled, so that a path left greyed out after a failed open never receives an export.
std::optional<std::string> CBrenwickDlg::ExportBlocker() const {
    if (!m_pReadout) return "Cannot export: no project is open.";
    if (!m_view.IsEnabled(ControlId::OutputFile))
        return "Cannot export: the output field is disabled until the material file is set.";
    if (m_strOutputFile.empty()) return "Cannot export: no output file is set.";
    return std::nullopt;
}

// "Export" is enabled exactly when pressing it starts an export.
void CBrenwickDlg::EnableExportIfItCanRun() { m_view.EnableItem(ControlId::Export, !ExportBlocker()); }

void CBrenwickDlg::OnBnClickedCancel() {
    if (m_export) m_export->RequestStop();
}

void CBrenwickDlg::OnBnClickedClose() {
    if (m_export) {
        if (m_closing) return;
        m_closing = true;
        m_export->RequestStop();
        SetStatus("Start to extract data now...\nStopping the export; the dialog closes once it has stopped.");
        return;
    }
    CloseAndEnd();
}

void CBrenwickDlg::OnBrowse(ControlId field) {
    if (!m_view.IsEnabled(field)) return;
    const std::optional<std::string> chosen = m_view.ChooseFile(field, ChooserStart(field));
    if (!chosen || chosen->empty()) return;
    const std::string folder = TextFromPath(PathFromText(*chosen).parent_path());
    m_view.StoreSetting(FolderSetting(field), folder);
    m_view.StoreSetting(kAnyFolderSetting, folder);
    m_view.SetItemText(field, *chosen);
}

// The field's own path when its folder exists, so that the chooser also shows its name;
// otherwise a remembered folder that still exists.
std::string CBrenwickDlg::ChooserStart(ControlId field) const {
    const std::string path = FieldPath(field);
    if (IsFolder(PathFromText(path).parent_path())) return path;
    for (const std::string& key : {FolderSetting(field), kAnyFolderSetting}) {
        const std::string folder = m_view.Setting(key);
        if (IsFolder(PathFromText(folder))) return folder;
    }
    return {};
}

void CBrenwickDlg::CloseAndEnd() {
    // The dialog ends either way; a project that fails to close is only reported.
    if (m_pReadout) {
        if (const std::optional<std::string> failure = CloseReadout()) std::cerr << *failure << std::endl;
    }
    m_view.EndDialog();
}

void CBrenwickDlg::FinishExport() {
    // Ending the session gives the inputs back once the outcome is shown, or once the dialog
    // has ended.
    const std::unique_ptr<ExportSession> session = std::move(m_export);
    if (std::exchange(m_closing, false)) return CloseAndEnd();
    ShowExportOutcome(session->Failure());
}

void CBrenwickDlg::ShowExportOutcome(const std::exception_ptr& failure) {
    try {
        if (failure) std::rethrow_exception(failure);
        const ExportSummary& summary = m_pReadout->LastExport();
        SetStatus("Start to extract data now..." + ExportSummaryText(summary));
        m_view.ShowPreview(summary.output_path);
    } catch (...) {
        SetStatus(FailureStatus("Start to extract data now...failed!", std::current_exception()));
    }
}

// Nothing may touch the readout while the worker uses it, so a running export is stopped and
// its worker waited for before the readout may go.
void CBrenwickDlg::StopExport() {
    if (!m_export) return;
    m_export->RequestStop();
    m_view.WaitForBackgroundWork();
    m_export.reset();
}

// The readout is gone afterwards even when closing its project fails, so that the dialog never
// keeps a half-closed engine.
std::optional<std::string> CBrenwickDlg::CloseReadout() {
    const std::unique_ptr<CST_Readout> readout = std::move(m_pReadout);
    m_strProjectFile.clear();
    try {
        readout->CloseProject();
    } catch (const std::exception& e) {
        return e.what();
    }
    return std::nullopt;
}

// Every attempt to open a project with a reader that cannot be used fails with its reason.
std::unique_ptr<CST_Readout> CBrenwickDlg::OpenReadout(const std::string& path) const {
    if (!m_reader.reader) throw std::runtime_error(m_reader.failure);
    ReadoutContext context;
    context.reader = m_reader.reader;
    return std::make_unique<CST_Readout>(path, std::move(context));
}

// The file a path field names, also when its text was pasted in quotes or as a file:// address.
std::string CBrenwickDlg::FieldPath(ControlId field) const { return TypedPath(m_view.GetItemText(field)); }

void CBrenwickDlg::SetStatus(const std::string& text) { m_view.SetItemText(ControlId::Status, text); }
