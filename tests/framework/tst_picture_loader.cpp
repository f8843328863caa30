#include "engine/error.h"
#include "framework/picture_fit.h"
#include "framework/picture_loader.h"
#include "framework/picture_path.h"
#include "picture_samples.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace framework;

namespace {

QByteArray sampleOf(const QString& kind, const QSize& size) {
    if (kind == u"jpg" || kind == u"jpeg")
        return samples::jpeg(size);
    if (kind == u"bmp")
        return samples::bmp(size);
    if (kind == u"ico")
        return samples::ico(size);
    if (kind == u"wmf")
        return samples::wmf(size);
    return samples::emf(size);
}

// The share of an image's pixels that are clearly red.
double redShare(const QImage& image) {
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                ++red;
        }
    return double(red) / (image.width() * image.height());
}

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void formatByExtension_data();
    void formatByExtension();

    void fitting_data();
    void fitting();

    void relativePaths_data();
    void relativePaths();
    void storedPaths_data();
    void storedPaths();

    void validFiles_data();
    void validFiles();
    void metafileWithText_data();
    void metafileWithText();
    void damagedFiles_data();
    void damagedFiles();
    void unknownExtensionAndMissingFile_data();
    void unknownExtensionAndMissingFile();
    void jpegClaimingEnormousSize();
    void jpegLargerThanTheLimitIsReducedNotRefused();

private:
    QString write(const QString& name, const QByteArray& data);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPictureLoader::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestPictureLoader::write(const QString& name, const QByteArray& data) {
    const QString path = m_dir->filePath(name);
    if (!samples::writeFile(path, data))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestPictureLoader::formatByExtension_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format"); // -1: not a picture
    const auto row = [](const char* file, int format) {
        QTest::newRow(file) << QString::fromUtf8(file) << format;
    };
    row("a.jpg", int(PictureFormat::Jpeg));
    row("a.JPEG", int(PictureFormat::Jpeg));
    row("a.JpG", int(PictureFormat::Jpeg));
    row("a.bmp", int(PictureFormat::Bitmap));
    row("a.Ico", int(PictureFormat::Icon));
    row("a.EMF", int(PictureFormat::EnhancedMetafile));
    row("a.wmf", int(PictureFormat::Metafile));
    row("dir.jpg/a.wmf", int(PictureFormat::Metafile));
    row("a.jpg.bmp", int(PictureFormat::Bitmap));
    row("a.png", -1);
    row("a.gif", -1);
    row("a.jpe", -1);
    row("jpg", -1);
    row("a.", -1);
    row("", -1);
}

void TestPictureLoader::formatByExtension() {
    QFETCH(QString, file);
    QFETCH(int, format);
    const auto found = pictureFormatOf(file);
    QCOMPARE(found ? int(*found) : -1, format);
}

void TestPictureLoader::fitting_data() {
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected");
    const QSize actorFrame(209, 221);
    const QSize castFrame(169, 153);
    QTest::newRow("wide, halved") << actorFrame << QSize(410, 204) << QRect(2, 66, 205, 102);
    QTest::newRow("tall, halved") << actorFrame << QSize(100, 400) << QRect(79, 15, 51, 204);
    QTest::newRow("small, enlarged") << actorFrame << QSize(10, 10) << QRect(2, 15, 204, 204);
    QTest::newRow("exact fit") << actorFrame << QSize(205, 204) << QRect(2, 15, 205, 204);
    QTest::newRow("cast, wide") << castFrame << QSize(330, 136) << QRect(2, 49, 165, 68);
    QTest::newRow("cast, tall") << castFrame << QSize(100, 200) << QRect(50, 15, 68, 136);
    // 3 x 1 into 205 x 204: factor 68.33.., height 68.33 -> 68, width 205.
    QTest::newRow("odd spare room rounds down")
        << actorFrame << QSize(3, 1) << QRect(2, 83, 205, 68);
    // 2 x 5 into 205 x 204: factor 40.8, width 81.6 -> 82; spare 123 -> 61.
    QTest::newRow("rounded up width") << actorFrame << QSize(2, 5) << QRect(63, 15, 82, 204);
    // 8 x 1 into 20 x 20 (frame 24 x 37): factor 2.5, height 2.5 -> 2 (half to even).
    QTest::newRow("half to even, down") << QSize(24, 37) << QSize(8, 1) << QRect(2, 24, 20, 2);
    // 8 x 3 into 20 x 20: factor 2.5, height 7.5 -> 8 (half to even).
    QTest::newRow("half to even, up") << QSize(24, 37) << QSize(8, 3) << QRect(2, 21, 20, 8);
    QTest::newRow("no picture") << actorFrame << QSize(0, 0) << QRect();
}

void TestPictureLoader::fitting() {
    QFETCH(QSize, frame);
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);
    QCOMPARE(fitPictureInFrame(frame, picture), expected);
}

void TestPictureLoader::relativePaths_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QString>("resolved");
    const QString dir = QStringLiteral("/opt/spolebox/");
    QTest::newRow("relative") << "billeder/a.jpg" << true << dir + "billeder/a.jpg";
    QTest::newRow("full path") << "/home/ib/a.jpg" << false << "/home/ib/a.jpg";
    QTest::newRow("drive letter") << "D:\\foto\\a.jpg" << false << "D:\\foto\\a.jpg";
    QTest::newRow("one character") << "a" << true << dir + "a";
    QTest::newRow("colon first") << ":a" << true << dir + ":a";
    QTest::newRow("two characters") << "a:" << false << "a:";
}

void TestPictureLoader::relativePaths() {
    QFETCH(QString, path);
    QFETCH(bool, relative);
    QFETCH(QString, resolved);
    QCOMPARE(isRelativePicturePath(path), relative);
    QCOMPARE(resolvePicturePath(path, QStringLiteral("/opt/spolebox/")), resolved);
}

void TestPictureLoader::storedPaths_data() {
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("stored");
    QTest::newRow("inside") << "/opt/spolebox/"
                            << "/opt/spolebox/Billeder/x.jpg"
                            << "Billeder/x.jpg";
    QTest::newRow("inside, other case") << "/opt/Spolebox/"
                                        << "/OPT/SPOLEBOX/b/x.jpg"
                                        << "b/x.jpg";
    QTest::newRow("outside") << "/opt/spolebox/"
                             << "/home/ib/x.jpg"
                             << "/home/ib/x.jpg";
    QTest::newRow("only a-z capitalised") << "/home/søren/"
                                          << "/HOME/SØREN/x.jpg"
                                          << "/HOME/SØREN/x.jpg";
    QTest::newRow("same danish letters") << "/home/søren/"
                                         << "/HOME/søREN/x.jpg"
                                         << "x.jpg";
    QTest::newRow("no program directory") << ""
                                          << "/x.jpg"
                                          << "/x.jpg";
}

void TestPictureLoader::storedPaths() {
    QFETCH(QString, programDir);
    QFETCH(QString, path);
    QFETCH(QString, stored);
    QCOMPARE(storedPicturePath(path, programDir), stored);
}

void TestPictureLoader::validFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("extension");
    QTest::newRow("jpg") << "jpg"
                         << "jpg";
    QTest::newRow("jpeg, capitals") << "jpeg"
                                    << "JPEG";
    QTest::newRow("bmp") << "bmp"
                         << "Bmp";
    QTest::newRow("ico") << "ico"
                         << "ico";
    QTest::newRow("wmf") << "wmf"
                         << "WMF";
    QTest::newRow("emf") << "emf"
                         << "emf";
}

void TestPictureLoader::validFiles() {
    QFETCH(QString, kind);
    QFETCH(QString, extension);
    const QSize size = kind == u"ico" ? QSize(32, 32) : QSize(60, 40);
    const QImage image = loadPicture(write("picture." + extension, sampleOf(kind, size)));
    QCOMPARE(image.size(), size);
    QVERIFY2(redShare(image) > 0.8, qPrintable(QString::number(redShare(image))));
}

void TestPictureLoader::metafileWithText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("plain") << QByteArray("Spolebox");
    QTest::newRow("danish letters") << QByteArray("S\xF8ren \xC6r\xF8 \xE5");
    QByteArray all;
    for (int c = 0x80; c <= 0xFF; ++c)
        all.append(char(c));
    QTest::newRow("every byte above 127") << all;
}

// Text is drawn with the fonts of fonts-urw-base35; letters above 127 must not upset libwmf.
void TestPictureLoader::metafileWithText() {
    QFETCH(QByteArray, text);
    const QImage image =
        loadPicture(write("text.wmf", samples::wmf(QSize(200, 50), Qt::red, text)));
    QCOMPARE(image.size(), QSize(200, 50));
}

void TestPictureLoader::damagedFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("data");
    for (const char* name : {"jpg", "bmp", "ico", "wmf", "emf"}) {
        const QString kind = QString::fromLatin1(name);
        const QByteArray good = sampleOf(kind, QSize(32, 32));
        QByteArray damaged = good;
        for (int i = 0; i < 8 && i < damaged.size(); ++i)
            damaged[i] = char(0x5A);
        QTest::addRow("%s, empty", name) << kind << QByteArray();
        QTest::addRow("%s, header only", name) << kind << good.left(10);
        QTest::addRow("%s, truncated", name) << kind << good.left(good.size() * 2 / 3);
        QTest::addRow("%s, damaged start", name) << kind << damaged;
        QTest::addRow("%s, text", name) << kind << QByteArray("Dette er ikke et billede.");
    }
    // Record sizes that lie: running past the end, zero, not a multiple of 4.
    QByteArray emfPastEnd = samples::emf(QSize(32, 32));
    qToLittleEndian<quint32>(0x10000, emfPastEnd.data() + 88 + 4);
    QTest::newRow("emf, record past the end") << "emf" << emfPastEnd;
    QByteArray emfZero = samples::emf(QSize(32, 32));
    qToLittleEndian<quint32>(0, emfZero.data() + 88 + 4);
    QTest::newRow("emf, empty record") << "emf" << emfZero;
    QByteArray emfNoEnd = samples::emf(QSize(32, 32));
    emfNoEnd.chop(20);
    QTest::newRow("emf, no end record") << "emf" << emfNoEnd;
    QByteArray wmfPastEnd = samples::wmf(QSize(32, 32));
    qToLittleEndian<quint32>(0x7FFFFFF, wmfPastEnd.data() + 22 + 18);
    QTest::newRow("wmf, record past the end") << "wmf" << wmfPastEnd;
    QByteArray bmpHuge = samples::bmp(QSize(32, 32));
    qToLittleEndian<qint32>(1000000, bmpHuge.data() + 18);
    qToLittleEndian<qint32>(1000000, bmpHuge.data() + 22);
    QTest::newRow("bmp, enormous size") << "bmp" << bmpHuge;
}

void TestPictureLoader::damagedFiles() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, data);
    const QString path = write("damaged." + kind, data);
    try {
        const QImage image = loadPicture(path);
        QFAIL(qPrintable(
            QStringLiteral("decoded as %1 x %2").arg(image.width()).arg(image.height())));
    } catch (const engine::Error& error) {
        QVERIFY2(error.message().startsWith("Kan ikke vise billedet " + path),
                 qPrintable(error.message()));
    }
}

void TestPictureLoader::unknownExtensionAndMissingFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("create");
    QTest::newRow("png") << "picture.png" << true;
    QTest::newRow("no extension") << "picture" << true;
    QTest::newRow("missing") << "missing.jpg" << false;
}

void TestPictureLoader::unknownExtensionAndMissingFile() {
    QFETCH(QString, name);
    QFETCH(bool, create);
    const QString path = create ? write(name, samples::bmp(QSize(4, 4))) : m_dir->filePath(name);
    QVERIFY_THROWS_EXCEPTION(engine::Error, loadPicture(path));
}

void TestPictureLoader::jpegClaimingEnormousSize() {
    // The frame header (SOF0) of Qt's JPEG holds height and width after its length and
    // precision; 65000 x 65000 would need 16 GB.
    QByteArray data = samples::jpeg(QSize(16, 16));
    const qsizetype sof = data.indexOf("\xFF\xC0");
    QVERIFY(sof > 0);
    qToBigEndian<quint16>(65000, data.data() + sof + 5);
    qToBigEndian<quint16>(65000, data.data() + sof + 7);
    QVERIFY_THROWS_EXCEPTION(engine::Error, loadPicture(write("huge.jpg", data)));
}

void TestPictureLoader::jpegLargerThanTheLimitIsReducedNotRefused() {
    const QSize size(8200, 4100); // 33.6 million pixels, just over the limit
    const QImage image = loadPicture(write("large.jpg", samples::jpeg(size)));
    QCOMPARE(image.size(), QSize(4100, 2050));
}

QTEST_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"
