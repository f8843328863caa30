// The rows area: every row can be scrolled into view and is drawn there, however many
// rows there are (more than a widget can be tall included).

#include "overview/tape_rows_view.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

using overview::kCurrentFree;
using overview::kOtherFree;

namespace {

const QColor kCurrent(255, 214, 102);
const QColor kOther(152, 221, 152);

} // namespace

class TestRowsArea : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lastRowIsShownAtTheEnd_data();
    void lastRowIsShownAtTheEnd();
};

void TestRowsArea::lastRowIsShownAtTheEnd_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("40 rows") << 40;
    // 25 pixels a row: taller than the 16,777,215 pixels a widget may be.
    QTest::newRow("700,000 rows") << 700000;
}

void TestRowsArea::lastRowIsShownAtTheEnd() {
    QFETCH(int, count);
    // One tape of a single free block; only the last row is labelled with its length, so
    // only there is the block the current one.
    overview::TapeRows rows;
    rows.setScaleMaximum(120);
    rows.setKindColour(kCurrentFree, kCurrent);
    rows.setKindColour(kOtherFree, kOther);
    const int tape = rows.addTape(QStringLiteral("T"));
    rows.addFree(0, 120);
    for (int i = 0; i < count; ++i)
        rows.addRow(tape, i == count - 1 ? 120 : 0);

    TapeRowsArea area(new TapeRowsView(rows));
    area.setFrameStyle(QFrame::NoFrame);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.rowsChanged();
    area.resize(670, 377);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));

    QScrollBar* bar = area.verticalScrollBar();
    const int viewportHeight = area.viewport()->height();
    QCOMPARE(bar->maximum(), count * 25 - viewportHeight);
    bar->setValue(bar->maximum());
    const QImage image = area.viewport()->grab().toImage();
    const int lastTop = (count - 1) * 25 - bar->value();
    QCOMPARE(lastTop + 25, viewportHeight);
    QCOMPARE(image.pixelColor(300, lastTop + 10), kCurrent);
    QCOMPARE(image.pixelColor(300, lastTop - 15), kOther);
}

QTEST_MAIN(TestRowsArea)
#include "tst_rows_area.moc"
