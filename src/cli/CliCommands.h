#pragma once
// The commands of dorvane-cli, working like the main program in the current directory
// (Set/ and dataM/). Each returns the process's exit code.

#include "cli/CliArguments.h"

namespace dorvane {

struct Workspace;

int RunTemplates(Workspace& app);
int RunParseAddress(const std::optional<std::string>& file);
int RunPrint(Workspace& app, const PrintOptions& options);
// The calibration sheet of the current template, at offset zero.
int RunCalibrationSheet(Workspace& app, const PrintOptions& options);
// Measured offsets stored as the calibration dialog stores them.
int RunSetOffset(Workspace& app, const CliCommand& command);
// The logged waybills, newest first, or exported for print --csv.
int RunLog(Workspace& app, const LogOptions& options);
// Logged waybills printed again, each on its own template while it exists.
int RunReprint(Workspace& app, const CliCommand& command);
// db-copy: the address book and print log of dataM/Dorvane.dorv onto the server that
// Set/database.ini names, which must hold no rows yet; prints each table's rows on both sides.
int RunDbCopy(Workspace& app);

// A new template from the picture of a form: its fields placed where the form's labels name
// them, the others where the current template has them; one line per field on standard output.
int RunTemplateFromPicture(Workspace& app, const CliCommand& command);

} // namespace dorvane
