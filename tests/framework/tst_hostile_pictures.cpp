// Crafted and damaged picture files from anywhere on the user's disk: each ends in a
// picture or in the message, the program's memory stays where it was, and no helper
// process is left behind.

#include "crafted_pictures.h"
#include "picture_wait.h"
#include "process_children.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

// The resident memory of this process, in megabytes.
double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0
                             : 0;
}

} // namespace

class TestHostilePictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void craftedFiles_data();
    void craftedFiles();
};

void TestHostilePictures::craftedFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("outcome"); // "picture", "message" or "either"
    const auto row = [](const char* label, const char* name, const QByteArray& data,
                        const char* outcome) {
        QTest::newRow(label) << QString::fromLatin1(name) << data << QString::fromLatin1(outcome);
    };
    row("jpeg, 200 scans in a valid progression", "scans.jpg", crafted::progressiveJpeg(200),
        "message");
    row("jpeg, 20000 scans", "scans.jpg", crafted::progressiveJpeg(20000), "message");
    row("jpeg, a marker inside the picture data", "grey.jpg", crafted::jpegWithDamagedData(true),
        "message");
    row("jpeg, codes no table holds", "grey.jpg", crafted::jpegWithDamagedData(false), "message");
    row("jpeg, claims 65000 x 65000", "huge.jpg", crafted::jpegClaiming(QSize(65000, 65000)),
        "message");
    row("bmp, claims 1000000 x 1000000", "huge.bmp", crafted::bmpClaiming(QSize(1000000, 1000000)),
        "message");
    // Qt's reader takes the size from the icon's directory, not from the image's header.
    row("ico, image header claims 100000 x 100000", "huge.ico",
        crafted::icoClaiming(QSize(100000, 100000)), "picture");
    row("emf, 28.8 MB", "large.emf", crafted::largeEmf(QSize(800, 600), 1200000), "either");
    row("emf, enormous frame", "huge.emf", crafted::emfClaimingHugeFrame(), "picture");
    row("wmf, enormous bounding box", "huge.wmf", crafted::wmfClaimingHugeBox(), "picture");
    for (const char* kind : {"jpg", "bmp", "ico", "wmf", "emf"}) {
        const QByteArray good = kind == QByteArrayView("jpg")   ? samples::jpeg(QSize(64, 64))
                                : kind == QByteArrayView("bmp") ? samples::bmp(QSize(64, 64))
                                : kind == QByteArrayView("ico") ? samples::ico(QSize(32, 32))
                                : kind == QByteArrayView("wmf") ? samples::wmf(QSize(64, 64))
                                                                : samples::emf(QSize(64, 64));
        const QString name = QStringLiteral("picture.") + QString::fromLatin1(kind);
        QTest::addRow("%s, zero bytes", kind) << name << QByteArray() << "message";
        QTest::addRow("%s, first half", kind) << name << good.left(good.size() / 2) << "message";
        QTest::addRow("%s, all but the last byte", kind) << name << good.chopped(1) << "message";
    }
}

void TestHostilePictures::craftedFiles() {
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(QString, outcome);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(samples::writeFile(path, data));
    data.clear();
    data.squeeze();

    const double before = residentMegabytes();
    {
        const PictureAnswer result = loadAndWait(path);
        QVERIFY(result.answered);
        if (outcome == u"message" || (outcome == u"either" && result.picture.isNull())) {
            QVERIFY2(result.picture.isNull(), "a picture came back");
            QVERIFY2(result.message.startsWith(QStringLiteral("Kan ikke vise billedet ") +
                                               QDir::toNativeSeparators(path)),
                     qPrintable(result.message));
        } else {
            QVERIFY2(!result.picture.isNull(), qPrintable(result.message));
        }
    }
    QCOMPARE(childProcessesOfThisProcess(), QList<qint64>()); // the helper has been reaped
    const double grown = residentMegabytes() - before;
    QVERIFY2(grown < 50, qPrintable(QStringLiteral("%1 MB more").arg(grown)));
}

QTEST_MAIN(TestHostilePictures)
#include "tst_hostile_pictures.moc"
