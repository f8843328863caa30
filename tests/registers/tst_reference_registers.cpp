// The categories, groups and tapes editors and the new-tape dialog, on the data module's
// own tables, driven with keys and clicks.

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "framework/db_grid.h"
#include "message_log.h"
#include "registers/BaandFormUnit.h"
#include "registers/BaandtypeFormUnit.h"
#include "registers/GrupperFormUnit.h"
#include "registers/KategoriFormUnit.h"
#include "temp_catalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using framework::MessageButton;

namespace {

struct Registers {
    Registers() : box(catalogue.session(), catalogue.directory() + u'/') {}

    TempCatalogue catalogue;
    TDataBox box;

    // Types over the text of the grid's current cell and posts it with Enter.
    static void retype(framework::DBGrid* grid, int column, const QString& text) {
        grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), column));
        QTest::keyClicks(grid, text.left(1));
        QWidget* editor = QApplication::focusWidget();
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            line = combo->lineEdit();
        if (line) {
            line->selectAll();
            QTest::keyClicks(line, text);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    void show(QWidget& window, framework::DBGrid* grid) {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        grid->setFocus(Qt::TabFocusReason);
    }
};

void addRecording(TDataBox& box, const QVariantMap& fields) {
    engine::Table& recordings = box.VideoTable();
    recordings.append();
    for (auto it = fields.begin(); it != fields.end(); ++it)
        recordings.fieldByName(it.key()).setValue(it.value());
    recordings.post();
}

void addTape(TDataBox& box, const QString& name) {
    engine::Table& tapes = box.BaandTable();
    tapes.append();
    tapes.fieldByName(QStringLiteral("BaandNavn")).setAsString(name);
    tapes.fieldByName(QStringLiteral("Baandlaengde")).setAsInteger(180);
    tapes.post();
}

void addRow(engine::Table& table, const QString& field, const QVariant& value) {
    table.append();
    table.fieldByName(field).setValue(value);
    table.post();
}

} // namespace

class TestReferenceRegisters : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newTapeDialogCreates_data();
    void newTapeDialogCreates();
    void newTapeDialogRefusesBadLength_data();
    void newTapeDialogRefusesBadLength();
    void newTapeDialogKeepsLastChoice();
    void renamedCategoryLeavesRecordings();
    void renamedGroupReachesRecordings();
    void tapeDelete_data();
    void tapeDelete();
    void tapeGridRefusesOutOfRangeLength();
    void closingPostsChangedRow();
};

void TestReferenceRegisters::newTapeDialogCreates_data() {
    QTest::addColumn<QString>("typed"); // empty: leave the box as it is
    QTest::addColumn<int>("length");
    QTest::newRow("box left at 240") << QString() << 240;
    QTest::newRow("120 typed, not in the list") << QStringLiteral("120") << 120;
    QTest::newRow("60 typed") << QStringLiteral("60") << 60;
}

void TestReferenceRegisters::newTapeDialogCreates() {
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

void TestReferenceRegisters::newTapeDialogRefusesBadLength_data() {
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

void TestReferenceRegisters::newTapeDialogRefusesBadLength() {
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

void TestReferenceRegisters::newTapeDialogKeepsLastChoice() {
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

void TestReferenceRegisters::renamedCategoryLeavesRecordings() {
    Registers r;
    addRow(r.box.KategoriTable(), QStringLiteral("Kategori"), QStringLiteral("Krimi"));
    addTape(r.box, QStringLiteral("A1"));
    addRecording(r.box, {{"Baandnummer", "A1"}, {"Kategori", "Krimi"}, {"Titel1", "Vertigo"}});
    TKategoriForm form(r.box);
    QCOMPARE(form.windowTitle(), QStringLiteral("Kategorier"));
    QCOMPARE(form.Label1->text(), QStringLiteral("Tast Ctrl+Delete for at slette"));
    r.show(form, form.DBGrid1);
    Registers::retype(form.DBGrid1, 0, QStringLiteral("Krimi og spænding"));
    form.BitBtn1->click();
    QCOMPARE(r.box.KategoriTable().fieldByName(QStringLiteral("Kategori")).asString(),
             QStringLiteral("Krimi og spænding"));
    auto recordings = r.catalogue.openTable(schema::recordings());
    QCOMPARE(recordings->fieldByName(QStringLiteral("Kategori")).asString(),
             QStringLiteral("Krimi"));
}

void TestReferenceRegisters::renamedGroupReachesRecordings() {
    Registers r;
    addRow(r.box.GruppeTable(), QStringLiteral("Gruppenavn"), QStringLiteral("Film"));
    const qint64 number = r.box.GruppeTable().fieldByName(QStringLiteral("Lobenummer")).asInteger();
    TGrupperForm form(r.box);
    QCOMPARE(form.windowTitle(), QStringLiteral("Grupper"));
    QCOMPARE(form.DBGrid1->model()->columnCount(), 1); // the number is not shown
    r.show(form, form.DBGrid1);
    Registers::retype(form.DBGrid1, 0, QStringLiteral("Spillefilm"));
    form.BitBtn1->click();
    // A recording holds the group by its number, so it now shows the new name.
    QVERIFY(r.box.GruppeTable().locate(QStringLiteral("Lobenummer"), number, false));
    QCOMPARE(r.box.GruppeTable().fieldByName(QStringLiteral("Gruppenavn")).asString(),
             QStringLiteral("Spillefilm"));
}

void TestReferenceRegisters::tapeDelete_data() {
    QTest::addColumn<QString>("recordingTape");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("a tape without recordings goes") << QStringLiteral("B9") << true;
    QTest::newRow("a recording names it in other letter case") << QStringLiteral("a1") << false;
}

void TestReferenceRegisters::tapeDelete() {
    QFETCH(QString, recordingTape);
    QFETCH(bool, deleted);
    Registers r;
    addTape(r.box, QStringLiteral("A1"));
    addTape(r.box, QStringLiteral("B9"));
    addRecording(r.box, {{"Baandnummer", recordingTape}, {"Titel1", "Vertigo"}});
    TBaandForm form(r.box);
    r.show(form, form.DBGrid1);
    QVERIFY(r.box.BaandTable().locate(QStringLiteral("BaandNavn"), QStringLiteral("A1"), false));
    MessageLog log;
    log.answers.push_back(MessageButton::Ok); // "Delete record?"
    QTest::keyClick(form.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(!log.shown.empty());
    QCOMPARE(log.shown[0].text, QStringLiteral("Delete record?"));
    QCOMPARE(log.shown[0].caption, QStringLiteral("Confirm"));
    QCOMPARE(r.catalogue.rowCount(schema::tapes()), deleted ? 1 : 2);
    if (!deleted) {
        QCOMPARE(log.texts().last(), QStringLiteral("Der er inskrevet poster på dette bånd. Slet "
                                                    "disse poster før båndet slettes."));
        QCOMPARE(r.box.BaandTable().fieldByName(QStringLiteral("BaandNavn")).asString(),
                 QStringLiteral("A1"));
    }
}

void TestReferenceRegisters::tapeGridRefusesOutOfRangeLength() {
    Registers r;
    addTape(r.box, QStringLiteral("A1"));
    TBaandForm form(r.box);
    r.show(form, form.DBGrid1);
    MessageLog log;
    Registers::retype(form.DBGrid1, 1, QStringLiteral("601"));
    QVERIFY(log.texts().contains(QStringLiteral(
        "601 is not a valid value for field 'Længde i min.'. The allowed range is 0 to 600")));
    form.DBGrid1->cancelRecord();
    form.DBGrid1->cancelRecord();
    auto stored = r.catalogue.openTable(schema::tapes());
    QCOMPARE(stored->fieldByName(QStringLiteral("Baandlaengde")).asInteger(), 180);
}

void TestReferenceRegisters::closingPostsChangedRow() {
    Registers r;
    TKategoriForm form(r.box);
    r.show(form, form.DBGrid1);
    // Typing into the empty table starts its first row.
    QTest::keyClicks(form.DBGrid1, QStringLiteral("D"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("rama"));
    form.BitBtn1->click();
    QCOMPARE(r.catalogue.rowCount(schema::categories()), 1);
    auto stored = r.catalogue.openTable(schema::categories());
    QCOMPARE(stored->fieldByName(QStringLiteral("Kategori")).asString(), QStringLiteral("Drama"));
}

QTEST_MAIN(TestReferenceRegisters)
#include "tst_reference_registers.moc"
