#include "recording_view.h"

#include <gtest/gtest.h>

namespace brenwick {
namespace {

std::string Id(ControlId id) { return std::to_string(static_cast<int>(id)); }

bool IsEditField(ControlId id) {
    return id == ControlId::InputFile || id == ControlId::OutputFile || id == ControlId::MaterialFile ||
           id == ControlId::PotentialName;
}

}  // namespace

RecordingView::RecordingView() {
    for (const ControlId id : {ControlId::InputFile, ControlId::UseDensity, ControlId::OutputFile,
                               ControlId::OnlyPotentials, ControlId::WriteProperty, ControlId::Status,
                               ControlId::Export, ControlId::MaterialFile, ControlId::PotentialName}) {
        m_texts[id] = "";
        m_checked[id] = false;
        m_enabled[id] = true;
    }
    for (const ControlId id :
         {ControlId::MaterialFile, ControlId::OutputFile, ControlId::PotentialName, ControlId::Export})
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

void RecordingView::EnableItem(ControlId id, bool enabled) {
    m_log.push_back("enable " + Id(id) + (enabled ? " on" : " off"));
    m_enabled[id] = enabled;
}

void RecordingView::BeginWaitCursor() {
    m_log.emplace_back("wait begin");
    ++m_wait_depth;
}

void RecordingView::EndWaitCursor() {
    m_log.emplace_back("wait end");
    --m_wait_depth;
}

void RecordingView::EndDialog() {
    m_log.emplace_back("end dialog");
    m_ended = true;
}

void RecordingView::Notify(ControlId id) {
    if (m_dialog != nullptr) m_dialog->OnEnChange(id);
}

}  // namespace brenwick
