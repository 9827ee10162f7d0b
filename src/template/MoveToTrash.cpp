#include "template/MoveToTrash.h"

#include "text/CodePageText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#define DORVANE_FREEDESKTOP_TRASH 1
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dorvane {

namespace fs = std::filesystem;

namespace {

// Qt's move: the system's trash on Windows and macOS; on freedesktop.org systems it also
// finds the trash of another partition.
bool QtMoveToTrash(const fs::path& path)
{
    const QString source = PathToQString(path);
    QString inTrash;
    if (!QFile::moveToTrash(source, &inTrash))
        return false;
    if (QFileInfo(inTrash).isAbsolute())
        return true;
    // Qt 6.4 on XDG desktops reports success when it cannot make a trash folder, having moved
    // the file into "files/" below the current directory instead. That is no trash the user
    // can restore from: the file goes back and the move counts as failed.
    if (QFile::rename(inTrash, source)) {
        QDir files = QFileInfo(inTrash).dir();
        const QString info = files.filePath(QStringLiteral("../info"));
        QFile::remove(info + QLatin1Char('/') + QFileInfo(inTrash).fileName() + QStringLiteral(".trashinfo"));
        QDir().rmdir(info); // only when empty
        QDir().rmdir(files.path());
    }
    return false;
}

#ifdef DORVANE_FREEDESKTOP_TRASH

// The home trash of the freedesktop.org trash convention: $XDG_DATA_HOME/Trash, by default
// ~/.local/share/Trash. Empty when the data folder is unknown or not absolute.
fs::path HomeTrash()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const fs::path folder(QFile::encodeName(data).toStdString());
    return folder.is_absolute() ? folder / "Trash" : fs::path();
}

// Makes folder and any missing parent with mode 0700, as the convention asks of the trash
// and of the data folders above it.
bool MakePrivateFolder(const fs::path& folder)
{
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return true;
    const fs::path parent = folder.parent_path();
    if (parent.empty() || parent == folder || !MakePrivateFolder(parent))
        return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && fs::is_directory(folder, ec));
}

bool MakeHomeTrash(const fs::path& trash)
{
    return !trash.empty() && MakePrivateFolder(trash / "files") && MakePrivateFolder(trash / "info");
}

// Qt names files by Unicode text; a path whose bytes are not UTF-8 has no such name.
bool QtCanName(const fs::path& path)
{
    const QByteArray bytes = QByteArray::fromStdString(path.native());
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

// The info file's Path value: every byte but the unreserved characters and "/" written as
// %XX, so that the name comes back byte for byte whatever its encoding.
std::string EscapedPath(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            byte == '-' || byte == '_' || byte == '.' || byte == '~' || byte == '/') {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        }
    }
    return escaped;
}

// The convention's move into the home trash: the info file is made first, exclusively (it
// claims the name in files/), then the file is renamed beside it. False, with nothing left
// behind, when the file cannot go there (another partition, no write permission).
bool MoveToHomeTrash(const fs::path& file, const fs::path& trash)
{
    std::error_code ec;
    const fs::path source = fs::absolute(file, ec);
    if (ec || !fs::exists(fs::symlink_status(source, ec)))
        return false;
    const std::string date =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toStdString();
    const std::string text =
        "[Trash Info]\nPath=" + EscapedPath(source.native()) + "\nDeletionDate=" + date + "\n";
    for (int copy = 1; copy < 1000; ++copy) {
        const std::string name =
            copy == 1 ? source.filename().native()
                      : source.stem().native() + "." + std::to_string(copy) + source.extension().native();
        const fs::path info = trash / "info" / (name + ".trashinfo");
        const fs::path target = trash / "files" / name;
        const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        const bool closed = ::close(fd) == 0;
        if (fs::exists(fs::symlink_status(target, ec))) {
            ::unlink(info.c_str()); // a file without its info file holds this name
            continue;
        }
        if (written && closed && ::rename(source.c_str(), target.c_str()) == 0)
            return true;
        ::unlink(info.c_str());
        return false;
    }
    return false;
}

#endif

} // namespace

bool MoveToTrash(const fs::path& file)
{
#ifdef DORVANE_FREEDESKTOP_TRASH
    // A fresh account has no trash yet; Qt makes only the Trash folder itself and fails when
    // ~/.local/share is missing too.
    const fs::path trash = HomeTrash();
    const bool haveTrash = MakeHomeTrash(trash);
    if (!QtCanName(file))
        return haveTrash && MoveToHomeTrash(file, trash);
#endif
    return QtMoveToTrash(file);
}

} // namespace dorvane
