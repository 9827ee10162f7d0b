// The template deletion dialog on a real work folder, with the trash redirected to a
// temporary XDG data folder so that the user's own trash is never touched.

#include "editor/TemplateDeleteDlg.h"
#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "support/WorkFolderFixture.h"
#include "waybill/WaybillDlg.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;

class TemplateDeleteDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        takeShownMessages();
        trashHome_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", trashHome_->path().toUtf8());
    }
    void cleanup()
    {
        QDir::setCurrent(startFolder_);
        qputenv("HOME", home_);
    }

    void listsEveryTemplateInTemplateOrder()
    {
        WorkFolderFixture work;
        CTemplateDeleteDlg dialog(work.workspace());
        QCOMPARE(names(dialog), QStringList({"EMS", "申通", "顺丰", "圆通", "中通", "自粘面单100x150"}));
        const auto notes = dialog.findChildren<QLabel*>(QStringLiteral("trashNote"));
        QCOMPARE(notes.size(), 3);
        for (const QLabel* note : notes)
            QCOMPARE(note->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }

    void deletingOneListedBeforeTheCurrentShiftsThePosition()
    {
        WorkFolderFixture work; // mould.ini line 1 is 3: 圆通 is in use
        work.installEmptyAddressBook();
        CWaybillDlg before(work.workspace());
        QCOMPARE(work.workspace().CurrentTemplate, std::string("圆通"));
        {
            CTemplateDeleteDlg dialog(work.workspace());
            pressDelete(dialog, QStringLiteral("申通"));
            QCOMPARE(takeShownMessages().first().text, QStringLiteral("真的要删除选中的模板“申通”？"));
            QCOMPARE(names(dialog), QStringList({"EMS", "顺丰", "圆通", "中通", "自粘面单100x150"}));
            QCOMPARE(work.read("Set/mould.ini").substr(0, 3), std::string("2\r\n"));
            QCOMPARE(work.workspace().TemplatePosition, std::string("2"));

            // Listed after the current one: the position stays.
            pressDelete(dialog, QStringLiteral("中通"));
            QCOMPARE(work.read("Set/mould.ini").substr(0, 3), std::string("2\r\n"));
            // Two in a row before the current one: lowered again.
            pressDelete(dialog, QStringLiteral("EMS"));
            QCOMPARE(work.read("Set/mould.ini").substr(0, 3), std::string("1\r\n"));
        }
        for (const char* name : {"申通", "中通", "EMS"}) {
            for (const char* ext : {".dat", ".bmp"}) {
                const QString file = QString::fromUtf8(name) + QString::fromLatin1(ext);
                QVERIFY2(!QFile::exists(work.path("dataM/" + file)), qPrintable(file));
                QVERIFY2(QFile::exists(trashHome_->filePath("Trash/files/" + file)), qPrintable(file));
                QVERIFY(QFile::exists(trashHome_->filePath("Trash/info/" + file + ".trashinfo")));
            }
        }
        CWaybillDlg after(work.workspace());
        QCOMPARE(after.findChild<QComboBox*>(QStringLiteral("templateCombo"))->currentText(),
                 QStringLiteral("圆通"));
        QCOMPARE(work.workspace().CurrentTemplate, std::string("圆通"));
    }

    void refusesTheCurrentTemplateAndNoAnswersAndNoSelection()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg main(work.workspace());
        const std::string mould = work.read("Set/mould.ini");
        CTemplateDeleteDlg dialog(work.workspace());

        pressDelete(dialog, QStringLiteral("圆通"));
        auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("不能删除当前正在使用的模板!"));

        queueMessageAnswer(MessageAnswer::No);
        pressDelete(dialog, QStringLiteral("EMS"));
        QCOMPARE(takeShownMessages().size(), 1);

        dialog.findChild<QListWidget*>()->clearSelection();
        dialog.findChild<QPushButton*>(QStringLiteral("deleteButton"))->click();
        shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].caption, QStringLiteral("注意"));

        QCOMPARE(names(dialog).size(), 6);
        QCOMPARE(QDir(work.path("dataM")).entryList({"*.dat", "*.bmp"}, QDir::Files).size(), 12);
        QCOMPARE(work.read("Set/mould.ini"), mould);
        QVERIFY(!QDir(trashHome_->filePath("Trash/files")).exists() ||
                QDir(trashHome_->filePath("Trash/files")).isEmpty());
    }

    void aTemplateWithoutPictureIsDeleted()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg main(work.workspace());
        QFile::remove(work.path("dataM/顺丰.bmp"));
        CTemplateDeleteDlg dialog(work.workspace());
        pressDelete(dialog, QStringLiteral("顺丰"));
        QCOMPARE(takeShownMessages().size(), 1); // the question only, no error
        QVERIFY(QFile::exists(trashHome_->filePath("Trash/files/顺丰.dat")));
        QCOMPARE(names(dialog), QStringList({"EMS", "申通", "圆通", "中通", "自粘面单100x150"}));
        QCOMPARE(work.read("Set/mould.ini").substr(0, 3), std::string("2\r\n"));
    }

    void aFreshAccountGetsItsTrashMade()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg main(work.workspace());
        // A home without ~/.local/share, and no XDG_DATA_HOME: the trash is ~/.local/share/Trash.
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        qunsetenv("XDG_DATA_HOME");
        QDir::setCurrent(home.path()); // where Qt would put a stray trash folder

        CTemplateDeleteDlg dialog(work.workspace());
        pressDelete(dialog, QStringLiteral("EMS"));
        QCOMPARE(takeShownMessages().size(), 1); // the question only
        QCOMPARE(names(dialog).size(), 5);
        const QString trash = home.filePath(QStringLiteral(".local/share/Trash"));
        for (const char* file : {"EMS.dat", "EMS.bmp"}) {
            QVERIFY(!QFile::exists(work.path(QStringLiteral("dataM/") + QLatin1String(file))));
            QVERIFY(QFile::exists(trash + QStringLiteral("/files/") + QLatin1String(file)));
            QFile info(trash + QStringLiteral("/info/") + QLatin1String(file) + QStringLiteral(".trashinfo"));
            QVERIFY(info.open(QIODevice::ReadOnly));
            QVERIFY(info.readAll().contains("Path=" + work.path(QStringLiteral("dataM/")).toUtf8() + file));
        }
        const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        for (const QString& folder :
             {trash, trash + QStringLiteral("/files"), trash + QStringLiteral("/info")})
            QCOMPARE(QFileInfo(folder).permissions() &
                         ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
                     ownerOnly);
        QVERIFY(!QDir(home.filePath(QStringLiteral("files"))).exists());
    }

    void withoutATrashNothingIsDeleted()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg main(work.workspace());
        // A data folder under which no Trash folder can be made: moving to the trash fails.
        QDir::setCurrent(trashHome_->path()); // where Qt would put a stray trash folder
        QFile blocker(trashHome_->filePath("notAFolder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", blocker.fileName().toUtf8());

        CTemplateDeleteDlg dialog(work.workspace());
        pressDelete(dialog, QStringLiteral("EMS"));
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[1].text.contains(QStringLiteral("没有删除")));
        QVERIFY(QFile::exists(work.path("dataM/EMS.dat")));
        QVERIFY(QFile::exists(work.path("dataM/EMS.bmp")));
        QCOMPARE(names(dialog).size(), 6);
        QCOMPARE(work.read("Set/mould.ini").substr(0, 3), std::string("3\r\n"));
        QVERIFY(!QDir(QStringLiteral("files")).exists()); // nothing left in a stray trash folder
        QVERIFY(!QDir(QStringLiteral("info")).exists());
    }

private:
    static QStringList names(CTemplateDeleteDlg& dialog)
    {
        QStringList result;
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("templateList"));
        for (int i = 0; i < list->count(); ++i)
            result.append(list->item(i)->text());
        return result;
    }

    // Selects name and presses Enter, the dialog's default button.
    static void pressDelete(CTemplateDeleteDlg& dialog, const QString& name)
    {
        dialog.show();
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("templateList"));
        const auto found = list->findItems(name, Qt::MatchExactly);
        QVERIFY(found.size() == 1);
        list->setCurrentItem(found.first());
        QTest::keyClick(list, Qt::Key_Return);
    }

    std::unique_ptr<QTemporaryDir> trashHome_;
    const QString startFolder_ = QDir::currentPath();
    const QByteArray home_ = qgetenv("HOME");
};

QTEST_MAIN(TemplateDeleteDlgTest)
#include "TemplateDeleteDlgTest.moc"
