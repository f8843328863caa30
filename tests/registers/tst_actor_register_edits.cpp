// The actor register stores, keeps or drops only what the user clearly asked for: the
// picture buttons with nobody shown, a save that fails on closing, minimising.

#include "framework/db_grid.h"
#include "registers/FuldBilledeUnit.h"
#include "registers/SkuespillerFormUnit.h"
#include "registers_fixture.h"
#include "table_file_lock.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

struct Register {
    explicit Register(RegistersFixture& f) : form(*f.box, fullPicture) {
        form.setPictureFileChooser(
            [&f](const QString&) { return std::optional<QString>(f.programDir() + "Ib.bmp"); });
    }
    TFuldBilledeForm fullPicture;
    TSkuespillerForm form;

    engine::Table& table() { return form.SkuespillerTable(); }

    // Shows the register as the program does and runs the user's part in its modal loop.
    int exec(std::function<void()> user) {
        whenModal([this, user](QWidget*) {
            if (QTest::qWaitForWindowActive(&form))
                user();
            if (form.isVisible()) {
                form.DBGrid1->cancelRecord();
                form.close();
            }
        });
        return form.exec();
    }

    // F2 on a cell of the grid's first row and the text typed over the cell's value.
    void typeOverFirstName(const QString& text) {
        framework::DBGrid* grid = form.DBGrid1;
        grid->setFocus(Qt::TabFocusReason);
        grid->setCurrentIndex(grid->model()->index(0, 0));
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
};

QStringList storedFirstNames(RegistersFixture& f) {
    QStringList names;
    for (const auto& actor : f.storedActors())
        names << actor.fornavn;
    return names;
}

} // namespace

class TestActorRegisterEdits : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pictureButtonsWithNobodyShown_data();
    void pictureButtonsWithNobodyShown();
    void failedSaveOnClosingKeepsTheEdit();
    void minimiseAndRestoreChangeNothing();
};

void TestActorRegisterEdits::pictureButtonsWithNobodyShown_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("nobody"); // how: a name typed that matches nobody, a new row
    QTest::newRow("Fjern billede, no match") << "BitBtn3"
                                             << "no match";
    QTest::newRow("Vælg billede, no match") << "BitBtn1"
                                            << "no match";
    QTest::newRow("Fjern billede, empty new row") << "BitBtn3"
                                                  << "new row";
    QTest::newRow("Vælg billede, empty new row") << "BitBtn1"
                                                 << "new row";
}

void TestActorRegisterEdits::pictureButtonsWithNobodyShown() {
    QFETCH(QString, button);
    QFETCH(QString, nobody);
    RegistersFixture f;
    f.addActor("Ib", "Schønberg");
    QVERIFY(f.ok());
    Register r(f);
    r.exec([&] {
        if (nobody == u"no match") {
            QTest::keyClicks(r.form.EditFornavn, "Zorro");
        } else {
            r.form.DBGrid1->setFocus(Qt::TabFocusReason);
            QTest::keyClick(r.form.DBGrid1, Qt::Key_Insert);
        }
        QTest::mouseClick(r.form.findChild<QPushButton*>(button), Qt::LeftButton);
        QTest::mouseClick(r.form.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(storedFirstNames(f), QStringList{"Ib"});
    QCOMPARE(f.storedActors().front().billedepath, QString());
    QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.texts().join(u'\n')));
}

// Opened from the menu: "Luk" while the actors file is held by another program shows why
// the save failed and keeps the window open with the edit; once the file is free, "Luk"
// stores it and closes.
void TestActorRegisterEdits::failedSaveOnClosingKeepsTheEdit() {
    RegistersFixture f;
    f.addActor("Bodil", "Ipsen");
    QVERIFY(f.ok());
    Register r(f);
    bool openAfterFailure = false;
    QString pending;
    std::size_t messages = 0;
    const int result = r.exec([&] {
        r.typeOverFirstName("Bodil Louise");
        TableFileLock lock(f.catalogue.filePath(schema::actors().fileName));
        QVERIFY(lock.isLocked());
        QTest::mouseClick(r.form.BitBtn2, Qt::LeftButton);
        openAfterFailure = r.form.isVisible();
        pending = r.table().isEditing() ? r.table().fieldByName("Fornavn").asString() : QString();
        messages = f.messages.shown.size();
        lock.release();
        QTest::mouseClick(r.form.BitBtn2, Qt::LeftButton);
    });
    QVERIFY(openAfterFailure);
    QCOMPARE(pending, "Bodil Louise");
    QCOMPARE(messages, std::size_t(1));
    QCOMPARE(result, 1);
    QCOMPARE(storedFirstNames(f), QStringList{"Bodil Louise"});
}

// Minimising and restoring the register is no new showing: the search and a pending edit
// stay as they were.
void TestActorRegisterEdits::minimiseAndRestoreChangeNothing() {
    RegistersFixture f;
    f.addActor("Jonas", "Smed");
    f.addActor("Karen", "Berg");
    QVERIFY(f.ok());
    Register r(f);
    QString fornavn;
    bool filtered = false;
    QString pending;
    r.exec([&] {
        QTest::keyClicks(r.form.EditFornavn, "jo");
        r.typeOverFirstName("Jonathan");
        r.form.setWindowState(Qt::WindowMinimized);
        r.form.setWindowState(Qt::WindowNoState);
        fornavn = r.form.EditFornavn->text();
        filtered = r.table().filtered();
        pending = r.table().isEditing() ? r.table().fieldByName("Fornavn").asString() : QString();
        r.form.DBGrid1->cancelRecord();
        r.form.DBGrid1->cancelRecord();
    });
    QCOMPARE(fornavn, "jo");
    QVERIFY(filtered);
    QCOMPARE(pending, "Jonathan");
    QCOMPARE(storedFirstNames(f), QStringList({"Karen", "Jonas"}));
}

QTEST_MAIN(TestActorRegisterEdits)
#include "tst_actor_register_edits.moc"
