#include "desktop_integration.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <cstdio>

#include <windows.h>

namespace brenwick {

namespace {

// The command id of the About entry; the system reserves the low four bits of system commands.
constexpr UINT kAboutCommand = 0x0010;

class SystemMenuFilter : public QObject, public QAbstractNativeEventFilter {
public:
    SystemMenuFilter(QWidget& window, std::function<void()> show_about)
        : QObject(&window), window_(reinterpret_cast<HWND>(window.winId())), show_about_(std::move(show_about)) {}

    bool nativeEventFilter(const QByteArray& event_type, void* message, qintptr* result) override {
        if (event_type != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->hwnd != window_ || msg->message != WM_SYSCOMMAND || (msg->wParam & 0xFFF0) != kAboutCommand)
            return false;
        show_about_();
        *result = 0;
        return true;
    }

private:
    HWND window_;
    std::function<void()> show_about_;
};

}  // namespace

void AddAboutToSystemMenu(QWidget& window, const QString& text, std::function<void()> show_about) {
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    if (menu == nullptr) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kAboutCommand, reinterpret_cast<LPCWSTR>(text.utf16()));
    // The filter is a child of the window and leaves the application's list when destroyed.
    QCoreApplication::instance()->installNativeEventFilter(new SystemMenuFilter(window, std::move(show_about)));
}

// A windowed program starts without standard handles; when started from a console, it
// borrows that console so that its standard output is seen. A redirected output is kept.
void AttachToStartingTerminal() {
    if (GetStdHandle(STD_OUTPUT_HANDLE) != nullptr) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    FILE* stream = nullptr;
    freopen_s(&stream, "CONOUT$", "w", stdout);
    freopen_s(&stream, "CONOUT$", "w", stderr);
}

}  // namespace brenwick
