// The main window worked with the keyboard: the Tab cycle, the navigator, the radio groups,
// and menus, tooltips and other windows that do not count as leaving a field.

#include "engine/datetime.h"
#include "framework/db_edit.h"
#include "framework/db_navigator.h"
#include "framework/db_radio_group.h"
#include "main_window_fixture.h"
#include "registers/BaandtypeFormUnit.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QToolTip>

namespace {

double minutes(int m) {
    return engine::msecsToTimeFraction(qint64(m) * 60000);
}

// Three recordings on tape A1, the first one current: sound Mono, speed LP.
void fillCatalogue(TempCatalogue& catalogue) {
    catalogue.appendRow(schema::tapes(), {{"BaandNavn", "A1"}, {"Baandlaengde", 240}});
    const char* const titles[] = {"Alien", "Brazil", "Casablanca"};
    for (int i = 0; i < 3; ++i)
        catalogue.appendRow(schema::recordings(), {{"Titel1", titles[i]},
                                                   {"Baandnummer", "A1"},
                                                   {"Starttid", minutes(60 * i)},
                                                   {"SpilletidSPLP", minutes(60)},
                                                   {"SpilletidSP", minutes(60)},
                                                   {"Hastighed", "LP"},
                                                   {"Lyd", "Mono"}});
}

// The name a test gives the focused control: an item of a data radio group by the group's
// name and the item's text.
QString focusName() {
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return QStringLiteral("(none)");
    if (auto* group = qobject_cast<framework::DBRadioGroup*>(w->parentWidget()))
        return group->objectName() + u'/' + static_cast<QRadioButton*>(w)->text();
    return w->objectName();
}

void pressTab(bool forward) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                    forward ? Qt::NoModifier : Qt::ShiftModifier);
}

// Headless, a popup's window asks to be made active. Asked while the popup is open, that is
// ignored; asked after it closed, it would take the main window's activation away. So the
// tests close a popup only once the request has come (or a second has passed).
bool popupSettled(QWidget* popup) {
    return QTest::qWaitFor(
        [popup] { return QGuiApplication::focusWindow() == popup->windowHandle(); }, 1000);
}

// Closes whatever popup is open, once it is up.
void closePopupSoon() {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            timer->stop();
            timer->deleteLater();
            popupSettled(popup);
            popup->close();
        }
    });
    timer->start();
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void tabCycle_data();
    void tabCycle();
    void navigatorWithKeys_data();
    void navigatorWithKeys();
    void tabIntoRadioGroup_data();
    void tabIntoRadioGroup();
    void menusAndWindowsDoNotLeaveTheField_data();
    void menusAndWindowsDoNotLeaveTheField();
    void leavingFromTheMenuBar();

private:
    TMainForm& form() { return *m_main->form; }
    void focus(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), w);
    }

    std::unique_ptr<TempCatalogue> m_catalogue;
    std::unique_ptr<MainWindowFixture> m_main;
};

void TestKeyboard::init() {
    m_catalogue = std::make_unique<TempCatalogue>();
    QVERIFY(m_catalogue->isValid());
    fillCatalogue(*m_catalogue);
    m_main = std::make_unique<MainWindowFixture>(*m_catalogue);
    QVERIFY(m_main->waitOpened());
}

void TestKeyboard::cleanup() {
    m_main.reset();
    m_catalogue.reset();
}

void TestKeyboard::tabCycle_data() {
    QTest::addColumn<bool>("forward");
    QTest::newRow("Tab") << true;
    QTest::newRow("Shift+Tab") << false;
}

void TestKeyboard::tabCycle() {
    QFETCH(bool, forward);
    QStringList expected{"Sogetext",          "RadioBTitel",     "Titel1Edit",    "Titel2Edit",
                         "InstruktorEdit",    "KategoriKombo",   "LandEdit",      "PaarEdit",
                         "DBLookupComboBox1", "OptagetdatoEdit", "BaandnavnEdit", "SpilletidEdit",
                         "IndexnrEdit",       "Lyd/Mono",        "Hastighed/LP",  "DBNavigator1"};
    if (!forward)
        std::reverse(expected.begin() + 1, expected.end());
    expected << QStringLiteral("Sogetext");
    focus(form().Sogetext);
    QStringList visited{focusName()};
    for (int i = 1; i < expected.size(); ++i) {
        pressTab(forward);
        visited << focusName();
    }
    QCOMPARE(visited, expected);
    // Moving through the fields changed nothing.
    QVERIFY(!m_main->recordings().isEditing());
}

void TestKeyboard::navigatorWithKeys_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("title");
    // At the first recording first and prior are disabled: the navigator starts on next.
    QTest::newRow("Space presses next") << QList<int>{Qt::Key_Space} << "Brazil";
    QTest::newRow("Right, Space presses last")
        << QList<int>{Qt::Key_Right, Qt::Key_Space} << "Casablanca";
    QTest::newRow("Space, Left, Space: next, then first")
        << QList<int>{Qt::Key_Space, Qt::Key_Left, Qt::Key_Left, Qt::Key_Space} << "Alien";
    QTest::newRow("disabled buttons are skipped")
        << QList<int>{Qt::Key_Left, Qt::Key_Space} << "Brazil";
}

void TestKeyboard::navigatorWithKeys() {
    QFETCH(QList<int>, keys);
    QFETCH(QString, title);
    focus(form().Hastighed->button(1));
    pressTab(true);
    QCOMPARE(QApplication::focusWidget(), form().DBNavigator1);
    for (int key : keys)
        QTest::keyClick(form().DBNavigator1, Qt::Key(key));
    QCOMPARE(m_main->recordings().fieldByName(QStringLiteral("Titel1")).asString(), title);
    QCOMPARE(QApplication::focusWidget(), form().DBNavigator1);
}

void TestKeyboard::tabIntoRadioGroup_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QString>("landsOn");
    QTest::newRow("Tab into Lyd") << "IndexnrEdit" << true << "Lyd/Mono";
    QTest::newRow("Tab into Hastighed") << "Lyd" << true << "Hastighed/LP";
    QTest::newRow("Shift+Tab into Hastighed") << "DBNavigator1" << false << "Hastighed/LP";
    QTest::newRow("Shift+Tab into Lyd") << "Hastighed" << false << "Lyd/Mono";
    QTest::newRow("Tab into the search choice") << "Sogetext" << true << "RadioBBaandNavn";
}

void TestKeyboard::tabIntoRadioGroup() {
    QFETCH(QString, from);
    QFETCH(bool, forward);
    QFETCH(QString, landsOn);
    TMainForm& f = form();
    // The radio groups were used before with the mouse, on other items.
    QTest::mouseClick(f.RadioBInstruktor, Qt::LeftButton);
    QTest::mouseClick(f.RadioBBaandNavn, Qt::LeftButton);
    QTest::mouseClick(f.Lyd->button(0), Qt::LeftButton);
    QTest::mouseClick(f.Hastighed->button(0), Qt::LeftButton);
    f.DBNavigator1->click(framework::DBNavigator::Cancel);
    QCOMPARE(f.Lyd->itemIndex(), 2);

    QWidget* start = f.findChild<QWidget*>(from);
    if (auto* group = qobject_cast<framework::DBRadioGroup*>(start))
        start = group->button(group->itemIndex());
    focus(start);
    pressTab(forward);
    QCOMPARE(focusName(), landsOn);
    // Space on the checked item changes nothing.
    if (qobject_cast<framework::DBRadioGroup*>(QApplication::focusWidget()->parentWidget())) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(!m_main->recordings().isEditing());
        QCOMPARE(focusName(), landsOn);
    }
}

void TestKeyboard::menusAndWindowsDoNotLeaveTheField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("how");
    for (const char* field : {"BaandnavnEdit", "Sogetext"}) {
        for (const char* how : {"Alt+K", "context menu", "tooltip", "other window"})
            QTest::addRow("%s, %s", field, how) << field << how;
    }
}

// In the tape field an unknown tape name is typed: leaving the field would ask for the new
// tape. In the search box the recording has a pending change: entering the box would post it.
void TestKeyboard::menusAndWindowsDoNotLeaveTheField() {
    QFETCH(QString, field);
    QFETCH(QString, how);
    TMainForm& f = form();
    engine::Table& recordings = m_main->recordings();
    QWidget* control = f.findChild<QWidget*>(field);
    if (control == f.BaandnavnEdit) {
        focus(f.BaandnavnEdit);
        f.BaandnavnEdit->selectAll();
        QTest::keyClicks(f.BaandnavnEdit, QStringLiteral("ZZ9"));
    } else {
        focus(f.Sogetext);
        recordings.edit();
        recordings.fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Aliens"));
    }
    bool dialogShown = false;
    QPointer<QTimer> dialog = onNextModal<TBaandtypeForm>([&](TBaandtypeForm* d) {
        dialogShown = true;
        d->BitBtn2->click();
    });

    if (how == QLatin1String("Alt+K")) {
        QTest::keyClick(control, Qt::Key_K, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QCOMPARE(QApplication::activePopupWidget()->objectName(), QStringLiteral("Kartotek1"));
        popupSettled(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        // The menu bar keeps the keyboard until a second Escape.
        QCOMPARE(QApplication::focusWidget(), f.menuBar());
        QTest::keyClick(f.menuBar(), Qt::Key_Escape);
    } else if (how == QLatin1String("context menu")) {
        closePopupSoon();
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5),
                               control->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(control, &menu);
    } else if (how == QLatin1String("tooltip")) {
        QToolTip::showText(control->mapToGlobal(QPoint(5, 5)), QStringLiteral("Tip"), control);
        QTest::qWait(100);
        QToolTip::hideText();
    } else {
        QWidget other;
        other.setWindowTitle(QStringLiteral("Other"));
        other.resize(100, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.close();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
    }
    QTest::qWait(50);
    delete dialog.data();

    QCOMPARE(QApplication::focusWidget(), control);
    QVERIFY(!dialogShown);
    if (control == f.BaandnavnEdit) {
        QCOMPARE(f.BaandnavnEdit->text(), QStringLiteral("ZZ9"));
    } else {
        QVERIFY(recordings.isEditing());
        auto stored = m_catalogue->openTable(schema::recordings());
        QCOMPARE(stored->fieldByName(QStringLiteral("Titel1")).asString(), QStringLiteral("Alien"));
    }
}

// Alt+K, Escape and a click into another field: the tape field is left, late but for sure.
void TestKeyboard::leavingFromTheMenuBar() {
    TMainForm& f = form();
    focus(f.BaandnavnEdit);
    f.BaandnavnEdit->selectAll();
    QTest::keyClicks(f.BaandnavnEdit, QStringLiteral("ZZ9"));
    QTest::keyClick(f.BaandnavnEdit, Qt::Key_K, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    popupSettled(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), f.menuBar());
    QString asked;
    onNextModal<TBaandtypeForm>([&](TBaandtypeForm* d) {
        asked = d->Baandnavn->text();
        d->BitBtn2->click();
    });
    QTest::mouseClick(f.Titel1Edit, Qt::LeftButton);
    QTRY_COMPARE(asked, QStringLiteral("ZZ9"));
    // Cancelled: the tape field is emptied and has the focus again.
    QTRY_COMPARE(f.focusWidget(), f.BaandnavnEdit);
    QCOMPARE(f.BaandnavnEdit->text(), QString());
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
