#include "export_session.h"

namespace brenwick {

namespace {

constexpr ControlId kInputs[] = {ControlId::InputFile,      ControlId::MaterialFile,   ControlId::OutputFile,
                                 ControlId::PotentialName,  ControlId::OnlyPotentials, ControlId::UseDensity,
                                 ControlId::WriteProperty,  ControlId::Export};

// Finished is the last step, so the display is full once the file is written.
constexpr int kSteps = kExportStageCount - 1;

}  // namespace

ExportSession::ExportSession(DialogView& view) : m_view(view) {
    // The progress with Cancel first, so that the focus of a disabled input can move on to it.
    ShowProgress();
    m_view.EnableItem(ControlId::CancelExport, true);
    for (const ControlId id : kInputs) {
        m_inputs_before.emplace_back(id, m_view.IsEnabled(id));
        m_view.EnableItem(id, false);
    }
    m_view.BeginWaitCursor();
}

ExportSession::~ExportSession() {
    m_view.ShowProgress(0, 0, "");
    m_view.EndWaitCursor();
    for (const auto& [id, enabled] : m_inputs_before) m_view.EnableItem(id, enabled);
    m_view.EnableItem(ControlId::CancelExport, false);
}

void ExportSession::RequestStop() {
    m_stop.request_stop();
    m_view.EnableItem(ControlId::CancelExport, false);
    ShowProgress();
}

void ExportSession::ShowStage(ExportStage stage) {
    m_stage = stage;
    ShowProgress();
}

// A single read of the reader can keep the worker a while after a stop was asked for, so the
// display says at once that the export is stopping, until the worker has returned.
void ExportSession::ShowProgress() {
    const int done = m_stage ? static_cast<int>(*m_stage) : 0;
    const std::string step = m_stop.stop_requested() ? "stopping" : m_stage ? ExportStageName(*m_stage) : "";
    m_view.ShowProgress(done, kSteps, step);
}

void ExportSession::Run(const std::function<void()>& export_file) {
    try {
        export_file();
    } catch (...) {
        m_failure = std::current_exception();
    }
}

}  // namespace brenwick
