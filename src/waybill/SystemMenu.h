#pragma once
// The About item in the window's system menu, where the platform has one (Windows). Elsewhere
// the About button is the way in and these do nothing.

#include <QByteArray>

class QWidget;

namespace dorvane {

inline constexpr unsigned kAboutSystemCommand = 16;

void AddAboutItemToSystemMenu(QWidget* window);

// True when a native message is the About item's command.
bool IsAboutSystemCommand(const QByteArray& eventType, void* message);

} // namespace dorvane
