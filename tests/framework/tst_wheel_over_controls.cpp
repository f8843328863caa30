// The mouse wheel over a data control changes its value only when the control has the
// focus; over an unfocused one it changes nothing and leaves the focus where it is.

#include "data_controls_fixture.h"
#include "engine/field.h"
#include "framework/db_lookup_combo_box.h"
#include "framework/db_radio_group.h"
#include "wheel_turn.h"

#include <QRadioButton>

using namespace framework;

class TestWheelOverControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wheelChangesOnlyWithTheFocus_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<QString>("stored");
        QTest::newRow("lookup box without the focus") << "lookup" << false << "1";
        QTest::newRow("lookup box with the focus") << "lookup" << true << "2";
        QTest::newRow("radio group without the focus") << "radio" << false << "Stereo";
    }
    void wheelChangesOnlyWithTheFocus() {
        QFETCH(QString, control);
        QFETCH(bool, focused);
        QFETCH(QString, stored);
        ControlsFixture f;
        for (const char* name : {"Drama", "Komedie", "Krimi"})
            f.catalogue.appendRow(schema::groups(), {{"Gruppenavn", name}});
        auto groups = f.catalogue.openTable(schema::groups());
        DataSource groupSource;
        groupSource.setDataSet(groups.get());
        QVERIFY(f.open(schema::recordings(),
                       {{{"Titel1", "Olsen-banden"}, {"Gruppe", 1}, {"Lyd", "Stereo"}}}));
        auto* lookup = f.add(new DBLookupComboBox);
        lookup->setListSource(&groupSource);
        lookup->setKeyField(QStringLiteral("Lobenummer"));
        lookup->setListField(QStringLiteral("Gruppenavn"));
        lookup->setDataSource(&f.source);
        lookup->setDataField(QStringLiteral("Gruppe"));
        auto* radio = f.add(new DBRadioGroup);
        radio->setItems(
            {QStringLiteral("Surround"), QStringLiteral("Stereo"), QStringLiteral("Mono")});
        radio->setDataSource(&f.source);
        radio->setDataField(QStringLiteral("Lyd"));
        QVERIFY(f.show());
        const bool isLookup = control == u"lookup";
        QWidget* target = isLookup ? static_cast<QWidget*>(lookup) : radio->button(2);
        QWidget* focus = focused ? target : f.elsewhere;
        focus->setFocus(Qt::TabFocusReason);
        QVERIFY(focus->hasFocus());

        turnWheel(target);
        QVERIFY(focus->hasFocus());
        f.table->checkBrowseMode(); // the next move stores what the control wrote
        auto stillStored = f.catalogue.openTable(schema::recordings());
        QCOMPARE(
            stillStored->fieldByName(isLookup ? QStringLiteral("Gruppe") : QStringLiteral("Lyd"))
                .asString(),
            stored);
    }
};

QTEST_MAIN(TestWheelOverControls)
#include "tst_wheel_over_controls.moc"
