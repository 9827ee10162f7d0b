// The template editor driven through its real widgets and mouse events.
#include "base/FileChoice.h"
#include "editor/TemplateEditDlg.h"
#include "SurfaceMouse.h"
#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "text/TextFile.h"
#include "support/WorkFolderFixture.h"
#include "editor/EditingSurface.h"
#include "template/TemplateList.h"
#include "template/TemplatePicture.h"
#include "editor/TemplateStepsDlg.h"
#include "template/TemplateStore.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace dorvane;
using namespace dorvane::test;

namespace {

QStringList Texts(const QList<ShownMessage>& messages)
{
    QStringList texts;
    for (const ShownMessage& m : messages)
        texts.append(m.text);
    return texts;
}

QPushButton* Button(QWidget* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(QLatin1String(name));
}

void Click(QWidget* dialog, const char* name)
{
    QPushButton* button = Button(dialog, name);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void ChooseMode(CTemplateEditDlg& dialog, int mode, const QString& name = {})
{
    dialog.findChild<QComboBox*>(QStringLiteral("modeCombo"))->setCurrentIndex(mode);
    dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"))->setText(name);
}

// The files in dataM/, sorted.
QStringList DataFiles(const WorkFolderFixture& work)
{
    return QDir(work.path(QStringLiteral("dataM"))).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList LayoutLines(const WorkFolderFixture& work, const QString& name)
{
    return FromCodePage(work.read(QStringLiteral("dataM/%1.dat").arg(name))).split(QStringLiteral("\r\n"));
}

} // namespace

class TemplateEditDlgTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterFontSubstitutes(); }
    void init()
    {
        setMessagesAnsweredByTest(true);
        clearFileAnswers();
    }

    void opensOverThePictureWithItsControlsAndDrawsBoxes()
    {
        WorkFolderFixture work;
        UseTemplate(work.workspace(), "圆通", "3");
        CTemplateEditDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("创建快递单模板 -- 当前模板：圆通"));
        QCOMPARE(dialog.pos(), QPoint(30, 30));
        QCOMPARE(dialog.size(), QSize(870 + 150, 480 + 50));
        QCOMPARE(Button(&dialog, "stepsButton")->geometry(), QRect(885, 25, 100, 39));
        QCOMPARE(Button(&dialog, "importButton")->geometry(), QRect(885, 262, 100, 39));
        QCOMPARE(Button(&dialog, "saveButton")->geometry(), QRect(885, 325, 100, 39));
        QVERIFY(Button(&dialog, "importButton")->isDefault());
        auto* group = dialog.findChild<QGroupBox*>(QStringLiteral("newNameGroup"));
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"));
        QVERIFY(group->isHidden() && edit->isHidden());
        QCOMPARE(group->palette().color(QPalette::Window), QColor(0, 255, 0));

        // Mode 1 shows the name box with the focus in it; mode 0 hides it again.
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("modeCombo"));
        QCOMPARE(combo->itemText(0), QStringLiteral("修改当前模板"));
        QCOMPARE(combo->itemText(1), QStringLiteral("新建快递模板"));
        combo->setCurrentIndex(1);
        QVERIFY(group->isVisible() && edit->isVisible());
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(dialog.EditMode, 1);
        combo->setCurrentIndex(0);
        QVERIFY(group->isHidden() && edit->isHidden());

        // Field 1 (sender name) is at 36, 89, 157 x 24 on the shipped form: its label in blue,
        // an outline exactly on the box while the pointer is over it, the margin beside.
        EditingSurface* surface = dialog.surface();
        const QImage clean = surface->grab().toImage();
        MoveMouse(surface, QPoint(100, 100));
        QCOMPARE(surface->cursor().shape(), Qt::SizeAllCursor);
        const QImage image = surface->grab().toImage();
        QVERIFY(CountBlue(image, QRect(36, 89, 157, 24)) > 20);
        QCOMPARE(image.pixelColor(36, 89), QColor(Qt::black));
        QCOMPARE(image.pixelColor(192, 112), QColor(Qt::black));
        QCOMPARE(image.pixelColor(193, 113), clean.pixelColor(193, 113)); // half-open: not on the box
        QCOMPARE(image.pixelColor(35, 88), clean.pixelColor(35, 88));
        QCOMPARE(image.pixelColor(870 + 50, 10), EditingSurface::kMarginColour);
        QCOMPARE(image.pixelColor(10, 480 + 20), EditingSurface::kMarginColour);
        MoveMouse(surface, QPoint(800, 460));
        QCOMPARE(surface->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(surface->grab().toImage(), clean);
        dialog.reject();
    }

    void stepsDialogShowsEightBlueLines()
    {
        CTemplateStepsDlg steps;
        const QList<QLabel*> lines = steps.findChildren<QLabel*>(QStringLiteral("stepLine"));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.first()->text(), QStringLiteral("1、在下拉框中选择“新建快递模板”。"));
        QCOMPARE(lines.last()->text(), QStringLiteral("择快递单模板”下拉框内选择并使用新创建的模板了！"));
        for (QLabel* line : lines)
            QCOMPARE(line->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(steps.windowTitle(), QStringLiteral("创建模板步骤说明"));
    }

    void draggedAndResizedBoxesAreSavedToTheCurrentTemplate()
    {
        WorkFolderFixture work;
        UseTemplate(work.workspace(), "圆通", "3");
        const TemplateLayout before = work.workspace().Layout;
        CTemplateEditDlg dialog(work.workspace());
        QSignalSpy saved(&dialog, &CTemplateEditDlg::layoutSaved);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        EditingSurface* surface = dialog.surface();

        // With Shift or Ctrl held, or the right button down too, nothing moves.
        DragMouse(surface, QPoint(100, 100), QPoint(140, 120), Qt::ShiftModifier);
        DragMouse(surface, QPoint(100, 100), QPoint(140, 120), Qt::ControlModifier);
        MoveMouse(surface, QPoint(100, 100));
        QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(100, 100));
        MoveMouse(surface, QPoint(130, 110), Qt::LeftButton | Qt::RightButton);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(130, 110));
        QCOMPARE(surface->tracker().layout(), before);
        QVERIFY(!dialog.LayoutModified());

        // Field 1 moved by (20, 10); field 3 (466, 89, 157 x 24) widened through its right strip.
        DragMouse(surface, QPoint(100, 100), QPoint(120, 110));
        QCOMPARE(BoxOf(surface->tracker().layout(), 1), (std::array<int, 4>{56, 99, 157, 24}));
        MoveMouse(surface, QPoint(624, 100));
        QCOMPARE(surface->cursor().shape(), Qt::SizeHorCursor);
        DragMouse(surface, QPoint(624, 100), QPoint(650, 100));
        QCOMPARE(BoxOf(surface->tracker().layout(), 3), (std::array<int, 4>{466, 89, 183, 24}));
        QVERIFY(dialog.LayoutModified());
        QCOMPARE(work.workspace().Layout, before); // nothing shared changes before saving

        Click(&dialog, "saveButton");
        QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("保存成功！")});
        QVERIFY(!dialog.LayoutModified());
        QCOMPARE(saved.count(), 1);
        const QStringList lines = LayoutLines(work, QStringLiteral("圆通"));
        QCOMPARE(lines.size(), 22); // 21 lines, each ended
        QCOMPARE(lines[2], QStringLiteral("0,0,56,99,157,24"));
        QCOMPARE(lines[4], QStringLiteral("0,0,466,89,183,24"));
        QCOMPARE(lines[0], QStringLiteral("0,圆通,2300,1270,870,480"));
        QCOMPARE(BoxOf(work.workspace().Layout, 1), (std::array<int, 4>{56, 99, 157, 24}));
        QCOMPARE(PrintRectOf(work.workspace().Layout, 1),
                 PrintRectOf(before, 1)); // until the main window re-lays out

        // Nothing left unsaved: closing asks nothing.
        dialog.close();
        QVERIFY(takeShownMessages().isEmpty());
        QVERIFY(!dialog.isVisible());
    }

    void printOffsetsShiftWhereBoxesAreDrawnAndHit()
    {
        WorkFolderFixture work;
        UseTemplate(work.workspace(), "圆通", "3");
        work.workspace().PrintOffsetX = 40;  // 15 picture pixels at 2300 / 870
        work.workspace().PrintOffsetY = -40; // -15 at 1270 / 480
        CTemplateEditDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        EditingSurface* surface = dialog.surface();
        QCOMPARE(surface->tracker().boxRect(1), (BoxRect{51, 74, 208, 98}));
        MoveMouse(surface, QPoint(40, 95)); // inside the unshifted box only
        QVERIFY(!surface->tracker().hover(1).outlined());
        DragMouse(surface, QPoint(60, 80), QPoint(70, 80));
        QCOMPARE(BoxOf(surface->tracker().layout(), 1), (std::array<int, 4>{46, 89, 157, 24}));
        dialog.reject();
    }

    void newTemplateFromAPictureIsListedAndShiftsTheStoredPosition()
    {
        WorkFolderFixture work;
        UseTemplate(work.workspace(), "圆通", "3");
        const TemplateLayout before = work.workspace().Layout;
        const QString picture = work.path(QStringLiteral("form.bmp"));
        QVERIFY(WriteBitmap(picture, QSize(400, 300), QColor(255, 0, 0)));
        CTemplateEditDlg dialog(work.workspace());
        QSignalSpy saved(&dialog, &CTemplateEditDlg::layoutSaved);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        // Names refused before any file dialog: empty, taken, and one with a "." or "/".
        ChooseMode(dialog, 1, QString());
        Click(&dialog, "importButton");
        ChooseMode(dialog, 1, QStringLiteral("EMS"));
        Click(&dialog, "importButton");
        ChooseMode(dialog, 1, QStringLiteral("a.b"));
        Click(&dialog, "saveButton");
        ChooseMode(dialog, 1, QStringLiteral("../x"));
        Click(&dialog, "importButton");
        // A comma, a line break or a control character would break the layout file's header.
        QLineEdit* nameEdit = dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"));
        ChooseMode(dialog, 1);
        nameEdit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), nameEdit);
        QTest::keyClicks(nameEdit, QStringLiteral("x,y"));
        Click(&dialog, "importButton");
        ChooseMode(dialog, 1, QStringLiteral("顺丰,新版"));
        queueFileAnswer(picture);
        Click(&dialog, "importButton");
        ChooseMode(dialog, 1, QStringLiteral("顺丰\t新版"));
        Click(&dialog, "saveButton");
        const QString noComma = QStringLiteral("新建模板名称不能包含英文逗号“,”、换行或控制字符!");
        const QList<ShownMessage> refusals = takeShownMessages();
        QCOMPARE(Texts(refusals), (QStringList{QStringLiteral("新建模板名称不能为空!"),
                                               QStringLiteral("新建模板名称与已有模板名称重复!"),
                                               QStringLiteral("新建模板名称不能包含“.”、“/”或“\\”!"),
                                               QStringLiteral("新建模板名称不能包含“.”、“/”或“\\”!"),
                                               noComma, noComma, noComma}));
        clearFileAnswers();
        QCOMPARE(refusals.first().caption, QStringLiteral("注意"));
        QVERIFY(takeFileDialogTitles().isEmpty());
        QVERIFY(!QFile::exists(work.path(QStringLiteral("x.bmp"))));
        QVERIFY(!QFile::exists(work.path(QStringLiteral("dataM/a.b.dat"))));
        QVERIFY(!QFile::exists(work.path(QStringLiteral("dataM/顺丰,新版.bmp"))));
        QVERIFY(!QFile::exists(work.path(QStringLiteral("dataM/顺丰,新版.dat"))));

        // 阿里 sorts after EMS and before 圆通: the current template's position grows by one.
        ChooseMode(dialog, 1, QStringLiteral("阿里"));
        queueFileAnswer(picture);
        Click(&dialog, "importButton");
        QCOMPARE(takeFileDialogTitles(), QStringList{QStringLiteral("导入新建模板图片")});
        QCOMPARE(work.read(QStringLiteral("dataM/阿里.bmp")), work.read(QStringLiteral("form.bmp")));
        QCOMPARE(dialog.surface()->picture().size(), QSize(400, 300));
        QCOMPARE(dialog.size(), QSize(1020, 530)); // the window keeps its size
        DragMouse(dialog.surface(), QPoint(100, 100), QPoint(90, 96));
        Click(&dialog, "saveButton");
        QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("保存成功！")});

        QCOMPARE(SortedTemplateNames(work.workspace().WorkFolder),
                 (QStringList{QStringLiteral("EMS"), QStringLiteral("阿里"), QStringLiteral("申通"),
                              QStringLiteral("顺丰"), QStringLiteral("圆通"), QStringLiteral("中通"),
                              QStringLiteral("自粘面单100x150")}));
        QCOMPARE(work.read(QStringLiteral("Set/mould.ini")), std::string("4\r\n0\r\n1"));
        QCOMPARE(work.workspace().TemplatePosition, std::string("4"));
        QCOMPARE(work.workspace().CurrentTemplate, std::string("圆通"));
        const QStringList lines = LayoutLines(work, QStringLiteral("阿里"));
        // The boxes stay in pixels of the imported 400 x 300 picture: the header names it.
        QCOMPARE(lines[0], QStringLiteral("0,阿里,2300,1270,400,300"));
        QCOMPARE(lines[2], QStringLiteral("0,0,26,85,157,24"));
        QCOMPARE(work.workspace().Layout, before); // the current template's layout in memory is untouched
        QCOMPARE(saved.count(), 1);

        // The same name again is taken now.
        Click(&dialog, "saveButton");
        QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("新建模板名称与已有模板名称重复!")});

        // A picture imported for a name that is never saved is removed at closing.
        ChooseMode(dialog, 1, QStringLiteral("草稿"));
        queueFileAnswer(picture);
        Click(&dialog, "importButton");
        QVERIFY(QFile::exists(work.path(QStringLiteral("dataM/草稿.bmp"))));
        queueMessageAnswer(MessageAnswer::No);
        dialog.close();
        QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("是否保存当前模板设置？")});
        QVERIFY(!QFile::exists(work.path(QStringLiteral("dataM/草稿.bmp"))));
        QVERIFY(QFile::exists(work.path(QStringLiteral("dataM/阿里.bmp"))));
    }

    void newTemplateFromAPngOrJpegWithATypedPaperSize()
    {
        WorkFolderFixture work;
        UseTemplate(work.workspace(), "圆通", "3");
        // A PNG with a transparent band and a JPEG of another size; and a text file named as a picture.
        QImage png(500, 280, QImage::Format_ARGB32);
        png.fill(QColor(200, 0, 0));
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < png.width(); ++x)
                png.setPixelColor(x, y, Qt::transparent);
        QVERIFY(png.save(work.path(QStringLiteral("form.png")), "PNG"));
        QImage jpeg(640, 360, QImage::Format_RGB32);
        jpeg.fill(QColor(0, 0, 200));
        QVERIFY(jpeg.save(work.path(QStringLiteral("form.jpg")), "JPEG"));
        work.write(QStringLiteral("notes.png"), "not a picture");

        CTemplateEditDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("modeCombo"));
        auto* widthEdit = dialog.findChild<QLineEdit*>(QStringLiteral("newPaperWidthEdit"));
        auto* heightEdit = dialog.findChild<QLineEdit*>(QStringLiteral("newPaperHeightEdit"));
        QVERIFY(widthEdit->isHidden() && heightEdit->isHidden());
        const auto typeInto = [](const QString& keys) { QTest::keyClicks(QApplication::focusWidget(), keys); };
        const auto tab = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); };

        const auto makeTemplate = [&](const QString& name, const QString& picture, const QString& width,
                                      const QString& height) {
            combo->setCurrentIndex(0);
            combo->setCurrentIndex(1);
            QTRY_VERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"))->hasFocus());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            typeInto(name);
            // The paper follows the name.
            tab();
            QCOMPARE(QApplication::focusWidget(), widthEdit);
            typeInto(width);
            tab();
            QCOMPARE(QApplication::focusWidget(), heightEdit);
            typeInto(height);
            queueFileAnswer(work.path(picture));
            Click(&dialog, "importButton");
            Click(&dialog, "saveButton");
        };

        // First the paper of the template the new one is made from: 圆通's 2300 x 1270.
        QCOMPARE(widthEdit->text(), QStringLiteral("230"));
        QCOMPARE(heightEdit->text(), QStringLiteral("127"));
        // A size that is no length in millimetres is refused, the focus on it.
        makeTemplate(QStringLiteral("FormPng"), QStringLiteral("form.png"), QStringLiteral("241.5"),
                     QStringLiteral("0"));
        QCOMPARE(takeShownMessages().size(), 1);
        QCOMPARE(QApplication::focusWidget(), heightEdit);
        QVERIFY(!QFile::exists(work.path(QStringLiteral("dataM/FormPng.dat"))));
        typeInto(QStringLiteral("139.7"));
        Click(&dialog, "saveButton");
        QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("保存成功！")});
        makeTemplate(QStringLiteral("FormJpeg"), QStringLiteral("form.jpg"), QStringLiteral("100"),
                     QStringLiteral("80.2"));
        QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("保存成功！")});
        QCOMPARE(takeFileDialogTitles(), QStringList(2, QStringLiteral("导入新建模板图片")));

        // Each picture is stored as a 24-bit BMP (the PNG's transparent band white, as on paper);
        // the header holds the typed paper in 0.1 mm and the picture's size.
        QCOMPARE(LayoutLines(work, QStringLiteral("FormPng"))[0], QStringLiteral("0,FormPng,2415,1397,500,280"));
        QCOMPARE(LayoutLines(work, QStringLiteral("FormJpeg"))[0], QStringLiteral("0,FormJpeg,1000,802,640,360"));
        const auto stored = [&work](const QString& name) {
            const std::string bmp = work.read(QStringLiteral("dataM/%1.bmp").arg(name));
            const bool bmp24 = bmp.size() > 54 && bmp.substr(0, 2) == "BM" && bmp[28] == 24;
            return bmp24 ? QImage::fromData(QByteArray::fromStdString(bmp), "BMP") : QImage();
        };
        const QImage fromPng = stored(QStringLiteral("FormPng")), fromJpeg = stored(QStringLiteral("FormJpeg"));
        QCOMPARE(fromPng.size(), QSize(500, 280));
        QCOMPARE(fromPng.pixelColor(10, 10), QColor(Qt::white));
        QCOMPARE(fromPng.pixelColor(250, 200), QColor(200, 0, 0));
        QCOMPARE(fromJpeg.size(), QSize(640, 360));
        QVERIFY(std::abs(fromJpeg.pixelColor(320, 180).blue() - 200) < 8);

        // A file that holds no picture is refused and stores nothing.
        combo->setCurrentIndex(0);
        combo->setCurrentIndex(1);
        dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"))->setText(QStringLiteral("丙"));
        queueFileAnswer(work.path(QStringLiteral("notes.png")));
        Click(&dialog, "importButton");
        QCOMPARE(Texts(takeShownMessages()),
                 QStringList{QStringLiteral("无法读取所选图片，请选择BMP、PNG或JPEG图片!")});
        QVERIFY(!QFile::exists(work.path(QStringLiteral("dataM/丙.bmp"))));
        dialog.reject();
    }

    void newTemplateWithoutAPictureCopiesTheCurrentOneAndSortingAfterLeavesMouldIni()
    {
        WorkFolderFixture work;
        UseTemplate(work.workspace(), "圆通", "3");
        const std::string mould = work.read(QStringLiteral("Set/mould.ini"));
        CTemplateEditDlg dialog(work.workspace());
        dialog.show();
        ChooseMode(dialog, 1, QStringLiteral("坐")); // after 中通 in code-page order
        Click(&dialog, "saveButton");
        QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("保存成功！")});
        QCOMPARE(work.read(QStringLiteral("dataM/坐.bmp")), work.read(QStringLiteral("dataM/圆通.bmp")));
        QCOMPARE(work.read(QStringLiteral("Set/mould.ini")), mould);
        QCOMPARE(work.workspace().TemplatePosition, std::string("3"));
        QCOMPARE(SortedTemplateNames(work.workspace().WorkFolder).last(), QStringLiteral("坐"));
        QVERIFY(QFile::exists(work.path(QStringLiteral("dataM/坐.bmp"))));

        // Closing with Yes while the name is refused: the refusal is shown and the dialog closes.
        DragMouse(dialog.surface(), QPoint(100, 100), QPoint(104, 100));
        queueMessageAnswer(MessageAnswer::Yes);
        dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Texts(takeShownMessages()),
                 (QStringList{QStringLiteral("是否保存当前模板设置？"),
                              QStringLiteral("新建模板名称与已有模板名称重复!")}));
    }

    void replacedPictureIsSettledAtClosing()
    {
        WorkFolderFixture work;
        UseTemplate(work.workspace(), "圆通", "3");
        const std::string original = work.read(QStringLiteral("dataM/圆通.bmp"));
        const std::string layout = work.read(QStringLiteral("dataM/圆通.dat"));
        const QString picture = work.path(QStringLiteral("new form.bmp"));
        QVERIFY(WriteBitmap(picture, QSize(300, 200), QColor(0, 128, 0)));
        const QStringList files = DataFiles(work);
        // While the editor is open, the replacement is the one file it added to dataM/.
        const auto replacementAdded = [&] {
            const QStringList now = DataFiles(work);
            return now.size() == files.size() + 1 &&
                   std::all_of(files.begin(), files.end(), [&](const QString& f) { return now.contains(f); });
        };

        {
            // The current picture itself is refused; then a replacement, closed with No.
            CTemplateEditDlg dialog(work.workspace());
            QSignalSpy saved(&dialog, &CTemplateEditDlg::layoutSaved);
            dialog.show();
            queueFileAnswer(QString()); // cancelled
            Click(&dialog, "importButton");
            QVERIFY(!dialog.LayoutModified());
            queueFileAnswer(work.path(QStringLiteral("dataM/圆通.bmp")));
            Click(&dialog, "importButton");
            QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("不能用原图替换自己,操作失败!")});
            QCOMPARE(DataFiles(work), files);
            QVERIFY(!dialog.LayoutModified());

            queueFileAnswer(picture);
            Click(&dialog, "importButton");
            QCOMPARE(takeFileDialogTitles(),
                     (QStringList(3, QStringLiteral("替换当前模板图片"))));
            QVERIFY(replacementAdded());
            QCOMPARE(dialog.surface()->picture().size(), QSize(300, 200));
            QVERIFY(dialog.LayoutModified());

            queueMessageAnswer(MessageAnswer::Cancel);
            dialog.close();
            QVERIFY(dialog.isVisible());
            QVERIFY(replacementAdded());

            queueMessageAnswer(MessageAnswer::No);
            dialog.close();
            QVERIFY(!dialog.isVisible());
            const QList<ShownMessage> asked = takeShownMessages();
            QCOMPARE(asked.size(), 2);
            QCOMPARE(asked[1].caption, QStringLiteral("关闭"));
            QCOMPARE(asked[1].buttons, MessageButtons::YesNoCancel);
            QCOMPARE(work.read(QStringLiteral("dataM/圆通.bmp")), original);
            QCOMPARE(work.read(QStringLiteral("dataM/圆通.dat")), layout);
            QCOMPARE(DataFiles(work), files);
            QCOMPARE(saved.count(), 0);
        }
        {
            // Escape ends at once, without the question; the replacement is removed too.
            CTemplateEditDlg dialog(work.workspace());
            dialog.show();
            queueFileAnswer(picture);
            Click(&dialog, "importButton");
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(!dialog.isVisible());
            QVERIFY(takeShownMessages().isEmpty());
            QCOMPARE(DataFiles(work), files);
            QCOMPARE(work.read(QStringLiteral("dataM/圆通.bmp")), original);
        }
        {
            // Closed with Yes: saved, and the replacement becomes the template's picture.
            CTemplateEditDlg dialog(work.workspace());
            QSignalSpy saved(&dialog, &CTemplateEditDlg::layoutSaved);
            dialog.show();
            queueFileAnswer(picture);
            Click(&dialog, "importButton");
            queueMessageAnswer(MessageAnswer::Yes);
            dialog.close();
            QVERIFY(!dialog.isVisible());
            QCOMPARE(Texts(takeShownMessages()),
                     (QStringList{QStringLiteral("是否保存当前模板设置？"), QStringLiteral("保存成功！")}));
            QCOMPARE(work.read(QStringLiteral("dataM/圆通.bmp")), work.read(QStringLiteral("new form.bmp")));
            QCOMPARE(DataFiles(work), files);
            QCOMPARE(saved.count(), 1);
            // The header names the new picture, whose pixels the boxes are now placed in.
            QCOMPARE(LayoutLines(work, QStringLiteral("圆通"))[0], QStringLiteral("0,圆通,2300,1270,300,200"));
        }
    }

    void replacingAPictureLeavesTheTemplateNamedNewPlusItsNameAlone()
    {
        WorkFolderFixture work;
        QVERIFY(QFile::copy(work.path(QStringLiteral("dataM/圆通.dat")),
                            work.path(QStringLiteral("dataM/New圆通.dat"))));
        QVERIFY(
            WriteBitmap(work.path(QStringLiteral("dataM/New圆通.bmp")), QSize(120, 80), QColor(200, 0, 0)));
        const std::string otherPicture = work.read(QStringLiteral("dataM/New圆通.bmp"));
        UseTemplate(work.workspace(), "圆通", "4");
        const QStringList templates = SortedTemplateNames(work.workspace().WorkFolder);
        QVERIFY(templates.contains(QStringLiteral("New圆通")));
        const QStringList files = DataFiles(work);
        QVERIFY(WriteBitmap(work.path(QStringLiteral("new form.bmp")), QSize(300, 200), QColor(0, 128, 0)));

        CTemplateEditDlg dialog(work.workspace());
        dialog.show();
        queueFileAnswer(work.path(QStringLiteral("new form.bmp")));
        Click(&dialog, "importButton");
        QCOMPARE(dialog.surface()->picture().size(), QSize(300, 200));
        QCOMPARE(work.read(QStringLiteral("dataM/New圆通.bmp")), otherPicture);
        QCOMPARE(SortedTemplateNames(work.workspace().WorkFolder),
                 templates); // the replacement is no template

        queueMessageAnswer(MessageAnswer::No);
        dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(work.read(QStringLiteral("dataM/New圆通.bmp")), otherPicture);
        QCOMPARE(DataFiles(work), files);
    }

    void aMissingPictureStillOpensAtTheHeadersSize()
    {
        WorkFolderFixture work;
        QVERIFY(QFile::remove(work.path(QStringLiteral("dataM/申通.bmp"))));
        UseTemplate(work.workspace(), "申通", "1");
        CTemplateEditDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(dialog.surface()->picture().isNull());
        const QSize header(work.workspace().Layout.number(0, 4), work.workspace().Layout.number(0, 5));
        QCOMPARE(dialog.size(), header + QSize(150, 50));
        DragMouse(
            dialog.surface(),
            QPoint(BoxOf(work.workspace().Layout, 1)[0] + 2, BoxOf(work.workspace().Layout, 1)[1] + 2),
            QPoint(BoxOf(work.workspace().Layout, 1)[0] + 12, BoxOf(work.workspace().Layout, 1)[1] + 2));
        QCOMPARE(BoxOf(dialog.surface()->tracker().layout(), 1)[0],
                 BoxOf(work.workspace().Layout, 1)[0] + 10);
        dialog.reject();
    }

    // A blank label for a label printer: the typed paper, a white picture with a grid of its
    // size as the form, and the boxes placed over it as on any template.
    void aBlankLabelIsMadeAtTheTypedPaperSize()
    {
        WorkFolderFixture work;
        UseTemplate(work.workspace(), "圆通", "3");
        CTemplateEditDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(Button(&dialog, "blankLabelButton")->isHidden());
        dialog.findChild<QComboBox*>(QStringLiteral("modeCombo"))->setCurrentIndex(1);
        QTRY_VERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"))->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Label76x130"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("76"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("130"));
        QVERIFY(Button(&dialog, "blankLabelButton")->isVisible());
        Click(&dialog, "blankLabelButton");
        Click(&dialog, "saveButton");
        QCOMPARE(Texts(takeShownMessages()), QStringList{QStringLiteral("保存成功！")});

        // 5 pixels a millimetre: the header holds the paper and that picture.
        QCOMPARE(LayoutLines(work, QStringLiteral("Label76x130"))[0], QStringLiteral("0,Label76x130,760,1300,380,650"));
        const QImage picture = QImage::fromData(
            QByteArray::fromStdString(work.read(QStringLiteral("dataM/Label76x130.bmp"))), "BMP");
        QCOMPARE(picture.size(), QSize(380, 650));
        // Marked as a blank label after the twenty fields (printed on paper of exactly its size).
        QCOMPARE(LayoutLines(work, QStringLiteral("Label76x130"))[21], QStringLiteral("label,0,0,0,0,0"));
        QCOMPARE(picture.pixelColor(12, 12), QColor(Qt::white));
        QVERIFY(picture.pixelColor(25, 12).red() < 255);  // a line 5 mm from the edge
        QVERIFY(picture.pixelColor(50, 12).red() < picture.pixelColor(25, 12).red()); // darker each centimetre
        // The shipped blank label is the same kind of picture.
        const QImage shipped(qEnvironmentVariable("DORVANE_SOURCE_DIR") + QStringLiteral("/data/自粘面单100x150.bmp"));
        QCOMPARE(shipped.convertToFormat(QImage::Format_RGB888), BlankLabelPicture(1000, 1500));
    }
};

QTEST_MAIN(TemplateEditDlgTest)
#include "TemplateEditDlgTest.moc"
