#include "engine/datetime.h"
#include "framework/db_grid.h"
#include "registers/FuldBilledeUnit.h"
#include "registers/SkuespillerFormUnit.h"
#include "registers_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The register as the program has it: one full-picture window, one register.
struct Register {
    explicit Register(RegistersFixture& f) : form(*f.box, fullPicture) {
        form.setPictureFileChooser([](const QString&) { return std::optional<QString>(); });
    }
    TFuldBilledeForm fullPicture;
    TSkuespillerForm form;

    engine::Table& table() { return form.SkuespillerTable(); }

    // The actors the register lists now, "Fornavn Efternavn", in its order.
    QStringList listed() {
        QStringList names;
        engine::Table& t = table();
        const int row = t.recNo();
        for (t.first(); !t.eof(); t.next())
            names << t.fieldByName("Fornavn").asString() + u' ' +
                         t.fieldByName("Efternavn").asString();
        if (row > 0)
            t.setRecNo(row);
        return names;
    }
    QString current() {
        return table().fieldByName("Fornavn").asString() + u' ' +
               table().fieldByName("Efternavn").asString();
    }
    // What the grid shows in one column, top to bottom.
    QStringList gridColumn(int column) {
        QStringList cells;
        QAbstractItemModel* model = form.DBGrid1->model();
        for (int row = 0; row < model->rowCount(); ++row)
            cells << model->index(row, column).data().toString();
        return cells;
    }
};

void addCast(RegistersFixture& f) {
    f.addActor("Peter", "Hansen");
    f.addActor("Jens", "Olsen");
    f.addActor("Johanne", "Smith");
    f.addActor("Jonas", "smed");
    f.addActor("Ib", "Åberg");
    f.addActor("Sean", "O'Brien");
    f.addActor("jOrgen", "Ahlefeldt");
}

const QStringList kAllInOrder = {"jOrgen Ahlefeldt", "Peter Hansen",  "Sean O'Brien", "Jens Olsen",
                                 "Jonas smed",       "Johanne Smith", "Ib Åberg"};

} // namespace

class TestActorRegister : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowTexts();
    void showingEmptiesTheNameBoxes();
    void filterAsTyped_data();
    void filterAsTyped();
    void oneLetterTypedAndDeleted();
    void hintFollowsTheNames();
    void enteringAnEmptyGridClearsTheSearch();
    void createWithOnlyAFirstName();
    void createWithoutNames();
    void sameNamesTwice();
    void rowAppendedInGridGetsItsIdentityText();
    void rowAppendedOutsideTheFilterGetsItsIdentityText();
    void dates_data();
    void dates();
    void invalidDateKeepsTheOldValue();
    void dateTypedInTheGrid();
    void closingPostsPendingChanges();
    void modalResults_data();
    void modalResults();
    void doubleClickFromMenuDoesNothing();
    void doubleClickWhilePickingPicks();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
};

void TestActorRegister::windowTexts() {
    RegistersFixture f;
    QVERIFY(f.ok());
    Register r(f);
    QCOMPARE(r.form.windowTitle(), "Skuespillere");
    QCOMPARE(r.form.objectName(), "SkuespillerForm");
    QCOMPARE(r.form.Opretspillerbtn->text(), "Opret denne skuespiller");
    QCOMPARE(r.form.BitBtn2->text(), "Luk");
    QCOMPARE(r.form.BitBtn2->toolTip(), "Luk skuespillere register");
    QCOMPARE(r.form.OverforBtn->text(), "Tilføj");
    QCOMPARE(r.form.OverforBtn->toolTip(), "Overfør skuespiller til film");
    QVERIFY(r.form.OverforBtn->isHidden());
    QCOMPARE(r.form.DBGrid1->toolTip(), "Tast Ctrl+Delete for at slette");
    QCOMPARE(r.form.Label1->text(), "Fornavn");
    QCOMPARE(r.form.Label2->text(), "Efternavn");
    QCOMPARE(r.form.SkuespillerSource().objectName(), "SkuespillerSource");
    for (const char* name :
         {"EditFornavn", "EditEfternavn", "Opretspillerbtn", "DBGrid1", "BitBtn2", "OverforBtn",
          "BilledeBox", "Image1", "DBMemo1", "BitBtn1", "BitBtn3", "BitBtn4"})
        QVERIFY2(r.form.findChild<QWidget*>(name), name);

    r.form.show();
    const auto& columns = r.form.DBGrid1->columns();
    QCOMPARE(columns.size(), 4u);
    const QStringList titles = {"Fornavn", "Efternavn", "Født dato", "Død dato"};
    const QList<int> widths = {149, 137, 68, 67};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(r.form.DBGrid1->model()->headerData(i, Qt::Horizontal).toString(), titles[i]);
        QCOMPARE(r.form.DBGrid1->columnWidth(i), widths[i]);
    }
    QVERIFY(r.form.BitBtn2->isDefault());
    QVERIFY(!r.form.DBGrid1->isReadOnly());
}

void TestActorRegister::showingEmptiesTheNameBoxes() {
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QVERIFY(r.table().isActive());
    QTest::keyClicks(r.form.EditFornavn, "jo");
    QCOMPARE(r.listed().size(), 3);
    r.form.hide();

    r.form.show();
    QCOMPARE(r.form.EditFornavn->text(), QString());
    QCOMPARE(r.form.EditEfternavn->text(), QString());
    QVERIFY(!r.table().filtered());
    QCOMPARE(r.listed(), kAllInOrder);
    QCOMPARE(r.form.focusWidget(), r.form.EditFornavn);
}

void TestActorRegister::filterAsTyped_data() {
    QTest::addColumn<QString>("fornavn");
    QTest::addColumn<QString>("efternavn");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("first name") << "jo"
                                << ""
                                << "Fornavn = 'jo*'"
                                << QStringList{"jOrgen Ahlefeldt", "Jonas smed", "Johanne Smith"};
    QTest::newRow("capitals") << "JO"
                              << ""
                              << "Fornavn = 'JO*'"
                              << QStringList{"jOrgen Ahlefeldt", "Jonas smed", "Johanne Smith"};
    QTest::newRow("last name") << ""
                               << "sm"
                               << "efternavn = 'sm*'" << QStringList{"Jonas smed", "Johanne Smith"};
    QTest::newRow("both") << "joh"
                          << "SM"
                          << "Fornavn = 'joh*' AND efternavn = 'SM*'"
                          << QStringList{"Johanne Smith"};
    QTest::newRow("danish letter") << ""
                                   << "å"
                                   << "efternavn = 'å*'" << QStringList{"Ib Åberg"};
    QTest::newRow("apostrophe") << ""
                                << "o'b"
                                << "efternavn = 'o''b*'" << QStringList{"Sean O'Brien"};
    QTest::newRow("lone apostrophe") << "'"
                                     << ""
                                     << "Fornavn = '''*'" << QStringList{};
    QTest::newRow("asterisk typed") << "*"
                                    << ""
                                    << "Fornavn = '**'" << QStringList{};
    QTest::newRow("no match") << "x"
                              << ""
                              << "Fornavn = 'x*'" << QStringList{};
}

void TestActorRegister::filterAsTyped() {
    QFETCH(QString, fornavn);
    QFETCH(QString, efternavn);
    QFETCH(QString, filter);
    QFETCH(QStringList, listed);
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTest::keyClicks(r.form.EditFornavn, fornavn);
    QTest::keyClicks(r.form.EditEfternavn, efternavn);
    QVERIFY(r.table().filtered());
    QCOMPARE(r.table().filterText(), filter);
    QCOMPARE(r.listed(), listed);
    QCOMPARE(r.gridColumn(0).size(), std::max<qsizetype>(listed.size(), 1));
    if (!listed.isEmpty())
        QCOMPARE(r.current(), listed.first());
    QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.texts().join('\n')));
}

void TestActorRegister::oneLetterTypedAndDeleted() {
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTest::keyClicks(r.form.EditFornavn, "p");
    QVERIFY(r.table().filtered());
    QCOMPARE(r.listed(), QStringList{"Peter Hansen"});
    QTest::keyClick(r.form.EditFornavn, Qt::Key_Backspace);
    QVERIFY(!r.table().filtered());
    QCOMPARE(r.table().filterText(), QString());
    QCOMPARE(r.listed(), kAllInOrder);
    QCOMPARE(r.gridColumn(1),
             QStringList({"Ahlefeldt", "Hansen", "O'Brien", "Olsen", "smed", "Smith", "Åberg"}));
}

void TestActorRegister::hintFollowsTheNames() {
    RegistersFixture f;
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTest::keyClicks(r.form.EditFornavn, "Jens");
    QCOMPARE(r.form.Opretspillerbtn->toolTip(), "Opret skuespiller Jens ");
    QTest::keyClicks(r.form.EditEfternavn, "Olsen");
    QCOMPARE(r.form.Opretspillerbtn->toolTip(), "Opret skuespiller Jens Olsen");
    QCOMPARE(r.form.Opretspillerbtn->text(), "Opret denne skuespiller");
}

void TestActorRegister::enteringAnEmptyGridClearsTheSearch() {
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTest::keyClicks(r.form.EditFornavn, "jo");
    r.form.DBGrid1Enter();
    QCOMPARE(r.form.EditFornavn->text(), "jo"); // rows to show: nothing happens
    QTest::keyClicks(r.form.EditEfternavn, "zz");
    QCOMPARE(r.table().recordCount(), 0);
    r.form.DBGrid1Enter();
    QCOMPARE(r.form.EditFornavn->text(), QString());
    QCOMPARE(r.form.EditEfternavn->text(), QString());
    QVERIFY(!r.table().filtered());
    QCOMPARE(r.listed(), kAllInOrder);
}

void TestActorRegister::createWithOnlyAFirstName() {
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTest::keyClicks(r.form.EditFornavn, "Karen");
    QTest::mouseClick(r.form.Opretspillerbtn, Qt::LeftButton);

    QCOMPARE(r.current(), "Karen ");
    QCOMPARE(r.listed(), QStringList{"Karen "});
    const qint64 id = r.table().fieldByName("SkuespillerAutoInc").asInteger();
    QVERIFY(id > 0);
    bool found = false;
    for (const auto& actor : f.storedActors()) {
        if (actor.fornavn != "Karen")
            continue;
        found = true;
        QCOMPARE(actor.efternavn, QString());
        QCOMPARE(actor.id, id);
        QCOMPARE(actor.idText, QString::number(id));
    }
    QVERIFY(found);
    QCOMPARE(r.table().state(), engine::DatasetState::Browse);
    QVERIFY(f.messages.shown.empty());
}

void TestActorRegister::createWithoutNames() {
    RegistersFixture f;
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTest::mouseClick(r.form.Opretspillerbtn, Qt::LeftButton);
    QCOMPARE(f.messages.texts(), QStringList{"Indtast mindst et fornavn eller efternavn."});
    QCOMPARE(f.messages.shown.front().caption, "Information");
    QCOMPARE(f.messages.shown.front().icon, framework::MessageIcon::Information);
    QCOMPARE(f.catalogue.rowCount(schema::actors()), 0);
}

void TestActorRegister::sameNamesTwice() {
    RegistersFixture f;
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTest::keyClicks(r.form.EditFornavn, "Anna");
    QTest::keyClicks(r.form.EditEfternavn, "Berg");
    r.form.OpretspillerbtnClick();
    r.form.OpretspillerbtnClick();
    QCOMPARE(r.listed(), QStringList({"Anna Berg", "Anna Berg"}));
    const auto actors = f.storedActors();
    QCOMPARE(actors.size(), 2u);
    QVERIFY(actors[0].id != actors[1].id);
    for (const auto& actor : actors)
        QCOMPARE(actor.idText, QString::number(actor.id));
}

void TestActorRegister::rowAppendedInGridGetsItsIdentityText() {
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QVERIFY(r.form.DBGrid1->appendRecord());
    r.table().fieldByName("Fornavn").setAsString("Ny");
    r.table().fieldByName("Efternavn").setAsString("Skuespiller");
    QVERIFY(r.form.DBGrid1->postRecord());
    for (const auto& actor : f.storedActors())
        QCOMPARE(actor.idText, actor.fornavn == "Ny" ? QString::number(actor.id) : QString());
}

// The new row does not pass the filter and leaves the view when posted.
void TestActorRegister::rowAppendedOutsideTheFilterGetsItsIdentityText() {
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTest::keyClicks(r.form.EditFornavn, "jo");
    QVERIFY(r.form.DBGrid1->appendRecord());
    r.table().fieldByName("Fornavn").setAsString("Niels");
    r.table().fieldByName("Efternavn").setAsString("Bohr");
    QVERIFY(r.form.DBGrid1->postRecord());
    QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.texts().join('\n')));
    QCOMPARE(r.listed(), QStringList({"jOrgen Ahlefeldt", "Jonas smed", "Johanne Smith"}));
    for (const auto& actor : f.storedActors()) {
        if (actor.fornavn == "Niels")
            QCOMPARE(actor.idText, QString::number(actor.id));
        else // the rows written without it may have got theirs on the way
            QVERIFY(actor.idText.isEmpty() || actor.idText == QString::number(actor.id));
    }
}

void TestActorRegister::dates_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("stored"); // null: no date
    QTest::newRow("birth") << "Fodtdato"
                           << "05-11-1937" << QDate(1937, 11, 5);
    QTest::newRow("death") << "Doddato"
                           << "28-02-2001" << QDate(2001, 2, 28);
    QTest::newRow("leap day") << "Fodtdato"
                              << "29-02-1960" << QDate(1960, 2, 29);
    QTest::newRow("blank clears birth") << "Fodtdato"
                                        << "  -  -    " << QDate();
    QTest::newRow("blank clears death") << "Doddato"
                                        << "  -  -    " << QDate();
}

void TestActorRegister::dates() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QDate, stored);
    RegistersFixture f;
    f.catalogue.appendRow(schema::actors(), {{"Fornavn", "Bodil"},
                                             {"Efternavn", "Ipsen"},
                                             {"Fodtdato", QDate(1896, 8, 30)},
                                             {"Doddato", QDate(1964, 11, 26)}});
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    r.table().edit();
    r.table().fieldByName(field).setText(typed);
    r.table().post();
    auto table = f.catalogue.openTable(schema::actors());
    const QVariant value = table->fieldByName(field).value();
    if (stored.isNull())
        QVERIFY(value.isNull());
    else
        QCOMPARE(engine::dayNumberToDate(value.toDouble()), stored);
    if (!stored.isNull())
        QCOMPARE(r.table().fieldByName(field).text(), typed);
}

void TestActorRegister::invalidDateKeepsTheOldValue() {
    RegistersFixture f;
    f.catalogue.appendRow(
        schema::actors(),
        {{"Fornavn", "Bodil"}, {"Efternavn", "Ipsen"}, {"Fodtdato", QDate(1896, 8, 30)}});
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    r.table().edit();
    for (const char* typed : {"31-02-1990", "12-13-1990", "1 -  -    "}) {
        QVERIFY_THROWS_EXCEPTION(
            engine::Error, r.table().fieldByName("Fodtdato").setText(QString::fromLatin1(typed)));
        QCOMPARE(r.table().fieldByName("Fodtdato").text(), "30-08-1896");
    }
    r.table().cancel();
}

// Typed into the grid's masked editor: the blank positions reach the field as spaces.
void TestActorRegister::dateTypedInTheGrid() {
    RegistersFixture f;
    f.catalogue.appendRow(
        schema::actors(),
        {{"Fornavn", "Bodil"}, {"Efternavn", "Ipsen"}, {"Fodtdato", QDate(1896, 8, 30)}});
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    r.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&r.form));
    framework::DBGrid* grid = r.form.DBGrid1;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 2));
    QTest::keyClick(grid, Qt::Key_F2);
    auto* line = grid->findChild<QLineEdit*>();
    QVERIFY(line);
    QCOMPARE(line->displayText(), "30-08-1896");
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    QTest::keyClick(line, Qt::Key_Return);
    QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.texts().join('\n')));
    auto table = f.catalogue.openTable(schema::actors());
    QVERIFY(table->fieldByName("Fodtdato").isNull());
}

void TestActorRegister::closingPostsPendingChanges() {
    RegistersFixture f;
    f.addActor("Bodil", "Ipsen");
    QVERIFY(f.ok());
    Register r(f);
    whenModal([&r](QWidget*) {
        r.table().edit();
        r.table().fieldByName("Fornavn").setAsString("Bodil Louise");
        QTest::mouseClick(r.form.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(r.form.exec(), 1);
    QCOMPARE(f.storedActors().front().fornavn, "Bodil Louise");
    QCOMPARE(r.table().state(), engine::DatasetState::Browse);
}

void TestActorRegister::modalResults_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("Luk") << "BitBtn2" << 1;
    QTest::newRow("Tilføj") << "OverforBtn" << 6;
    QTest::newRow("title bar") << "close" << 2;
    QTest::newRow("Escape") << "escape" << 2;
}

void TestActorRegister::modalResults() {
    QFETCH(QString, how);
    QFETCH(int, result);
    RegistersFixture f;
    f.addActor("Bodil", "Ipsen");
    QVERIFY(f.ok());
    Register r(f);
    r.form.OverforBtn->setVisible(how == "OverforBtn");
    whenModal([how](QWidget* modal) {
        if (how == "close")
            modal->close();
        else if (how == "escape")
            QTest::keyClick(modal, Qt::Key_Escape);
        else
            QTest::mouseClick(modal->findChild<QPushButton*>(how), Qt::LeftButton);
    });
    QCOMPARE(r.form.exec(), result);
    r.form.OverforBtn->hide();
}

void TestActorRegister::doubleClickFromMenuDoesNothing() {
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    bool stayedOpen = false;
    whenModal([&](QWidget* modal) {
        framework::DBGrid* grid = r.form.DBGrid1;
        const QRect cell = grid->visualRect(grid->model()->index(2, 0));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        stayedOpen = modal->isVisible();
        QTest::mouseClick(r.form.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(r.form.exec(), 1);
    QVERIFY(stayedOpen);
}

void TestActorRegister::doubleClickWhilePickingPicks() {
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.OverforBtn->show();
    whenModal([&r](QWidget*) {
        framework::DBGrid* grid = r.form.DBGrid1;
        const QRect cell = grid->visualRect(grid->model()->index(2, 0));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    });
    const int result = r.form.exec();
    r.form.OverforBtn->hide();
    QCOMPARE(result, 6);
    QCOMPARE(r.current(), "Sean O'Brien");
}

void TestActorRegister::deleteAsksFirst_data() {
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK deletes") << true;
    QTest::newRow("Cancel keeps") << false;
}

void TestActorRegister::deleteAsksFirst() {
    QFETCH(bool, confirm);
    RegistersFixture f;
    addCast(f);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    r.table().setRecNo(2);
    QCOMPARE(r.current(), "Peter Hansen");
    f.messages.answers.push_back(confirm ? framework::MessageButton::Ok
                                         : framework::MessageButton::Cancel);
    r.form.DBGrid1->setFocus();
    QTest::keyClick(r.form.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(f.messages.texts(), QStringList{"Delete record?"});
    QCOMPARE(f.messages.shown.front().caption, "Confirm");
    QCOMPARE(r.listed().contains("Peter Hansen"), !confirm);
    QCOMPARE(f.catalogue.rowCount(schema::actors()), confirm ? 6 : 7);
}

QTEST_MAIN(TestActorRegister)
#include "tst_actor_register.moc"
