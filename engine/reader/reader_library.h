// Which result reader a program runs with: the built-in one, or a library named by the user
// that exports the nine reader functions, loaded at run time.
#ifndef BRENWICK_READER_LIBRARY_H
#define BRENWICK_READER_LIBRARY_H

#include "reader_functions.h"

#include <memory>
#include <optional>
#include <string>

namespace brenwick {

// The environment variable that names a reader library when no option does.
inline constexpr const char* kReaderVariable = "BRENWICK_READER";

// Loads the library at `path` and takes its nine functions, and the optional read monitor when
// it offers one. Throws std::runtime_error naming the library when the file does not exist, is
// no loadable library (with the loader's text), or lacks one of the nine functions (named).
std::shared_ptr<const ResultReader> LoadReaderLibrary(const std::string& path);

// The library named by `option`, else by BRENWICK_READER (when set and not empty), else the
// reader linked into the program. Throws as LoadReaderLibrary.
std::shared_ptr<const ResultReader> ChooseReader(const std::optional<std::string>& option);

}  // namespace brenwick

#endif
