// A template copied from a Windows computer: its file names are in the Chinese code page (GBK
// bytes), not UTF-8. It is listed under its decoded name and chosen, edited and deleted by the
// files it really has.
#include "SurfaceMouse.h"
#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "support/TempFolder.h"
#include "support/WorkFolderFixture.h"
#include "editor/EditingSurface.h"
#include "editor/TemplateDeleteDlg.h"
#include "editor/TemplateEditDlg.h"
#include "template/TemplateList.h"
#include "waybill/WaybillDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace dorvane;
using namespace dorvane::test;
namespace fs = std::filesystem;

namespace {

// "韵达" in GBK; D4 is no UTF-8 lead byte for CF, so the name is not UTF-8.
const std::string kGbkName = "\xD4\xCF\xB4\xEF";
const QString kShownName = QStringLiteral("韵达");

bool finished = false;

// Removes a folder on leaving the scope. QTemporaryDir cannot: Qt names files by Unicode
// text and cannot reach those whose names are not UTF-8.
struct RemovedOnExit {
    fs::path folder;
    ~RemovedOnExit()
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

std::size_t FileCount(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

class CodePageTemplateNameTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RegisterFontSubstitutes();
        // The program ends itself, with exit code 0, when a template's layout file cannot be
        // opened: here that is a failure, not a passed run.
        std::atexit([] {
            if (!finished) {
                std::fputs("the program ended in the middle of the test\n", stderr);
                std::_Exit(1);
            }
        });
    }
    void cleanupTestCase() { finished = true; }

    void isListedChosenEditedAndDeletedByItsOwnFileName()
    {
        setMessagesAnsweredByTest(true);
        QTemporaryDir dataHome;
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        const fs::path dataM(work.path(QStringLiteral("dataM")).toStdString());
        const RemovedOnExit removeWork{work.path(QString()).toStdString()};
        const RemovedOnExit removeTrash{dataHome.path().toStdString()};
        const fs::path layout = dataM / (kGbkName + ".dat");
        const fs::path picture = dataM / (kGbkName + ".bmp");
        // 中通's layout under the GBK name, with a picture of its own.
        fs::copy_file(dataM / "中通.dat", layout);
        QVERIFY(WriteBitmap(work.path(QStringLiteral("picture.bmp")), QSize(500, 300), QColor(0, 0, 160)));
        fs::rename(fs::path(work.path(QStringLiteral("picture.bmp")).toStdString()), picture);
        const std::size_t files = FileCount(dataM);

        // Listed by its decoded name, in code-page order (圆通 D4B2 < 韵达 D4CF < 中通 D6D0).
        QCOMPARE(SortedTemplateNames(work.workspace().WorkFolder),
                 QStringList({"EMS", "申通", "顺丰", "圆通", "韵达", "中通", "自粘面单100x150"}));

        {
            // Chosen in the main window with the keyboard (圆通 is current).
            CWaybillDlg main(work.workspace());
            main.show();
            QVERIFY(QTest::qWaitForWindowActive(&main));
            auto* combo = main.findChild<QComboBox*>(QStringLiteral("templateCombo"));
            auto* recipient = main.findChild<QWidget*>(QStringLiteral("recipientNameEdit"));
            const QRect atYuantong = recipient->geometry();
            combo->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QCOMPARE(combo->currentText(), kShownName);
            QVERIFY(main.windowTitle().endsWith(QStringLiteral("当前模板：韵达")));
            QCOMPARE(main.findChild<QWidget*>(QStringLiteral("pictureFrame"))->size(), QSize(500, 300));
            QCOMPARE(work.read(QStringLiteral("Set/mould.ini")).substr(0, 3), std::string("4\r\n"));
            const QRect atYunda = recipient->geometry();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QCOMPARE(combo->currentText(), QStringLiteral("中通"));
            QCOMPARE(recipient->geometry(), atYunda); // the same layout was loaded
            QVERIFY(atYunda != atYuantong);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        }

        CWaybillDlg restarted(work.workspace()); // starts on it
        QCOMPARE(restarted.findChild<QComboBox*>(QStringLiteral("templateCombo"))->currentText(), kShownName);
        {
            // Edited and saved in the template editor: the box moves in its own layout file.
            work.workspace().PrintOffsetX = 0; // boxes drawn where the layout puts them
            work.workspace().PrintOffsetY = 0;
            CTemplateEditDlg editor(work.workspace());
            editor.show();
            QVERIFY(editor.windowTitle().endsWith(kShownName));
            QCOMPARE(editor.surface()->picture().size(), QSize(500, 300));
            const auto box = BoxOf(work.workspace().Layout, 1);
            DragMouse(editor.surface(), QPoint(box[0] + 4, box[1] + box[3] / 2),
                      QPoint(box[0] + 14, box[1] + box[3] / 2));
            QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
            const QStringList row =
                FromCodePage(ReadBytes(layout)).split(QStringLiteral("\r\n"))[2].split(',');
            QCOMPARE(row[2].toInt(), box[0] + 10);
            editor.reject();
        }
        QCOMPARE(FileCount(dataM), files);

        // Deleted while another template is current: both files go to the trash by their names.
        auto* combo = restarted.findChild<QComboBox*>(QStringLiteral("templateCombo"));
        restarted.show();
        QVERIFY(QTest::qWaitForWindowActive(&restarted));
        combo->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(combo->currentText(), QStringLiteral("圆通"));
        takeShownMessages();
        CTemplateDeleteDlg dialog(work.workspace());
        dialog.show();
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("templateList"));
        list->setCurrentItem(list->findItems(kShownName, Qt::MatchExactly).value(0));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(takeShownMessages().size(), 1); // the question only
        const fs::path trash(dataHome.filePath(QStringLiteral("Trash")).toStdString());
        for (const fs::path& file : {layout, picture}) {
            QVERIFY(!fs::exists(file));
            const std::string name = file.filename().native();
            QVERIFY(fs::exists(trash / "files" / name));
            const std::string info = ReadBytes(trash / "info" / (name + ".trashinfo"));
            QVERIFY2(info.find("Path=" + dataM.native() + "/%D4%CF%B4%EF" + file.extension().native() +
                               "\n") != std::string::npos,
                     info.c_str());
        }
        QCOMPARE(FileCount(dataM), files - 2);
        QCOMPARE(work.read(QStringLiteral("Set/mould.ini")).substr(0, 3), std::string("3\r\n"));
    }
};

QTEST_MAIN(CodePageTemplateNameTest)
#include "CodePageTemplateNameTest.moc"
