#include "waybill/SystemMenu.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace dorvane {

#ifdef Q_OS_WIN

void AddAboutItemToSystemMenu(QWidget* window)
{
    if (HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window->winId()), FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kAboutSystemCommand, L"关于 Dorvane(&A)...");
    }
}

bool IsAboutSystemCommand(const QByteArray& eventType, void* message)
{
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    return msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutSystemCommand;
}

#else

void AddAboutItemToSystemMenu(QWidget*) {}

bool IsAboutSystemCommand(const QByteArray&, void*)
{
    return false;
}

#endif

} // namespace dorvane
