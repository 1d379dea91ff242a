// Text between Qt and the engine. The engine holds paths and messages as UTF-8 on Windows
// (platform/utf8_path.h) and as the file name's bytes elsewhere, which Qt reads and writes as
// UTF-8 there too; every path and message of the dialog crosses here, never through Windows'
// ANSI code page, which cannot spell most names.
#ifndef BRENWICK_ENGINE_TEXT_H
#define BRENWICK_ENGINE_TEXT_H

#include <QString>

#include <string>

namespace brenwick {

std::string EngineText(const QString& text);
QString QtText(const std::string& text);

}  // namespace brenwick

#endif
