// The picture of the actor selected on the main window's cast page: where the file is
// found, how the picture is fitted into its frame, and what a missing, damaged or slow
// picture file does.

#include "../framework/crafted_pictures.h"
#include "../framework/process_children.h"
#include "cast_page_fixture.h"
#include "framework/db_edit.h"
#include "framework/db_navigator.h"
#include "framework/db_text.h"
#include "framework/image_control.h"
#include "registers/FuldBilledeUnit.h"

#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QToolButton>

using namespace castpage;

class TestCastPictures : public CastPageTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void picturePath_data();
    void picturePath();
    void picturePlacement_data();
    void picturePlacement();
    void missingPicture();
    void damagedPicture();
    void samePathHandledOnceUnlessRelative_data();
    void samePathHandledOnceUnlessRelative();
    void pictureClickShowsFullSize();
    void pictureMessageOncePerMoveInRealBox_data();
    void pictureMessageOncePerMoveInRealBox();
    void slowPictureDoesNotHoldTheWindow();
};

void TestCastPictures::picturePath_data() {
    QTest::addColumn<bool>("relative");
    QTest::newRow("relative to the program directory") << true;
    QTest::newRow("full path") << false;
}

void TestCastPictures::picturePath() {
    QFETCH(bool, relative);
    QTemporaryDir elsewhere;
    QString stored;
    QString file;
    if (relative) {
        stored = QStringLiteral("billeder/a.bmp");
        file = writePicture(programDir() + stored, QSize(33, 17));
    } else {
        file = writePicture(elsewhere.filePath("a.bmp"), QSize(33, 17));
        stored = file;
        // The same relative name under the program directory is not the one shown.
        writePicture(programDir() + elsewhere.filePath("a.bmp"), QSize(7, 7));
    }
    open({QStringLiteral("*3*")}, {{3, stored}});
    TMainForm& f = form();
    QTRY_VERIFY(!f.Image1->isHidden());
    QCOMPARE(f.Image1->picture().size(), QSize(33, 17));
    QCOMPARE(f.SidsteBilledepath, file);
}

void TestCastPictures::picturePlacement_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("330 x 136") << QSize(330, 136) << QRect(2, 49, 165, 68);
    QTest::newRow("100 x 200") << QSize(100, 200) << QRect(50, 15, 68, 136);
    QTest::newRow("small, enlarged") << QSize(10, 10) << QRect(16, 15, 136, 136);
}

void TestCastPictures::picturePlacement() {
    QFETCH(QSize, picture);
    QFETCH(QRect, geometry);
    writePicture(programDir() + "p.bmp", picture);
    open({QStringLiteral("*3*")}, {{3, QStringLiteral("p.bmp")}});
    TMainForm& f = form();
    QTRY_VERIFY(!f.Image1->isHidden());
    QCOMPARE(f.Image1->geometry(), geometry);
    QCOMPARE(f.Image1->picture().size(), picture);
}

void TestCastPictures::missingPicture() {
    writePicture(programDir() + "z.bmp", QSize(10, 10));
    open({QStringLiteral("*3*"), QStringLiteral("*12*")}, {{12, QStringLiteral("gone.bmp")}});
    TMainForm& f = form();
    QTRY_VERIFY(f.Image1->isHidden());
    MessageLog log;
    m_main->recordings().next();
    QCOMPARE(gridLastNames(), QStringList{"Andersen"});
    QTest::qWait(50);
    // Once for the move, however many notices it made.
    QCOMPARE(log.texts(), QStringList{"Kan ikke finde billede."});
    QCOMPARE(log.shown[0].caption, QStringLiteral("Fejl..."));
    QCOMPARE(log.shown[0].icon, framework::MessageIcon::Warning);
    QVERIFY(f.Image1->isHidden());
    // The grid and the dates work all the same.
    QCOMPARE(f.DBText3->text(), QString());
}

void TestCastPictures::damagedPicture() {
    QFile file(programDir() + "broken.jpg");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is no picture");
    file.close();
    MessageLog log;
    open({QStringLiteral("*3*")}, {{3, QStringLiteral("broken.jpg")}});
    TMainForm& f = form();
    QTRY_VERIFY(!log.shown.empty());
    QCOMPARE(log.shown[0].caption, QStringLiteral("Error"));
    QVERIFY(log.shown[0].text.contains(QStringLiteral("broken.jpg")));
    QVERIFY(f.Image1->isHidden());
    QCOMPARE(gridLastNames(), QStringList{"Zeuthen"});
}

void TestCastPictures::samePathHandledOnceUnlessRelative_data() {
    QTest::addColumn<bool>("relative");
    QTest::newRow("full path: kept") << false;
    QTest::newRow("relative path: handled again") << true;
}

void TestCastPictures::samePathHandledOnceUnlessRelative() {
    QFETCH(bool, relative);
    const QString file = writePicture(programDir() + "same.bmp", QSize(40, 20));
    const QString stored = relative ? QStringLiteral("same.bmp") : file;
    // Two recordings whose actors share one picture file.
    open({QStringLiteral("*3*"), QStringLiteral("*12*")}, {{3, stored}, {12, stored}});
    TMainForm& f = form();
    QTRY_VERIFY(!f.Image1->isHidden());
    QVERIFY(QFile::remove(file));
    MessageLog log;
    m_main->recordings().next();
    QCOMPARE(gridLastNames(), QStringList{"Andersen"});
    QTest::qWait(50);
    if (relative) {
        QCOMPARE(log.texts(), QStringList{"Kan ikke finde billede."});
        QVERIFY(f.Image1->isHidden());
    } else {
        // The remembered full path: nothing changes on the page.
        QCOMPARE(log.texts(), QStringList());
        QVERIFY(!f.Image1->isHidden());
        QCOMPARE(f.Image1->picture().size(), QSize(40, 20));
    }
}

void TestCastPictures::pictureClickShowsFullSize() {
    writePicture(programDir() + "stor.bmp", QSize(300, 200));
    open({QStringLiteral("*3*")}, {{3, QStringLiteral("stor.bmp")}});
    TMainForm& f = form();
    QTRY_VERIFY(!f.Image1->isHidden());
    QSize shown;
    QPointer<QTimer> answer = onNextModal<TFuldBilledeForm>([&](TFuldBilledeForm* w) {
        w->close();
        shown = w->Image1->picture().size();
    });
    QTest::mouseClick(f.Image1, Qt::LeftButton);
    delete answer.data();
    QCOMPARE(shown, QSize(300, 200));
}

void TestCastPictures::pictureMessageOncePerMoveInRealBox_data() {
    QTest::addColumn<QString>("stored"); // the picture path of the second recording's actor
    QTest::addColumn<QString>("message");
    QTest::newRow("missing, relative path") << "væk.bmp"
                                            << "Kan ikke finde billede.";
    QTest::newRow("missing, full path") << "/findes/ikke/væk.bmp"
                                        << "Kan ikke finde billede.";
    QTest::newRow("damaged") << "broken.jpg"
                             << "Kan ikke vise billedet ";
}

// A real box runs its own event loop while it is up: the move it reports must still be
// told once, and the editor must already show the recording moved to.
void TestCastPictures::pictureMessageOncePerMoveInRealBox() {
    QFETCH(QString, stored);
    QFETCH(QString, message);
    QFile broken(programDir() + "broken.jpg");
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("this is no picture");
    broken.close();
    open({QStringLiteral("*3*"), QStringLiteral("*12*")}, {{12, stored}});
    TMainForm& f = form();
    QTest::qWait(100);

    QStringList texts;
    QStringList titlesShown;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        const QString text = box->text();
        const QString title = f.Titel1Edit->text();
        box->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        texts << text;
        titlesShown << title;
    });
    answer.start();
    QTest::mouseClick(f.DBNavigator1->button(framework::DBNavigator::Next), Qt::LeftButton);
    QTRY_VERIFY(!texts.isEmpty());
    QTest::qWait(300); // a second box would come now
    answer.stop();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.front().startsWith(message), qPrintable(texts.front()));
    QCOMPARE(titlesShown, QStringList{"Optagelse 2"});
    QVERIFY(f.Image1->isHidden());
}

// A picture that takes long to decode (a large metafile) is decoded while the window goes
// on: the user moves on, the next actor's picture shows, and the first is dropped unheard.
void TestCastPictures::slowPictureDoesNotHoldTheWindow() {
    QVERIFY(
        samples::writeFile(programDir() + "stor.emf", crafted::largeEmf(QSize(800, 600), 1200000)));
    writePicture(programDir() + "lille.bmp", QSize(33, 17));
    MessageLog log;
    open({QStringLiteral("*3*"), QStringLiteral("*12*")},
         {{3, QStringLiteral("stor.emf")}, {12, QStringLiteral("lille.bmp")}});
    TMainForm& f = form();
    QTRY_COMPARE(childProcessesOfThisProcess().size(), 1); // the metafile is being decoded
    QTest::mouseClick(f.DBNavigator1->button(framework::DBNavigator::Next), Qt::LeftButton);
    QCOMPARE(f.Titel1Edit->text(), QStringLiteral("Optagelse 2"));
    QTRY_VERIFY(!f.Image1->isHidden());
    QCOMPARE(f.Image1->picture().size(), QSize(33, 17));
    QTRY_COMPARE(childProcessesOfThisProcess(), QList<qint64>());
    QCOMPARE(log.texts(), QStringList());
}

QTEST_MAIN(TestCastPictures)
#include "tst_cast_pictures.moc"
