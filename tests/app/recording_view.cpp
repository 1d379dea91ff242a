#include "recording_view.h"

#include <gtest/gtest.h>

#include <utility>

namespace brenwick {
namespace {

std::string Id(ControlId id) { return std::to_string(static_cast<int>(id)); }

bool IsEditField(ControlId id) {
    return id == ControlId::InputFile || id == ControlId::OutputFile || id == ControlId::MaterialFile ||
           id == ControlId::PotentialName;
}

}  // namespace

RecordingView::RecordingView() {
    for (const ControlId id :
         {ControlId::InputFile, ControlId::UseDensity, ControlId::OutputFile, ControlId::OnlyPotentials,
          ControlId::WriteProperty, ControlId::Status, ControlId::Export, ControlId::MaterialFile,
          ControlId::PotentialName, ControlId::CancelExport}) {
        texts_[id] = "";
        checked_[id] = false;
        enabled_[id] = true;
    }
    for (const ControlId id : {ControlId::MaterialFile, ControlId::OutputFile, ControlId::PotentialName,
                               ControlId::Export, ControlId::CancelExport})
        enabled_[id] = false;
}

void RecordingView::Type(ControlId id, const std::string& text) {
    if (!enabled_.at(id)) {
        ADD_FAILURE() << "typing into disabled field " << Id(id);
        return;
    }
    texts_[id] = text;
    Notify(id);
}

void RecordingView::TypeKeyByKey(ControlId id, const std::string& keys) {
    for (const char key : keys) Type(id, texts_.at(id) + key);
}

void RecordingView::SetItemText(ControlId id, const std::string& text) {
    log_.push_back("text " + Id(id) + " " + text);
    texts_[id] = text;
    if (id == ControlId::Status) statuses_.push_back(text);
    if (IsEditField(id)) Notify(id);
}

// A disabled control loses the focus, which the window hands on to a control the logic does
// not know, such as Close.
void RecordingView::EnableItem(ControlId id, bool enabled) {
    log_.push_back("enable " + Id(id) + (enabled ? " on" : " off"));
    enabled_[id] = enabled;
    if (!enabled && focus_ == id) focus_.reset();
}

void RecordingView::SetFocus(ControlId id) {
    log_.push_back("focus " + Id(id));
    focus_ = id;
}

std::optional<std::string> RecordingView::ChooseFile(ControlId field, const std::string& start) {
    log_.push_back("choose " + Id(field) + " at " + start);
    return std::exchange(chooser_answer_, std::nullopt);
}

std::string RecordingView::Setting(const std::string& key) const {
    const auto it = settings_.find(key);
    return it == settings_.end() ? std::string() : it->second;
}

void RecordingView::StoreSetting(const std::string& key, const std::string& value) {
    log_.push_back("setting " + key + " " + value);
    settings_[key] = value;
}

void RecordingView::BeginWaitCursor() {
    log_.emplace_back("wait begin");
    ++wait_depth_;
}

void RecordingView::EndWaitCursor() {
    log_.emplace_back("wait end");
    --wait_depth_;
}

void RecordingView::RunInBackground(std::function<void()> work, std::function<void()> finished) {
    log_.emplace_back("background start");
    if (work_) ADD_FAILURE() << "background work started while other work is pending";
    work_ = std::move(work);
    finished_ = std::move(finished);
}

void RecordingView::FinishBackgroundWork() {
    if (!work_) {
        ADD_FAILURE() << "no background work pending";
        return;
    }
    std::exchange(work_, nullptr)();
    RunPosted();
    std::exchange(finished_, nullptr)();
}

// Blocking the user-interface thread until the worker returns is, without a worker, running
// the work now; what it posts would run later, after whatever the waiting code does.
void RecordingView::WaitForBackgroundWork() {
    log_.emplace_back("background wait");
    finished_ = nullptr;
    if (work_) std::exchange(work_, nullptr)();
}

void RecordingView::RunPosted() {
    while (!posted_.empty()) {
        const std::function<void()> task = std::move(posted_.front());
        posted_.pop_front();
        task();
    }
}

void RecordingView::ShowProgress(int done, int total, const std::string& step) {
    log_.push_back("progress " + std::to_string(done) + "/" + std::to_string(total) + (step.empty() ? "" : " ") + step);
}

void RecordingView::EndDialog() {
    log_.emplace_back("end dialog");
    ended_ = true;
}

void RecordingView::Notify(ControlId id) {
    if (dialog_ != nullptr) dialog_->OnEnChange(id);
}

}  // namespace brenwick
