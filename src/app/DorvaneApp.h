#pragma once
// Start-up of the main program: fixes the folders, registers the address book's data
// source, loads or creates the print settings and fonts, then runs the main window.

#include "workspace/Workspace.h"

#include <QString>

#include <functional>

namespace dorvane {

class CDorvaneApp {
public:
    // Runs start-up and then the main window; returns false, as the program ends after it.
    bool InitInstance();

    // Where start-up hands over to the main window. The default runs the waybill window on
    // workspace(); tests replace it to stop right there.
    std::function<void()> RunMainDialog;

    // The program's values, set up by start-up and handed to the main window.
    Workspace& workspace() { return workspace_; }

    // The ODBC installer call; false when the library or function cannot be bound.
    static bool ConfigDataSource(const std::string& attributes);

private:
    void RegisterDataSource();

    Workspace workspace_;
};

} // namespace dorvane
