#pragma once
// Downloading one URL into one file, for the update check and the updater.

#include <QString>
#include <QUrl>

namespace dorvane {

// Fetches url into target. The body is written to a temporary file beside target, which
// replaces target only when the whole body arrived with a success status; on any failure
// target is left as it was and false is returned. Blocks the calling thread while running
// an event loop of its own, so it serves worker threads as well as the user-interface
// thread. A request for interruption of the calling QThread aborts the transfer.
// Only https: addresses, and http: on a loopback address, are fetched; a redirect to another
// origin fails. A body longer than maxBytes (when not negative) is cut off and fails.
// A transfer fails when no byte arrives for stallTimeoutMs, and, when totalTimeoutMs is not
// negative, when the whole body has not arrived within it: a server sending a byte now and then
// is given up as well. error, when given, tells why a download failed.
enum class DownloadError { None, Network, TooLarge, TimedOut, NotSaved };
bool DownloadToFile(const QUrl& url, const QString& target, qint64 maxBytes = -1, int stallTimeoutMs = 30000,
                    int totalTimeoutMs = -1, DownloadError* error = nullptr);

} // namespace dorvane
