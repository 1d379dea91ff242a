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
        m_texts[id] = "";
        m_checked[id] = false;
        m_enabled[id] = true;
    }
    for (const ControlId id : {ControlId::MaterialFile, ControlId::OutputFile, ControlId::PotentialName,
                               ControlId::Export, ControlId::CancelExport})
        m_enabled[id] = false;
}

void RecordingView::Type(ControlId id, const std::string& text) {
    if (!m_enabled.at(id)) {
        ADD_FAILURE() << "typing into disabled field " << Id(id);
        return;
    }
    m_texts[id] = text;
    Notify(id);
}

void RecordingView::TypeKeyByKey(ControlId id, const std::string& keys) {
    for (const char key : keys) Type(id, m_texts.at(id) + key);
}

void RecordingView::SetItemText(ControlId id, const std::string& text) {
    m_log.push_back("text " + Id(id) + " " + text);
    m_texts[id] = text;
    if (id == ControlId::Status) m_statuses.push_back(text);
    if (IsEditField(id)) Notify(id);
}

// A disabled control loses the focus, which the window hands on to a control the logic does
// not know, such as Close.
void RecordingView::EnableItem(ControlId id, bool enabled) {
    m_log.push_back("enable " + Id(id) + (enabled ? " on" : " off"));
    m_enabled[id] = enabled;
    if (!enabled && m_focus == id) m_focus.reset();
}

void RecordingView::SetFocus(ControlId id) {
    m_log.push_back("focus " + Id(id));
    m_focus = id;
}

std::optional<std::string> RecordingView::ChooseFile(ControlId field, const std::string& start) {
    m_log.push_back("choose " + Id(field) + " at " + start);
    return std::exchange(m_chooser_answer, std::nullopt);
}

std::string RecordingView::Setting(const std::string& key) const {
    const auto it = m_settings.find(key);
    return it == m_settings.end() ? std::string() : it->second;
}

void RecordingView::StoreSetting(const std::string& key, const std::string& value) {
    m_log.push_back("setting " + key + " " + value);
    m_settings[key] = value;
}

void RecordingView::BeginWaitCursor() {
    m_log.emplace_back("wait begin");
    ++m_wait_depth;
}

void RecordingView::EndWaitCursor() {
    m_log.emplace_back("wait end");
    --m_wait_depth;
}

void RecordingView::RunInBackground(std::function<void()> work, std::function<void()> finished) {
    m_log.emplace_back("background start");
    if (m_work) ADD_FAILURE() << "background work started while other work is pending";
    m_work = std::move(work);
    m_finished = std::move(finished);
}

void RecordingView::FinishBackgroundWork() {
    if (!m_work) {
        ADD_FAILURE() << "no background work pending";
        return;
    }
    std::exchange(m_work, nullptr)();
    RunPosted();
    std::exchange(m_finished, nullptr)();
}

// Blocking the user-interface thread until the worker returns is, without a worker, running
// the work now; what it posts would run later, after whatever the waiting code does.
void RecordingView::WaitForBackgroundWork() {
    m_log.emplace_back("background wait");
    m_finished = nullptr;
    if (m_work) std::exchange(m_work, nullptr)();
}

void RecordingView::RunPosted() {
    while (!m_posted.empty()) {
        const std::function<void()> task = std::move(m_posted.front());
        m_posted.pop_front();
        task();
    }
}

void RecordingView::ShowProgress(int done, int total, const std::string& step) {
    m_log.push_back("progress " + std::to_string(done) + "/" + std::to_string(total) + (step.empty() ? "" : " ") +
                    step);
}

void RecordingView::EndDialog() {
    m_log.emplace_back("end dialog");
    m_ended = true;
}

void RecordingView::Notify(ControlId id) {
    if (m_dialog != nullptr) m_dialog->OnEnChange(id);
}

}  // namespace brenwick
