// The dialog while an export runs on its worker: Cancel is enabled and has the focus, every
// input and Export are disabled so that nothing reaches the engine meanwhile, and the wait
// cursor and the progress show. The end of the session puts each input back into the state it
// had before, whatever the export did, and the focus where it was (or on Export), so that a
// key pressed afterwards never lands on Close.
#ifndef BRENWICK_EXPORT_SESSION_H
#define BRENWICK_EXPORT_SESSION_H

#include "dialog_view.h"
#include "engine/export_control.h"

#include <exception>
#include <functional>
#include <optional>
#include <stop_token>
#include <utility>
#include <vector>

namespace brenwick {

class ExportSession {
public:
    explicit ExportSession(DialogView& view);
    ~ExportSession();
    ExportSession(const ExportSession&) = delete;
    ExportSession& operator=(const ExportSession&) = delete;

    // For the engine: asked to stop by Cancel or Close.
    std::stop_token StopToken() const { return stop_.get_token(); }
    void RequestStop();

    // How far the worker has come; called on the user-interface thread.
    void ShowStage(const ExportProgress& progress);

    // On the worker: runs the export and keeps what it threw, for the user-interface thread
    // to read once the worker has finished.
    void Run(const std::function<void()>& export_file);
    std::exception_ptr Failure() const { return failure_; }

private:
    void ShowProgress();

    DialogView& view_;
    std::vector<std::pair<ControlId, bool>> inputs_before_;
    std::optional<ControlId> focus_before_;
    std::stop_source stop_;
    std::optional<ExportProgress> progress_;  // none before the worker reports
    std::exception_ptr failure_;
};

}  // namespace brenwick

#endif
