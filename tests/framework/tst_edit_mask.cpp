#include "engine/datetime.h"
#include "framework/edit_mask.h"

#include <QLineEdit>
#include <QtTest>

using engine::FieldType;
using framework::EditMask;

namespace {

const QString kTimeMask = QStringLiteral("90:00;1;_");
const QString kDateMask = QStringLiteral("99\\-99\\-9999;1;_");

double dayOf(int year, int month, int day) {
    return engine::dateToDayNumber(QDate(year, month, day));
}
double timeOf(int hours, int minutes) {
    return (hours * 60 + minutes) / 1440.0;
}

} // namespace

class TestEditMask : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inputMask_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("inputMask");
        QTest::addColumn<bool>("keepsLiterals");
        QTest::addColumn<QString>("blank");
        // "9" may stay blank and "0" must be given: QLineEdit's digits mean the opposite.
        QTest::newRow("time") << kTimeMask << "09:99;_" << true << "_";
        QTest::newRow("date") << kDateMask << "00-00-0000;_" << true << "_";
        QTest::newRow("literals left out") << "00/00;0;*"
                                           << "99-99;*" << false << "*";
        QTest::newRow("no options") << "0000"
                                    << "9999;_" << true << "_";
        QTest::newRow("letters and case") << ">LL<ll"
                                          << ">AA<aa;_" << true << "_";
        QTest::newRow("alphanumerics, any, sign") << "Aac#C"
                                                  << "Nnx#X;_" << true << "_";
        QTest::newRow("literal special to Qt") << "\\A0"
                                               << "\\A9;_" << true << "_";
        QTest::newRow("blank is a space") << "99;1; "
                                          << "00; " << true << " ";
        QTest::newRow("leading blanks flag dropped") << "!90:00;1;_"
                                                     << "09:99;_" << true << "_";
        QTest::newRow("no mask") << ""
                                 << "" << true << "_";
    }
    void inputMask() {
        QFETCH(QString, mask);
        QFETCH(QString, inputMask);
        QFETCH(bool, keepsLiterals);
        QFETCH(QString, blank);
        const EditMask m(mask);
        QCOMPARE(m.inputMask(), inputMask);
        QCOMPARE(m.keepsLiterals(), keepsLiterals);
        QCOMPARE(QString(m.blank()), blank);
        QCOMPARE(m.isEmpty(), mask.isEmpty());
    }

    void textForValue_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        const int time = int(FieldType::Time);
        const int date = int(FieldType::Date);
        const int text = int(FieldType::Text);
        const int number = int(FieldType::SmallInt);
        QTest::newRow("time, one-digit hour")
            << kTimeMask << time << QVariant(timeOf(1, 30)) << " 1:30";
        QTest::newRow("time, midnight") << kTimeMask << time << QVariant(0.0) << " 0:00";
        QTest::newRow("time, two-digit hour")
            << kTimeMask << time << QVariant(timeOf(12, 5)) << "12:05";
        QTest::newRow("time, empty") << kTimeMask << time << QVariant() << "  :  ";
        QTest::newRow("time with seconds dropped")
            << kTimeMask << time << QVariant(timeOf(2, 7) + 31 / 86400.0) << " 2:07";
        QTest::newRow("date") << kDateMask << date << QVariant(dayOf(2001, 3, 5)) << "05-03-2001";
        QTest::newRow("date, empty") << kDateMask << date << QVariant() << "  -  -    ";
        QTest::newRow("date, early year")
            << kDateMask << date << QVariant(dayOf(1900, 12, 31)) << "31-12-1900";
        QTest::newRow("text fills in order") << "LL-00" << text << QVariant("AB-12") << "AB-12";
        QTest::newRow("text without its literal") << "LL-00" << text << QVariant("AB12") << "AB-12";
        QTest::newRow("short text") << "LLLL" << text << QVariant("AB") << "AB  ";
        QTest::newRow("number") << "9999" << number << QVariant(qint64(42)) << "42  ";
    }
    void textForValue() {
        QFETCH(QString, mask);
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QCOMPARE(EditMask(mask).textForValue(FieldType(type), value), text);
    }

    // Blanks reach the field as spaces, with or without the literals.
    void fieldText_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("text");
        QTest::newRow("time, first digit blank") << kTimeMask << "_1:30"
                                                 << " 1:30";
        QTest::newRow("time, typed from the left") << kTimeMask << "1_:30"
                                                   << "1 :30";
        QTest::newRow("time, full") << kTimeMask << "12:05"
                                    << "12:05";
        QTest::newRow("date, all blank") << kDateMask << "__-__-____"
                                         << "  -  -    ";
        QTest::newRow("date") << kDateMask << "05-03-2001"
                              << "05-03-2001";
        QTest::newRow("date, partly typed") << kDateMask << "05-0_-____"
                                            << "05-0 -    ";
        QTest::newRow("literals left out") << "00/00;0;*"
                                           << "12-3*"
                                           << "123 ";
        QTest::newRow("shown text too short") << kTimeMask << "1"
                                              << "1 :  ";
    }
    void fieldText() {
        QFETCH(QString, mask);
        QFETCH(QString, shown);
        QFETCH(QString, text);
        QCOMPARE(EditMask(mask).fieldText(shown), text);
    }

    // The way through a real QLineEdit: value -> mask -> what the user sees -> field text
    // -> the engine's parse gives the value back.
    void roundTripThroughLineEdit_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("display");
        QTest::newRow("time 1:30") << kTimeMask << int(FieldType::Time) << timeOf(1, 30) << "_1:30";
        QTest::newRow("time 0:00") << kTimeMask << int(FieldType::Time) << 0.0 << "_0:00";
        QTest::newRow("time 10:45")
            << kTimeMask << int(FieldType::Time) << timeOf(10, 45) << "10:45";
        QTest::newRow("date") << kDateMask << int(FieldType::Date) << dayOf(2001, 3, 5)
                              << "05-03-2001";
        QTest::newRow("leap day") << kDateMask << int(FieldType::Date) << dayOf(2000, 2, 29)
                                  << "29-02-2000";
    }
    void roundTripThroughLineEdit() {
        QFETCH(QString, mask);
        QFETCH(int, type);
        QFETCH(double, value);
        QFETCH(QString, display);
        const EditMask m(mask);
        QLineEdit edit;
        edit.setInputMask(m.inputMask());
        edit.setText(m.shownText(m.textForValue(FieldType(type), value)));
        QCOMPARE(edit.displayText(), display);
        QVERIFY(edit.hasAcceptableInput());
        const QString text = m.fieldText(edit.displayText());
        const auto parsed =
            FieldType(type) == FieldType::Time ? engine::parseTime(text) : engine::parseDate(text);
        QVERIFY2(parsed.has_value(), qPrintable(text));
        QCOMPARE(*parsed, value);
    }

    // The empty date as the field's set-text receives it from an untouched masked edit.
    void emptyDateThroughLineEdit() {
        const EditMask m(kDateMask);
        QLineEdit edit;
        edit.setInputMask(m.inputMask());
        edit.setText(m.shownText(m.textForValue(FieldType::Date, QVariant())));
        QCOMPARE(edit.displayText(), QStringLiteral("__-__-____"));
        QCOMPARE(m.fieldText(edit.displayText()), QStringLiteral("  -  -    "));
    }

    // Typing digits into the empty time mask fills it from the left.
    void typingIntoTheTimeMask() {
        const EditMask m(kTimeMask);
        QLineEdit edit;
        edit.setInputMask(m.inputMask());
        edit.setText(m.shownText(m.textForValue(FieldType::Time, QVariant())));
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, QStringLiteral("0145"));
        QCOMPARE(m.fieldText(edit.displayText()), QStringLiteral("01:45"));
        QCOMPARE(*engine::parseTime(m.fieldText(edit.displayText())), timeOf(1, 45));
    }
};

QTEST_MAIN(TestEditMask)
#include "tst_edit_mask.moc"
