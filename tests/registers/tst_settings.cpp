#include "framework/db_text.h"
#include "registers/OpsaetningFormUnit.h"
#include "registers_fixture.h"
#include "table_file_lock.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

const QStringList kColorFields = {"ColorFri", "ColorAktuelFri", "ColorFilmSP", "ColorFilmLP"};

QColor panelColor(const QLabel* panel) {
    return panel->palette().color(QPalette::Window);
}

// The settings window on a fixture, with the directory chooser and the colour dialog
// answered from lists.
struct SettingsWindow {
    explicit SettingsWindow(RegistersFixture& fixture)
        : form(*fixture.box, [this] { return nextDirectory(); }) {
        form.setColorChooser([this](const QColor& initial) {
            colorDialogOpenedWith << initial;
            if (colors.empty())
                return std::optional<QColor>();
            const std::optional<QColor> answer = colors.front();
            colors.pop_front();
            return answer;
        });
    }

    std::optional<QString> nextDirectory() {
        ++directoryDialogRuns;
        if (directories.empty())
            return std::nullopt;
        const std::optional<QString> answer = directories.front();
        directories.pop_front();
        return answer;
    }

    QLabel* panel(int number) const {
        return std::vector<QLabel*>{form.Panel1, form.Panel2, form.Panel3, form.Panel4}.at(
            std::size_t(number - 1));
    }

    TOpsaetningForm form;
    std::deque<std::optional<QColor>> colors; // nullopt: the user cancels
    std::deque<std::optional<QString>> directories;
    QList<QColor> colorDialogOpenedWith;
    int directoryDialogRuns = 0;
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowTexts();
    void emptySettingsShowBlack();
    void firstColourCreatesTheRow();
    void colourStoredRedInLowestByte_data();
    void colourStoredRedInLowestByte();
    void panelsShowStoredColours();
    void cancelledColourDialog_data();
    void cancelledColourDialog();
    void dialogOpensWithLastChosenColour();
    void realColourDialog();
    void directoryStored_data();
    void directoryStored();
    void directoryDialogCancelled();
    void okClosesWithResultOne();
    void failedSaveLeavesNothingPending_data();
    void failedSaveLeavesNothingPending();
};

void TestSettings::windowTexts() {
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    QCOMPARE(w.form.windowTitle(), "Opsætning");
    QCOMPARE(w.form.objectName(), "OpsaetningForm");
    QCOMPARE(w.form.GroupBox1->title(), "Farver på bånd oversigt");
    QCOMPARE(w.form.GroupBox2->title(), "Diverse biblioteker");
    QCOMPARE(w.form.Panel1->text(), "Fri blok");
    QCOMPARE(w.form.Panel2->text(), "Aktuelle frie blok");
    QCOMPARE(w.form.Panel3->text(), "Post optaget med SP");
    QCOMPARE(w.form.Panel4->text(), "Post optaget med LP");
    QCOMPARE(w.form.Label1->text(), "Billede filer");
    QCOMPARE(w.form.Label2->text(), "AVI filer");
    QCOMPARE(w.form.Label3->text(), "WAV filer");
    QCOMPARE(w.form.BitBtn1->text(), "OK");
    QVERIFY(w.form.BitBtn1->isDefault());
    for (const char* name :
         {"Panel1", "Panel2", "Panel3", "Panel4", "DBText1", "DBText2", "DBText3", "SpeedButton1",
          "SpeedButton2", "SpeedButton3", "BitBtn1", "ColorDialog1"})
        QVERIFY2(w.form.findChild<QObject*>(name), name);
    QVERIFY(!(w.form.windowFlags() & Qt::WindowCloseButtonHint));
}

void TestSettings::emptySettingsShowBlack() {
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(panelColor(w.panel(i)), QColor(Qt::black));
    QCOMPARE(w.form.DBText1->text(), QString());
    QCOMPARE(w.form.DBText2->text(), QString());
    QCOMPARE(w.form.DBText3->text(), QString());
    QVERIFY(f.storedSettings().isEmpty());
    QVERIFY(f.messages.shown.empty());
}

void TestSettings::firstColourCreatesTheRow() {
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    w.colors.push_back(QColor(0, 0, 255));
    QTest::mouseClick(w.form.Panel1, Qt::LeftButton);

    const QVariantMap stored = f.storedSettings();
    QCOMPARE(stored.value("ColorFri").toLongLong(), 0xFF0000);
    for (const char* other :
         {"ColorAktuelFri", "ColorFilmSP", "ColorFilmLP", "BilledePath", "AVIPath", "WAVPath"})
        QVERIFY2(stored.value(QString::fromLatin1(other)).isNull(), other);
    QCOMPARE(panelColor(w.panel(1)), QColor(0, 0, 255));
    for (int i = 2; i <= 4; ++i)
        QCOMPARE(panelColor(w.panel(i)), QColor(Qt::black));
    QCOMPARE(f.catalogue.rowCount(schema::settings()), 1);
}

void TestSettings::colourStoredRedInLowestByte_data() {
    QTest::addColumn<int>("panel");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<qint64>("stored");
    QTest::newRow("pure red, SP") << 3 << QColor(255, 0, 0) << qint64(255);
    QTest::newRow("pure green, LP") << 4 << QColor(0, 255, 0) << qint64(0xFF00);
    QTest::newRow("pure blue, current free") << 2 << QColor(0, 0, 255) << qint64(0xFF0000);
    QTest::newRow("mixed, free") << 1 << QColor(0x12, 0x34, 0x56) << qint64(0x563412);
    QTest::newRow("white") << 1 << QColor(Qt::white) << qint64(0xFFFFFF);
}

void TestSettings::colourStoredRedInLowestByte() {
    QFETCH(int, panel);
    QFETCH(QColor, color);
    QFETCH(qint64, stored);
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    w.colors.push_back(color);
    QTest::mouseClick(w.panel(panel), Qt::LeftButton);
    QCOMPARE(f.storedSettings().value(kColorFields.at(panel - 1)).toLongLong(), stored);
    QCOMPARE(panelColor(w.panel(panel)), color);
    QCOMPARE(TOpsaetningForm::colorOfValue(stored), color);
}

void TestSettings::panelsShowStoredColours() {
    RegistersFixture f;
    f.catalogue.appendRow(schema::settings(), {{"ColorFri", 255},
                                               {"ColorAktuelFri", 0xFF00},
                                               {"ColorFilmSP", 0xFF0000},
                                               {"ColorFilmLP", 0x102030}});
    f.box->SystemTable().refresh();
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    QCOMPARE(panelColor(w.panel(1)), QColor(255, 0, 0));
    QCOMPARE(panelColor(w.panel(2)), QColor(0, 255, 0));
    QCOMPARE(panelColor(w.panel(3)), QColor(0, 0, 255));
    QCOMPARE(panelColor(w.panel(4)), QColor(0x30, 0x20, 0x10));
}

void TestSettings::cancelledColourDialog_data() {
    QTest::addColumn<bool>("rowExists");
    QTest::newRow("empty table") << false;
    QTest::newRow("existing row") << true;
}

// The row is posted even when the dialog is cancelled, so an empty table gets its
// (empty) row; the colours stay as they were.
void TestSettings::cancelledColourDialog() {
    QFETCH(bool, rowExists);
    RegistersFixture f;
    if (rowExists) {
        f.catalogue.appendRow(
            schema::settings(),
            {{"ColorFri", 1}, {"ColorAktuelFri", 2}, {"ColorFilmSP", 3}, {"ColorFilmLP", 4}});
        f.box->SystemTable().refresh();
    }
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    for (int panel = 1; panel <= 4; ++panel) {
        w.colors.push_back(std::nullopt);
        QTest::mouseClick(w.panel(panel), Qt::LeftButton);
    }
    QCOMPARE(w.colorDialogOpenedWith.size(), 4);
    const QVariantMap stored = f.storedSettings();
    QCOMPARE(f.catalogue.rowCount(schema::settings()), 1);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(stored.value(kColorFields.at(i)).toLongLong(), rowExists ? i + 1 : 0);
    QCOMPARE(f.box->SystemTable().state(), engine::DatasetState::Browse);
    QVERIFY(f.messages.shown.empty());
}

void TestSettings::dialogOpensWithLastChosenColour() {
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    w.colors = {QColor(Qt::blue), std::nullopt, QColor(Qt::yellow), std::nullopt};
    QTest::mouseClick(w.form.Panel4, Qt::LeftButton);
    QTest::mouseClick(w.form.Panel1, Qt::LeftButton);
    QTest::mouseClick(w.form.Panel2, Qt::LeftButton);
    QTest::mouseClick(w.form.Panel3, Qt::LeftButton);
    // Not the panel's colour: black at first, then the colour last chosen.
    const QList<QColor> expected = {QColor(Qt::black), QColor(Qt::blue), QColor(Qt::blue),
                                    QColor(Qt::yellow)};
    QCOMPARE(w.colorDialogOpenedWith, expected);
}

// The window's own colour dialog, answered as a user would.
void TestSettings::realColourDialog() {
    RegistersFixture f;
    QVERIFY(f.ok());
    TOpsaetningForm form(*f.box, [] { return std::optional<QString>(); });
    form.show();
    QColor openedWith;
    whenModal([&openedWith](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        if (!dialog)
            return;
        openedWith = dialog->currentColor();
        dialog->setCurrentColor(QColor(255, 0, 0));
        dialog->accept();
    });
    form.Panel3Click();
    QCOMPARE(openedWith, QColor(Qt::black));
    QCOMPARE(f.storedSettings().value("ColorFilmSP").toLongLong(), 255);

    whenModal([&openedWith](QWidget* modal) {
        if (auto* dialog = qobject_cast<QColorDialog*>(modal)) {
            openedWith = dialog->currentColor();
            dialog->reject();
        }
    });
    form.Panel1Click();
    QCOMPARE(openedWith, QColor(255, 0, 0));
    QCOMPARE(f.storedSettings().value("ColorFri").toLongLong(), 0);
    QCOMPARE(f.storedSettings().value("ColorFilmSP").toLongLong(), 255);
}

void TestSettings::directoryStored_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("stored");
    QTest::newRow("pictures") << 1 << "BilledePath"
                              << "/home/ib/Billeder"
                              << "/home/ib/Billeder";
    QTest::newRow("video clips") << 2 << "AVIPath"
                                 << "/srv/klip"
                                 << "/srv/klip";
    QTest::newRow("sound clips") << 3 << "WAVPath"
                                 << "/"
                                 << "/";
    const QString longPath = "/" + QString(99, u'x');
    QTest::newRow("cut to 80") << 1 << "BilledePath" << longPath << longPath.left(80);
}

void TestSettings::directoryStored() {
    QFETCH(int, button);
    QFETCH(QString, field);
    QFETCH(QString, chosen);
    QFETCH(QString, stored);
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    w.directories.push_back(chosen);
    QToolButton* buttons[] = {w.form.SpeedButton1, w.form.SpeedButton2, w.form.SpeedButton3};
    framework::DBText* texts[] = {w.form.DBText1, w.form.DBText2, w.form.DBText3};
    QTest::mouseClick(buttons[button - 1], Qt::LeftButton);
    QCOMPARE(w.directoryDialogRuns, 1);
    QCOMPARE(f.storedSettings().value(field).toString(), stored);
    QCOMPARE(texts[button - 1]->text(), stored);
    QCOMPARE(f.box->SystemTable().state(), engine::DatasetState::Browse);
}

void TestSettings::directoryDialogCancelled() {
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    w.directories.push_back(std::nullopt);
    QTest::mouseClick(w.form.SpeedButton1, Qt::LeftButton);
    QCOMPARE(w.directoryDialogRuns, 1);
    QCOMPARE(f.catalogue.rowCount(schema::settings()), 0);
    QCOMPARE(f.box->SystemTable().state(), engine::DatasetState::Browse);
}

void TestSettings::okClosesWithResultOne() {
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    bool stillOpenAfterEscape = false;
    whenModal([&stillOpenAfterEscape](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        stillOpenAfterEscape = modal->isVisible();
        QTest::mouseClick(modal->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    });
    QCOMPARE(w.form.exec(), 1);
    QVERIFY(stillOpenAfterEscape);
}

void TestSettings::failedSaveLeavesNothingPending_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("a colour") << "Panel1";
    QTest::newRow("a directory") << "SpeedButton1";
}

// A choice the settings file cannot take (held by another program) is reported and
// dropped: no changed row is left behind in the shared settings table.
void TestSettings::failedSaveLeavesNothingPending() {
    QFETCH(QString, button);
    RegistersFixture f;
    QVERIFY(f.ok());
    SettingsWindow w(f);
    w.form.show();
    w.colors.push_back(QColor(255, 0, 0));
    w.directories.push_back(QStringLiteral("/home/ib/Billeder"));
    TableFileLock lock(f.catalogue.filePath(schema::settings().fileName));
    QVERIFY(lock.isLocked());
    QTest::mouseClick(w.form.findChild<QWidget*>(button), Qt::LeftButton);
    lock.release();
    QCOMPARE(f.messages.shown.size(), std::size_t(1));
    QCOMPARE(f.box->SystemTable().state(), engine::DatasetState::Browse);
    QCOMPARE(panelColor(w.form.Panel1), QColor(Qt::black));
    QCOMPARE(f.catalogue.rowCount(schema::settings()), 0);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
