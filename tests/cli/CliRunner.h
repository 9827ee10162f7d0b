#pragma once
// Runs the real dorvane-cli in a work folder of its own: the shipped templates in dataM/,
// settings in Set/, and no display.

#include "app/AppValues.h"
#include "app/CodePageText.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"
#include "template/TemplateStore.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <array>

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
    }

    QString path(const QString& relative) const { return dir_.filePath(relative); }
    std::filesystem::path fsPath() const { return std::filesystem::path(dir_.path().toStdString()); }

    void write(const QString& relative, const QByteArray& bytes) const
    {
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
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
        process.start(qEnvironmentVariable("DORVANE_RUN_DIR") + QStringLiteral("/dorvane-cli"), arguments);
        CliResult result;
        if (!process.waitForStarted(10000))
            return result;
        process.write(input);
        process.closeWriteChannel();
        result.finished = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    // Where each field of the named template lands on a PDF page, in points, with the
    // adjustments of this folder's set.ini.
    std::array<QRectF, kFieldCount> fieldBoxes(const QString& templateName) const
    {
        AppValues app;
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
        const auto boxes = WaybillRenderer(setup).fieldBoxes(QRect(0, 0, printer.width(), printer.height()));
        const double k = 72.0 / printer.resolution();
        std::array<QRectF, kFieldCount> points;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            points[i] =
                QRectF(boxes[i].left() * k, boxes[i].top() * k, boxes[i].width() * k, boxes[i].height() * k);
        return points;
    }

private:
    QTemporaryDir dir_;
};

} // namespace dorvane::test
