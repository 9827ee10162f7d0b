#include "settings/ProductPage.h"
#include "base/MessageBox.h"
#include "controls/SortListCtrl.h"
#include "store/AddressBook.h"
#include "store/StoreListeners.h"
#include "support/WorkFolderFixture.h"
#include "text/CodePageText.h"
#include "workspace/Workspace.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;

namespace {

QStringList Column(const CSortListCtrl* list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->RowCount(); ++row)
        texts << list->Text(row, column);
    return texts;
}

} // namespace

class ProductPageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WorkFolderFixture> work_;
    std::unique_ptr<AddressBook> book_;
    StoreListeners listeners_;
    int goodsTold_ = 0; // changes of the goods table told to the store's listeners
    std::unique_ptr<CProductPage> page_;
    CSortListCtrl* list_ = nullptr;
    QPlainTextEdit* name_ = nullptr;

    void Store(const QStringList& names)
    {
        for (const QString& name : names)
            QVERIFY(book_->Add(AddressTable::ProductName, ToCodePage(name)).ok());
    }
    QStringList Stored() const
    {
        QStringList texts;
        const auto rows = book_->List(AddressTable::ProductName);
        for (const StoredText& row : rows.value())
            texts << FromCodePage(row.text);
        return texts;
    }

    void OpenPage()
    {
        page_ = std::make_unique<CProductPage>(work_->workspace(), listeners_);
        page_->resize(404, 352); // about the settings dialog's page area
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
        list_ = page_->findChild<CSortListCtrl*>("goodsList");
        name_ = page_->findChild<QPlainTextEdit*>("goodsNameEdit");
        QVERIFY(list_ && name_);
    }

    void Click(const char* button)
    {
        QTest::mouseClick(page_->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    void ClickRow(int row)
    {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {},
                          list_->visualRect(list_->model()->index(row, 2)).center());
    }
    void Type(const QString& name) { name_->setPlainText(name); }
    // The one message shown since the last call.
    QString Message()
    {
        const QList<ShownMessage> shown = takeShownMessages();
        return shown.size() == 1 ? shown[0].text : QStringLiteral("<%1 messages>").arg(shown.size());
    }

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        work_ = std::make_unique<WorkFolderFixture>();
        const auto file = work_->installEmptyAddressBook();
        QVERIFY(!file.empty());
        book_ = std::make_unique<AddressBook>(file);
        goodsTold_ = 0;
        listeners_ = StoreListeners();
        listeners_.subscribe(StoreChange::Goods, [this] { ++goodsTold_; });
    }

    void cleanup()
    {
        page_.reset();
        book_.reset();
        work_.reset();
        setMessagesAnsweredByTest(false);
    }

    void addingRefusesEmptyAndExactDuplicatesAndSelectsTheNewRow()
    {
        Store({QStringLiteral("衣服"), "Book"});
        OpenPage();
        QCOMPARE(Column(list_, 0), QStringList({"1", "2"}));
        QCOMPARE(Column(list_, 1), QStringList({"1", "2"}));
        QVERIFY(list_->isColumnHidden(1));
        QCOMPARE(list_->columnWidth(0), 37);
        QCOMPARE(list_->columnWidth(2), 173);
        QCOMPARE(list_->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("  名称 (点击排序)"));
        QCOMPARE(list_->RowHeight(), 17);
        QCOMPARE(goodsTold_, 0);

        Click("addButton");
        const QList<ShownMessage> empty = takeShownMessages();
        QCOMPARE(empty.size(), 1);
        QCOMPARE(empty[0].text, QStringLiteral("产品名称不能为空！"));
        QCOMPARE(empty[0].caption, QString::fromLatin1(kAppTitle));
        QCOMPARE(empty[0].icon, MessageIcon::Warning);

        Type(QStringLiteral("衣服"));
        Click("addButton");
        QCOMPARE(Message(), QStringLiteral("该商品名已存在！"));
        Type("Book");
        Click("addButton");
        QCOMPARE(Message(), QStringLiteral("该商品名已存在！"));
        QCOMPARE(Stored().size(), 2);
        QCOMPARE(goodsTold_, 0);

        // Letter case counts; the list was sorted descending, the refill restores stored order.
        list_->SortByColumn(2);
        list_->SortByColumn(2);
        QCOMPARE(Column(list_, 2).first(), QStringLiteral("衣服"));
        Type("book");
        Click("addButton");
        QCOMPARE(takeShownMessages().size(), 0);
        QCOMPARE(Stored(), QStringList({QStringLiteral("衣服"), "Book", "book"}));
        QCOMPARE(Column(list_, 2), QStringList({QStringLiteral("衣服"), "Book", "book"}));
        QCOMPARE(list_->SelectedRow(), 2);
        QCOMPARE(name_->toPlainText(), "book"); // the box keeps the name
        QCOMPARE(goodsTold_, 1);

        // Enter in the name box adds; a single quote is stored as typed.
        Type("it's");
        name_->setFocus();
        QTest::keyClick(name_, Qt::Key_Return);
        QCOMPARE(Stored().last(), "it's");
        QCOMPARE(name_->toPlainText(), "it's");
    }

    void clickingARowCopiesItsNameAndEmptySpaceEmptiesTheBox()
    {
        Store({QStringLiteral("茶叶"), QStringLiteral("手机壳")});
        OpenPage();
        ClickRow(1);
        QCOMPARE(name_->toPlainText(), QStringLiteral("手机壳"));
        ClickRow(0);
        QCOMPARE(name_->toPlainText(), QStringLiteral("茶叶"));
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, QPoint(10, list_->viewport()->height() - 3));
        QCOMPARE(list_->SelectedRow(), -1);
        QCOMPARE(name_->toPlainText(), QString());
    }

    void renamingNeedsARowAndANewName()
    {
        Store({"A", "B", "C"});
        OpenPage();

        Type("D");
        Click("renameButton");
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("请选择您要修改的行!"));
        QCOMPARE(shown[0].caption, QStringLiteral("注意"));

        ClickRow(1); // copies "B" into the box
        Click("renameButton");
        QCOMPARE(Message(), QStringLiteral("该商品名已存在！")); // its own unchanged name
        Type("C");
        Click("renameButton");
        QCOMPARE(Message(), QStringLiteral("该商品名已存在！"));
        Type("");
        Click("renameButton");
        QCOMPARE(Message(), QStringLiteral("产品名称不能为空！"));
        QCOMPARE(Stored(), QStringList({"A", "B", "C"}));
        QCOMPARE(goodsTold_, 0);

        Type("b");
        Click("renameButton");
        QCOMPARE(takeShownMessages().size(), 0);
        QCOMPARE(Stored(), QStringList({"A", "b", "C"}));
        QCOMPARE(Column(list_, 2), QStringList({"A", "b", "C"}));
        QCOMPARE(list_->SelectedRow(), 1);
        QCOMPARE(goodsTold_, 1);
    }

    void deletingSelectsTheRowInItsPlaceAndTellsTheGoodsChanged()
    {
        Store({"a", "b", "c", "d", "e"});
        OpenPage();

        Click("deleteButton");
        QCOMPARE(Message(), QStringLiteral("请选择您要修改的行!"));

        ClickRow(1);
        queueMessageAnswer(MessageAnswer::No);
        Click("deleteButton");
        const QList<ShownMessage> asked = takeShownMessages();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("真的要删除第 2 条记录吗？"));
        QCOMPARE(asked[0].caption, QStringLiteral("注意"));
        QCOMPARE(asked[0].buttons, MessageButtons::YesNo);
        QCOMPARE(Stored().size(), 5);
        QCOMPARE(list_->SelectedRow(), 1);
        QCOMPARE(goodsTold_, 0);

        Click("deleteButton");
        QCOMPARE(Message(), QStringLiteral("真的要删除第 2 条记录吗？"));
        QCOMPARE(Stored(), QStringList({"a", "c", "d", "e"}));
        QCOMPARE(Column(list_, 0), QStringList({"1", "3", "4", "5"}));
        QCOMPARE(list_->SelectedRow(), 1);
        QCOMPARE(list_->Text(1, 2), "c");
        QCOMPARE(goodsTold_, 1);

        ClickRow(3);
        Click("deleteButton");
        QCOMPARE(Message(), QStringLiteral("真的要删除第 4 条记录吗？"));
        QCOMPARE(Stored(), QStringList({"a", "c", "d"}));
        QCOMPARE(list_->SelectedRow(), 2);
        QCOMPARE(list_->Text(2, 2), "d");
    }

    void aMissingDatabaseChangesNothing()
    {
        Store({"a"});
        OpenPage();
        QVERIFY(QFile::remove(work_->path("dataM/Dorvane.dorv")));
        Type("b");
        Click("addButton");
        QCOMPARE(Message(), QStringLiteral("不能打开数据库"));
        QCOMPARE(list_->RowCount(), 1);
        ClickRow(0);
        Click("deleteButton");
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 2); // the question, then the failure
        QCOMPARE(shown[1].text, QStringLiteral("不能打开数据库"));
        QCOMPARE(goodsTold_, 0);
    }
};

QTEST_MAIN(ProductPageTest)
#include "ProductPageTest.moc"
