// Creating the data module: the alias "Spolebox" beside the program, the tables opened in
// order, and the two messages after which the program ends.
#include "../framework/modal_box_answer.h"
#include "databox_fixture.h"
#include "engine/database.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using framework::MessageButton;
using framework::MessageIcon;

namespace {

const QString kAliasFailed =
    QStringLiteral("Kan ikke oprette BDE alias. Kontakt evt. Kvistholm for support.");
const QString kOpenFailed =
    QStringLiteral("Kan ikke åbne datafiler. Kontakt evt. Kvistholm for support.");

// The six tables in directory, each as declared unless changed by `change`.
void createCatalogue(const QString& directory,
                     const std::function<bool(engine::TableDef&)>& change = {}) {
    QVERIFY(QDir().mkpath(directory));
    for (const engine::TableDef* def : schema::allTables()) {
        engine::TableDef copy = *def;
        if (change && !change(copy))
            continue; // left out
        engine::Database::createTable(directory, copy);
    }
}

QByteArray fileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void checkErrorKind(const framework::MessageRequest& m, const QString& text) {
    QCOMPARE(m.caption, QStringLiteral("Error"));
    QCOMPARE(m.icon, MessageIcon::Error);
    QVERIFY(m.buttons == std::vector<MessageButton>{MessageButton::Ok});
    QCOMPARE(m.text, text);
}

} // namespace

class DataboxOpenTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aliasAddedAtFirstStart() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString programDir = root.path() + u'/';
        createCatalogue(programDir + QStringLiteral("DATA"));
        const QString config = root.filePath(QStringLiteral("config/engine.ini"));
        MessageLog messages;
        {
            engine::Session session(config);
            TDataBox box(session, programDir);
            QVERIFY(box.opened());
            QVERIFY(messages.shown.empty());
            QVERIFY(session.aliasExists(QStringLiteral("Spolebox")));
            QCOMPARE(session.aliasDirectory(QStringLiteral("Spolebox")),
                     programDir + QStringLiteral("DATA"));
            QCOMPARE(box.statusBarText(), QStringLiteral("Antal poster: 0"));
        }
        QSettings settings(config, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("Aliases/Spolebox/Driver")).toString(),
                 QStringLiteral("PARADOX"));

        // The next start finds the alias and adds nothing.
        const QByteArray before = fileContents(config);
        QVERIFY(!before.isEmpty());
        {
            engine::Session session(config);
            TDataBox box(session, programDir);
            QVERIFY(box.opened());
        }
        QCOMPARE(fileContents(config), before);
        QVERIFY(messages.shown.empty());
    }

    void existingAliasUsedUnchanged() {
        TempCatalogue catalogue; // its alias names its own folder, not the program's
        QVERIFY(catalogue.isValid());
        catalogue.appendRow(schema::tapes(), {{QStringLiteral("BaandNavn"), QStringLiteral("T1")},
                                              {QStringLiteral("Baandlaengde"), 180}});
        for (int i = 0; i < 2; ++i)
            catalogue.appendRow(schema::recordings(),
                                {{QStringLiteral("Baandnummer"), QStringLiteral("T1")}});
        QTemporaryDir elsewhere;
        const QByteArray before = fileContents(catalogue.configFile());
        MessageLog messages;
        TDataBox box(catalogue.session(), elsewhere.path() + u'/');
        QVERIFY(box.opened());
        QVERIFY(messages.shown.empty());
        QCOMPARE(catalogue.session().aliasDirectory(QStringLiteral("Spolebox")),
                 catalogue.directory());
        QCOMPARE(fileContents(catalogue.configFile()), before);
        QCOMPARE(box.statusBarText(), QStringLiteral("Antal poster: 2"));
    }

    void aliasCannotBeAdded() {
        QTemporaryDir root;
        createCatalogue(root.filePath(QStringLiteral("DATA")));
        // The configuration's folder would have to be made inside a plain file.
        QFile blocker(root.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        engine::Session session(root.filePath(QStringLiteral("blocker/engine.ini")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Spolebox: .+")));
        MessageLog messages;
        TDataBox box(session, root.path() + u'/');
        QVERIFY(!box.opened());
        QCOMPARE(messages.shown.size(), std::size_t(1));
        checkErrorKind(messages.shown.front(), kAliasFailed);
        QVERIFY(!box.GruppeTable().isActive());
        QVERIFY(!box.VideoTable().isActive());
    }

    void tablesCannotBeOpened_data() {
        QTest::addColumn<QString>("table");  // the table to change
        QTest::addColumn<QString>("change"); // "missing", "no field", "no index", "other type"
        QTest::newRow("no tables") << "*"
                                   << "missing";
        QTest::newRow("no groups") << "Grupper.db"
                                   << "missing";
        QTest::newRow("no categories") << "Kategori.db"
                                       << "missing";
        QTest::newRow("no tapes") << "Bånd.db"
                                  << "missing";
        QTest::newRow("no actors") << "Skuespillere.DB"
                                   << "missing";
        QTest::newRow("no recordings") << "Spolebox.DB"
                                       << "missing";
        QTest::newRow("recordings without Titel2") << "Spolebox.DB"
                                                   << "no field";
        QTest::newRow("recordings without index") << "Spolebox.DB"
                                                  << "no index";
        QTest::newRow("actors without index") << "Skuespillere.DB"
                                              << "no index";
        QTest::newRow("tape name of another size") << "Bånd.db"
                                                   << "other type";
    }
    void tablesCannotBeOpened() {
        QFETCH(QString, table);
        QFETCH(QString, change);
        TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
        QVERIFY(catalogue.isValid());
        createCatalogue(catalogue.directory(), [&](engine::TableDef& def) {
            if (table != u'*' && def.fileName != table)
                return true;
            if (change == QStringLiteral("missing"))
                return false;
            if (change == QStringLiteral("no index"))
                def.indexes.clear();
            else if (change == QStringLiteral("no field"))
                std::erase_if(def.fields, [](const engine::FieldDef& f) {
                    return f.name == QStringLiteral("Titel2");
                });
            else
                def.fields.front().size += 2;
            return true;
        });
        // The engine's own text goes to standard error, not to the user.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Spolebox: .+")));
        MessageLog messages;
        TDataBox box(catalogue.session(), catalogue.directory() + QStringLiteral("/../"));
        QVERIFY(!box.opened());
        QCOMPARE(messages.shown.size(), std::size_t(1));
        checkErrorKind(messages.shown.front(), kOpenFailed);
    }

    void aliasOnMissingDirectory() {
        QTemporaryDir root;
        engine::Session session(root.filePath(QStringLiteral("engine.ini")));
        session.addAlias(QStringLiteral("Spolebox"), root.filePath(QStringLiteral("gone")),
                         QStringLiteral("PARADOX"));
        MessageLog messages;
        TDataBox box(session, root.path() + u'/');
        QVERIFY(!box.opened());
        QCOMPARE(messages.texts(), QStringList{kOpenFailed});
    }

    // The settings table is opened by the start-up, not by the data module.
    void settingsTableNotNeeded() {
        TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
        createCatalogue(catalogue.directory(),
                        [](engine::TableDef& def) { return def.fileName != u"System.db"; });
        MessageLog messages;
        TDataBox box(catalogue.session(), QString());
        QVERIFY(box.opened());
        QVERIFY(messages.shown.empty());
        QVERIFY(!box.SystemTable().isActive());
    }

    void openedTables() {
        DataboxFixture f;
        QVERIFY(f.ok());
        TDataBox& box = *f.box;
        for (engine::Table* t : {&box.GruppeTable(), &box.KategoriTable(), &box.BaandTable(),
                                 &box.SkuespillerTable2(), &box.VideoTable()})
            QVERIFY(t->isActive());
        QVERIFY(!box.VideoTableBaand().isActive()); // opened around each computation
        QVERIFY(!box.SystemTable().isActive());
        QCOMPARE(box.VideoTable().indexName(), QStringLiteral("SecBaandnrStarttid"));
        QCOMPARE(box.SkuespillerTable2().indexName(), QStringLiteral("SecEfternavn"));
        QVERIFY(box.SkuespillerTable2().filtered());
        box.SystemTable().open(); // as the start-up does
        QVERIFY(box.SystemTable().isActive());
        QCOMPARE(box.VideoSource().dataSet(), &box.VideoTable());
        QCOMPARE(box.BaandSource().dataSet(), &box.BaandTable());
        QCOMPARE(box.KategoriSource().dataSet(), &box.KategoriTable());
        QCOMPARE(box.GruppeSource().dataSet(), &box.GruppeTable());
        QCOMPARE(box.SystemSource().dataSet(), &box.SystemTable());
        QCOMPARE(box.findChild<framework::DataSource*>(QStringLiteral("VideoSource")),
                 &box.VideoSource());
    }

    void programDirectory() {
        const QString dir = programFileDirectory();
        QVERIFY(dir.endsWith(u'/'));
        QCOMPARE(dir, QCoreApplication::applicationDirPath() + u'/');
    }

    // The failure as the user sees it: a real message box, closed with its OK button.
    void openFailureInRealBox() {
        TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
        QVERIFY(catalogue.isValid());
        std::shared_ptr<SeenBox> seen = answerNextBox(QStringLiteral("OK"));
        bool opened = true;
        {
            TDataBox box(catalogue.session(), QString());
            opened = box.opened();
        }
        QVERIFY(seen->seen);
        QVERIFY(!opened);
        QCOMPARE(seen->caption, QStringLiteral("Error"));
        QCOMPARE(seen->text, kOpenFailed);
        QCOMPARE(seen->icon, QMessageBox::Critical);
        QCOMPARE(seen->buttons, QStringList{QStringLiteral("OK")});
        QVERIFY(seen->applicationModal);
    }
};

QTEST_MAIN(DataboxOpenTest)
#include "tst_databox_open.moc"
