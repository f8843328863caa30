// The daily backups: once a day, the last ten kept, nothing else in their folder touched.

#include "catalogue_tool_fixture.h"
#include "keeping/catalogue_backup.h"
#include "keeping/daily_backups.h"

#include <QTemporaryDir>

namespace {

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestDailyBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void takenOnceADay();
    void keepsTheLastTen();
};

void TestDailyBackup::takenOnceADay() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    QTemporaryDir backups;
    QVERIFY(backups.isValid());
    const QDate today(2024, 3, 5);

    const QString written = keeping::takeDailyBackup(catalogue.directory(), backups.path(), today);
    QCOMPARE(QFileInfo(written).fileName(), QStringLiteral("spolebox-2024-03-05.zip"));
    QCOMPARE(keeping::readBackupManifest(written).rows(QStringLiteral("Spolebox.DB")), 40);
    const auto first = folderSnapshot(backups.path());

    plantSql(catalogue.directory(), schema::recordings(), QStringLiteral("DELETE FROM %1"));
    QCOMPARE(keeping::takeDailyBackup(catalogue.directory(), backups.path(), today), QString());
    QCOMPARE(folderSnapshot(backups.path()), first);

    const QString tomorrow =
        keeping::takeDailyBackup(catalogue.directory(), backups.path(), today.addDays(1));
    QCOMPARE(keeping::readBackupManifest(tomorrow).rows(QStringLiteral("Spolebox.DB")), 0);
    QCOMPARE(filesIn(backups.path()), (QStringList{QStringLiteral("spolebox-2024-03-05.zip"),
                                                   QStringLiteral("spolebox-2024-03-06.zip")}));
}

void TestDailyBackup::keepsTheLastTen() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    QTemporaryDir backups;
    QVERIFY(backups.isValid());
    const QDir folder(backups.path());
    const QDate today(2024, 3, 20);
    // Twelve earlier days, with gaps; files of the user's own; one cut off half-way.
    QStringList kept;
    for (int daysAgo = 1; daysAgo <= 16; ++daysAgo) {
        if (daysAgo % 4 == 0)
            continue;
        const QString name =
            today.addDays(-daysAgo).toString(QStringLiteral("'spolebox-'yyyy-MM-dd'.zip'"));
        writeFile(folder.filePath(name), "earlier");
        if (kept.size() < 9)
            kept << name;
    }
    writeFile(folder.filePath(QStringLiteral("notes.txt")), "mine");
    writeFile(folder.filePath(QStringLiteral("spolebox-old.zip")), "mine");
    writeFile(folder.filePath(QStringLiteral("spolebox-2024-03-19.zip.AbC123")), "half");

    keeping::takeDailyBackup(catalogue.directory(), backups.path(), today);
    kept << QStringLiteral("spolebox-2024-03-20.zip") << QStringLiteral("notes.txt")
         << QStringLiteral("spolebox-old.zip");
    kept.sort();
    QCOMPARE(filesIn(backups.path()), kept);
}

QTEST_GUILESS_MAIN(TestDailyBackup)
#include "tst_daily_backup.moc"
