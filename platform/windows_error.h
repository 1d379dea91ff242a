// The system's own text for a Windows error code, as UTF-8 without its line end.
#ifndef BRENWICK_PLATFORM_WINDOWS_ERROR_H
#define BRENWICK_PLATFORM_WINDOWS_ERROR_H

#include <string>

namespace brenwick {

// Some texts hold the place of a name as "%1" ("Bad EXE format for %1."); `name` takes it.
std::string WindowsErrorText(unsigned long code, const std::string& name = {});

}  // namespace brenwick

#endif
