#include "export_session.h"

namespace brenwick {

namespace {

constexpr ControlId kInputs[] = {ControlId::InputFile,     ControlId::MaterialFile,   ControlId::OutputFile,
                                 ControlId::PotentialName, ControlId::OnlyPotentials, ControlId::UseDensity,
                                 ControlId::WriteProperty, ControlId::Export};

// The display's parts: fine enough that the bar moves smoothly on a wide window.
constexpr int kParts = 1000;

}  // namespace

ExportSession::ExportSession(DialogView& view) : view_(view), focus_before_(view.FocusedItem()) {
    // The progress with Cancel first, so that the focus can move on to it before the input
    // that holds it is disabled.
    ShowProgress();
    view_.EnableItem(ControlId::CancelExport, true);
    view_.SetFocus(ControlId::CancelExport);
    for (const ControlId id : kInputs) {
        inputs_before_.emplace_back(id, view_.IsEnabled(id));
        view_.EnableItem(id, false);
    }
    view_.BeginWaitCursor();
}

ExportSession::~ExportSession() {
    view_.ShowProgress(0, 0, "");
    view_.EndWaitCursor();
    for (const auto& [id, enabled] : inputs_before_) view_.EnableItem(id, enabled);
    const ControlId focus = focus_before_ && view_.IsEnabled(*focus_before_) ? *focus_before_ : ControlId::Export;
    view_.SetFocus(focus);
    view_.EnableItem(ControlId::CancelExport, false);
}

void ExportSession::RequestStop() {
    stop_.request_stop();
    view_.EnableItem(ControlId::CancelExport, false);
    ShowProgress();
}

void ExportSession::ShowStage(const ExportProgress& progress) {
    progress_ = progress;
    ShowProgress();
}

// A read of a reader without the read monitor can keep the worker a while after a stop was
// asked for, so the display says at once that the export is stopping, until the worker has
// returned.
void ExportSession::ShowProgress() {
    const int done = progress_ ? static_cast<int>(progress_->done * kParts + 0.5) : 0;
    const std::string step = stop_.stop_requested() ? "stopping" : progress_ ? ExportStageName(progress_->stage) : "";
    view_.ShowProgress(done, kParts, step);
}

void ExportSession::Run(const std::function<void()>& export_file) {
    try {
        export_file();
    } catch (...) {
        failure_ = std::current_exception();
    }
}

}  // namespace brenwick
