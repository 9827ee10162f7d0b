#include "controls/SortListCtrl.h"
#include "controls/SortHeaderCtrl.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace dorvane;

namespace {
const QList<QStringList> kRows = {
    {"9", "10", QStringLiteral("王"), QStringLiteral("2014年12月1日"), "3"},
    {"10", "9", QStringLiteral("张"), QStringLiteral("2014年5月30日"), "12.5"},
    {"1", "100", QStringLiteral("李"), QStringLiteral("2013年1月2日"), "abc"},
    {"2", "2", "Li", QStringLiteral("2014年5月3日"), "-1.5"},
};

// Pixel and colour compared as plain RGB, whatever the colour's spec.
QRgb Px(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}
QRgb Rgb(const QColor& colour)
{
    return colour.rgb() & 0xFFFFFF;
}

QStringList Column(const CSortListCtrl& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.RowCount(); ++row)
        texts << list.Text(row, column);
    return texts;
}
} // namespace

class SortListCtrlTest : public QObject {
    Q_OBJECT

private:
    CSortListCtrl* list_ = nullptr;

    void ClickHeading(int column)
    {
        CSortHeaderCtrl* header = list_->Header();
        const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        list_ = new CSortListCtrl;
        list_->AddColumn(QStringLiteral("序"), 40);
        list_->AddColumn("id", 0);
        list_->AddColumn(QStringLiteral("姓名"), 80);
        list_->AddColumn(QStringLiteral("日期"), 140);
        list_->AddColumn(QStringLiteral("金额"), 80, Qt::AlignRight);
        list_->SetRows(kRows);
        list_->resize(420, 200);
        list_->show();
        QVERIFY(QTest::qWaitForWindowExposed(list_));
    }

    void cleanup() { delete list_; }

    void headingClicksSortAscendingThenDescending()
    {
        QVERIFY(list_->isColumnHidden(1));
        ClickHeading(0); // whole numbers: 10 after 9
        QCOMPARE(Column(*list_, 0), (QStringList{"1", "2", "9", "10"}));
        QVERIFY(list_->SortAscending());
        ClickHeading(0);
        QCOMPARE(Column(*list_, 0), (QStringList{"10", "9", "2", "1"}));
        QCOMPARE(list_->SortColumn(), 0);
        QVERIFY(!list_->SortAscending());

        // Another column starts ascending; dates compare by year, month, day.
        ClickHeading(3);
        QCOMPARE(Column(*list_, 0), (QStringList{"1", "2", "10", "9"}));
        ClickHeading(3);
        QCOMPARE(Column(*list_, 0), (QStringList{"9", "10", "2", "1"}));
        // Whole rows move together.
        QCOMPARE(list_->Text(0, 2), QStringLiteral("王"));
        QCOMPARE(list_->Text(0, 4), "3");

        // A refill keeps the sort state: the next click on the same column sorts ascending.
        list_->SetRows(kRows);
        QCOMPARE(Column(*list_, 0), (QStringList{"9", "10", "1", "2"}));
        ClickHeading(3);
        QCOMPARE(Column(*list_, 0), (QStringList{"1", "2", "10", "9"}));
    }

    void comparisonFollowsTheSecondRow()
    {
        // Decimal (second row 12.5), a row without a number counting 0.
        list_->SortByColumn(4);
        QCOMPARE(Column(*list_, 4), (QStringList{"-1.5", "abc", "3", "12.5"}));
        // Names as GBK text: Li, 李, 王, 张 (Unicode order would put 张 before 李 and 王).
        list_->SortByColumn(2);
        QCOMPARE(Column(*list_, 2),
                 (QStringList{"Li", QStringLiteral("李"), QStringLiteral("王"), QStringLiteral("张")}));
        // The hidden id column is text even though it holds digits: 10 before 9.
        list_->SetRows(kRows);
        list_->SortByColumn(1);
        QCOMPARE(Column(*list_, 1), (QStringList{"10", "100", "2", "9"}));

        // A single row has no second row: text, and nothing breaks; neither does an empty list.
        list_->SetRows({{"7", "1", "x", "", "5"}});
        list_->SortByColumn(0);
        QCOMPARE(Column(*list_, 0), QStringList{"7"});
        list_->Clear();
        list_->SortByColumn(0);
        QCOMPARE(list_->RowCount(), 0);
        // Short rows have empty cells; an unknown column is ignored.
        list_->SetRows({{"5"}, {"3"}, {"4", "x", "y"}});
        list_->SortByColumn(2);
        QCOMPARE(Column(*list_, 2), (QStringList{"", "", "y"}));
        list_->SortByColumn(9);
        QCOMPARE(list_->SortColumn(), 2);
    }

    void selectionFollowsItsRowAndSelectRowScrollsIntoView()
    {
        QCOMPARE(list_->SelectedRow(), -1);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {},
                          list_->visualRect(list_->model()->index(3, 2)).center());
        QCOMPARE(list_->SelectedRow(), 3);
        list_->SelectRow(0); // 王
        QCOMPARE(list_->SelectedRow(), 0);
        list_->SortByColumn(2);
        QCOMPARE(list_->SelectedRow(), 2);
        QCOMPARE(list_->Text(list_->SelectedRow(), 2), QStringLiteral("王"));

        QList<QStringList> many;
        for (int i = 0; i < 300; ++i)
            many.push_back({QString::number(i + 1), QString::number(i), "row"});
        list_->SetRows(many);
        QCOMPARE(list_->SelectedRow(), -1);
        list_->SelectRow(250);
        QCOMPARE(list_->SelectedRow(), 250);
        QCOMPARE(list_->currentIndex().row(), 250);
        const QRect shown = list_->visualRect(list_->model()->index(250, 0));
        QVERIFY(list_->viewport()->rect().contains(shown));
        list_->SelectRow(300);
        list_->SelectRow(-1);
        QCOMPARE(list_->SelectedRow(), 250);

        // Removing a row shifts the later ones up.
        list_->RemoveRow(0);
        QCOMPARE(list_->RowCount(), 299);
        QCOMPARE(list_->Text(0, 0), "2");
        QCOMPARE(list_->SelectedRow(), 249);
    }

    void headerDrawsTheArrowOfTheSortColumn()
    {
        CSortHeaderCtrl* header = list_->Header();
        const QColor light = header->palette().color(QPalette::Light);
        const QColor dark = header->palette().color(QPalette::Dark);
        QVERIFY(light != dark);
        const int column = 3;
        const int r = header->sectionViewportPosition(column) + header->sectionSize(column);
        const int b = header->height();
        const int off = b / 4;
        QVERIFY(off >= 3);

        ClickHeading(column);
        QCOMPARE(header->SortColumn(), column);
        QImage image = header->grab().toImage();
        // Pointing up: a highlight base line, a shadow left leg.
        QCOMPARE(Px(image, r - 2 * off, b - off - 1), Rgb(light));
        QCOMPARE(Px(image, r - 3 * off - 1, b - off - 1), Rgb(dark));
        QCOMPARE(Px(image, r - 2 * off, off), Rgb(light));

        ClickHeading(column);
        QVERIFY(!header->SortAscending());
        image = header->grab().toImage();
        // Pointing down: a shadow top line, the highlight right leg ending at the tip.
        QCOMPARE(Px(image, r - 2 * off, off), Rgb(dark));
        QCOMPARE(Px(image, r - 2 * off - 1, b - off), Rgb(light));
        QVERIFY(Px(image, r - 2 * off, b - off - 1) != Rgb(light));

        // Another column takes the arrow; the old one keeps a plain face there.
        ClickHeading(2);
        image = header->grab().toImage();
        QCOMPARE(Px(image, r - 2 * off, off), Rgb(header->palette().color(QPalette::Button)));
    }

    void gridLinesSeparateRowsAndColumns()
    {
        // A blank spot at the right end of row 2's date cell, away from text and focus frame.
        const QRect cell = list_->visualRect(list_->model()->index(2, 3));
        const int x = list_->columnViewportPosition(3) + list_->columnWidth(3) - 10;
        const int columnEdge = list_->columnViewportPosition(3) + list_->columnWidth(3) - 1;
        QImage image = list_->viewport()->grab().toImage();
        const QRgb plain = Px(image, x, cell.center().y());
        QCOMPARE(Px(image, x, cell.bottom()), plain);
        QCOMPARE(Px(image, columnEdge, cell.center().y()), plain);

        list_->SetGridLines(true);
        image = list_->viewport()->grab().toImage();
        const QRgb grid = Px(image, x, cell.bottom());
        QVERIFY(grid != plain);
        QCOMPARE(Px(image, columnEdge, cell.center().y()), grid);
        QCOMPARE(Px(image, x, cell.center().y()), plain);
    }

    void clickReportsTheRowAndEmptySpaceClearsTheSelection()
    {
        QSignalSpy spy(list_, &CSortListCtrl::rowClicked);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {},
                          list_->visualRect(list_->model()->index(1, 2)).center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
        QCOMPARE(list_->SelectedRow(), 1);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, QPoint(10, list_->viewport()->height() - 3));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), -1);
        QCOMPARE(list_->SelectedRow(), -1);
    }

    void fixedRowHeightAndColorsReachTheRows()
    {
        list_->SetRowHeight(17);
        QCOMPARE(list_->RowHeight(), 17);
        QCOMPARE(list_->visualRect(list_->model()->index(3, 0)).height(), 17);
        QCOMPARE(list_->visualRect(list_->model()->index(3, 0)).top() -
                     list_->visualRect(list_->model()->index(2, 0)).top(),
                 17);
        list_->SetRowHeight(40); // also after rows are there
        QCOMPARE(list_->visualRect(list_->model()->index(1, 0)).height(), 40);

        const QColor teal(135, 215, 215);
        list_->SetColors(teal, Qt::black);
        // A blank spot at the right end of an unselected row's last cell shows the background.
        const QRect cell = list_->visualRect(list_->model()->index(1, 3));
        const QImage image = list_->viewport()->grab().toImage();
        QCOMPARE(Px(image, cell.right() - 4, cell.center().y()), Rgb(teal));
    }

    void doubleClickReportsTheRow()
    {
        QSignalSpy spy(list_, &CSortListCtrl::rowDoubleClicked);
        const QRect row2 = list_->visualRect(list_->model()->index(2, 0));
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, row2.center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 2);
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {},
                           QPoint(10, list_->viewport()->height() - 3));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), -1);
    }
};

QTEST_MAIN(SortListCtrlTest)
#include "SortListCtrlTest.moc"
