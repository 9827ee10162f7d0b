#pragma once
// A work folder like the ready-to-run one: the shipped templates in dataM/ and the settings
// in Set/, and a workspace of the test's own pointing at it. The start-up help is switched off.

#include "workspace/Workspace.h"
#include "base/SettingsFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <string>

namespace dorvane::test {

class WorkFolderFixture {
public:
    WorkFolderFixture()
    {
        QDir().mkpath(dir_.filePath(QStringLiteral("dataM")));
        const QDir data(qEnvironmentVariable("DORVANE_SOURCE_DIR") + QStringLiteral("/data"));
        for (const QString& name : data.entryList({QStringLiteral("*.dat"), QStringLiteral("*.bmp")}, QDir::Files))
            QFile::copy(data.filePath(name), dir_.filePath(QStringLiteral("dataM/") + name));
        Workspace& app = workspace();
        app.WorkFolder = std::filesystem::path(dir_.path().toStdString());
        app.loadPrintSettings();
        write("Set/mould.ini", "3\r\n0\r\n1\r\n");
    }

    Workspace& workspace() { return workspace_; }

    QString path(const QString& relative) const { return dir_.filePath(relative); }
    // The same as a file system path, whole on Windows too, where a std::string path is read in
    // the ANSI code page.
    std::filesystem::path fsPath(const QString& relative) const
    {
        return std::filesystem::path(path(relative).toStdU16String());
    }

    // Puts the shipped empty address book into dataM/ and returns its path.
    std::filesystem::path installEmptyAddressBook() const
    {
        const QString source = qEnvironmentVariable("DORVANE_RUN_DIR") + QStringLiteral("/../data/Dorvane.dorv");
        const QString target = path(QStringLiteral("dataM/Dorvane.dorv"));
        QFile::remove(target);
        if (!QFile::copy(source, target))
            return {};
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return fsPath(QStringLiteral("dataM/Dorvane.dorv"));
    }

    void write(const QString& relative, const std::string& bytes) const
    {
        std::ofstream file(fsPath(relative), std::ios::binary | std::ios::trunc);
        file << bytes;
    }

    std::string read(const QString& relative) const
    {
        std::ifstream file(fsPath(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

private:
    QTemporaryDir dir_;
    Workspace workspace_;
};

} // namespace dorvane::test
