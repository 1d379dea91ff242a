// The dialog's place on the desktop: the few things it does differently where the platform has
// them.
#ifndef BRENWICK_DESKTOP_INTEGRATION_H
#define BRENWICK_DESKTOP_INTEGRATION_H

#include <QString>
#include <QWidget>

#include <functional>

namespace brenwick {

// Appends a separator and an entry `text` to the window's system menu; choosing the entry
// calls `show_about`. Platforms without a system menu offer the About box elsewhere only.
void AddAboutToSystemMenu(QWidget& window, const QString& text, std::function<void()> show_about);

// Lets the engine's informational lines reach the terminal the program was started from.
void AttachToStartingTerminal();

}  // namespace brenwick

#endif
