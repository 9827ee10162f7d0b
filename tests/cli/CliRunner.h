#pragma once
// Runs the real dorvane-cli in a work folder of its own: the shipped templates in dataM/,
// settings in Set/, the empty address book, and no display.

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"
#include "template/TemplateStore.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <array>

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace dorvane::test {

struct CliResult {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

class CliFolder {
public:
    CliFolder()
    {
        QDir().mkpath(path(QStringLiteral("dataM")));
        QDir().mkpath(path(QStringLiteral("Set")));
        const QDir data(qEnvironmentVariable("DORVANE_SOURCE_DIR") + QStringLiteral("/data"));
        for (const QString& name :
             data.entryList({QStringLiteral("*.dat"), QStringLiteral("*.bmp")}, QDir::Files))
            QFile::copy(data.filePath(name), path(QStringLiteral("dataM/") + name));
        // The empty address book, which holds the print log.
        QFile::copy(qEnvironmentVariable("DORVANE_RUN_DIR") + QStringLiteral("/../data/Dorvane.dorv"),
                    path(QStringLiteral("dataM/Dorvane.dorv")));
    }

    QString path(const QString& relative) const { return dir_.filePath(relative); }
    std::filesystem::path fsPath() const { return std::filesystem::path(dir_.path().toStdString()); }

    void write(const QString& relative, const QByteArray& bytes) const
    {
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

    // From now on the tool runs as nobody when the test runs as root, to whom file permissions
    // mean nothing; the folder becomes nobody's. Windows has neither root nor nobody: there
    // the tool runs as the test's user.
    void runAsNobody()
    {
#ifndef _WIN32
        if (geteuid() != 0)
            return;
        const passwd* user = getpwnam("nobody");
        const group* nogroup = getgrnam("nogroup");
        if (!user || !nogroup)
            return;
        namespace fs = std::filesystem;
        (void)chown(dir_.path().toLocal8Bit().constData(), user->pw_uid, nogroup->gr_gid);
        for (const auto& entry : fs::recursive_directory_iterator(fsPath()))
            (void)chown(entry.path().c_str(), user->pw_uid, nogroup->gr_gid);
        runAs_ = {QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                  QStringLiteral("--clear-groups")};
#endif
    }

    CliResult run(const QStringList& arguments, const QByteArray& input = {}) const
    {
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The tool must manage without a display and without being told the platform.
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(environment);
        const QString tool = qEnvironmentVariable("DORVANE_RUN_DIR") + QStringLiteral("/dorvane-cli");
        if (runAs_.isEmpty())
            process.start(tool, arguments);
        else
            process.start(runAs_.first(), runAs_.mid(1) + QStringList{tool} + arguments);
        CliResult result;
        if (!process.waitForStarted(10000))
            return result;
        process.write(input);
        process.closeWriteChannel();
        result.finished = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
#ifdef _WIN32
        // A Windows program's text output ends its lines with CR LF.
        result.out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        result.err.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
        return result;
    }

    // Where each field of the named template lands on a PDF page, in points, with the
    // adjustments of this folder's set.ini.
    std::array<QRectF, kFieldCount> fieldBoxes(const QString& templateName) const
    {
        Workspace app;
        app.WorkFolder = fsPath();
        app.setPrintSettings(LoadOrCreateSetIni(app.settingsPaths().setIni));
        LoadLayoutFile(LayoutPath(app.WorkFolder, ToFileName(templateName)), app.Layout);
        const PrintScales scales = ComputePrintScales(app.Layout);
        ComputePrintRects(app.Layout, scales);
        app.PaperWidth = app.Layout.paperWidth();
        app.PaperLength = app.Layout.paperLength();
        const WaybillPrintSetup setup = MakePrintSetup(app, 96);
        QPrinter printer(QPrinter::HighResolution);
        PrepareWaybillPdf(printer, path(QStringLiteral("boxes.pdf")), setup);
        const auto boxes = WaybillRenderer(setup).fieldBoxes(printer);
        const double k = 72.0 / printer.resolution();
        std::array<QRectF, kFieldCount> points;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            points[i] =
                QRectF(boxes[i].left() * k, boxes[i].top() * k, boxes[i].width() * k, boxes[i].height() * k);
        return points;
    }

private:
    QTemporaryDir dir_;
    QStringList runAs_; // the command the tool runs under, if any
};

} // namespace dorvane::test
