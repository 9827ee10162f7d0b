#include "app/DorvaneApp.h"

#include "store/AddressBook.h"
#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "store/StoreLocation.h"
#include "text/TextFile.h"
#include "waybill/WaybillDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QProcess>

namespace dorvane {

namespace fs = std::filesystem;

namespace {
// The ODBC installer library, bound at run time so that a machine without it still starts.
#ifdef Q_OS_WIN
const char* const kInstallerLibrary = "odbccp32";
const int kInstallerVersion = -1;
#else
const char* const kInstallerLibrary = "odbcinst";
const int kInstallerVersion = 2;
#endif
constexpr unsigned short kOdbcAddDsn = 1;
using ConfigDataSourceFn = int (*)(void* parent, unsigned short request, const char* driver, const char* attributes);
} // namespace

bool CDorvaneApp::ConfigDataSource(const std::string& attributes)
{
    QLibrary library(QString::fromLatin1(kInstallerLibrary), kInstallerVersion);
    auto configure = reinterpret_cast<ConfigDataSourceFn>(library.resolve("SQLConfigDataSource"));
    if (!configure)
        return false;
    return configure(nullptr, kOdbcAddDsn, kAccessDriverName, attributes.data()) != 0;
}

bool CDorvaneApp::InitInstance()
{
    Workspace& app = workspace();
    app.WorkFolder = fs::path(QDir::currentPath().toStdU16String());
    app.ProgramFolder = fs::path(QCoreApplication::applicationDirPath().toStdU16String());
    app.DatabasePath = app.ProgramFolder / "dataM" / (app.DataSourceName + ".dorv");

    RegisterDataSource();
    RegisterFontSubstitutes();
    if (NarrowDatabaseIni(DatabaseIniPath(app.WorkFolder)))
        showMessage(nullptr, QString::fromUtf8(kDatabaseIniNarrowedNote), QString::fromUtf8(kAppTitle),
                    MessageIcon::Information);
    app.loadPrintSettings();

    if (RunMainDialog) {
        RunMainDialog();
    } else {
        CWaybillDlg dialog(app);
        dialog.exec();
    }
    return false;
}

void CDorvaneApp::RegisterDataSource()
{
    const Workspace& app = workspace();
    const auto native = [](const fs::path& p) { return ToCodePage(QDir::toNativeSeparators(PathToQString(p))); };
    if (ConfigDataSource(DataSourceAttributes(app.DataSourceName, native(app.DatabasePath), native(app.ProgramFolder))))
        return;

    // The registry script names the folder the Windows way, whatever platform writes it.
    const std::string workFolder = ToCodePage(PathToQString(app.WorkFolder).replace(QLatin1Char('/'), QLatin1Char('\\')));
    const fs::path script = fs::current_path() / "Dorvane.reg";
    WriteFileAtomically(script, RegistryScriptText(workFolder));
#ifdef Q_OS_WIN
    QProcess::startDetached(QStringLiteral("regedit.exe"),
                            {QStringLiteral("/s"), QDir::toNativeSeparators(PathToQString(script))});
#endif
}


} // namespace dorvane
