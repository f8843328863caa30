#include "../data/databox_fixture.h"
#include "../framework/modal_box_answer.h"
#include "fake_printer_service.h"
#include "framework/up_down.h"
#include "printing/PrintOversigtRepUnit.h"
#include "printing/PrintOversigtUnit.h"
#include "printing/UdskrivUnit.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>

namespace {

using Printer = FakePrinterService::Printer;

// Runs action once a modal window of type W is up (polling from a timer), and gives up
// after five seconds.
template <typename W> void whenModal(std::function<void(W*)> action) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!window) {
            if (++*tries > 500)
                timer->deleteLater();
            return;
        }
        timer->stop();
        timer->deleteLater();
        action(window);
    });
    timer->start();
}

QStringList comboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QStringList listItems(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

bool allTicked(const QListWidget* list) {
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() != Qt::Checked)
            return false;
    }
    return true;
}

QColor baseColour(const QWidget* widget) {
    return widget->palette().color(widget->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::Base);
}

// A print dialog shown (not modally) for the length of a test.
struct ShownDialog {
    FakePrinterService printers;
    TUdskrivForm dialog;

    explicit ShownDialog(QVector<Printer> list, int current = 0)
        : printers(std::move(list), current), dialog(printers) {
        dialog.show();
    }
};

// The overview's options window on a temporary catalogue.
struct OverviewWindows {
    DataboxFixture data;
    FakePrinterService printers{
        {{QStringLiteral("Laser on LPT1:"), true}, {QStringLiteral("Kopimaskine"), true}}};
    std::unique_ptr<TPrintOversigtRepForm> report;
    std::unique_ptr<TPrintOversigtForm> form;

    OverviewWindows() {
        if (!data.ok())
            return;
        report = std::make_unique<TPrintOversigtRepForm>(*data.box);
        form = std::make_unique<TPrintOversigtForm>(*data.box, *report, printers);
    }

    void addGroup(const QString& name) {
        engine::Table& groups = data.box->GruppeTable();
        groups.append();
        groups.fieldByName(QStringLiteral("Gruppenavn")).setAsString(name);
        groups.post();
    }
};

} // namespace

class TestPrintDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printerNames_data() {
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("name on port") << QStringList{QStringLiteral("HP LaserJet 4 on LPT1:")}
                                      << QStringList{QStringLiteral("HP LaserJet 4")};
        QTest::newRow("plain name") << QStringList{QStringLiteral("Canon_iP4200")}
                                    << QStringList{QStringLiteral("Canon_iP4200")};
        QTest::newRow("cut at the first") << QStringList{QStringLiteral("Epson on USB on Net")}
                                          << QStringList{QStringLiteral("Epson")};
        QTest::newRow("on inside words")
            << QStringList{QStringLiteral("Photon Ontario"), QStringLiteral("Front on")}
            << QStringList{QStringLiteral("Photon Ontario"), QStringLiteral("Front on")};
        QTest::newRow("in list order")
            << QStringList{QStringLiteral("B on COM1:"), QStringLiteral("A"),
                           QStringLiteral("C on \\\\server\\c")}
            << QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")};
    }

    void printerNames() {
        QFETCH(QStringList, listed);
        QFETCH(QStringList, offered);
        QVector<Printer> printers;
        for (const QString& name : listed)
            printers.append({name, false});
        ShownDialog shown(printers);
        QCOMPARE(comboItems(shown.dialog.ComboBox1), offered);
    }

    // The current printer is selected; the list is rebuilt at every showing.
    void currentPrinterSelected() {
        ShownDialog shown({{QStringLiteral("A"), false},
                           {QStringLiteral("B"), false},
                           {QStringLiteral("C on LPT2:"), false}},
                          2);
        QCOMPARE(shown.dialog.ComboBox1->currentIndex(), 2);
        shown.dialog.hide();
        shown.printers.setPrinterIndex(1);
        shown.dialog.show();
        QCOMPARE(comboItems(shown.dialog.ComboBox1),
                 (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        QCOMPARE(shown.dialog.ComboBox1->currentIndex(), 1);
    }

    // The copies field can be used only where the printer copies by itself, and looks it.
    void copiesFollowPrinter() {
        ShownDialog shown(
            {{QStringLiteral("Single on LPT1:"), false}, {QStringLiteral("Multi"), true}});
        QLineEdit* copies = shown.dialog.Antalkopier;
        const QPalette app = QApplication::palette();
        QVERIFY(app.color(QPalette::Base) != app.color(QPalette::Button));
        QVERIFY(!copies->isEnabled());
        QCOMPARE(baseColour(copies), app.color(QPalette::Button));

        // The user picks the second printer.
        shown.dialog.ComboBox1->setFocus();
        QTest::keyClick(shown.dialog.ComboBox1, Qt::Key_Down);
        QCOMPARE(shown.printers.printerIndex(), 1);
        QVERIFY(copies->isEnabled());
        QCOMPARE(baseColour(copies), app.color(QPalette::Base));

        QTest::keyClick(shown.dialog.ComboBox1, Qt::Key_Up);
        QCOMPARE(shown.printers.printerIndex(), 0);
        QVERIFY(!copies->isEnabled());
        QCOMPARE(baseColour(copies), app.color(QPalette::Button));
    }

    void copiesLimits_data() {
        QTest::addColumn<int>("ups");
        QTest::addColumn<int>("downs");
        QTest::addColumn<int>("copies");
        QTest::newRow("start") << 0 << 0 << 1;
        QTest::newRow("not below 1") << 0 << 3 << 1;
        QTest::newRow("up") << 4 << 0 << 5;
        QTest::newRow("not above 100") << 120 << 0 << 100;
        QTest::newRow("no wrap-around at the top") << 99 << 0 << 100;
        QTest::newRow("down from the top") << 150 << 10 << 90;
    }

    // Copies change only through the up-down, between 1 and 100, and reach the printer.
    void copiesLimits() {
        QFETCH(int, ups);
        QFETCH(int, downs);
        QFETCH(int, copies);
        ShownDialog shown({{QStringLiteral("Multi"), true}});
        QLineEdit* edit = shown.dialog.Antalkopier;
        QVERIFY(edit->isReadOnly());
        QTest::keyClicks(edit, QStringLiteral("7"));
        QCOMPARE(edit->text(), QStringLiteral("1"));

        framework::UpDown* upDown = shown.dialog.UpDown1;
        for (int i = 0; i < ups; ++i)
            upDown->upButton()->click();
        for (int i = 0; i < downs; ++i)
            upDown->downButton()->click();
        QCOMPARE(edit->text(), QString::number(copies));
        QCOMPARE(shown.printers.copies(), copies);
    }

    void copiesByKeyboard() {
        ShownDialog shown({{QStringLiteral("Multi"), true}});
        QTest::keyClick(shown.dialog.Antalkopier, Qt::Key_Up);
        QTest::keyClick(shown.dialog.Antalkopier, Qt::Key_Up);
        QCOMPARE(shown.dialog.Antalkopier->text(), QStringLiteral("3"));
        QTest::keyClick(shown.dialog.Antalkopier, Qt::Key_Down);
        QCOMPARE(shown.printers.copies(), 2);
    }

    // The copies stay in the dialog and are given to the printer again at the next showing.
    void copiesKeptBetweenShowings() {
        ShownDialog shown({{QStringLiteral("Multi"), true}});
        shown.dialog.UpDown1->setPosition(4);
        shown.dialog.hide();
        shown.printers.setCopies(1);
        shown.dialog.show();
        QCOMPARE(shown.dialog.Antalkopier->text(), QStringLiteral("4"));
        QCOMPARE(shown.printers.copies(), 4);
    }

    void printerSetupDisabled() {
        ShownDialog shown({{QStringLiteral("A"), true}});
        QVERIFY(!shown.dialog.SetupBtn->isEnabled());
        shown.dialog.ComboBox1->setFocus();
        QTest::keyClick(shown.dialog.ComboBox1, Qt::Key_Down);
        shown.dialog.hide();
        shown.dialog.show();
        QVERIFY(!shown.dialog.SetupBtn->isEnabled());
        QCOMPARE(shown.dialog.SetupBtn->text(), QStringLiteral("Printer Setup"));
    }

    void noPrinters() {
        ShownDialog shown({});
        QCOMPARE(shown.dialog.ComboBox1->count(), 0);
        QVERIFY(!shown.dialog.UdskrivBtn->isEnabled());
        QVERIFY(!shown.dialog.Antalkopier->isEnabled());
        QVERIFY(shown.dialog.VisBtn->isEnabled());
    }

    void closing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Udskriv") << QStringLiteral("UdskrivBtn");
        QTest::newRow("Annuller") << QStringLiteral("AnnullerBtn");
        QTest::newRow("Escape") << QString();
    }

    // However it is closed, the modal result is the cancel result.
    void closing() {
        QFETCH(QString, how);
        FakePrinterService printers({{QStringLiteral("A"), true}});
        TUdskrivForm dialog(printers);
        whenModal<TUdskrivForm>([how](TUdskrivForm* shown) {
            if (how.isEmpty())
                QTest::keyClick(shown, Qt::Key_Escape);
            else
                shown->findChild<QPushButton*>(how)->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Udskriv"));
        QCOMPARE(dialog.size(), QSize(497, 342));
    }

    // The options window lists every group, ticked, each time it is shown.
    void groupListRebuiltAtEveryShowing() {
        OverviewWindows w;
        QVERIFY(w.data.ok());
        QCOMPARE(w.form->windowTitle(), QStringLiteral("Udskriv Oversigt"));
        w.form->show();
        QCOMPARE(w.form->CheckListBox1->count(), 0);
        w.form->hide();

        w.addGroup(QStringLiteral("Spillefilm"));
        w.addGroup(QStringLiteral("Børnefilm"));
        w.form->show();
        QCOMPARE(listItems(w.form->CheckListBox1),
                 (QStringList{QStringLiteral("Spillefilm"), QStringLiteral("Børnefilm")}));
        QVERIFY(allTicked(w.form->CheckListBox1));
        w.form->CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
        QCOMPARE(w.form->choice().tickedGroups, QStringList{QStringLiteral("Spillefilm")});
        w.form->hide();

        w.addGroup(QStringLiteral("Musik"));
        w.form->show();
        QCOMPARE(listItems(w.form->CheckListBox1),
                 (QStringList{QStringLiteral("Spillefilm"), QStringLiteral("Børnefilm"),
                              QStringLiteral("Musik")}));
        QVERIFY(allTicked(w.form->CheckListBox1));
        // The printer part of the dialog is there too.
        QCOMPARE(comboItems(w.form->ComboBox1),
                 (QStringList{QStringLiteral("Laser"), QStringLiteral("Kopimaskine")}));
    }

    void sortChoiceKept() {
        OverviewWindows w;
        QVERIFY(w.data.ok());
        w.form->show();
        QCOMPARE(w.form->RadioGroup1ItemIndex(), 0);
        QCOMPARE(w.form->RadioGroup1->title(), QStringLiteral("Sortering"));
        auto* kategori =
            w.form->RadioGroup1->findChild<QAbstractButton*>(QStringLiteral("RadioGroup1Item2"));
        QVERIFY(kategori);
        QCOMPARE(kategori->text(), QStringLiteral("Kategori"));
        QTest::mouseClick(kategori, Qt::LeftButton);
        QCOMPARE(w.form->RadioGroup1ItemIndex(), 2);
        w.form->hide();
        w.form->show();
        QCOMPARE(w.form->RadioGroup1ItemIndex(), 2);
        QCOMPARE(w.form->choice().sortIndex, 2);
    }

    // "Udskriv" prints on the chosen printer with the chosen copies, then closes.
    void printingUsesChoiceAndCloses() {
        OverviewWindows w;
        QVERIFY(w.data.ok());
        w.addGroup(QStringLiteral("Spillefilm"));
        w.data.writeRecording({{QStringLiteral("Titel1"), QStringLiteral("Vertigo")},
                               {QStringLiteral("Baandnummer"), QStringLiteral("B1")},
                               {QStringLiteral("Gruppe"), 1}});
        QTemporaryDir dir;
        w.printers.pdfFile = dir.filePath(QStringLiteral("oversigt.pdf"));

        whenModal<TPrintOversigtForm>([](TPrintOversigtForm* shown) {
            shown->ComboBox1->setFocus();
            QTest::keyClick(shown->ComboBox1, Qt::Key_Down);
            shown->UpDown1->setPosition(3);
            shown->UdskrivBtn->click();
        });
        QCOMPARE(w.form->exec(), int(QDialog::Rejected));
        QCOMPARE(w.printers.prepared, 1);
        QCOMPARE(w.printers.printerIndex(), 1);
        QCOMPARE(w.printers.copies(), 3);
        QVERIFY(QFileInfo(w.printers.pdfFile).size() > 0);
        QVERIFY(!w.report->Query1.isActive());
    }

    // Backing out of the printer (e.g. of choosing a PDF file) leaves the options open.
    void printingCancelledStaysOpen() {
        OverviewWindows w;
        QVERIFY(w.data.ok());
        w.data.writeRecording({{QStringLiteral("Titel1"), QStringLiteral("Vertigo")}});
        bool stillOpen = false;
        whenModal<TPrintOversigtForm>([&stillOpen](TPrintOversigtForm* shown) {
            shown->UdskrivBtn->click();
            stillOpen = shown->isVisible();
            shown->AnnullerBtn->click();
        });
        QCOMPARE(w.form->exec(), int(QDialog::Rejected));
        QCOMPARE(w.printers.prepared, 1);
        QVERIFY(stillOpen);
    }

    // A choice without recordings would give no pages: before a file is asked for or the
    // preview opens, one notice says so; nothing is written and the options stay open.
    void emptySelectionTold_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("groupsWithoutRecordings"); // else an empty catalogue
        QTest::newRow("print, empty catalogue") << QStringLiteral("UdskrivBtn") << false;
        QTest::newRow("print, groups without recordings") << QStringLiteral("UdskrivBtn") << true;
        QTest::newRow("preview, empty catalogue") << QStringLiteral("VisBtn") << false;
        QTest::newRow("preview, groups without recordings") << QStringLiteral("VisBtn") << true;
    }
    void emptySelectionTold() {
        QFETCH(QString, button);
        QFETCH(bool, groupsWithoutRecordings);
        OverviewWindows w;
        QVERIFY(w.data.ok());
        if (groupsWithoutRecordings) {
            w.addGroup(QStringLiteral("Spillefilm"));
            w.addGroup(QStringLiteral("Musik"));
            w.data.writeRecording({{QStringLiteral("Titel1"), QStringLiteral("Vertigo")},
                                   {QStringLiteral("Gruppe"), 2}});
        }
        QTemporaryDir dir;
        w.printers.pdfFile = dir.filePath(QStringLiteral("oversigt.pdf"));
        QFile old(w.printers.pdfFile);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old report") > 0);
        old.close();
        framework::ScopedMessageHandler realBoxes{framework::MessageHandler{}};
        // A preview that opens all the same is closed again, so that the test goes on.
        bool previewShown = false;
        QTimer previewCloser;
        connect(&previewCloser, &QTimer::timeout, this, [&] {
            if (auto* preview =
                    qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
                previewShown = true;
                preview->reject();
            }
        });
        previewCloser.start(10);

        std::shared_ptr<SeenBox> seen;
        bool optionsOpenAfter = false;
        whenModal<TPrintOversigtForm>([&](TPrintOversigtForm* shown) {
            if (groupsWithoutRecordings)
                shown->CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
            seen = answerNextBox(QStringLiteral("OK"));
            shown->findChild<QPushButton*>(button)->click();
            optionsOpenAfter = shown->isVisible();
            shown->AnnullerBtn->click();
        });
        w.form->exec();
        QVERIFY(seen && seen->seen);
        QCOMPARE(seen->caption, QStringLiteral("OBS"));
        QCOMPARE(seen->text, QStringLiteral("Der er ingen optagelser at udskrive."));
        QCOMPARE(seen->icon, QMessageBox::Information);
        QCOMPARE(seen->buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(w.printers.prepared, 0);
        QVERIFY(!previewShown);
        QVERIFY(optionsOpenAfter);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old report"));
        QVERIFY(!w.report->Query1.isActive());
    }

    // "Vis udskrift" shows the preview modally under the report's title; the options stay.
    void previewFromOptions() {
        OverviewWindows w;
        QVERIFY(w.data.ok());
        w.addGroup(QStringLiteral("Spillefilm"));
        w.data.writeRecording(
            {{QStringLiteral("Titel1"), QStringLiteral("Vertigo")}, {QStringLiteral("Gruppe"), 1}});
        QString previewTitle;
        bool optionsOpenAfter = false;
        whenModal<TPrintOversigtForm>([&](TPrintOversigtForm* shown) {
            whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
                previewTitle = preview->windowTitle();
                preview->reject();
            });
            shown->VisBtn->click();
            optionsOpenAfter = shown->isVisible();
            shown->AnnullerBtn->click();
        });
        w.form->exec();
        QCOMPARE(previewTitle, QStringLiteral("Spolebox - Oversigt"));
        QVERIFY(optionsOpenAfter);
        QVERIFY(!w.report->Query1.isActive());
    }
};

QTEST_MAIN(TestPrintDialog)
#include "tst_print_dialog.moc"
