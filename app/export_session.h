// The dialog while an export runs on its worker: Cancel is enabled, every input and Export are
// disabled so that nothing reaches the engine meanwhile, and the wait cursor and the progress
// show. The end of the session puts each input back into the state it had before, whatever
// the export did.
#ifndef BRENWICK_EXPORT_SESSION_H
#define BRENWICK_EXPORT_SESSION_H

#include "dialog_view.h"
#include "export_control.h"

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
    std::stop_token StopToken() const { return m_stop.get_token(); }
    void RequestStop();

    // The stage the worker has begun; called on the user-interface thread.
    void ShowStage(ExportStage stage);

    // On the worker: runs the export and keeps what it threw, for the user-interface thread
    // to read once the worker has finished.
    void Run(const std::function<void()>& export_file);
    std::exception_ptr Failure() const { return m_failure; }

private:
    void ShowProgress();

    DialogView& m_view;
    std::vector<std::pair<ControlId, bool>> m_inputs_before;
    std::stop_source m_stop;
    std::optional<ExportStage> m_stage;  // none before the worker reports one
    std::exception_ptr m_failure;
};

}  // namespace brenwick

#endif
