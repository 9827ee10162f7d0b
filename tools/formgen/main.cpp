// dorvane-formgen OUTPUT_FOLDER: draws the shipped courier templates (N.bmp and N.dat).

#include "CourierForm.h"
#include "IndexedBmp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

using namespace dorvane;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return !bytes.isEmpty() && f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace

int main(int argc, char** argv)
{
    // Fonts need a platform plugin; no window is ever shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: dorvane-formgen OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(args[1]);
    if (!out.exists() && !QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    QTextStream log(stdout);
    for (const FormStyle& style : CourierStyles()) {
        const CourierForm form(style);
        const QByteArray layout = form.layoutFile();
        const QString bmp = out.filePath(style.name + ".bmp");
        const QString dat = out.filePath(style.name + ".dat");
        if (!writeFile(dat, layout)) {
            err << "cannot write " << dat << "\n";
            return 1;
        }
        if (!writeFile(bmp, IndexedBmp(form.indexedPicture()))) {
            err << "cannot write " << bmp << "\n";
            return 1;
        }
        const QImage check(bmp);
        if (check.width() != CourierForm::kWidth || check.height() != CourierForm::kHeight) {
            err << bmp << " does not load back as " << CourierForm::kWidth << "x" << CourierForm::kHeight << "\n";
            return 1;
        }
        log << bmp << " (" << QFileInfo(bmp).size() << " bytes), " << dat << "\n";
    }
    return 0;
}
