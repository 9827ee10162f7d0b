#pragma once
// The About box's online update check: fetches the update server's version file into
// version.txt in the current directory and, when it names a newer version, starts the
// updater and ends the main program.

#include "updater/UpdateIntegrity.h"

#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>

namespace dorvane {

// Between the About box and its worker: the worker sets them, the box's timer reads them
// and clears UpdateCheckEnded.
extern std::atomic<int> UpdateFound;
extern std::atomic<int> UpdateCheckEnded;

// Ends the main program: leaves every event loop of the user-interface thread, the main
// window's own modal loop included, as the platform's quit message does. Runs on that thread.
void EndMainProgram();

struct UpdateCheckParams {
    // Base address of the version file: https:, or http: on a loopback address (tests).
    QUrl server = QUrl(QString::fromLatin1(kUpdateServer));
    QString localFolder;     // where version.txt goes: the current directory
    QString updaterProgram;  // started when a newer version is found
    // Run on the user-interface thread once the updater has been started.
    std::function<void()> endProgram = EndMainProgram;
};

enum class UpdateCheckOutcome { NoConnection, Latest, UpdateFound, UpdaterNotStarted };

// The updater beside the running program.
QString DefaultUpdaterProgram();

// The whole check, run on the worker thread. Messages are handed to the user-interface
// thread without waiting for them; a newer version starts the updater after 500 ms and,
// once it has started, has the user-interface thread end the main program. The version file
// is fetched within kVersionFileMaxBytes and kSmallFileTimeoutMs.
UpdateCheckOutcome RunUpdateCheck(const UpdateCheckParams& params);

// The worker-thread function: runs the check and returns 0.
int CheckUpdateThread(const UpdateCheckParams& params);

} // namespace dorvane
