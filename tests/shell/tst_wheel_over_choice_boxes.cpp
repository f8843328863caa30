// The mouse wheel over a window's choice box (the new tape's length, the printer, the
// drive) changes the choice only when the box has the focus: a wheel turned to scroll
// past it must not change what Enter or "OK" then acts on.

#include "../printing/fake_printer_service.h"
#include "data/Databoxunit.h"
#include "printing/UdskrivUnit.h"
#include "registers/BaandtypeFormUnit.h"
#include "shell/VaelgKartotekUnit.h"
#include "temp_catalogue.h"
#include "wheel_turn.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <memory>

class TestWheelOverChoiceBoxes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wheelChoosesOnlyWithTheFocus_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("focused");
        for (const char* window : {"new tape", "print", "directory"}) {
            QTest::addRow("%s, without the focus", window) << QString::fromLatin1(window) << false;
            QTest::addRow("%s, with the focus", window) << QString::fromLatin1(window) << true;
        }
    }

    void wheelChoosesOnlyWithTheFocus() {
        QFETCH(QString, window);
        QFETCH(bool, focused);
        TempCatalogue catalogue;
        QVERIFY(catalogue.isValid());
        TDataBox box(catalogue.session(), catalogue.directory() + u'/');
        FakePrinterService printers({{QStringLiteral("A")}, {QStringLiteral("B")}});
        std::unique_ptr<QWidget> shown;
        if (window == u"new tape")
            shown = std::make_unique<TBaandtypeForm>(box);
        else if (window == u"print")
            shown = std::make_unique<TUdskrivForm>(printers);
        else
            shown = std::make_unique<TVaelgKartotekForm>();
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        auto* choice =
            shown->findChild<QComboBox*>(window == u"directory" ? QStringLiteral("DriveComboBox1")
                                                                : QStringLiteral("ComboBox1"));
        QVERIFY(choice);
        if (choice->count() < 2)
            choice->addItem(QStringLiteral("/")); // a second drive to turn to
        choice->setCurrentIndex(0);
        QWidget* elsewhere = nullptr;
        for (QWidget* w : shown->findChildren<QWidget*>()) {
            if (w != choice && !choice->isAncestorOf(w) && w->focusPolicy() & Qt::TabFocus &&
                w->isVisible() && w->isEnabled())
                elsewhere = w;
        }
        QVERIFY(elsewhere);
        QWidget* focus = focused ? static_cast<QWidget*>(choice) : elsewhere;
        focus->setFocus(Qt::TabFocusReason);
        QVERIFY(focus->hasFocus());

        turnWheel(choice);
        QCOMPARE(choice->currentIndex(), focused ? 1 : 0);
        QVERIFY(focus->hasFocus());
    }
};

QTEST_MAIN(TestWheelOverChoiceBoxes)
#include "tst_wheel_over_choice_boxes.moc"
