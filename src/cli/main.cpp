// dorvane-cli: waybills printed from the command line, for batches from an order export.
#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliOutput.h"
#include "workspace/Workspace.h"
#include "updater/NativePath.h"
#include "updater/SwapJournal.h"

#include <QGuiApplication>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace dorvane;

namespace {

// Standard error carries the tool's own messages and progress only; Qt's notes about the
// environment (no runtime folder, no session) would read as failures of the batch.
void KeepSeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        WriteError(message + QLatin1Char('\n'));
}

} // namespace

int main(int argc, char* argv[])
{
    // Painting and fonts need a GUI application, the tool never a display. Windows always has
    // its desktop, and only its own platform reaches the system's fonts.
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#else
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
#endif
#ifdef __GLIBC__
    // Qt's PDF writer passes every finished page through a fresh 16 MB buffer; by default
    // glibc maps and unmaps such a block for each page, which cost half of a batch's time.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
    qInstallMessageHandler(KeepSeriousMessages);
    QGuiApplication application(argc, argv);
    // As in the main program: an interrupted update's swap is finished or undone first.
    RecoverSwap(ToFsPath(QCoreApplication::applicationDirPath()));

    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());

    const ParsedCommand parsed = ParseCliArguments(args);
    if (!parsed.command) {
        WriteError(QStringLiteral("dorvane-cli: ") + QString::fromStdString(parsed.error) +
                   QLatin1Char('\n') + QString::fromUtf8(kCliUsage));
        return kExitError;
    }
    // The work folder's values of this run, read by the command that needs them.
    Workspace workspace;
    switch (parsed.command->kind) {
    case CliCommand::Kind::Help:
        WriteOut(QString::fromUtf8(kCliUsage));
        return kExitOk;
    case CliCommand::Kind::Templates:
        return RunTemplates(workspace);
    case CliCommand::Kind::ParseAddress:
        return RunParseAddress(parsed.command->file);
    case CliCommand::Kind::Print:
        return RunPrint(workspace, parsed.command->print);
    case CliCommand::Kind::CalibrationSheet:
        return RunCalibrationSheet(workspace, parsed.command->print);
    case CliCommand::Kind::SetOffset:
        return RunSetOffset(workspace, *parsed.command);
    case CliCommand::Kind::Log:
        return RunLog(workspace, parsed.command->log);
    case CliCommand::Kind::Reprint:
        return RunReprint(workspace, *parsed.command);
    case CliCommand::Kind::DbCopy:
        return RunDbCopy(workspace);
    case CliCommand::Kind::TemplateFromPicture:
        return RunTemplateFromPicture(workspace, *parsed.command);
    }
    return kExitError;
}
