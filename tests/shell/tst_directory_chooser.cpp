// The directory chooser worked with the keyboard: Enter on a highlighted directory opens it,
// OK confirms the directory the label under the list shows.

#include "shell/VaelgKartotekUnit.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestDirectoryChooser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keys_data();
    void keys();
};

void TestDirectoryChooser::keys_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("chosen"); // below the start directory
    // Each starts with "beta" highlighted in the list, which has the focus.
    QTest::newRow("Enter opens, OK confirms")
        << QList<int>{Qt::Key_Return, Qt::Key_Tab, Qt::Key_Return} << true << "beta";
    QTest::newRow("Enter opens, Enter again opens the highlighted subdirectory")
        << QList<int>{Qt::Key_Return, Qt::Key_Down, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Space}
        << true << "beta/gamma";
    QTest::newRow("Enter on OK confirms the open directory, not the highlighted one")
        << QList<int>{Qt::Key_Tab, Qt::Key_Return} << true << "";
    QTest::newRow("Escape cancels") << QList<int>{Qt::Key_Return, Qt::Key_Escape} << false << "";
}

void TestDirectoryChooser::keys() {
    QFETCH(QList<int>, keys);
    QFETCH(bool, accepted);
    QFETCH(QString, chosen);
    QTemporaryDir root;
    const QString start = QDir(root.path()).canonicalPath();
    QVERIFY(QDir(start).mkpath(QStringLiteral("alpha")));
    QVERIFY(QDir(start).mkpath(QStringLiteral("beta/gamma")));
    TVaelgKartotekForm chooser;
    chooser.setDirectory(start);

    QString labelWhenClosed;
    bool closedEarly = false;
    QTimer::singleShot(0, &chooser, [&] {
        if (!QTest::qWaitForWindowActive(&chooser))
            return chooser.reject();
        QListWidget* list = chooser.DirectoryListBox1;
        list->setFocus(Qt::OtherFocusReason);
        while (!list->currentItem()->text().endsWith(QStringLiteral("beta")))
            QTest::keyClick(list, Qt::Key_Down);
        for (int key : keys) {
            QWidget* target = QApplication::focusWidget();
            if (!chooser.isVisible() || !target) {
                closedEarly = true;
                break;
            }
            labelWhenClosed = chooser.Label2->text();
            QTest::keyClick(target, Qt::Key(key));
        }
        if (chooser.isVisible())
            chooser.reject();
    });
    const int result = chooser.exec();
    QVERIFY(!closedEarly);
    QCOMPARE(result == QDialog::Accepted, accepted);
    if (accepted) {
        QCOMPARE(chooser.directory(), QDir::cleanPath(start + u'/' + chosen));
        QCOMPARE(chooser.directory(), labelWhenClosed);
    }
}

QTEST_MAIN(TestDirectoryChooser)
#include "tst_directory_chooser.moc"
