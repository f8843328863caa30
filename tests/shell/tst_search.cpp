// The search box of the main window driven as a user does: a text typed, a kind chosen with
// the radio buttons, Enter, and the result window answered.

#include "engine/datetime.h"
#include "framework/db_edit.h"
#include "framework/db_grid.h"
#include "main_window_fixture.h"
#include "overview/ProgressBarFormUnit.h"
#include "registers/BaandFormUnit.h"
#include "search/GenerelSearchFormUnit.h"
#include "search/SkuespillerSearchFormUnit.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>

using framework::MessageButton;

namespace {

const QString kTitel1 = QStringLiteral("Titel1");

struct Recording {
    const char* titel1;
    const char* titel2;
    const char* instruktor;
    const char* baandnummer;
    int startMinute;
    const char* cast;
};

// Actors 2, 5 and 12 matter: 2 is a Hansen in no cast (its token *2* must not be found in
// *12*), 5 has HANSEN in the first name, 12 is a Hansen in two casts.
const Recording kRecordings[] = {
    {"Alien", "", "Ridley Scott", "B12", 0, "*12*"},
    {"Aliens", "Alien 2", "James Cameron", "B123", 0, "*5*"},
    {"Blade Runner", "", "Ridley Scott", "b12", 120, "*12**5*"},
    {"Det forsømte forår", "The alien within", "Søren Kragh-Jacobsen", "A1", 0, ""},
    {"Den \"store\" dag", "", "Bo Widerberg", "A1", 60, ""},
    {"Rock 'n' roll", "", "Ib Hansen", "A1", 120, "*7*"},
};

double minutes(int m) {
    return engine::msecsToTimeFraction(qint64(m) * 60000);
}

void fillCatalogue(TempCatalogue& catalogue) {
    for (const char* tape : {"A1", "B12", "B123"})
        catalogue.appendRow(schema::tapes(), {{"BaandNavn", tape}, {"Baandlaengde", 240}});
    for (int id = 1; id <= 12; ++id) {
        QString fornavn = QStringLiteral("Fornavn%1").arg(id);
        QString efternavn = QStringLiteral("Efternavn%1").arg(id);
        if (id == 2)
            fornavn = QStringLiteral("Peter"), efternavn = QStringLiteral("Hansen");
        else if (id == 5)
            fornavn = QStringLiteral("Jens Hansen"), efternavn = QStringLiteral("Olsen");
        else if (id == 7)
            fornavn = QStringLiteral("Maureen"), efternavn = QStringLiteral("O'Hara");
        else if (id == 12)
            fornavn = QStringLiteral("Ole"), efternavn = QStringLiteral("Hansen");
        appendActor(catalogue, fornavn, efternavn);
    }
    for (const Recording& r : kRecordings) {
        catalogue.appendRow(schema::recordings(),
                            {{"Titel1", QString::fromUtf8(r.titel1)},
                             {"Titel2", QString::fromUtf8(r.titel2)},
                             {"Instruktor", QString::fromUtf8(r.instruktor)},
                             {"Baandnummer", QString::fromUtf8(r.baandnummer)},
                             {"Starttid", minutes(r.startMinute)},
                             {"SpilletidSPLP", minutes(60)},
                             {"SpilletidSP", minutes(60)},
                             {"Hastighed", "SP"},
                             {"SkuespillereListe", QString::fromUtf8(r.cast)}});
    }
}

// Column values of every hit, in the query's order.
QStringList column(const engine::Dataset& query, const QString& field) {
    QStringList values;
    const int index = query.fieldIndex(field);
    for (int row = 0; row < query.recordCount(); ++row)
        values << query.rowValue(row, index).toString();
    return values;
}

// The grid's column titles, each with its width; the tape-name column is as wide as
// written or wider, as the longest tape name needs ("54+").
QStringList headers(framework::DBGrid* grid) {
    QStringList list;
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
        const int width = grid->columnWidth(c);
        list << title + u' ' +
                    (title == QStringLiteral("Båndnavn") && width >= 54 ? QStringLiteral("54+")
                                                                        : QString::number(width));
    }
    return list;
}

// What a result window showed when it came up.
struct Shown {
    bool came = false;
    int gridRows = -1;
    QStringList headers;
    QStringList titles;
    QStringList firstNames;
};

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void resultWindows();
    void windowsCreatedWithTheOthers();
    void titleStatementForAlien();
    void generalSearch_data();
    void generalSearch();
    void actorSearch_data();
    void actorSearch();
    void nothingFound_data();
    void nothingFound();
    void emptyTextDoesNothing();
    void enterIsSwallowed_data();
    void enterIsSwallowed();
    void otherKeysTypeNormally();
    void radioButtonFocusesSearchBox();
    void choosingHit_data();
    void choosingHit();

private:
    // Types the text with the radio button chosen and presses Enter; the result window,
    // if any, is closed with Annuller.
    Shown search(QRadioButton* kind, const QString& text, Qt::Key enter = Qt::Key_Return);
    QRadioButton* radio(const QString& name) const {
        return m_main->form->findChild<QRadioButton*>(name);
    }

    std::unique_ptr<TempCatalogue> m_catalogue;
    std::unique_ptr<MainWindowFixture> m_main;
};

void TestSearch::init() {
    m_catalogue = std::make_unique<TempCatalogue>();
    QVERIFY(m_catalogue->isValid());
    fillCatalogue(*m_catalogue);
    m_main = std::make_unique<MainWindowFixture>(*m_catalogue);
    QVERIFY(m_main->waitOpened());
}

void TestSearch::cleanup() {
    m_main.reset();
    m_catalogue.reset();
}

Shown TestSearch::search(QRadioButton* kind, const QString& text, Qt::Key enter) {
    TMainForm& f = *m_main->form;
    QTest::mouseClick(kind, Qt::LeftButton);
    f.Sogetext->selectAll();
    QTest::keyClicks(f.Sogetext, text);
    Shown shown;
    const bool actors = kind == f.RadioBSkuespiller;
    auto answer = [&shown, actors](SearchResultForm* w) {
        shown.came = true;
        shown.gridRows = w->DBGrid1->model()->rowCount();
        shown.headers = headers(w->DBGrid1);
        shown.titles = column(w->Query1(), kTitel1);
        if (actors)
            shown.firstNames = column(w->Query1(), QStringLiteral("Fornavn"));
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
    };
    QPointer<QTimer> general = onNextModal<TGenerelSearchForm>(answer);
    QPointer<QTimer> actorWindow = onNextModal<TSkuespillerSearchForm>(answer);
    QTest::keyClick(f.Sogetext, enter);
    delete general.data();
    delete actorWindow.data();
    return shown;
}

void TestSearch::resultWindows() {
    TMainForm& f = *m_main->form;
    // The written sizes; the width grows with the tape-name column.
    const auto sizeAtLeast = [](const QSize& size, const QSize& written) {
        return size.height() == written.height() && size.width() >= written.width();
    };
    TGenerelSearchForm& general = *f.GenerelSearchForm;
    QCOMPARE(general.objectName(), QStringLiteral("GenerelSearchForm"));
    QCOMPARE(general.windowTitle(), QStringLiteral("Søgning"));
    QVERIFY(sizeAtLeast(general.size(), QSize(586, 375)));
    QVERIFY(general.DBGrid1->isReadOnly());
    QCOMPARE(general.DBGrid1->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(general.DBGrid1->dataSource(), &general.DataSource1());
    QCOMPARE(general.DataSource1().dataSet(), &general.Query1());
    QCOMPARE(general.BitBtn1->text(), QStringLiteral("OK"));
    QCOMPARE(general.BitBtn2->text(), QStringLiteral("Annuller"));

    TSkuespillerSearchForm& actors = *f.SkuespillerSearchForm;
    QCOMPARE(actors.objectName(), QStringLiteral("SkuespillerSearchForm"));
    QCOMPARE(actors.windowTitle(), QStringLiteral("SkuespillerSearchForm"));
    QVERIFY(sizeAtLeast(actors.size(), QSize(604, 380)));
    QVERIFY(actors.DBGrid1->isReadOnly());
    QCOMPARE(actors.BitBtn2->text(), QStringLiteral("Annuller"));
    QCOMPARE(
        actors.Query1().sql(),
        QStringList({"SELECT * FROM \"skuespillere.db\" , \"spolebox.db\"",
                     "WHERE SkuespillereListe LIKE \"%*\" + SkuespillerAutoIncStr + \"*%\" AND",
                     "(UPPER(efternavn) LIKE :text OR", "UPPER(fornavn) LIKE :text)",
                     "ORDER BY Titel1"}));

    // Column titles and widths as the hits show them.
    QCOMPARE(search(f.RadioBTitel, QStringLiteral("alien")).headers,
             QStringList({"Titel 1 203", "Titel 2 174", "Instruktør 113", "Båndnavn 54+"}));
    QCOMPARE(
        search(f.RadioBSkuespiller, QStringLiteral("hansen")).headers,
        QStringList({"Fornavn 104", "Efternavn 96", "Titel 1 167", "Titel 2 138", "Båndnavn 54+"}));
}

void TestSearch::windowsCreatedWithTheOthers() {
    // Made after the tapes editor and before the progress window, as all the others once.
    QList<QObject*> windows;
    for (QObject* child : m_main->form->children()) {
        if (qobject_cast<TBaandForm*>(child) || qobject_cast<TSkuespillerSearchForm*>(child) ||
            qobject_cast<TGenerelSearchForm*>(child) || qobject_cast<TProgressBarForm*>(child))
            windows << child;
    }
    QCOMPARE(windows.size(), 4);
    QVERIFY(qobject_cast<TBaandForm*>(windows[0]));
    QVERIFY(qobject_cast<TSkuespillerSearchForm*>(windows[1]));
    QVERIFY(qobject_cast<TGenerelSearchForm*>(windows[2]));
    QVERIFY(qobject_cast<TProgressBarForm*>(windows[3]));
}

void TestSearch::titleStatementForAlien() {
    const Shown shown = search(m_main->form->RadioBTitel, QStringLiteral("alien"));
    QCOMPARE(m_main->form->GenerelSearchForm->Query1().sql(),
             QStringList({"SELECT * FROM \"spolebox.db\"",
                          "Where UPPER(titel1) LIKE \"%ALIEN%\" OR UPPER(titel2) LIKE \"%ALIEN%\"",
                          "ORDER BY titel1"}));
    QVERIFY(shown.came);
    QCOMPARE(shown.gridRows, 3);
    QCOMPARE(shown.titles, QStringList({"Alien", "Aliens", "Det forsømte forår"}));
}

void TestSearch::generalSearch_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("whereLine");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("tape «b12» is the whole name")
        << "RadioBBaandNavn"
        << "b12"
        << "Where UPPER(Baandnummer) LIKE \"B12\"" << QStringList{"Alien", "Blade Runner"};
    QTest::newRow("tape «b1%»") << "RadioBBaandNavn"
                                << "b1%"
                                << "Where UPPER(Baandnummer) LIKE \"B1%\""
                                << QStringList{"Alien", "Aliens", "Blade Runner"};
    QTest::newRow("director, one letter")
        << "RadioBInstruktor"
        << "c"
        << "Where UPPER(instruktor) LIKE \"%C%\""
        << QStringList{"Alien", "Aliens", "Blade Runner", "Det forsømte forår"};
    QTest::newRow("director, one Danish letter")
        << "RadioBInstruktor"
        << "ø"
        << "Where UPPER(instruktor) LIKE \"%Ø%\"" << QStringList{"Det forsømte forår"};
    QTest::newRow("title in the second title")
        << "RadioBTitel"
        << "Within"
        << "Where UPPER(titel1) LIKE \"%WITHIN%\" OR UPPER(titel2) LIKE \"%WITHIN%\""
        << QStringList{"Det forsømte forår"};
    QTest::newRow("typed % is a wildcard")
        << "RadioBTitel"
        << "ali%2"
        << "Where UPPER(titel1) LIKE \"%ALI%2%\" OR UPPER(titel2) LIKE \"%ALI%2%\""
        << QStringList{"Aliens"};
    // A double quote is searched for as it stands, doubled inside the constant.
    QTest::newRow("double quotes")
        << "RadioBTitel"
        << "\"store\""
        << "Where UPPER(titel1) LIKE \"%\"\"STORE\"\"%\" OR UPPER(titel2) LIKE "
           "\"%\"\"STORE\"\"%\""
        << QStringList{"Den \"store\" dag"};
    QTest::newRow("a lone double quote")
        << "RadioBTitel"
        << "\""
        << "Where UPPER(titel1) LIKE \"%\"\"%\" OR UPPER(titel2) LIKE \"%\"\"%\""
        << QStringList{"Den \"store\" dag"};
    QTest::newRow("apostrophes")
        << "RadioBTitel"
        << "'n'"
        << "Where UPPER(titel1) LIKE \"%'N'%\" OR UPPER(titel2) LIKE \"%'N'%\""
        << QStringList{"Rock 'n' roll"};
    QTest::newRow("double quote and wildcard")
        << "RadioBTitel"
        << "\"s%\""
        << "Where UPPER(titel1) LIKE \"%\"\"S%\"\"%\" OR UPPER(titel2) LIKE \"%\"\"S%\"\"%\""
        << QStringList{"Den \"store\" dag"};
}

void TestSearch::generalSearch() {
    QFETCH(QString, radio);
    QFETCH(QString, text);
    QFETCH(QString, whereLine);
    QFETCH(QStringList, titles);
    MessageLog log;
    const Shown shown = search(this->radio(radio), text);
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(m_main->form->GenerelSearchForm->Query1().sql().value(1), whereLine);
    QVERIFY(shown.came);
    QCOMPARE(shown.titles, titles);
    QCOMPARE(shown.gridRows, titles.size());
}

void TestSearch::actorSearch_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("firstNames");

    // Ole Hansen (12) by last name in two casts, Jens Hansen (5) by first name in two;
    // Peter Hansen (2) stands in no cast, and *2* is not found in *12*.
    QTest::newRow("«hansen»") << "hansen"
                              << QStringList{"Alien", "Aliens", "Blade Runner", "Blade Runner"}
                              << QStringList{"Ole", "Jens Hansen", "Jens Hansen", "Ole"};
    QTest::newRow("apostrophe") << "o'h" << QStringList{"Rock 'n' roll"} << QStringList{"Maureen"};
    QTest::newRow("wildcard") << "ens%sen" << QStringList{"Aliens", "Blade Runner"}
                              << QStringList{"Jens Hansen", "Jens Hansen"};
}

void TestSearch::actorSearch() {
    QFETCH(QString, text);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, firstNames);
    MessageLog log;
    const Shown shown = search(m_main->form->RadioBSkuespiller, text);
    QCOMPARE(log.texts(), QStringList());
    QVERIFY(shown.came);
    QCOMPARE(shown.titles, titles);
    QCOMPARE(shown.firstNames, firstNames);
    QCOMPARE(shown.gridRows, titles.size());
    QVERIFY(!shown.firstNames.contains(QStringLiteral("Peter")));
}

void TestSearch::nothingFound_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    const QString general = QStringLiteral("Der er ingen poster fundet.");
    const QString actors = QStringLiteral("Der er ikke fundet nogle skuespillere.");
    QTest::newRow("title") << "RadioBTitel"
                           << "zorro" << general;
    QTest::newRow("director") << "RadioBInstruktor"
                              << "x" << general;
    QTest::newRow("tape, part of a name") << "RadioBBaandNavn"
                                          << "b1" << general;
    QTest::newRow("actor in no cast") << "RadioBSkuespiller"
                                      << "peter" << actors;
    QTest::newRow("no such actor") << "RadioBSkuespiller"
                                   << "zorro" << actors;
    // A double quote cannot end the text and widen the search to every recording.
    QTest::newRow("quotes stay in the text") << "RadioBTitel"
                                             << "\" OR \"" << general;
    QTest::newRow("quote in an actor name") << "RadioBSkuespiller"
                                            << "\" OR \"" << actors;
}

void TestSearch::nothingFound() {
    QFETCH(QString, radio);
    QFETCH(QString, text);
    QFETCH(QString, message);
    TMainForm& f = *m_main->form;
    engine::Table& recordings = m_main->recordings();
    const QString before = recordings.fieldByName(kTitel1).asString();
    MessageLog log;
    const Shown shown = search(this->radio(radio), text);
    QVERIFY(!shown.came);
    QCOMPARE(log.shown.size(), std::size_t(1));
    QCOMPARE(log.shown[0].text, message);
    QCOMPARE(log.shown[0].caption, QStringLiteral("OBS"));
    QCOMPARE(log.shown[0].icon, framework::MessageIcon::Information);
    QCOMPARE(log.shown[0].buttons, std::vector<MessageButton>{MessageButton::Ok});
    QCOMPARE(recordings.fieldByName(kTitel1).asString(), before);
    // Back in the search box with the text selected, ready to be typed over.
    QTRY_VERIFY(f.Sogetext->hasFocus());
    QCOMPARE(f.Sogetext->text(), text);
    QCOMPARE(f.Sogetext->selectedText(), text);
}

void TestSearch::emptyTextDoesNothing() {
    TMainForm& f = *m_main->form;
    MessageLog log;
    for (QRadioButton* kind :
         {f.RadioBTitel, f.RadioBInstruktor, f.RadioBSkuespiller, f.RadioBBaandNavn}) {
        const Shown shown = search(kind, QString());
        QVERIFY(!shown.came);
    }
    QCOMPARE(log.texts(), QStringList());
    QVERIFY(f.GenerelSearchForm->Query1().sql().isEmpty());
    QVERIFY(!f.SkuespillerSearchForm->Query1().isActive());
}

void TestSearch::enterIsSwallowed_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter);
}

void TestSearch::enterIsSwallowed() {
    QFETCH(int, key);
    TMainForm& f = *m_main->form;
    // Enter would otherwise reach the line edit's returnPressed and the window.
    bool returnPressed = false;
    connect(f.Sogetext, &QLineEdit::returnPressed, this, [&] { returnPressed = true; });
    MessageLog log;
    const Shown shown = search(f.RadioBTitel, QStringLiteral("blade"), Qt::Key(key));
    QVERIFY(shown.came);
    QCOMPARE(shown.titles, QStringList{"Blade Runner"});
    QVERIFY(!returnPressed);
    QCOMPARE(f.Sogetext->text(), QStringLiteral("blade"));
    QCOMPARE(log.texts(), QStringList());
    QTRY_VERIFY(f.Sogetext->hasFocus());
    QCOMPARE(f.Sogetext->selectedText(), QStringLiteral("blade"));
}

void TestSearch::otherKeysTypeNormally() {
    TMainForm& f = *m_main->form;
    f.Sogetext->setFocus();
    QTest::keyClicks(f.Sogetext, QStringLiteral("ab"));
    QTest::keyClick(f.Sogetext, Qt::Key_Backspace);
    QTest::keyClicks(f.Sogetext, QStringLiteral("%ø"));
    QCOMPARE(f.Sogetext->text(), QStringLiteral("a%ø"));
}

void TestSearch::radioButtonFocusesSearchBox() {
    TMainForm& f = *m_main->form;
    f.Sogetext->setText(QStringLiteral("alien"));
    f.Titel1Edit->setFocus();
    QTRY_VERIFY(f.Titel1Edit->hasFocus());
    MessageLog log;
    bool windowCame = false;
    QPointer<QTimer> watch = onNextModal<QDialog>(
        [&](QDialog* d) {
            windowCame = true;
            d->reject();
        },
        300);
    QTest::mouseClick(f.RadioBInstruktor, Qt::LeftButton);
    QVERIFY(f.RadioBInstruktor->isChecked());
    QVERIFY(!f.RadioBTitel->isChecked());
    QTRY_VERIFY(f.Sogetext->hasFocus());
    QTest::qWait(400);
    delete watch.data();
    // No search by itself.
    QVERIFY(!windowCame);
    QCOMPARE(log.texts(), QStringList());
    QVERIFY(f.GenerelSearchForm->Query1().sql().isEmpty());
}

void TestSearch::choosingHit_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("OK") << "ok"
                        << "RadioBTitel"
                        << "runner"
                        << "Blade Runner";
    QTest::newRow("double click") << "dblclick"
                                  << "RadioBTitel"
                                  << "alien"
                                  << "Aliens";
    QTest::newRow("Enter in the grid") << "enter"
                                       << "RadioBInstruktor"
                                       << "widerberg"
                                       << "Den \"store\" dag";
    QTest::newRow("actor, double click") << "dblclick"
                                         << "RadioBSkuespiller"
                                         << "hansen"
                                         << "Aliens";
    QTest::newRow("Annuller") << "cancel"
                              << "RadioBTitel"
                              << "runner" << QString();
    QTest::newRow("close box") << "close"
                               << "RadioBBaandNavn"
                               << "b12" << QString();
    QTest::newRow("actor, Annuller") << "cancel"
                                     << "RadioBSkuespiller"
                                     << "hansen" << QString();
}

void TestSearch::choosingHit() {
    QFETCH(QString, how);
    QFETCH(QString, radio);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    TMainForm& f = *m_main->form;
    engine::Table& recordings = m_main->recordings();
    // The editor starts on the first recording in tape order, on tape A1.
    const QString start = recordings.fieldByName(kTitel1).asString();
    QCOMPARE(start, QStringLiteral("Det forsømte forår"));

    QTest::mouseClick(this->radio(radio), Qt::LeftButton);
    QTest::keyClicks(f.Sogetext, text);
    bool came = false;
    auto answer = [&](SearchResultForm* w) {
        came = true;
        framework::DBGrid* grid = w->DBGrid1;
        if (how == u"ok") {
            QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
        } else if (how == u"dblclick") {
            const QRect cell = grid->visualRect(grid->model()->index(1, 0));
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        } else if (how == u"enter") {
            QTest::keyClick(grid, Qt::Key_Return);
        } else if (how == u"cancel") {
            QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        } else {
            w->close();
        }
    };
    QPointer<QTimer> general = onNextModal<TGenerelSearchForm>(answer);
    QPointer<QTimer> actors = onNextModal<TSkuespillerSearchForm>(answer);
    QTest::keyClick(f.Sogetext, Qt::Key_Return);
    delete general.data();
    delete actors.data();
    QVERIFY(came);
    QVERIFY(!QApplication::activeModalWidget());
    const QString now = expected.isEmpty() ? start : expected;
    QCOMPARE(recordings.fieldByName(kTitel1).asString(), now);
    QCOMPARE(f.Titel1Edit->text(), now);
    QCOMPARE(recordings.state(), engine::DatasetState::Browse);
    QTRY_VERIFY(f.Sogetext->hasFocus());
    QCOMPARE(f.Sogetext->selectedText(), text);
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
