#include "engine_text.h"

namespace brenwick {

std::string EngineText(const QString& text) { return text.toUtf8().toStdString(); }

QString QtText(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace brenwick
