#include "updater/UpdorvApp.h"

#include "base/MessageBox.h"
#include "updater/NativePath.h"
#include "updater/SwapJournal.h"
#include "updater/UpdateProtocol.h"
#include "updater/UpdorvDlg.h"

#include <QFile>

namespace dorvane {

int CUpdorvApp::InitInstance(const std::filesystem::path& modulePath, const UpdateTrust& trust)
{
    UpdaterFolder = UpdaterFolderFor(modulePath, UpdaterProgramName());
    // A swap this program was killed in is finished or undone before anything is read.
    RecoverSwap(UpdaterFolder);
    const auto versionPath = FindVersionFile(UpdaterFolder);
    QFile file(ToQPath(versionPath));
    if (versionPath.empty() || !file.open(QIODevice::ReadOnly)) {
        showMessage(nullptr,
                    QStringLiteral("本文件为升级模块，无法单独运行！\n请在主程序中运行在线升级功能调用本模块！"),
                    QStringLiteral("Updorv"), MessageIcon::Warning);
        return 0;
    }
    file.close();
    CUpdorvDlg dialog(UpdaterFolder, trust);
    dialog.exec();
    return 0;
}

} // namespace dorvane
