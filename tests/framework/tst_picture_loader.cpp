#include "crafted_pictures.h"
#include "framework/picture_fit.h"
#include "framework/picture_format.h"
#include "framework/picture_path.h"
#include "picture_wait.h"
#include "process_children.h"

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
    void picturesAboveTheLimitAreReduced_data();
    void picturesAboveTheLimitAreReduced();
    void newerRequestCancelsTheOlder();
    void timeLimit();
    void missingHelperProgram();
    void heldPicturesKeepTheirPixels();

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
    const PictureAnswer answer = loadAndWait(write("picture." + extension, sampleOf(kind, size)));
    QVERIFY2(answer.message.isEmpty(), qPrintable(answer.message));
    const QImage& image = answer.picture;
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
    QTest::newRow("characters XML reserves") << QByteArray("A & B <C> \"D\"");
}

// libwmf writes the text into SVG as it stands: no byte of it may spoil the SVG.
void TestPictureLoader::metafileWithText() {
    QFETCH(QByteArray, text);
    const PictureAnswer answer =
        loadAndWait(write("text.wmf", samples::wmf(QSize(200, 50), Qt::red, text)));
    QCOMPARE(answer.picture.size(), QSize(200, 50));
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
    const PictureAnswer answer = loadAndWait(path);
    QVERIFY2(answer.picture.isNull(), qPrintable(QStringLiteral("decoded as %1 x %2")
                                                     .arg(answer.picture.width())
                                                     .arg(answer.picture.height())));
    QVERIFY2(answer.message.startsWith("Kan ikke vise billedet " + path),
             qPrintable(answer.message));
    QCOMPARE(answer.signals, 1);
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
    const PictureAnswer answer = loadAndWait(path);
    QVERIFY(answer.picture.isNull());
    QVERIFY2(answer.message.startsWith("Kan ikke vise billedet " + path),
             qPrintable(answer.message));
}

void TestPictureLoader::picturesAboveTheLimitAreReduced_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("jpeg, 8200 x 4100") << "large.jpg" << QSize(8200, 4100);
    QTest::newRow("bmp, 5000 x 3500") << "large.bmp" << QSize(5000, 3500);
}

// The picture comes back as large as the limit allows, keeping its shape.
void TestPictureLoader::picturesAboveTheLimitAreReduced() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QString path =
        write(name, name.endsWith(u"jpg") ? samples::jpeg(size) : samples::bmp(size));
    const PictureAnswer answer = loadAndWait(path);
    QVERIFY2(answer.message.isEmpty(), qPrintable(answer.message));
    const QSize shown = answer.picture.size();
    const qint64 pixels = qint64(shown.width()) * shown.height();
    QVERIFY2(pixels <= kMaxPicturePixels && pixels > kMaxPicturePixels / 2,
             qPrintable(QStringLiteral("%1 x %2").arg(shown.width()).arg(shown.height())));
    QVERIFY(qAbs(double(shown.width()) / shown.height() - double(size.width()) / size.height()) <
            0.01);
}

// Moving on to another actor before a picture is there: the older picture's helper is
// killed, and only the newer picture is heard of.
void TestPictureLoader::newerRequestCancelsTheOlder() {
    const QString slow = write("slow.emf", crafted::largeEmf(QSize(800, 600), 1200000));
    const QString quick = write("quick.bmp", samples::bmp(QSize(30, 20)));
    PictureLoader loader;
    QStringList answered;
    connect(&loader, &PictureLoader::loaded,
            [&answered](const QString& file, const QImage&) { answered << file; });
    connect(&loader, &PictureLoader::failed,
            [&answered](const QString& file, const QString&) { answered << file; });
    loader.request(slow);
    QTRY_COMPARE(childProcessesOfThisProcess().size(), 1);
    const PictureAnswer answer = loadAndWait(loader, quick);
    QCOMPARE(answer.picture.size(), QSize(30, 20));
    QCOMPARE(answered, QStringList{quick});
    QTRY_COMPARE(childProcessesOfThisProcess(), QList<qint64>());
    QTest::qWait(100);
    QCOMPARE(answered, QStringList{quick});
}

void TestPictureLoader::timeLimit() {
    const QString slow = write("slow.emf", crafted::largeEmf(QSize(800, 600), 1200000));
    PictureLoader loader;
    loader.setTimeLimit(std::chrono::milliseconds(300));
    const PictureAnswer answer = loadAndWait(loader, slow);
    QVERIFY(answer.picture.isNull());
    QCOMPARE(answer.message, "Kan ikke vise billedet " + slow +
                                 ".\nDet tog for lang tid at læse billedet; filen er måske "
                                 "beskadiget.");
    QCOMPARE(childProcessesOfThisProcess(), QList<qint64>());
}

void TestPictureLoader::missingHelperProgram() {
    const QString path = write("a.bmp", samples::bmp(QSize(4, 4)));
    PictureLoader loader;
    loader.setHelperProgram(m_dir->filePath("spolebox-picture-helper"));
    const PictureAnswer answer = loadAndWait(loader, path);
    QVERIFY(answer.picture.isNull());
    QVERIFY2(answer.message.startsWith("Kan ikke vise billedet " + path +
                                       ".\nProgrammet, der læser billeder, kunne ikke startes"),
             qPrintable(answer.message));
}

// The memory a picture came in is used again for later pictures once the picture is gone:
// never while a copy of it is still held.
void TestPictureLoader::heldPicturesKeepTheirPixels() {
    PictureLoader loader;
    const auto load = [&](const char* name, const QColor& color) {
        return loadAndWait(loader,
                           write(QString::fromLatin1(name), samples::bmp(QSize(40, 30), color)))
            .picture;
    };
    const QImage red = load("r.bmp", Qt::red);
    QImage blue = load("b.bmp", Qt::blue);
    load("g.bmp", Qt::green); // gone at once
    const QImage yellow = load("y.bmp", Qt::yellow);
    blue = QImage();
    const QImage cyan = load("c.bmp", Qt::cyan);
    QCOMPARE(red.pixelColor(20, 15), QColor(Qt::red));
    QCOMPARE(yellow.pixelColor(20, 15), QColor(Qt::yellow));
    QCOMPARE(cyan.pixelColor(20, 15), QColor(Qt::cyan));
}

QTEST_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"
