#pragma once
// The updater's start: it runs only beside a version file left by the main program's
// update check.

#include "updater/UpdateIntegrity.h"

#include <filesystem>

namespace dorvane {

class CUpdorvApp {
public:
    // modulePath: the updater's own file; trust: the server and key the update must come
    // from. Returns the process's exit code.
    int InitInstance(const std::filesystem::path& modulePath, const UpdateTrust& trust = BuiltInUpdateTrust());

    const std::filesystem::path& updaterFolder() const { return UpdaterFolder; }

private:
    std::filesystem::path UpdaterFolder;
};

} // namespace dorvane
