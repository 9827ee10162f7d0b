// Qt's own standard buttons and dialogs speak the program's language.
#include "base/QtTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTranslator>

#include <memory>

using namespace dorvane;

namespace {
QString YesText()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text();
}
} // namespace

class QtTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void chineseUnlessTheSystemNamesALanguageQtSpeaks()
    {
        QCOMPARE(YesText(), QStringLiteral("&Yes"));

        // A system that names no language (the C locale): Chinese, as the program's own texts.
        std::unique_ptr<QTranslator> chinese(InstallQtTranslations(QLocale::c()));
        QVERIFY2(chinese, "Qt's Chinese translations (qtbase_zh_CN.qm) were not found");
        QCOMPARE(YesText(), QStringLiteral("是(&Y)"));
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("否(&N)"));
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
        // Qt's own file dialog: its labels too.
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        const QRegularExpression han(QStringLiteral("\\p{Han}"));
        auto* lookIn = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QVERIFY2(lookIn->text().contains(han), qPrintable(lookIn->text()));
        chinese.reset();
        QCOMPARE(YesText(), QStringLiteral("&Yes"));

        // A language Qt has a translation for: that one.
        std::unique_ptr<QTranslator> german(
            InstallQtTranslations(QLocale(QLocale::German, QLocale::Germany)));
        QVERIFY(german);
        QCOMPARE(YesText(), QStringLiteral("&Ja"));
        german.reset();

        // English: Qt's own texts, nothing installed.
        QVERIFY(!InstallQtTranslations(QLocale(QLocale::English, QLocale::UnitedStates)));
        QCOMPARE(YesText(), QStringLiteral("&Yes"));
    }
};

QTEST_MAIN(QtTranslationsTest)
#include "QtTranslationsTest.moc"
