#include "base/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <memory>

namespace dorvane {

QTranslator* InstallQtTranslations(const QLocale& system)
{
    if (system.language() == QLocale::English)
        return nullptr; // Qt's texts are English already
    // Where the distribution keeps them, or beside the program in a folder of its own.
    const QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                              QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    for (const QLocale& locale : {system, QLocale(QLocale::Chinese, QLocale::China)}) {
        for (const QString& folder : folders) {
            if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
                QCoreApplication::installTranslator(translator.get());
                return translator.release();
            }
        }
    }
    return nullptr;
}

QTranslator* InstallQtTranslations()
{
    return InstallQtTranslations(QLocale::system());
}

} // namespace dorvane
