#pragma once
// The tool's standard streams carry UTF-8, whatever the system's code page.

#include <QString>

namespace dorvane {

void WriteOut(const QString& text);
void WriteError(const QString& text);

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRejected = 1;    // parse-address: not a shop address
inline constexpr int kExitError = 2;       // found before anything was printed
inline constexpr int kExitPrintFailed = 3; // the printer or file failed during the job

} // namespace dorvane
