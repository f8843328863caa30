// A search with thousands of hits on a generated catalogue, driven through the main window:
// its result window shows exactly the rows of its statement run directly, in order, and the
// hit chosen at the end of the list becomes the current recording.

#include "catalogue_generator.h"
#include "engine/query.h"
#include "framework/db_grid.h"
#include "main_window_fixture.h"
#include "search/GenerelSearchFormUnit.h"
#include "search/SkuespillerSearchFormUnit.h"

#include <QLineEdit>
#include <QRadioButton>

class TestBigSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bigSearchShowsTheStatementsRows_data();
    void bigSearchShowsTheStatementsRows();
};

void TestBigSearch::bigSearchShowsTheStatementsRows_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("text");
    // Nearly every title, nearly every pair of an actor and a cast, tapes by their number.
    QTest::newRow("titles «e»") << "RadioBTitel"
                                << "e";
    QTest::newRow("actors «e»") << "RadioBSkuespiller"
                                << "e";
    QTest::newRow("directors «sen»") << "RadioBInstruktor"
                                     << "sen";
    QTest::newRow("tapes «%1»") << "RadioBBaandNavn"
                                << "%1";
}

void TestBigSearch::bigSearchShowsTheStatementsRows() {
    QFETCH(QString, radio);
    QFETCH(QString, text);
    TempCatalogue catalogue;
    QVERIFY(catalogue.isValid());
    generator::CatalogueSize size;
    size.recordings = 3000;
    generator::fillCatalogue(catalogue.directory(), size);
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    TMainForm& f = *main.form;

    // Every value of every hit as the result window's grid reads it, and the hit chosen
    // from the end of the list.
    QStringList statement;
    std::vector<QVariantList> shown;
    qint64 lastId = 0;
    auto answer = [&](SearchResultForm* w) {
        statement = w->Query1().sql();
        const engine::Dataset& hits = *w->DBGrid1->datasetModel()->dataset();
        for (int row = 0; row < hits.recordCount(); ++row) {
            QVariantList values;
            for (int field = 0; field < hits.fieldCount(); ++field)
                values << hits.rowValue(row, field);
            shown.push_back(values);
        }
        QTest::keyClick(w->DBGrid1, Qt::Key_End, Qt::ControlModifier);
        lastId = w->Query1().fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
        QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    };
    QTest::mouseClick(f.findChild<QRadioButton*>(radio), Qt::LeftButton);
    QTest::keyClicks(f.Sogetext, text);
    QPointer<QTimer> general = onNextModal<TGenerelSearchForm>(answer);
    QPointer<QTimer> actors = onNextModal<TSkuespillerSearchForm>(answer);
    QTest::keyClick(f.Sogetext, Qt::Key_Return);
    delete general.data();
    delete actors.data();
    QVERIFY(!statement.isEmpty());

    // The statement run directly, every row kept.
    engine::Query direct(catalogue.session());
    direct.setAliasName(QString::fromUtf8(schema::kAlias));
    direct.setSql(statement);
    direct.setParam(QStringLiteral("text"), u'%' + text.toUpper() + u'%');
    direct.open();
    QVERIFY(direct.recordCount() > 200);
    QCOMPARE(int(shown.size()), direct.recordCount());
    for (int row = 0; row < direct.recordCount(); ++row) {
        QVariantList values;
        for (int field = 0; field < direct.fieldCount(); ++field)
            values << direct.rowValue(row, field);
        QCOMPARE(shown[std::size_t(row)], values);
    }
    // The last hit was chosen, and the window let go of the hits when it closed.
    const int id = direct.fieldIndex(QStringLiteral("VideoAutoInc"));
    QCOMPARE(lastId, direct.rowValue(direct.recordCount() - 1, id).toLongLong());
    QCOMPARE(main.recordings().fieldByName(QStringLiteral("VideoAutoInc")).asInteger(), lastId);
    QVERIFY(!f.GenerelSearchForm->Query1().isActive());
    QVERIFY(!f.SkuespillerSearchForm->Query1().isActive());
}

QTEST_MAIN(TestBigSearch)
#include "tst_big_search.moc"
