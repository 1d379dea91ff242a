// Platforms without a window system menu, where a program's standard output is the
// terminal's already.
#include "desktop_integration.h"

namespace brenwick {

void AddAboutToSystemMenu(QWidget&, const QString&, std::function<void()>) {}

void AttachToStartingTerminal() {}

}  // namespace brenwick
