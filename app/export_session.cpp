#include "export_session.h"

namespace brenwick {

namespace {

constexpr ControlId kInputs[] = {ControlId::InputFile,     ControlId::MaterialFile,   ControlId::OutputFile,
                                 ControlId::PotentialName, ControlId::OnlyPotentials, ControlId::UseDensity,
                                 ControlId::WriteProperty, ControlId::Export};

// The display's parts: fine enough that the bar moves smoothly on a wide window.
constexpr int kParts = 1000;

}  // namespace

ExportSession::ExportSession(DialogView& view) : m_view(view), m_focus_before(view.FocusedItem()) {
    // The progress with Cancel first, so that the focus can move on to it before the input
    // that holds it is disabled.
    ShowProgress();
    m_view.EnableItem(ControlId::CancelExport, true);
    m_view.SetFocus(ControlId::CancelExport);
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
    const ControlId focus = m_focus_before && m_view.IsEnabled(*m_focus_before) ? *m_focus_before : ControlId::Export;
    m_view.SetFocus(focus);
    m_view.EnableItem(ControlId::CancelExport, false);
}

void ExportSession::RequestStop() {
    m_stop.request_stop();
    m_view.EnableItem(ControlId::CancelExport, false);
    ShowProgress();
}

void ExportSession::ShowStage(const ExportProgress& progress) {
    m_progress = progress;
    ShowProgress();
}

// A read of a reader without the read monitor can keep the worker a while after a stop was
// asked for, so the display says at once that the export is stopping, until the worker has
// returned.
void ExportSession::ShowProgress() {
    const int done = m_progress ? static_cast<int>(m_progress->done * kParts + 0.5) : 0;
    const std::string step = m_stop.stop_requested() ? "stopping"
                             : m_progress            ? ExportStageName(m_progress->stage)
                                                     : "";
    m_view.ShowProgress(done, kParts, step);
}

void ExportSession::Run(const std::function<void()>& export_file) {
    try {
        export_file();
    } catch (...) {
        m_failure = std::current_exception();
    }
}

}  // namespace brenwick
