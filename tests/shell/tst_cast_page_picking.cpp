// "Tilføj skuespiller" on the cast page with a new actor typed into the actor register: the
// cast gets the actor the user had in front, and nothing when that actor could not be saved.

#include "framework/db_grid.h"
#include "main_window_fixture.h"
#include "registers/SkuespillerFormUnit.h"
#include "table_file_lock.h"

#include <QLineEdit>
#include <QTabWidget>

class TestCastPagePicking : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newActorTypedIntoTheRegister_data();
    void newActorTypedIntoTheRegister();
};

void TestCastPagePicking::newActorTypedIntoTheRegister_data() {
    QTest::addColumn<QString>("search");     // typed into the register's first-name box
    QTest::addColumn<QString>("afterwards"); // a failed save: "" none, "retry" or "escape"
    QTest::addColumn<QString>("cast");
    QTest::newRow("file locked, saved once free") << ""
                                                  << "retry"
                                                  << "*4**1*";
    QTest::newRow("file locked, the row dropped") << ""
                                                  << "escape"
                                                  << "*1*";
    QTest::newRow("outside the register's search") << "Fornavn2"
                                                   << ""
                                                   << "*4**1*";
}

void TestCastPagePicking::newActorTypedIntoTheRegister() {
    QFETCH(QString, search);
    QFETCH(QString, afterwards);
    QFETCH(QString, cast);
    TempCatalogue catalogue;
    QVERIFY(catalogue.isValid());
    catalogue.appendRow(schema::tapes(), {{"BaandNavn", "A1"}, {"Baandlaengde", 600}});
    for (int id = 1; id <= 3; ++id)
        appendActor(catalogue, QStringLiteral("Fornavn%1").arg(id), QStringLiteral("Hansen"));
    catalogue.appendRow(
        schema::recordings(),
        {{"Titel1", "Olsen-banden"}, {"Baandnummer", "A1"}, {"SkuespillereListe", "*1*"}});
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    main.form->PageControl1->setCurrentWidget(main.form->SkuespillereSide);
    MessageLog log;
    bool openAfterFailure = false;
    QPointer<QTimer> answer = onNextModal<TSkuespillerForm>([&](TSkuespillerForm* r) {
        QTest::keyClicks(r->EditFornavn, search);
        r->DBGrid1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(r->DBGrid1, Qt::Key_Insert);
        QTest::keyClicks(r->DBGrid1, QStringLiteral("N"));
        if (QWidget* editor = QApplication::focusWidget())
            QTest::keyClicks(editor, QStringLiteral("iels"));
        auto lock = std::make_unique<TableFileLock>(catalogue.filePath(schema::actors().fileName));
        if (afterwards.isEmpty())
            lock.reset();
        QTest::mouseClick(r->OverforBtn, Qt::LeftButton);
        openAfterFailure = r->isVisible();
        lock.reset();
        if (QWidget* focus = QApplication::focusWidget(); focus && afterwards == u"escape")
            QTest::keyClick(focus, Qt::Key_Escape);
        if (openAfterFailure)
            QTest::mouseClick(afterwards == u"escape" ? r->BitBtn2 : r->OverforBtn, Qt::LeftButton);
        if (r->isVisible()) {
            r->DBGrid1->cancelRecord();
            r->close();
        }
    });
    QTest::mouseClick(main.form->BitBtn1, Qt::LeftButton);
    delete answer.data();
    QCOMPARE(openAfterFailure, !afterwards.isEmpty());
    QCOMPARE(log.shown.size(), std::size_t(afterwards.isEmpty() ? 0 : 1));
    auto stored = catalogue.openTable(schema::recordings());
    QCOMPARE(stored->fieldByName(QStringLiteral("SkuespillereListe")).asString(), cast);
}

QTEST_MAIN(TestCastPagePicking)
#include "tst_cast_page_picking.moc"
