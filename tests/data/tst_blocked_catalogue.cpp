// The data module on a catalogue it may not change, or that another program holds: the
// user is told in Danish, once for write-protected table files (at opening), and once per
// refused change otherwise; the technical text goes to standard error.

#include "databox_fixture.h"
#include "framework/error_display.h"
#include "ordinary_user.h"

#include <QTemporaryFile>
#include <sqlite3.h>
#include <unistd.h>

using framework::MessageIcon;

namespace {

const QString kLocked = QStringLiteral("Kataloget er låst af et andet program. Prøv igen om lidt.");

// What the program writes to standard error while the object lives.
class StandardErrorCapture {
public:
    StandardErrorCapture() {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { restore(); }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    QString text() {
        restore();
        m_file.seek(0);
        return QString::fromUtf8(m_file.readAll());
    }

private:
    void restore() {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};

QString programDirOf(const TempCatalogue& catalogue) {
    return QDir::cleanPath(catalogue.directory() + QStringLiteral("/..")) + u'/';
}

} // namespace

class BlockedCatalogueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readOnlyFilesToldOnceAtOpening_data();
    void readOnlyFilesToldOnceAtOpening();
    void lockedCatalogueToldInDanish();
};

void BlockedCatalogueTest::readOnlyFilesToldOnceAtOpening_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("told");
    QTest::newRow("none") << QStringList{} << QString();
    QTest::newRow("the tapes") << QStringList{"Bånd.db"}
                               << "Tabelfilen \"Bånd.db\" er skrivebeskyttet. Du kan se kataloget, "
                                  "men ændringer i den kan ikke gemmes. Giv filen skriveadgang, og "
                                  "start Spolebox igen.";
    QTest::newRow("the settings, opened later")
        << QStringList{"System.db"}
        << "Tabelfilen \"System.db\" er skrivebeskyttet. Du "
           "kan se kataloget, men ændringer i den kan ikke "
           "gemmes. Giv filen skriveadgang, og start "
           "Spolebox igen.";
    QTest::newRow("recordings and tapes")
        << QStringList{"Spolebox.DB", "Bånd.db"}
        << "Tabelfilerne \"Spolebox.DB\" og \"Bånd.db\" er skrivebeskyttede. Du kan se kataloget, "
           "men ændringer i dem kan ikke gemmes. Giv filerne skriveadgang, og start Spolebox igen.";
    QTest::newRow("three")
        << QStringList{"Spolebox.DB", "Bånd.db", "Kategori.db"}
        << "Tabelfilerne \"Spolebox.DB\", \"Bånd.db\" og \"Kategori.db\" er skrivebeskyttede. Du "
           "kan se kataloget, men ændringer i dem kan ikke gemmes. Giv filerne skriveadgang, og "
           "start Spolebox igen.";
}

void BlockedCatalogueTest::readOnlyFilesToldOnceAtOpening() {
    QFETCH(QStringList, files);
    QFETCH(QString, told);
    TempCatalogue catalogue;
    QVERIFY(catalogue.isValid());
    for (const QString& file : files)
        QVERIFY(makeReadOnly(catalogue.filePath(file)));
    AsOrdinaryUser user(catalogue.directory());
    QVERIFY2(user.permissionsHold(), "no ordinary user to run as");
    MessageLog messages;
    TDataBox box(catalogue.session(), programDirOf(catalogue));
    QVERIFY(box.opened());
    QCOMPARE(messages.texts(), told.isEmpty() ? QStringList{} : QStringList{told});
    if (!told.isEmpty()) {
        QCOMPARE(messages.captions(), QStringList{"OBS"});
        QCOMPARE(messages.shown.front().icon, MessageIcon::Information);
    }
    if (!files.contains(QStringLiteral("Bånd.db")))
        return;
    // A change is refused with the same advice, and nothing is written.
    messages.clear();
    StandardErrorCapture standardError;
    engine::Table& tapes = box.BaandTable();
    QVERIFY(!framework::guarded([&] {
        tapes.append();
        tapes.fieldByName(QStringLiteral("BaandNavn")).setAsString(QStringLiteral("A1"));
        tapes.fieldByName(QStringLiteral("Baandlaengde")).setAsInteger(180);
        tapes.post();
    }));
    QCOMPARE(messages.texts(),
             QStringList{"Tabelfilen \"Bånd.db\" er skrivebeskyttet, så ændringen kan ikke gemmes. "
                         "Giv filen skriveadgang, og start Spolebox igen."});
    QVERIFY2(standardError.text().contains(QStringLiteral("read-only")), "no technical text");
    QVERIFY(tapes.isEditing());
    tapes.cancel();
    QCOMPARE(catalogue.rowCount(schema::tapes()), 0);
}

void BlockedCatalogueTest::lockedCatalogueToldInDanish() {
    DataboxFixture f;
    QVERIFY(f.ok());
    f.addTape(QStringLiteral("A1"), 180);
    f.startRecording(QStringLiteral("A1"), QStringLiteral("0:00"), QStringLiteral("1:00"));

    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open_v2(
                 QFile::encodeName(f.catalogue.filePath(QStringLiteral("Spolebox.DB"))).constData(),
                 &other, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    f.messages.clear();
    QString technical;
    {
        StandardErrorCapture standardError;
        QVERIFY(!framework::guarded([&] { f.video().post(); }));
        technical = standardError.text();
    }
    sqlite3_close_v2(other);
    QCOMPARE(f.messages.texts(), QStringList{kLocked});
    QCOMPARE(f.messages.captions(), QStringList{"Error"});
    QVERIFY2(technical.contains(QStringLiteral("database is locked")), qPrintable(technical));
    // The recording is still in edit with what was typed, and goes through now.
    QVERIFY(f.video().isEditing());
    QCOMPARE(f.field(QStringLiteral("Baandnummer")), QStringLiteral("A1"));
    QVERIFY(f.post());
    QCOMPARE(f.catalogue.rowCount(schema::recordings()), 1);
}

QTEST_MAIN(BlockedCatalogueTest)
#include "tst_blocked_catalogue.moc"
