// The new-tape dialog "Opret nyt bånd" on the data module's tapes table, driven with keys
// and clicks.

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "message_log.h"
#include "registers/BaandtypeFormUnit.h"
#include "temp_catalogue.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

struct Registers {
    Registers() : box(catalogue.session(), catalogue.directory() + u'/') {}

    TempCatalogue catalogue;
    TDataBox box;
};

} // namespace

class TestNewTapeDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newTapeDialogCreates_data();
    void newTapeDialogCreates();
    void newTapeDialogRefusesBadLength_data();
    void newTapeDialogRefusesBadLength();
    void newTapeDialogKeepsLastChoice();
    void enterInNewTapeDialogActsOnce_data();
    void enterInNewTapeDialogActsOnce();
};

void TestNewTapeDialog::newTapeDialogCreates_data() {
    QTest::addColumn<QString>("typed"); // empty: leave the box as it is
    QTest::addColumn<int>("length");
    QTest::newRow("box left at 240") << QString() << 240;
    QTest::newRow("120 typed, not in the list") << QStringLiteral("120") << 120;
    QTest::newRow("60 typed") << QStringLiteral("60") << 60;
}

void TestNewTapeDialog::newTapeDialogCreates() {
    QFETCH(QString, typed);
    QFETCH(int, length);
    Registers r;
    QVERIFY(r.box.opened());
    TBaandtypeForm dialog(r.box);
    dialog.Baandnavn->setText(QStringLiteral("A12"));
    QCOMPARE(dialog.ComboBox1->currentText(), QStringLiteral("240"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Opret nyt bånd"));
    int result = -1;
    QTimer::singleShot(0, &dialog, [&] {
        if (!typed.isEmpty()) {
            dialog.ComboBox1->lineEdit()->selectAll();
            QTest::keyClicks(dialog.ComboBox1->lineEdit(), typed);
        }
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    });
    result = dialog.exec();
    QCOMPARE(result, 1);
    QCOMPARE(r.catalogue.rowCount(schema::tapes()), 1);
    QVERIFY(r.box.baandnavnexist(QStringLiteral("A12")));
    QCOMPARE(r.box.BaandTable().fieldByName(QStringLiteral("Baandlaengde")).asInteger(), length);
}

void TestNewTapeDialog::newTapeDialogRefusesBadLength_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a whole number")
        << QStringLiteral("abc") << QStringLiteral("'abc' is not a valid integer value");
    QTest::newRow("over 600") << QStringLiteral("601")
                              << QStringLiteral("601 is not a valid value for field 'Længde i "
                                                "min.'. The allowed range is 0 to 600");
    QTest::newRow("below 0") << QStringLiteral("-5")
                             << QStringLiteral("-5 is not a valid value for field 'Længde i "
                                               "min.'. The allowed range is 0 to 600");
    QTest::newRow("empty") << QStringLiteral(" ")
                           << QStringLiteral("Field 'Længde i min.' must have a value");
}

void TestNewTapeDialog::newTapeDialogRefusesBadLength() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    Registers r;
    TBaandtypeForm dialog(r.box);
    dialog.Baandnavn->setText(QStringLiteral("A12"));
    MessageLog log;
    bool openAfterRefusal = false;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.ComboBox1->lineEdit()->selectAll();
        QTest::keyClicks(dialog.ComboBox1->lineEdit(), typed);
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        openAfterRefusal = dialog.isVisible();
        QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), 2);
    QVERIFY(openAfterRefusal);
    QCOMPARE(log.texts(), QStringList{message});
    QCOMPARE(log.shown[0].caption, QStringLiteral("Error"));
    // No half-made tape is left behind.
    QCOMPARE(r.box.BaandTable().state(), engine::DatasetState::Browse);
    QCOMPARE(r.catalogue.rowCount(schema::tapes()), 0);
}

void TestNewTapeDialog::newTapeDialogKeepsLastChoice() {
    Registers r;
    TBaandtypeForm dialog(r.box);
    dialog.Baandnavn->setText(QStringLiteral("B1"));
    QTimer::singleShot(0, &dialog, [&] {
        dialog.ComboBox1->setCurrentIndex(dialog.ComboBox1->findText(QStringLiteral("60")));
        dialog.BitBtn1->click();
    });
    QCOMPARE(dialog.exec(), 1);
    QString shownNextTime;
    dialog.Baandnavn->setText(QStringLiteral("B2"));
    QTimer::singleShot(0, &dialog, [&] {
        shownNextTime = dialog.ComboBox1->currentText();
        dialog.BitBtn2->click();
    });
    QCOMPARE(dialog.exec(), 2);
    QCOMPARE(shownNextTime, QStringLiteral("60"));
}

void TestNewTapeDialog::enterInNewTapeDialogActsOnce_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("tapes");
    QTest::newRow("refused length")
        << "abc" << QStringList{"'abc' is not a valid integer value"} << 0;
    QTest::newRow("good length") << "60" << QStringList() << 1;
    QTest::newRow("the start of a listed length") << "30" << QStringList() << 1;
}

void TestNewTapeDialog::enterInNewTapeDialogActsOnce() {
    QFETCH(QString, typed);
    QFETCH(QStringList, messages);
    QFETCH(int, tapes);
    Registers r;
    TBaandtypeForm dialog(r.box);
    dialog.Baandnavn->setText(QStringLiteral("A12"));
    MessageLog log;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClicks(dialog.ComboBox1->lineEdit(), typed);
        QTest::keyClick(dialog.ComboBox1->lineEdit(), Qt::Key_Return);
        if (dialog.isVisible())
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), tapes == 1 ? 1 : 2);
    QCOMPARE(log.texts(), messages);
    QCOMPARE(r.catalogue.rowCount(schema::tapes()), tapes);
    if (tapes == 1) {
        auto stored = r.catalogue.openTable(schema::tapes());
        QCOMPARE(stored->fieldByName(QStringLiteral("Baandlaengde")).asInteger(), typed.toInt());
    }
}

QTEST_MAIN(TestNewTapeDialog)
#include "tst_new_tape_dialog.moc"
