#pragma once
// Qt's own texts (standard buttons, file and font dialogs) in the user's language.

class QLocale;
class QTranslator;

namespace dorvane {

// Installs Qt's translations for the system language, or Chinese - the language of the
// program's own texts - where the system names a language Qt has none for. Returns the
// installed translator (owned by the application), or nullptr when none is needed (an
// English system) or none could be loaded.
QTranslator* InstallQtTranslations(const QLocale& system);
QTranslator* InstallQtTranslations();

} // namespace dorvane
