#pragma once
// The About box's online update check: fetches the update server's version file into
// version.txt in the current directory and, when it names a newer version, starts the
// updater and ends the main program.

#include "updater/UpdateIntegrity.h"

#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>

namespace dorvane {

// Between an About box and the workers of the checks it started: a worker sets them, the box's
// timer reads them and clears UpdateCheckEnded. Each box has its own pair, shared with its
// workers, so that a check still running after its box was closed tells a later box nothing.
struct UpdateCheckFlags {
    std::atomic<int> UpdateFound{0};
    std::atomic<int> UpdateCheckEnded{0};
};

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
UpdateCheckOutcome RunUpdateCheck(const UpdateCheckParams& params, UpdateCheckFlags& flags);

// The worker-thread function: runs the check and returns 0. It holds the flags it reports
// through for as long as it runs.
int CheckUpdateThread(const UpdateCheckParams& params, const std::shared_ptr<UpdateCheckFlags>& flags);

} // namespace dorvane
