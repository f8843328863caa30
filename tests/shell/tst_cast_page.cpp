// The cast page "Skuespillere" of the main window driven as a user does: the cast of the
// current recording, adding actors picked in the actor register and removing them. The
// picture of the selected actor: tst_cast_pictures.cpp.

#include "cast_page_fixture.h"
#include "framework/db_text.h"
#include "framework/image_control.h"
#include "registers/SkuespillerFormUnit.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

using framework::MessageButton;
using namespace castpage;

namespace {

// A cast list of tokens of actors who do not exist, length characters long.
QString filler(int length) {
    QString list;
    while (length - list.size() >= 12)
        list += QStringLiteral("*1000*");
    const int rest = length - int(list.size());
    // What is left (6 to 11 characters) as one or two tokens.
    if (rest >= 6 && rest <= 7)
        list += u'*' + QString(rest - 2, u'9') + u'*';
    else if (rest > 7)
        list += QStringLiteral("*1000*") + u'*' + QString(rest - 8, u'9') + u'*';
    return list;
}

} // namespace

class TestCastPage : public CastPageTest {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pageLayout();
    void recordingWithoutCast();
    void castShownSortedByLastName_data();
    void castShownSortedByLastName();
    void datesOfSelectedActor();
    void addActor_data();
    void addActor();
    void addByDoubleClickInRegister();
    void cancelledRegisterChangesNothing_data();
    void cancelledRegisterChangesNothing();
    void removeActor_data();
    void removeActor();
    void duplicateTokens();
    void removeWithEmptyGridChangesNothing_data();
    void removeWithEmptyGridChangesNothing();
    void fullListIsRefused_data();
    void fullListIsRefused();
    void refusedPostKeepsTheEdit();

private:
    // Clicks "&Tilføj skuespiller" and picks the actor in the register.
    void addThroughRegister(qint64 actorId);
    void clickRemove();
};

void TestCastPage::init() {
    setUp();
}

void TestCastPage::cleanup() {
    tearDown();
}

void TestCastPage::addThroughRegister(qint64 actorId) {
    bool transferShown = false, located = false;
    QPointer<QTimer> answer = onNextModal<TSkuespillerForm>([&](TSkuespillerForm* r) {
        transferShown = r->OverforBtn->isVisible();
        located = r->SkuespillerTable().locate("SkuespillerAutoInc", actorId, false);
        QTest::mouseClick(r->OverforBtn, Qt::LeftButton);
    });
    QTest::mouseClick(form().BitBtn1, Qt::LeftButton);
    delete answer.data();
    QVERIFY(transferShown);
    QVERIFY(located);
    QVERIFY(form().SkuespillerForm->OverforBtn->isHidden());
}

void TestCastPage::clickRemove() {
    QTest::mouseClick(form().BitBtn2, Qt::LeftButton);
}

void TestCastPage::pageLayout() {
    open({QString()});
    TMainForm& f = form();
    QCOMPARE(f.PageControl1->tabText(f.PageControl1->indexOf(f.SkuespillereSide)),
             QStringLiteral("Skuespillere"));
    QCOMPARE(f.SkuespillereSide->objectName(), QStringLiteral("SkuespillereSide"));
    QVERIFY(f.DBGrid1->isReadOnly());
    QCOMPARE(f.DBGrid1->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(f.DBGrid1->dataSource(), f.SkuespillerSource2);
    QCOMPARE(f.SkuespillerSource2->dataSet(), &m_main->box().SkuespillerTable2());
    QAbstractItemModel* model = f.DBGrid1->model();
    QCOMPARE(model->columnCount(), 2);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Fornavn"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Efternavn"));
    QCOMPARE(f.DBGrid1->columnWidth(0), 131);
    QCOMPARE(f.DBGrid1->columnWidth(1), 155);
    QCOMPARE(f.DBText3->dataField(), QStringLiteral("Fodtdato"));
    QCOMPARE(f.DBText4->dataField(), QStringLiteral("Doddato"));
    QStringList labels;
    for (QLabel* l : f.SkuespillereSide->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!qobject_cast<framework::DBText*>(l))
            labels << l->text();
    }
    QVERIFY(labels.contains(QStringLiteral("Født dato")));
    QVERIFY(labels.contains(QStringLiteral("Død dato")));
    QCOMPARE(f.BilledeBox->title(), QStringLiteral("Billede"));
    QCOMPARE(f.BilledeBox->size(), QSize(169, 153));
    QCOMPARE(f.Image1->parentWidget(), f.BilledeBox);
    QVERIFY(f.Image1->stretch());
    QCOMPARE(f.Image1->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(f.BitBtn1->text(), QStringLiteral("&Tilføj skuespiller"));
    QCOMPARE(f.BitBtn2->text(), QStringLiteral("&Fjern skuespiller"));
}

void TestCastPage::recordingWithoutCast() {
    // The first recording's actor has a picture; the second recording has no cast.
    const QString picture = writePicture(programDir() + "a.bmp", QSize(20, 20));
    open({QStringLiteral("*3*"), QString()}, {{3, picture}}, {{3, QDate(1937, 11, 5)}});
    TMainForm& f = form();
    QCOMPARE(gridLastNames(), QStringList{"Zeuthen"});
    QTRY_VERIFY(!f.Image1->isHidden());
    QCOMPARE(f.DBText3->text(), QStringLiteral("05-11-1937"));

    MessageLog log;
    m_main->recordings().next();
    QCOMPARE(currentCast(), QString());
    QCOMPARE(f.DBGrid1->model()->rowCount(), 0);
    QCOMPARE(f.DBText3->text(), QString());
    QCOMPARE(f.DBText4->text(), QString());
    QVERIFY(f.Image1->isHidden());
    QCOMPARE(log.texts(), QStringList());
}

void TestCastPage::castShownSortedByLastName_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("lastNames");
    QTest::newRow("«*3**12*»") << "*3**12*" << QStringList{"Andersen", "Zeuthen"};
    QTest::newRow("actor 2 not in «*12**21*»") << "*12**21*" << QStringList{"Andersen", "Madsen"};
    QTest::newRow("actor 1 not in «*12*»") << "*12*" << QStringList{"Andersen"};
    QTest::newRow("unknown actors show nothing") << "*99**3*" << QStringList{"Zeuthen"};
}

void TestCastPage::castShownSortedByLastName() {
    QFETCH(QString, list);
    QFETCH(QStringList, lastNames);
    open({list});
    QCOMPARE(gridLastNames(), lastNames);
}

void TestCastPage::datesOfSelectedActor() {
    open({QStringLiteral("*3**12*")}, {}, {{3, QDate(1937, 11, 5)}, {12, QDate(2001, 3, 5)}});
    auto actors = m_catalogue->openTable(schema::actors());
    QVERIFY(actors->locate("SkuespillerAutoInc", 3, false));
    actors->edit();
    actors->fieldByName("Doddato").setAsFloat(engine::dateToDayNumber(QDate(2010, 1, 31)));
    actors->post();
    m_main->box().SkuespillerTable2().refresh();

    selectInGrid(QStringLiteral("Zeuthen"));
    QCOMPARE(form().DBText3->text(), QStringLiteral("05-11-1937"));
    QCOMPARE(form().DBText4->text(), QStringLiteral("31-01-2010"));
    selectInGrid(QStringLiteral("Andersen"));
    QCOMPARE(form().DBText3->text(), QStringLiteral("05-03-2001"));
    QCOMPARE(form().DBText4->text(), QString());
}

void TestCastPage::addActor_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("actor");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("lastNames");
    QTest::newRow("3 to «*12*»") << "*12*" << 3 << "*3**12*" << QStringList{"Andersen", "Zeuthen"};
    QTest::newRow("12 to an empty cast") << "" << 12 << "*12*" << QStringList{"Andersen"};
    QTest::newRow("21 in front") << "*3**12*" << 21 << "*21**3**12*"
                                 << QStringList{"Andersen", "Madsen", "Zeuthen"};
}

void TestCastPage::addActor() {
    QFETCH(QString, before);
    QFETCH(int, actor);
    QFETCH(QString, after);
    QFETCH(QStringList, lastNames);
    open({before});
    MessageLog log;
    addThroughRegister(actor);
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(currentCast(), after);
    // Posted at once.
    QCOMPARE(m_main->recordings().state(), engine::DatasetState::Browse);
    QCOMPARE(storedCast(), after);
    QCOMPARE(gridLastNames(), lastNames);
}

void TestCastPage::addByDoubleClickInRegister() {
    open({QStringLiteral("*3*")});
    bool closed = false;
    QPointer<QTimer> answer = onNextModal<TSkuespillerForm>([&](TSkuespillerForm* r) {
        // Actor 12 is the first by last name in the register.
        framework::DBGrid* grid = r->DBGrid1;
        const QRect cell = grid->visualRect(grid->model()->index(0, 0));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        closed = !r->isVisible();
        if (!closed)
            r->close();
    });
    QTest::mouseClick(form().BitBtn1, Qt::LeftButton);
    delete answer.data();
    QVERIFY(closed);
    QCOMPARE(storedCast(), QStringLiteral("*12**3*"));
    QCOMPARE(gridLastNames(), QStringList({"Andersen", "Zeuthen"}));
}

void TestCastPage::cancelledRegisterChangesNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Luk") << "luk";
    QTest::newRow("close box") << "close";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Tilføj with no actor shown") << "nobody";
}

void TestCastPage::cancelledRegisterChangesNothing() {
    QFETCH(QString, how);
    open({QStringLiteral("*12*")});
    MessageLog log;
    QPointer<QTimer> answer = onNextModal<TSkuespillerForm>([&](TSkuespillerForm* r) {
        r->SkuespillerTable().locate("SkuespillerAutoInc", 3, false);
        if (how == u"luk")
            QTest::mouseClick(r->BitBtn2, Qt::LeftButton);
        else if (how == u"close")
            r->close();
        else if (how == u"nobody") {
            QTest::keyClicks(r->EditFornavn, QStringLiteral("zzz"));
            QTest::mouseClick(r->OverforBtn, Qt::LeftButton);
        } else
            QTest::keyClick(r, Qt::Key_Escape);
    });
    QTest::mouseClick(form().BitBtn1, Qt::LeftButton);
    delete answer.data();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(form().SkuespillerForm->OverforBtn->isHidden());
    QCOMPARE(currentCast(), QStringLiteral("*12*"));
    QCOMPARE(m_main->recordings().state(), engine::DatasetState::Browse);
    QCOMPARE(storedCast(), QStringLiteral("*12*"));
    QCOMPARE(gridLastNames(), QStringList{"Andersen"});
    QCOMPARE(log.texts(), QStringList());
}

void TestCastPage::removeActor_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("lastNames");
    QTest::newRow("12 from «*3**12*»") << "*3**12*"
                                       << "Andersen"
                                       << "*3*" << QStringList{"Zeuthen"};
    QTest::newRow("3 from «*3**12*»") << "*3**12*"
                                      << "Zeuthen"
                                      << "*12*" << QStringList{"Andersen"};
    QTest::newRow("the middle one") << "*12**3**21*"
                                    << "Zeuthen"
                                    << "*12**21*" << QStringList{"Andersen", "Madsen"};
    QTest::newRow("the only one") << "*21*"
                                  << "Madsen"
                                  << "" << QStringList();
}

void TestCastPage::removeActor() {
    QFETCH(QString, before);
    QFETCH(QString, lastName);
    QFETCH(QString, after);
    QFETCH(QStringList, lastNames);
    open({before});
    MessageLog log;
    selectInGrid(lastName);
    clickRemove();
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(currentCast(), after);
    QCOMPARE(m_main->recordings().state(), engine::DatasetState::Browse);
    QCOMPARE(storedCast(), after);
    QCOMPARE(gridLastNames(), lastNames);
}

void TestCastPage::duplicateTokens() {
    open({QStringLiteral("*12*")});
    addThroughRegister(12);
    QCOMPARE(storedCast(), QStringLiteral("*12**12*"));
    QCOMPARE(gridLastNames(), QStringList{"Andersen"});
    // The first removal takes one token; the actor is still in the cast.
    selectInGrid(QStringLiteral("Andersen"));
    clickRemove();
    QCOMPARE(storedCast(), QStringLiteral("*12*"));
    QCOMPARE(gridLastNames(), QStringList{"Andersen"});
    selectInGrid(QStringLiteral("Andersen"));
    clickRemove();
    QCOMPARE(storedCast(), QString());
    QCOMPARE(gridLastNames(), QStringList());
}

void TestCastPage::removeWithEmptyGridChangesNothing_data() {
    QTest::addColumn<QString>("list");
    QTest::newRow("no cast") << "";
    // Tokens of actors no longer in the register: nothing is shown, and the empty token
    // "**" must not cut the junction of the two.
    QTest::newRow("only unknown actors") << "*30**40*";
}

void TestCastPage::removeWithEmptyGridChangesNothing() {
    QFETCH(QString, list);
    open({list});
    QCOMPARE(form().DBGrid1->model()->rowCount(), 0);
    MessageLog log;
    clickRemove();
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(currentCast(), list);
    QCOMPARE(m_main->recordings().state(), engine::DatasetState::Browse);
    QCOMPARE(storedCast(), list);
}

void TestCastPage::fullListIsRefused_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("actor");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("246 + «*12*» = 250") << 246 << 12 << true;
    QTest::newRow("247 + «*3*» = 250") << 247 << 3 << true;
    QTest::newRow("247 + «*12*» = 251") << 247 << 12 << false;
    QTest::newRow("250 + «*3*»") << 250 << 3 << false;
}

void TestCastPage::fullListIsRefused() {
    QFETCH(int, length);
    QFETCH(int, actor);
    QFETCH(bool, accepted);
    const QString before = filler(length);
    QCOMPARE(before.size(), length);
    open({before});
    MessageLog log;
    addThroughRegister(actor);
    const QString token = u'*' + QString::number(actor) + u'*';
    if (accepted) {
        QCOMPARE(log.texts(), QStringList());
        QCOMPARE(storedCast(), token + before);
        QCOMPARE(storedCast().size(), 250);
        QCOMPARE(gridLastNames(), QStringList{lastNameOf(actor)});
    } else {
        QCOMPARE(log.shown.size(), std::size_t(1));
        QCOMPARE(log.shown[0].text,
                 QStringLiteral("Der er ikke plads til flere skuespillere på denne optagelse."));
        QCOMPARE(log.shown[0].caption, QStringLiteral("Fejl..."));
        QCOMPARE(currentCast(), before);
        QCOMPARE(m_main->recordings().state(), engine::DatasetState::Browse);
        QCOMPARE(storedCast(), before);
        QCOMPARE(gridLastNames(), QStringList());
    }
}

void TestCastPage::refusedPostKeepsTheEdit() {
    open({QStringLiteral("*12*"), QString()});
    // The second recording moved over the first: its post is refused.
    engine::Table& recordings = m_main->recordings();
    recordings.next();
    recordings.edit();
    recordings.fieldByName("Starttid").setAsFloat(minutes(30));
    MessageLog log;
    addThroughRegister(3);
    QCOMPARE(log.texts(), QStringList{"Der er overlappende tider.."});
    QCOMPARE(recordings.state(), engine::DatasetState::Edit);
    QCOMPARE(currentCast(), QStringLiteral("*3*"));
    auto stored = m_catalogue->openTable(schema::recordings(), "SecBaandnrStarttid");
    stored->next();
    QCOMPARE(stored->fieldByName(kCastList).asString(), QString());
}

QTEST_MAIN(TestCastPage)
#include "tst_cast_page.moc"
