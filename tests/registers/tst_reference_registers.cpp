// The categories, groups and tapes editors on the data module's own tables, driven with
// keys and clicks.

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/error.h"
#include "framework/db_grid.h"
#include "message_log.h"
#include "registers/BaandFormUnit.h"
#include "registers/BaandtypeFormUnit.h"
#include "registers/GrupperFormUnit.h"
#include "registers/KategoriFormUnit.h"
#include "table_file_lock.h"
#include "temp_catalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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

const QString kTapeInUse =
    QStringLiteral("Der er inskrevet poster på dette bånd. Slet disse poster før båndet slettes.");

QString nameTaken(const QString& name) {
    return QStringLiteral("Der er allerede et bånd med navnet ") + name + u'.';
}

// The tape names as stored, in the table's order.
QStringList storedTapeNames(TempCatalogue& catalogue) {
    QStringList names;
    auto tapes = catalogue.openTable(schema::tapes());
    for (tapes->first(); !tapes->eof(); tapes->next())
        names << tapes->fieldByName(QStringLiteral("BaandNavn")).asString();
    return names;
}

// Puts the grid on a cell of the row whose first column shows that text.
void selectCell(framework::DBGrid* grid, const QString& firstColumn, int column) {
    QAbstractItemModel* model = grid->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == firstColumn) {
            grid->setCurrentIndex(model->index(row, column));
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row ") + firstColumn));
}

// Types as a user does: the first key opens the cell editor, the rest goes into it.
void typeOver(framework::DBGrid* grid, const QString& text) {
    QTest::keyClicks(grid, text.left(1));
    if (QWidget* editor = QApplication::focusWidget())
        QTest::keyClicks(editor, text.mid(1));
}

// Answers every real message box that comes up with OK while it lives, keeping the texts.
struct RealBoxes {
    RealBoxes() {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        timer.start();
    }
    framework::ScopedMessageHandler realBox{framework::MessageHandler()};
    QTimer timer;
    QStringList texts;
};

void keyToFocus(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    if (QWidget* focus = QApplication::focusWidget())
        QTest::keyClick(focus, Qt::Key(key), modifiers);
}

} // namespace

class TestReferenceRegisters : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void renamedCategoryLeavesRecordings();
    void renamedGroupReachesRecordings();
    void tapeDelete_data();
    void tapeDelete();
    void tapeGridRefusesOutOfRangeLength();
    void closingPostsChangedRow();
    void closingWithARefusedRowKeepsTheWindow_data();
    void closingWithARefusedRowKeepsTheWindow();
    void typingOverASelectedCellReplaces_data();
    void typingOverASelectedCellReplaces();
    void tapeDeleteJudgesTheStoredRow_data();
    void tapeDeleteJudgesTheStoredRow();
    void duplicateTapeName_data();
    void duplicateTapeName();
};

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

void TestReferenceRegisters::closingWithARefusedRowKeepsTheWindow_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fileLocked");
    QTest::addColumn<bool>("realBox");
    QTest::newRow("tape without a length") << "BaandForm"
                                           << "Z1" << false << false;
    QTest::newRow("tape without a length, the real box") << "BaandForm"
                                                         << "Z1" << false << true;
    QTest::newRow("category, its file locked") << "KategoriForm"
                                               << "Drama" << true << false;
    QTest::newRow("group, its file locked") << "GrupperForm"
                                            << "Film" << true << false;
}

// A new row the closing post cannot store keeps the window open with the row; Escape drops
// the row, and then "Luk" closes. Nothing is left behind to block later posts.
void TestReferenceRegisters::closingWithARefusedRowKeepsTheWindow() {
    QFETCH(QString, window);
    QFETCH(QString, typed);
    QFETCH(bool, fileLocked);
    QFETCH(bool, realBox);
    Registers r;
    addTape(r.box, QStringLiteral("A1"));
    TBaandForm tapes(r.box);
    TKategoriForm categories(r.box);
    TGrupperForm groups(r.box);
    TGridRegisterForm* form = &groups;
    if (window == u"BaandForm")
        form = &tapes;
    else if (window == u"KategoriForm")
        form = &categories;
    auto* table = dynamic_cast<engine::Table*>(form->DBGrid1->dataSource()->dataSet());
    QVERIFY(table);
    const int storedBefore = table->recordCount();
    std::unique_ptr<TableFileLock> lock;
    if (fileLocked) {
        lock = std::make_unique<TableFileLock>(r.catalogue.filePath(table->tableName()));
        QVERIFY(lock->isLocked());
    }
    MessageLog recorded;
    std::optional<RealBoxes> boxes;
    if (realBox)
        boxes.emplace();
    const auto texts = [&] { return boxes ? boxes->texts : recorded.texts(); };
    bool openAfterRefusal = false;
    engine::DatasetState stateAfterRefusal = engine::DatasetState::Inactive;
    qsizetype messagesAfterRefusal = 0;
    QTimer::singleShot(0, form, [&] {
        if (!QTest::qWaitForWindowActive(form))
            return form->reject();
        form->DBGrid1->setFocus(Qt::TabFocusReason);
        keyToFocus(Qt::Key_Insert);
        typeOver(form->DBGrid1, typed);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        openAfterRefusal = form->isVisible();
        stateAfterRefusal = table->state();
        messagesAfterRefusal = texts().size();
        lock.reset();
        // Into the window's focus, also while it is not active again after a real box.
        if (QWidget* focus = form->focusWidget())
            QTest::keyClick(focus, Qt::Key_Escape);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        if (form->isVisible()) {
            form->DBGrid1->cancelRecord();
            form->reject();
        }
    });
    form->exec();
    QVERIFY(openAfterRefusal);
    QCOMPARE(stateAfterRefusal, engine::DatasetState::Insert);
    QCOMPARE(messagesAfterRefusal, 1);
    QCOMPARE(texts().size(), 1);
    if (!fileLocked)
        QCOMPARE(texts().first(), QStringLiteral("Field 'Længde i min.' must have a value"));
    QCOMPARE(table->state(), engine::DatasetState::Browse);
    QCOMPARE(table->recordCount(), storedBefore);
    // A recording on tape A1 is stored as usual afterwards.
    try {
        addRecording(r.box, {{"Baandnummer", "A1"}, {"Titel1", "Vertigo"}});
    } catch (const engine::Error& e) {
        QFAIL(qPrintable(e.message()));
    }
    QCOMPARE(r.catalogue.rowCount(schema::recordings()), 1);
}

void TestReferenceRegisters::typingOverASelectedCellReplaces_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("name") << 0 << "Q7"
                          << "Q7";
    QTest::newRow("length, one digit") << 1 << "3"
                                       << "3";
    QTest::newRow("length, two digits") << 1 << "90"
                                        << "90";
    QTest::newRow("length, the start of a listed one") << 1 << "30"
                                                       << "30";
}

// The length cell's list only proposes: what is typed replaces the value shown.
void TestReferenceRegisters::typingOverASelectedCellReplaces() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Registers r;
    r.box.BaandTable().append();
    r.box.BaandTable().fieldByName(QStringLiteral("BaandNavn")).setAsString(QStringLiteral("A1"));
    r.box.BaandTable().fieldByName(QStringLiteral("Baandlaengde")).setAsInteger(240);
    r.box.BaandTable().post();
    TBaandForm form(r.box);
    r.show(form, form.DBGrid1);
    MessageLog log;
    selectCell(form.DBGrid1, QStringLiteral("A1"), column);
    typeOver(form.DBGrid1, typed);
    keyToFocus(Qt::Key_Return);
    QVERIFY2(log.shown.empty(), qPrintable(log.texts().join(u'\n')));
    auto tapes = r.catalogue.openTable(schema::tapes());
    QCOMPARE(tapes->field(column).asString(), stored);
}

void TestReferenceRegisters::tapeDeleteJudgesTheStoredRow_data() {
    QTest::addColumn<QString>("tape");    // the row deleted
    QTest::addColumn<QString>("pending"); // typed over its name, the editor still open
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("message");
    QTest::newRow("renamed in the editor, recordings name the stored name")
        << "A1"
        << "Q7" << QStringList{"A1", "B9", "C4", "c4"} << kTapeInUse;
    QTest::newRow("renamed in the editor to a name with recordings")
        << "B9"
        << "A1" << QStringList{"A1", "C4", "c4"} << QString();
    QTest::newRow("a stored twin goes while its twin stays")
        << "c4" << QString() << QStringList{"A1", "B9", "C4"} << QString();
}

void TestReferenceRegisters::tapeDeleteJudgesTheStoredRow() {
    QFETCH(QString, tape);
    QFETCH(QString, pending);
    QFETCH(QStringList, left);
    QFETCH(QString, message);
    Registers r;
    // C4 and c4: twins stored before names had to differ.
    for (const char* name : {"A1", "B9", "C4", "c4"})
        r.catalogue.appendRow(schema::tapes(), {{"BaandNavn", name}, {"Baandlaengde", 180}});
    r.box.BaandTable().refresh();
    addRecording(r.box, {{"Baandnummer", "A1"}, {"Titel1", "Vertigo"}});
    addRecording(r.box, {{"Baandnummer", "C4"}, {"Titel1", "Psycho"}});
    TBaandForm form(r.box);
    r.show(form, form.DBGrid1);
    selectCell(form.DBGrid1, tape, 0);
    if (!pending.isEmpty()) {
        keyToFocus(Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), pending);
    }
    MessageLog log;
    log.answers.push_back(MessageButton::Ok); // "Delete record?"
    keyToFocus(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(log.texts().first(), QStringLiteral("Delete record?"));
    QCOMPARE(log.texts().mid(1), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(storedTapeNames(r.catalogue), left);
}

void TestReferenceRegisters::duplicateTapeName_data() {
    QTest::addColumn<QString>("via"); // "grid" (a row's cell typed over), "new row", "dialog"
    QTest::addColumn<QString>("tape");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::newRow("renamed to another's name in other letter case") << "grid"
                                                                    << "A3" << 0 << "a5" << true;
    QTest::newRow("Danish letters in other letter case") << "grid"
                                                         << "A3" << 0 << "Å7" << true;
    QTest::newRow("a new row") << "new row" << QString() << 0 << "A5" << true;
    QTest::newRow("the new-tape dialog") << "dialog" << QString() << 0 << "a5" << true;
    QTest::newRow("its own name in other letter case") << "grid"
                                                       << "A3" << 0 << "a3" << false;
    QTest::newRow("a stored twin's length") << "grid"
                                            << "x1" << 1 << "120" << false;
}

// A tape's name is its identity: no post makes two tapes of one name. Twins stored before
// the rule still take other changes.
void TestReferenceRegisters::duplicateTapeName() {
    QFETCH(QString, via);
    QFETCH(QString, tape);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    Registers r;
    for (const char* name : {"A3", "A5", "å7", "X1", "x1"})
        r.catalogue.appendRow(schema::tapes(), {{"BaandNavn", name}, {"Baandlaengde", 180}});
    r.box.BaandTable().refresh();
    const QStringList before = storedTapeNames(r.catalogue);
    MessageLog log;
    bool open = false;
    if (via == u"dialog") {
        TBaandtypeForm dialog(r.box);
        dialog.Baandnavn->setText(typed);
        QTimer::singleShot(0, &dialog, [&] {
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            open = dialog.isVisible();
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), 2);
        QVERIFY(open);
    } else {
        TBaandForm form(r.box);
        r.show(form, form.DBGrid1);
        if (via == u"new row") {
            keyToFocus(Qt::Key_Insert);
            typeOver(form.DBGrid1, typed);
            keyToFocus(Qt::Key_Tab);
            typeOver(form.DBGrid1, QStringLiteral("240"));
        } else {
            selectCell(form.DBGrid1, tape, column);
            typeOver(form.DBGrid1, typed);
        }
        keyToFocus(Qt::Key_Return);
        QCOMPARE(r.box.BaandTable().isEditing(), refused); // the row stays in the editor
        form.DBGrid1->cancelRecord();
    }
    QCOMPARE(log.texts(), refused ? QStringList{nameTaken(typed)} : QStringList());
    if (refused) {
        QCOMPARE(log.shown.front().caption, QStringLiteral("Fejl..."));
        QCOMPARE(storedTapeNames(r.catalogue), before);
    }
    QCOMPARE(r.box.BaandTable().state(), engine::DatasetState::Browse);
}

QTEST_MAIN(TestReferenceRegisters)
#include "tst_reference_registers.moc"
