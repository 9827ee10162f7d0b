// dorvane-picturegen OUTPUT_FOLDER: draws the program's own pictures (the window icon at
// several sizes and the About box's banner) as PNG files.

#include "ProgramMark.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

using namespace dorvane;

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: dorvane-picturegen OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(args[1]);
    if (!out.exists() && !QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    QList<QPair<QString, QImage>> pictures;
    for (int size : {16, 32, 48, 64})
        pictures.append({QStringLiteral("program-%1.png").arg(size), ProgramIconImage(size)});
    pictures.append({QStringLiteral("about.png"), AboutPictureImage()});
    for (const auto& [name, image] : pictures) {
        const QString path = out.filePath(name);
        if (!image.save(path, "PNG")) {
            err << "cannot write " << path << "\n";
            return 1;
        }
        QTextStream(stdout) << path << "\n";
    }
    return 0;
}
