#include "data_controls_fixture.h"
#include "engine/field.h"
#include "framework/db_edit.h"
#include "framework/db_lookup_combo_box.h"
#include "framework/db_memo.h"
#include "framework/db_navigator.h"
#include "framework/db_radio_group.h"
#include "framework/db_text.h"

#include <QMessageBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

using namespace framework;

namespace {

const engine::TableDef& recordings() {
    return schema::recordings();
}

QVariantMap titled(const QString& title) {
    return {{QStringLiteral("Titel1"), title}};
}

// On the round indicator: a radio button takes clicks only on its indicator and text.
void clickRadio(QRadioButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

// A window with one data edit on a field of the recordings.
struct EditFixture : ControlsFixture {
    DBEdit* edit = add(new DBEdit);

    bool open(const QString& fieldName, const std::vector<QVariantMap>& rows) {
        if (!ControlsFixture::open(recordings(), rows, QStringLiteral("SecBaandnrStarttid")))
            return false;
        edit->setObjectName(fieldName + QStringLiteral("Edit"));
        edit->setDataSource(&source);
        edit->setDataField(fieldName);
        return show();
    }
    engine::Field& field() { return table->fieldByName(edit->dataField()); }

    // Gives the edit the focus and selects its text, as tabbing into it does.
    void enter() {
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
    }
    void leave() { elsewhere->setFocus(Qt::TabFocusReason); }
};

} // namespace

class TestDataControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark)); }

    // ---- DBEdit

    void editShowsDisplayTextAndEditText_data() {
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("editing");
        QTest::newRow("time") << "Starttid" << QVariant(timeOf(1, 30)) << "1:30"
                              << "_1:30";
        QTest::newRow("empty time") << "Starttid" << QVariant() << ""
                                    << "__:__";
        QTest::newRow("date") << "Optagetdato" << QVariant(dayOf(2001, 3, 5)) << "5 marts 2001"
                              << "05-03-2001";
        QTest::newRow("empty date") << "Optagetdato" << QVariant() << ""
                                    << "__-__-____";
        QTest::newRow("text") << "Titel1" << QVariant("Alien") << "Alien"
                              << "Alien";
        QTest::newRow("number") << "Indexnummer" << QVariant(12) << "12"
                                << "12";
    }
    void editShowsDisplayTextAndEditText() {
        QFETCH(QString, fieldName);
        QFETCH(QVariant, value);
        QFETCH(QString, display);
        QFETCH(QString, editing);
        EditFixture f;
        QVERIFY(f.open(fieldName, {{{fieldName, value}}}));
        QCOMPARE(f.edit->displayText(), display);
        f.enter();
        QCOMPARE(f.edit->displayText(), editing);
        f.leave();
        QCOMPARE(f.edit->displayText(), display);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
    }

    void typingEditsTheField() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Titel1"), {titled(QStringLiteral("Alien"))}));
        QSignalSpy exited(f.edit, &DBEdit::exited);
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("Aliens"));
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        QCOMPARE(f.field().asString(), QStringLiteral("Aliens"));
        f.leave();
        QCOMPARE(exited.count(), 1);
        QCOMPARE(f.edit->text(), QStringLiteral("Aliens"));
        QCOMPARE(f.table->state(), engine::DatasetState::Edit); // posting is the dataset's
        QVERIFY(f.messages.empty());
    }

    void typingIntoTheTimeMask() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("SpilletidSPLP"), {titled(QStringLiteral("Alien"))}));
        f.enter();
        f.edit->setCursorPosition(0);
        QTest::keyClicks(f.edit, QStringLiteral("0145"));
        QCOMPARE(f.field().asFloat(), timeOf(1, 45));
        f.leave();
        QCOMPARE(f.edit->text(), QStringLiteral("1:45"));
    }

    void typingADateDayFirst() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Optagetdato"), {titled(QStringLiteral("Alien"))}));
        f.enter();
        f.edit->setCursorPosition(0);
        QTest::keyClicks(f.edit, QStringLiteral("05032001"));
        f.leave();
        QCOMPARE(f.field().asFloat(), dayOf(2001, 3, 5));
        QCOMPARE(f.edit->text(), QStringLiteral("5 marts 2001"));
    }

    // An emptied masked date reaches the field's set-text as blanks between the literals.
    void emptiedDateReachesSetTextAsBlanks() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Optagetdato"), {{{"Optagetdato", dayOf(1937, 11, 5)}}}));
        QStringList received;
        f.field().onSetText = [&](engine::Field& field, const QString& text) {
            received << text;
            if (text == QStringLiteral("  -  -    "))
                field.clear();
            else
                field.setTextDefault(text);
        };
        f.enter();
        QTest::keyClick(f.edit, Qt::Key_Backspace);
        f.leave();
        QVERIFY(!received.isEmpty());
        QCOMPARE(received.last(), QStringLiteral("  -  -    "));
        QVERIFY(f.field().isNull());
        QVERIFY(f.messages.empty());
    }

    // A text the field refuses is reported; the edit keeps the focus and the text, and the
    // field keeps a value it accepts.
    void refusedTextKeepsFocusAndText_data() {
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::newRow("out of range")
            << "Indexnummer"
            << "501"
            << "501"
            << "501 is not a valid value for field 'Index nummer'. The allowed range is 0 to 500";
        QTest::newRow("no such date") << "Optagetdato"
                                      << "31021990"
                                      << "31-02-1990"
                                      << "'31-02-1990' is not a valid date";
        QTest::newRow("no such time") << "Starttid"
                                      << "0175"
                                      << "01:75"
                                      << "'01:75' is not a valid time";
    }
    void refusedTextKeepsFocusAndText() {
        QFETCH(QString, fieldName);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        EditFixture f;
        QVERIFY(f.open(fieldName, {titled(QStringLiteral("Alien"))}));
        QSignalSpy exited(f.edit, &DBEdit::exited);
        f.enter();
        f.edit->setCursorPosition(0);
        QTest::keyClicks(f.edit, typed);
        f.leave();
        QCOMPARE(f.messages.size(), std::size_t(1));
        QCOMPARE(f.messages.front().caption, QStringLiteral("Error"));
        QCOMPARE(f.lastMessage(), message);
        QCOMPARE(QApplication::focusWidget(), f.edit);
        QCOMPARE(f.edit->displayText(), shown);
        QCOMPARE(exited.count(), 0);
        QVERIFY(f.field().value().toString() != shown);
    }

    // The same with the real error box, closed by its OK button: the focus comes back.
    void refusedTextWithTheRealBox() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Indexnummer"), {titled(QStringLiteral("Alien"))}));
        ScopedMessageHandler realBox{MessageHandler()};
        QString title, text;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            box->accept();
        });
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("777"));
        f.leave();
        QCOMPARE(title, QStringLiteral("Error"));
        QCOMPARE(text, QStringLiteral("777 is not a valid value for field 'Index nummer'. The "
                                      "allowed range is 0 to 500"));
        // The control that has the focus when the window is active again.
        QCOMPARE(f.window.focusWidget(), f.edit);
        QCOMPARE(f.edit->text(), QStringLiteral("777"));
        QCOMPARE(f.elsewhere->text(), QString());
    }

    void enterWritesTheText() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Indexnummer"), {titled(QStringLiteral("Alien"))}));
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("600"));
        QTest::keyClick(f.edit, Qt::Key_Return);
        QCOMPARE(f.messages.size(), std::size_t(1));
        QCOMPARE(QApplication::focusWidget(), f.edit);
        f.edit->setCursorPosition(3);
        QTest::keyClick(f.edit, Qt::Key_Backspace);
        QTest::keyClick(f.edit, Qt::Key_Return);
        QCOMPARE(f.messages.size(), std::size_t(1));
        QVERIFY(!f.edit->isTextModified());
        QCOMPARE(f.field().asInteger(), 60);
    }

    void escapeTakesBackTheTyping() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Titel1"), {titled(QStringLiteral("Alien"))}));
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("Heat"));
        QCOMPARE(f.field().asString(), QStringLiteral("Heat"));
        QTest::keyClick(f.edit, Qt::Key_Escape);
        QCOMPARE(f.field().asString(), QStringLiteral("Alien"));
        QCOMPARE(f.edit->text(), QStringLiteral("Alien"));
    }

    void textIsLimitedToTheFieldSize() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Land"), {titled(QStringLiteral("Alien"))}));
        f.enter();
        QCOMPARE(f.edit->maxLength(), 10);
        QTest::keyClicks(f.edit, QStringLiteral("Storbritannien"));
        QCOMPARE(f.field().asString(), QStringLiteral("Storbritan"));
    }

    void readOnlyEditChangesNothing() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Titel1"), {titled(QStringLiteral("Alien"))}));
        f.edit->setReadOnly(true);
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("Heat"));
        f.leave();
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.field().asString(), QStringLiteral("Alien"));
    }

    void typingIntoAnEmptyTableStartsItsFirstRow() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Titel1"), {}));
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("Ny"));
        QCOMPARE(f.table->state(), engine::DatasetState::Insert);
        QCOMPARE(f.field().asString(), QStringLiteral("Ny"));
        QCOMPARE(f.edit->text(), QStringLiteral("Ny"));
    }

    void textAsTypedGoesIntoTheField() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Baandnummer"), {{{"Baandnummer", "B1"}}}));
        f.edit->setTextAsTyped(QString());
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        QVERIFY(f.field().isNull());
        QCOMPARE(f.edit->text(), QString());
    }

    void enteredAndExited() {
        EditFixture f;
        QVERIFY(f.open(QStringLiteral("Titel1"), {titled(QStringLiteral("Alien"))}));
        QSignalSpy entered(f.edit, &DBEdit::entered);
        QSignalSpy exited(f.edit, &DBEdit::exited);
        f.enter();
        f.leave();
        f.enter();
        QCOMPARE(entered.count(), 2);
        QCOMPARE(exited.count(), 1);
    }

    // ---- DBNavigator with a focused edit: the typed text goes with the row.

    void navigatorMovePostsTheTypedText() {
        EditFixture f;
        auto* navigator = f.add(new DBNavigator);
        navigator->setDataSource(&f.source);
        QVERIFY(f.open(QStringLiteral("Titel1"), {{{"Titel1", "Alien"}, {"Baandnummer", "A"}},
                                                  {{"Titel1", "Heat"}, {"Baandnummer", "B"}}}));
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("Aliens"));
        QTest::mouseClick(navigator->button(DBNavigator::Next), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), f.edit);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.edit->text(), QStringLiteral("Heat"));
        QTest::mouseClick(navigator->button(DBNavigator::First), Qt::LeftButton);
        QCOMPARE(f.edit->text(), QStringLiteral("Aliens"));
        QVERIFY(f.messages.empty());
    }

    void navigatorMoveStopsAtARefusedText() {
        EditFixture f;
        auto* navigator = f.add(new DBNavigator);
        navigator->setDataSource(&f.source);
        QVERIFY(
            f.open(QStringLiteral("Indexnummer"), {{{"Indexnummer", 1}, {"Baandnummer", "A"}},
                                                   {{"Indexnummer", 2}, {"Baandnummer", "B"}}}));
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("501"));
        QVERIFY(!navigator->click(DBNavigator::Next));
        QCOMPARE(f.lastMessage(),
                 QStringLiteral("501 is not a valid value for field 'Index nummer'. The allowed "
                                "range is 0 to 500"));
        QCOMPARE(f.table->recNo(), 1);
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        QCOMPARE(f.edit->text(), QStringLiteral("501"));
    }

    void navigatorButtons_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hint");
        QTest::newRow("first") << int(DBNavigator::First) << "FirstButton"
                               << "Første post";
        QTest::newRow("prior") << int(DBNavigator::Prior) << "PriorButton"
                               << "Forrige post";
        QTest::newRow("next") << int(DBNavigator::Next) << "NextButton"
                              << "Næste post";
        QTest::newRow("last") << int(DBNavigator::Last) << "LastButton"
                              << "Sidste post";
        QTest::newRow("cancel") << int(DBNavigator::Cancel) << "CancelButton"
                                << "Annuller ændringer";
    }
    void navigatorButtons() {
        QFETCH(int, button);
        QFETCH(QString, name);
        QFETCH(QString, hint);
        DBNavigator navigator;
        QToolButton* b = navigator.button(DBNavigator::Button(button));
        QCOMPARE(b->objectName(), name);
        QCOMPARE(b->toolTip(), hint);
        QVERIFY(b->autoRaise());
        QCOMPARE(b->focusPolicy(), Qt::NoFocus);
        QCOMPARE(navigator.findChild<QToolButton*>(name), b);
        navigator.setHint(DBNavigator::Button(button), QStringLiteral("Anden tekst"));
        QCOMPARE(navigator.hint(DBNavigator::Button(button)), QStringLiteral("Anden tekst"));
    }

    void navigatorEnablesButtonsByPosition() {
        ControlsFixture f;
        auto* navigator = f.add(new DBNavigator);
        QVERIFY(f.open(recordings(), {titled("A"), titled("B"), titled("C")}));
        navigator->setDataSource(&f.source);
        QVERIFY(f.show());
        auto enabled = [&](DBNavigator::Button b) { return navigator->button(b)->isEnabled(); };
        QVERIFY(!enabled(DBNavigator::First) && !enabled(DBNavigator::Prior));
        QVERIFY(enabled(DBNavigator::Next) && enabled(DBNavigator::Last));
        QVERIFY(!enabled(DBNavigator::Cancel));

        QTest::mouseClick(navigator->button(DBNavigator::Next), Qt::LeftButton);
        QCOMPARE(f.table->recNo(), 2);
        QTRY_VERIFY(enabled(DBNavigator::First) && enabled(DBNavigator::Prior));
        QVERIFY(enabled(DBNavigator::Next) && enabled(DBNavigator::Last));

        QTest::mouseClick(navigator->button(DBNavigator::Last), Qt::LeftButton);
        QCOMPARE(f.table->recNo(), 3);
        QTRY_VERIFY(!enabled(DBNavigator::Next) && !enabled(DBNavigator::Last));

        // Moved by someone else: the buttons follow.
        f.table->first();
        QTRY_VERIFY(!enabled(DBNavigator::First) && enabled(DBNavigator::Last));

        f.table->edit();
        QTRY_VERIFY(enabled(DBNavigator::Cancel));
        f.table->cancel();
        QTRY_VERIFY(!enabled(DBNavigator::Cancel));
    }

    void navigatorCancelThrowsAwayTheChanges() {
        EditFixture f;
        auto* navigator = f.add(new DBNavigator);
        navigator->setDataSource(&f.source);
        QVERIFY(f.open(QStringLiteral("Titel1"), {titled(QStringLiteral("Alien"))}));
        f.enter();
        QTest::keyClicks(f.edit, QStringLiteral("Heat"));
        QTRY_VERIFY(navigator->button(DBNavigator::Cancel)->isEnabled());
        QTest::mouseClick(navigator->button(DBNavigator::Cancel), Qt::LeftButton);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
        QCOMPARE(f.field().asString(), QStringLiteral("Alien"));
        QCOMPARE(f.edit->text(), QStringLiteral("Alien"));
        QVERIFY(!f.edit->isTextModified());
    }

    // ---- DBText

    void textFollowsTheCurrentRow() {
        ControlsFixture f;
        auto* title = f.add(new DBText);
        auto* date = f.add(new DBText);
        QVERIFY(f.open(recordings(), {{{"Titel1", "Alien"}, {"Optagetdato", dayOf(2001, 3, 5)}},
                                      {{"Titel1", "Heat"}}}));
        title->setDataSource(&f.source);
        title->setDataField(QStringLiteral("Titel1"));
        date->setDataSource(&f.source);
        date->setDataField(QStringLiteral("Optagetdato"));
        QCOMPARE(title->text(), QStringLiteral("Alien"));
        QCOMPARE(date->text(), QStringLiteral("5 marts 2001"));
        f.table->next();
        QCOMPARE(title->text(), QStringLiteral("Heat"));
        QCOMPARE(date->text(), QString());
        f.table->edit();
        f.table->fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Heat 2"));
        QCOMPARE(title->text(), QStringLiteral("Heat 2"));
        f.table->close();
        QCOMPARE(title->text(), QString());
    }

    // ---- DBMemo

    void memoTypingEditsTheField() {
        ControlsFixture f;
        auto* memo = f.add(new DBMemo);
        QVERIFY(f.open(recordings(), {{{"Titel1", "Alien"}, {"Noter", "Første"}}}));
        memo->setDataSource(&f.source);
        memo->setDataField(QStringLiteral("Noter"));
        QVERIFY(f.show());
        QCOMPARE(memo->toPlainText(), QStringLiteral("Første"));
        memo->setFocus(Qt::TabFocusReason);
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, QStringLiteral("linje"));
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        QCOMPARE(f.table->fieldByName(QStringLiteral("Noter")).asString(),
                 QStringLiteral("Første\nlinje"));
        f.table->post();
        QCOMPARE(memo->toPlainText(), QStringLiteral("Første\nlinje"));
        f.table->cancel();
        QVERIFY(memo->tabChangesFocus());
    }

    // ---- DBRadioGroup

    void radioGroupStoresTheItemText() {
        ControlsFixture f;
        auto* group = f.add(new DBRadioGroup);
        group->setTitle(QStringLiteral("Lyd"));
        group->setItems(
            {QStringLiteral("Surround"), QStringLiteral("Stereo"), QStringLiteral("Mono")});
        QVERIFY(f.open(recordings(), {{{"Lyd", "Stereo"}}, {{"Lyd", "Kvadro"}}}));
        group->setDataSource(&f.source);
        group->setDataField(QStringLiteral("Lyd"));
        QVERIFY(f.show());
        QCOMPARE(group->itemIndex(), 1);
        QCOMPARE(group->button(1)->text(), QStringLiteral("Stereo"));

        clickRadio(group->button(2));
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        QCOMPARE(f.table->fieldByName(QStringLiteral("Lyd")).asString(), QStringLiteral("Mono"));

        f.table->next(); // posts; the next row's value is no item
        QCOMPARE(group->itemIndex(), -1);
        f.table->first();
        QCOMPARE(group->itemIndex(), 2);
    }

    void readOnlyRadioGroupKeepsTheField() {
        ControlsFixture f;
        auto* group = f.add(new DBRadioGroup);
        group->setItems({QStringLiteral("SP"), QStringLiteral("LP")});
        group->setReadOnly(true);
        QVERIFY(f.open(recordings(), {{{"Hastighed", "SP"}}}));
        group->setDataSource(&f.source);
        group->setDataField(QStringLiteral("Hastighed"));
        QVERIFY(f.show());
        clickRadio(group->button(1));
        QCOMPARE(group->itemIndex(), 0);
        QCOMPARE(f.table->state(), engine::DatasetState::Browse);
    }

    // ---- DBLookupComboBox

    void lookupStoresTheKey() {
        ControlsFixture f;
        f.catalogue.appendRow(schema::groups(), {{"Gruppenavn", "Drama"}});
        const qint64 komedie = f.catalogue.appendRow(schema::groups(), {{"Gruppenavn", "Komedie"}});
        auto groups = f.catalogue.openTable(schema::groups());
        DataSource groupSource;
        groupSource.setDataSet(groups.get());
        QVERIFY(f.open(recordings(), {{{"Titel1", "Alien"}, {"Gruppe", komedie}}}));
        auto* combo = f.add(new DBLookupComboBox);
        combo->setDataSource(&f.source);
        combo->setDataField(QStringLiteral("Gruppe"));
        combo->setListSource(&groupSource);
        combo->setKeyField(QStringLiteral("Lobenummer"));
        combo->setListField(QStringLiteral("Gruppenavn"));
        QVERIFY(f.show());
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), QStringLiteral("Komedie"));
        QCOMPARE(combo->keyValue().toLongLong(), komedie);

        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(combo->currentText(), QStringLiteral("Drama"));
        QCOMPARE(f.table->state(), engine::DatasetState::Edit);
        QCOMPARE(
            f.table->fieldByName(QStringLiteral("Gruppe")).asInteger(),
            groups->rowValue(0, groups->fieldIndex(QStringLiteral("Lobenummer"))).toLongLong());
        QCOMPARE(groups->recNo(), 1); // the list is read without moving its dataset
        QVERIFY(f.messages.empty());
    }

    // The list follows its dataset: new rows, renamed rows, deleted rows.
    void lookupFollowsTheListDataset() {
        ControlsFixture f;
        const qint64 drama = f.catalogue.appendRow(schema::groups(), {{"Gruppenavn", "Drama"}});
        auto groups = f.catalogue.openTable(schema::groups());
        DataSource groupSource;
        groupSource.setDataSet(groups.get());
        QVERIFY(f.open(recordings(), {{{"Titel1", "Alien"}, {"Gruppe", drama}}}));
        DBLookupComboBox combo;
        combo.setDataSource(&f.source);
        combo.setDataField(QStringLiteral("Gruppe"));
        combo.setListSource(&groupSource);
        combo.setKeyField(QStringLiteral("Lobenummer"));
        combo.setListField(QStringLiteral("Gruppenavn"));
        QCOMPARE(combo.currentText(), QStringLiteral("Drama"));

        groups->append();
        QCOMPARE(combo.count(), 1); // a row being inserted is no choice yet
        groups->fieldByName(QStringLiteral("Gruppenavn")).setAsString(QStringLiteral("Krimi"));
        groups->post();
        QCOMPARE(combo.count(), 2);
        QCOMPARE(combo.itemText(1), QStringLiteral("Krimi"));

        groups->first();
        groups->edit();
        groups->fieldByName(QStringLiteral("Gruppenavn"))
            .setAsString(QStringLiteral("Drama og krig"));
        groups->post();
        QCOMPARE(combo.currentText(), QStringLiteral("Drama og krig"));

        groups->first();
        groups->deleteRecord();
        QCOMPARE(combo.count(), 1);
        QCOMPARE(combo.currentIndex(), -1); // the recording's group no longer exists
        QVERIFY(combo.keyValue().isNull());
    }

    void lookupWithTextKey() {
        ControlsFixture f;
        f.catalogue.appendRow(schema::categories(), {{"Kategori", "Krimi"}});
        f.catalogue.appendRow(schema::categories(), {{"Kategori", "Western"}});
        auto categories = f.catalogue.openTable(schema::categories());
        DataSource categorySource;
        categorySource.setDataSet(categories.get());
        QVERIFY(f.open(recordings(), {{{"Titel1", "Alien"}}}));
        auto* combo = f.add(new DBLookupComboBox);
        combo->setListSource(&categorySource);
        combo->setKeyField(QStringLiteral("Kategori"));
        combo->setListField(QStringLiteral("Kategori"));
        combo->setDataSource(&f.source);
        combo->setDataField(QStringLiteral("Kategori"));
        QVERIFY(f.show());
        QCOMPARE(combo->currentIndex(), -1);
        combo->setFocus();
        QTest::keyClicks(combo, QStringLiteral("W"));
        QCOMPARE(f.table->fieldByName(QStringLiteral("Kategori")).asString(),
                 QStringLiteral("Western"));
    }
};

QTEST_MAIN(TestDataControls)
#include "tst_data_controls.moc"
