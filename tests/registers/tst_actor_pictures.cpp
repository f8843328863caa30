#include "../framework/picture_samples.h"
#include "framework/db_grid.h"
#include "framework/image_control.h"
#include "framework/picture_path.h"
#include "registers/FuldBilledeUnit.h"
#include "registers/SkuespillerFormUnit.h"
#include "registers/picture_file_dialog.h"
#include "registers_fixture.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>

namespace {

// The register with its picture dialog answered from a list; what it was asked is kept.
struct Register {
    explicit Register(RegistersFixture& f) : form(*f.box, fullPicture) {
        form.setPictureFileChooser([this](const QString& directory) {
            dialogDirectories << directory;
            if (files.empty())
                return std::optional<QString>();
            const std::optional<QString> answer = files.front();
            files.pop_front();
            return answer;
        });
    }
    TFuldBilledeForm fullPicture;
    TSkuespillerForm form;
    std::deque<std::optional<QString>> files; // nullopt: the user cancels
    QStringList dialogDirectories;

    engine::Table& table() { return form.SkuespillerTable(); }
    QString storedPath() { return table().fieldByName("Billedepath").asString(); }
    bool pictureShown() const { return !form.Image1->isHidden(); }
};

QByteArray sample(const QString& kind, const QSize& size) {
    if (kind == u"jpg")
        return samples::jpeg(size);
    if (kind == u"bmp")
        return samples::bmp(size);
    if (kind == u"ico")
        return samples::ico(size);
    if (kind == u"wmf")
        return samples::wmf(size);
    return samples::emf(size);
}

// Writes a file, making its folder; the full path.
QString put(const QString& folder, const QString& name, const QByteArray& data) {
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    if (!samples::writeFile(path, data))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void setPictureDirectory(RegistersFixture& f, const QString& directory) {
    engine::Table& settings = f.box->SystemTable();
    settings.edit();
    settings.fieldByName("BilledePath").setAsString(directory);
    settings.post();
}

} // namespace

class TestActorPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controls();
    void fitting_data();
    void fitting();
    void relativePath();
    void fullPathOutsideProgramDir();
    void fullPathInsideProgramDirBecomesRelative();
    void missingFile_data();
    void missingFile();
    void oneCharacterPath_data();
    void oneCharacterPath();
    void undecodableFiles_data();
    void undecodableFiles();
    void choosePicture_data();
    void choosePicture();
    void removePicture();
    void scanCandidates_data();
    void scanCandidates();
    void scanAsksPerCandidate();
    void scanInsideProgramDirStoresRelativePath();
    void scanWithoutDirectory();
    void clickShowsFullPicture();
    void fullPictureWindowStaysOnScreen();
    void pictureDialogFileTypes();
    void pictureMessageOncePerMoveInRealBox_data();
    void pictureMessageOncePerMoveInRealBox();
};

void TestActorPictures::controls() {
    RegistersFixture f;
    QVERIFY(f.ok());
    Register r(f);
    QCOMPARE(r.form.BilledeBox->title(), "Billede");
    QCOMPARE(r.form.BilledeBox->size(), QSize(209, 221));
    QCOMPARE(r.form.BitBtn1->text(), "Vælg billede");
    QCOMPARE(r.form.BitBtn1->toolTip(), "Vælg et billede til skuespiller");
    QCOMPARE(r.form.BitBtn3->text(), "Fjern billede");
    QCOMPARE(r.form.BitBtn4->text(), "Scan");
    QCOMPARE(r.form.BitBtn4->toolTip(), "Scan for billeder til skuespillere");
    QCOMPARE(r.form.Image1->parentWidget(), r.form.BilledeBox);
    QVERIFY(r.form.Image1->stretch());
    QCOMPARE(r.form.Image1->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(r.fullPicture.windowTitle(), "Vis billede");
    QCOMPARE(r.fullPicture.Image1->objectName(), "Image1");
}

void TestActorPictures::fitting_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("410 x 204") << QSize(410, 204) << QRect(2, 66, 205, 102);
    QTest::newRow("100 x 400") << QSize(100, 400) << QRect(79, 15, 51, 204);
    QTest::newRow("10 x 10") << QSize(10, 10) << QRect(2, 15, 204, 204);
}

void TestActorPictures::fitting() {
    QFETCH(QSize, picture);
    QFETCH(QRect, geometry);
    QTemporaryDir elsewhere;
    RegistersFixture f;
    f.addActor("Jens", "Olsen", put(elsewhere.path(), "jens.bmp", samples::bmp(picture)));
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTRY_VERIFY(r.pictureShown());
    QCOMPARE(r.form.Image1->geometry(), geometry);
    QCOMPARE(r.form.Image1->picture().size(), picture);
    QVERIFY(f.messages.shown.empty());
}

void TestActorPictures::relativePath() {
    RegistersFixture f;
    put(f.programDir() + "Billeder", "a.jpg", samples::jpeg(QSize(40, 20)));
    f.addActor("Jens", "Olsen", "Billeder/a.jpg");
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTRY_VERIFY(r.pictureShown());
    QCOMPARE(r.form.SidsteBilledepath, f.programDir() + "Billeder/a.jpg");
    QCOMPARE(r.storedPath(), "Billeder/a.jpg");
    QCOMPARE(r.form.Image1->picture().size(), QSize(40, 20));
}

void TestActorPictures::fullPathOutsideProgramDir() {
    QTemporaryDir elsewhere;
    RegistersFixture f;
    const QString path = put(elsewhere.path(), "a.ico", samples::ico(QSize(32, 32)));
    f.addActor("Jens", "Olsen", path);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTRY_VERIFY(r.pictureShown());
    QCOMPARE(r.storedPath(), path);
    QCOMPARE(r.form.SidsteBilledepath, path);
    QCOMPARE(f.storedActors().front().billedepath, path);
}

// Stored earlier as a full path (here with the program directory's letters capitalised):
// the first showing stores it relative, and the picture shows.
void TestActorPictures::fullPathInsideProgramDirBecomesRelative() {
    RegistersFixture f;
    put(f.programDir() + "Billeder", "b.wmf", samples::wmf(QSize(30, 60)));
    const QString full = framework::capitalizeAscii(f.programDir()) + "Billeder/b.wmf";
    f.addActor("Jens", "Olsen", full);
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QCOMPARE(f.storedActors().front().billedepath, "Billeder/b.wmf");
    QCOMPARE(r.storedPath(), "Billeder/b.wmf");
    QTRY_VERIFY(r.pictureShown());
    QCOMPARE(r.form.Image1->geometry(), QRect(53, 15, 102, 204));
    QCOMPARE(r.table().state(), engine::DatasetState::Browse);
    QVERIFY2(f.messages.shown.empty(), qPrintable(f.messages.texts().join('\n')));
}

void TestActorPictures::missingFile_data() {
    QTest::addColumn<bool>("relative");
    QTest::addColumn<int>("messagesAfterRefresh");
    // A full path is handled once until another path is shown; a relative one at every
    // data change.
    QTest::newRow("full path") << false << 1;
    QTest::newRow("relative path") << true << 2;
}

void TestActorPictures::missingFile() {
    QFETCH(bool, relative);
    QFETCH(int, messagesAfterRefresh);
    QTemporaryDir elsewhere;
    RegistersFixture f;
    f.addActor("Jens", "Olsen", relative ? "Billeder/væk.jpg" : elsewhere.filePath("væk.jpg"));
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTRY_COMPARE(f.messages.texts(), QStringList{"Kan ikke finde billede."});
    QCOMPARE(f.messages.shown.front().caption, "Fejl...");
    QCOMPARE(f.messages.shown.front().icon, framework::MessageIcon::Warning);
    QCOMPARE(f.messages.shown.front().buttons,
             std::vector<framework::MessageButton>{framework::MessageButton::Ok});
    QVERIFY(!r.pictureShown());
    r.table().refresh(); // the next user action
    QTest::qWait(100);
    QCOMPARE(int(f.messages.shown.size()), messagesAfterRefresh);
    QVERIFY(!r.pictureShown());
}

void TestActorPictures::oneCharacterPath_data() {
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no such file") << false << "Fejl...";
    QTest::newRow("file without a picture extension") << true << "Error";
}

// A path of one character has no second character: it is relative like any other.
void TestActorPictures::oneCharacterPath() {
    QFETCH(bool, fileExists);
    QFETCH(QString, caption);
    RegistersFixture f;
    if (fileExists)
        put(f.programDir(), "x", samples::bmp(QSize(4, 4)));
    f.addActor("Jens", "Olsen", "x");
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QCOMPARE(r.form.SidsteBilledepath, f.programDir() + "x");
    QTRY_COMPARE(f.messages.captions(), QStringList{caption});
    if (fileExists)
        QVERIFY(f.messages.texts().front().startsWith("Kan ikke vise billedet "));
    QVERIFY(!r.pictureShown());
}

void TestActorPictures::undecodableFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    for (const char* kind : {"jpg", "bmp", "ico", "wmf", "emf"}) {
        const QByteArray good = sample(QString::fromLatin1(kind), QSize(32, 32));
        QByteArray damaged = good;
        for (int i = 0; i < 6; ++i)
            damaged[i] = char(~damaged[i]);
        const QString name = QStringLiteral("billede.") + QString::fromLatin1(kind);
        QTest::addRow("%s, empty", kind) << name << QByteArray();
        QTest::addRow("%s, truncated", kind) << name << good.left(good.size() / 2);
        QTest::addRow("%s, damaged", kind) << name << damaged;
    }
    QTest::newRow("jpeg, a text") << "billede.jpeg" << QByteArray("ikke et billede");
    QTest::newRow("unknown extension") << "billede.png" << samples::bmp(QSize(8, 8));
}

void TestActorPictures::undecodableFiles() {
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QTemporaryDir elsewhere;
    RegistersFixture f;
    f.addActor("Anna", "Berg", put(elsewhere.path(), "good.jpg", samples::jpeg(QSize(8, 8))));
    f.addActor("Jens", "Olsen", put(elsewhere.path(), name, data));
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTRY_VERIFY(r.pictureShown());
    r.table().next();
    QTRY_COMPARE(f.messages.captions(), QStringList{"Error"});
    QVERIFY2(f.messages.texts().front().startsWith("Kan ikke vise billedet "),
             qPrintable(f.messages.texts().front()));
    QVERIFY(!r.pictureShown());
    // The register goes on working.
    r.table().first();
    QTRY_VERIFY(r.pictureShown());
}

void TestActorPictures::choosePicture_data() {
    QTest::addColumn<QString>("where"); // "inside", "outside", "cancel"
    QTest::newRow("inside the program directory") << "inside";
    QTest::newRow("elsewhere") << "outside";
    QTest::newRow("cancelled") << "cancel";
}

void TestActorPictures::choosePicture() {
    QFETCH(QString, where);
    QTemporaryDir elsewhere;
    RegistersFixture f;
    f.addActor("Jens", "Olsen", "Billeder/gammel.jpg");
    put(f.programDir() + "Billeder", "gammel.jpg", samples::jpeg(QSize(8, 8)));
    const QString inside = put(f.programDir() + "Billeder", "ny.bmp", samples::bmp(QSize(20, 10)));
    const QString outside = put(elsewhere.path(), "ny.bmp", samples::bmp(QSize(20, 10)));
    QVERIFY(f.ok());
    setPictureDirectory(f, elsewhere.path());
    Register r(f);
    r.form.show();
    if (where == "inside")
        r.files.push_back(inside);
    else if (where == "outside")
        r.files.push_back(outside);
    else
        r.files.push_back(std::nullopt);
    QTest::mouseClick(r.form.BitBtn1, Qt::LeftButton);
    QCOMPARE(r.dialogDirectories, QStringList{elsewhere.path()});
    const QString expected = where == "inside"    ? QStringLiteral("Billeder/ny.bmp")
                             : where == "outside" ? outside
                                                  : QStringLiteral("Billeder/gammel.jpg");
    QCOMPARE(f.storedActors().front().billedepath, expected);
    QTRY_COMPARE(r.form.Image1->picture().size(), where == "cancel" ? QSize(8, 8) : QSize(20, 10));
    QVERIFY(r.pictureShown());
    QVERIFY(f.messages.shown.empty());
}

void TestActorPictures::removePicture() {
    RegistersFixture f;
    put(f.programDir() + "Billeder", "a.jpg", samples::jpeg(QSize(8, 8)));
    f.addActor("Jens", "Olsen", "Billeder/a.jpg");
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTRY_VERIFY(r.pictureShown());
    QTest::mouseClick(r.form.BitBtn3, Qt::LeftButton);
    QCOMPARE(f.storedActors().front().billedepath, QString());
    QVERIFY(!r.pictureShown());
    QVERIFY(f.messages.shown.empty());
}

void TestActorPictures::scanCandidates_data() {
    QTest::addColumn<QString>("fornavn");
    QTest::addColumn<QString>("efternavn");
    QTest::addColumn<QStringList>("candidates");
    QTest::newRow("Jens Olsen") << "Jens"
                                << "Olsen" << QStringList{"OLSEN_JENS.JPG", "jenolsx.bmp"};
    QTest::newRow("Ib is too short") << "Ib"
                                     << "Olsen" << QStringList{};
    QTest::newRow("short last name") << "Jens"
                                     << "Ol" << QStringList{};
    QTest::newRow("Søren, only a-z capitalised") << "Søren"
                                                 << "Olsen" << QStringList{"søren_olsen.jpg"};
}

void TestActorPictures::scanCandidates() {
    QFETCH(QString, fornavn);
    QFETCH(QString, efternavn);
    QFETCH(QStringList, candidates);
    QTemporaryDir dir;
    for (const char* file :
         {"OLSEN_JENS.JPG", "jenolsx.bmp", "jens.jpeg", "olsen.jpg", "jens_olsen.png", "jens_olsen",
          "jens.olsen.jpg", "søren_olsen.jpg", "SØREN_OLSEN.JPG"})
        put(dir.path(), QString::fromUtf8(file), samples::jpeg(QSize(4, 4)));
    QDir(dir.path()).mkdir("jens_olsen.jpg"); // a directory is no candidate
    QStringList found = TSkuespillerForm::scanCandidates(dir.path(), fornavn, efternavn);
    found.sort();
    candidates.sort();
    QCOMPARE(found, candidates);
}

void TestActorPictures::scanAsksPerCandidate() {
    QTemporaryDir pictures;
    RegistersFixture f;
    for (const char* file : {"OLSEN_JENS.JPG", "jenolsx.bmp", "jens.jpeg", "olsen.jpg"})
        put(pictures.path(), QString::fromLatin1(file),
            QByteArray(file).endsWith("bmp") ? samples::bmp(QSize(6, 6))
                                             : samples::jpeg(QSize(6, 6)));
    const QString kept = put(pictures.path(), "anna.jpg", samples::jpeg(QSize(6, 6)));
    f.addActor("Anna", "Jensolsen", kept); // has a picture: not searched
    f.addActor("Ib", "Olsen");
    f.addActor("Jens", "Olsen");
    QVERIFY(f.ok());
    setPictureDirectory(f, pictures.path());
    Register r(f);
    r.form.show();
    f.messages.answers = {framework::MessageButton::No, framework::MessageButton::Yes};
    QTest::mouseClick(r.form.BitBtn4, Qt::LeftButton);

    QCOMPARE(int(f.messages.shown.size()), 2);
    QStringList askedFiles;
    for (const auto& question : f.messages.shown) {
        QCOMPARE(question.buttons,
                 std::vector<framework::MessageButton>(
                     {framework::MessageButton::Yes, framework::MessageButton::No}));
        const QString prefix = QStringLiteral("Tiljøj billede ");
        const QString suffix = QStringLiteral(" til skuespiller Jens Olsen");
        QVERIFY2(question.text.startsWith(prefix) && question.text.endsWith(suffix),
                 qPrintable(question.text));
        askedFiles << question.text.mid(prefix.size(),
                                        question.text.size() - prefix.size() - suffix.size());
    }
    QStringList sorted = askedFiles;
    sorted.sort();
    QCOMPARE(sorted, QStringList({"OLSEN_JENS.JPG", "jenolsx.bmp"}));

    for (const auto& actor : f.storedActors()) {
        if (actor.fornavn == "Jens")
            QCOMPARE(actor.billedepath, pictures.path() + u'/' + askedFiles.at(1));
        else if (actor.fornavn == "Ib")
            QCOMPARE(actor.billedepath, QString());
        else
            QCOMPARE(actor.billedepath, kept);
    }
    QCOMPARE(r.table().recNo(), 1);
}

// A picture directory below the program directory: the accepted file is stored relative.
void TestActorPictures::scanInsideProgramDirStoresRelativePath() {
    RegistersFixture f;
    put(f.programDir() + "Billeder", "Olsen Jens.jpg", samples::jpeg(QSize(12, 12)));
    f.addActor("Jens", "Olsen");
    QVERIFY(f.ok());
    setPictureDirectory(f, f.programDir() + "Billeder");
    Register r(f);
    r.form.show();
    f.messages.answers = {framework::MessageButton::Yes};
    r.form.BitBtn4Click();
    QCOMPARE(f.messages.texts(),
             QStringList{"Tiljøj billede Olsen Jens.jpg til skuespiller Jens Olsen"});
    QCOMPARE(f.storedActors().front().billedepath, "Billeder/Olsen Jens.jpg");
    QTRY_VERIFY(r.pictureShown());
}

void TestActorPictures::scanWithoutDirectory() {
    RegistersFixture f;
    f.addActor("Jens", "Olsen");
    QVERIFY(f.ok());
    setPictureDirectory(f, f.programDir() + "findes-ikke");
    Register r(f);
    r.form.show();
    r.form.BitBtn4Click();
    QVERIFY(f.messages.shown.empty());
    QCOMPARE(f.storedActors().front().billedepath, QString());
}

void TestActorPictures::clickShowsFullPicture() {
    QTemporaryDir elsewhere;
    RegistersFixture f;
    f.addActor("Jens", "Olsen", put(elsewhere.path(), "a.bmp", samples::bmp(QSize(300, 200))));
    QVERIFY(f.ok());
    Register r(f);
    r.form.show();
    QTRY_VERIFY(r.pictureShown());
    QSize shownPicture;
    QSize frameSize;
    QString title;
    whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<TFuldBilledeForm*>(modal);
        if (!window)
            return;
        shownPicture = window->Image1->picture().size();
        frameSize = window->frameGeometry().size();
        title = window->windowTitle();
        window->close();
    });
    QTest::mouseClick(r.form.Image1, Qt::LeftButton);
    QCOMPARE(title, "Vis billede");
    QCOMPARE(shownPicture, QSize(300, 200));
    QCOMPARE(frameSize, QSize(300, 200));
}

void TestActorPictures::fullPictureWindowStaysOnScreen() {
    TFuldBilledeForm window;
    const QSize available = window.screen()->availableGeometry().size();
    QCOMPARE(window.outerSizeFor(QSize(120, 80)), QSize(120, 80));
    const QSize huge(available.width() * 4, available.height() * 2);
    const QSize fitted = window.outerSizeFor(huge);
    QVERIFY(fitted.width() <= available.width() && fitted.height() <= available.height());
    QVERIFY(qAbs(double(fitted.width()) / fitted.height() - double(huge.width()) / huge.height()) <
            0.02);
    window.preparePicture(QImage(QSize(120, 80), QImage::Format_RGB32));
    const QRect screen = window.screen()->availableGeometry();
    QCOMPARE(window.geometry().center(), screen.center());
}

void TestActorPictures::pictureDialogFileTypes() {
    QTemporaryDir dir;
    const std::unique_ptr<QFileDialog> dialog = createPictureFileDialog(nullptr, dir.path());
    QCOMPARE(dialog->nameFilters(),
             QStringList({"All (*.jpeg;*.jpg;*.bmp;*.ico;*.emf;*.wmf)", "JPEG Image File (*.jpeg)",
                          "JPEG Image File (*.jpg)", "Bitmaps (*.bmp)", "Icons (*.ico)",
                          "Enhanced Metafiles (*.emf)", "Metafiles (*.wmf)"}));
    QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    auto* model = dialog->findChild<QFileSystemModel*>();
    QVERIFY(model);
    QCOMPARE(model->nameFilters(),
             QStringList({"*.jpeg", "*.jpg", "*.bmp", "*.ico", "*.emf", "*.wmf"}));
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
}

void TestActorPictures::pictureMessageOncePerMoveInRealBox_data() {
    QTest::addColumn<QString>("stored"); // below the program directory; "" for the full path
    QTest::addColumn<QString>("message");
    QTest::newRow("missing, relative path") << "Billeder/væk.jpg"
                                            << "Kan ikke finde billede.";
    QTest::newRow("missing, full path in the program directory") << ""
                                                                 << "Kan ikke finde billede.";
    QTest::newRow("damaged") << "Billeder/broken.jpg"
                             << "Kan ikke vise billedet ";
}

// A real box runs its own event loop while it is up; moving down the grid onto an actor
// whose picture cannot be shown still tells it once.
void TestActorPictures::pictureMessageOncePerMoveInRealBox() {
    QFETCH(QString, stored);
    QFETCH(QString, message);
    RegistersFixture f;
    put(f.programDir() + "Billeder", "broken.jpg", "this is no picture");
    f.addActor("Anna", "Berg");
    f.addActor("Jens", "Olsen", stored.isEmpty() ? f.programDir() + "Billeder/væk.jpg" : stored);
    QVERIFY(f.ok());
    const framework::ScopedMessageHandler realBoxes({});
    Register r(f);
    r.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&r.form));
    QStringList texts;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, [&texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        const QString text = box->text();
        box->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        texts << text;
    });
    answer.start();
    r.form.DBGrid1->setFocus();
    QTest::keyClick(r.form.DBGrid1, Qt::Key_Down);
    QCOMPARE(r.table().fieldByName("Fornavn").asString(), "Jens");
    QTRY_VERIFY(!texts.isEmpty());
    QTest::qWait(300); // a second box would come now
    answer.stop();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.front().startsWith(message), qPrintable(texts.front()));
    QVERIFY(!r.pictureShown());
}

QTEST_MAIN(TestActorPictures)
#include "tst_actor_pictures.moc"
