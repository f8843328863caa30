// The message proxy: the program's kinds of message as real boxes, the replaceable
// handler tests use, and the guard that keeps exceptions out of the event loop.
#include "engine/error.h"
#include "framework/error_display.h"
#include "framework/message_box.h"
#include "modal_box_answer.h"

#include <QTest>
#include <functional>
#include <stdexcept>

using framework::MessageButton;
using framework::MessageIcon;
using framework::MessageRequest;

Q_DECLARE_METATYPE(QMessageBox::Icon)

namespace {

// Each kind of message, shown through the convenience function; the answer as the
// program sees it ("true"/"false" for questions, "" for plain messages).
using Show = std::function<QString()>;

QString asText(bool answer) {
    return answer ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void realBoxes_data() {
        QTest::addColumn<Show>("show");
        QTest::addColumn<QString>("click"); // "" presses Escape
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<QString>("answer");

        const QString text = QStringLiteral("Bånd navn er ikke oprettet...");
        QTest::newRow("system error") << Show([=] {
            framework::systemError(text);
            return QString();
        }) << "OK"
                                      << "Fejl..." << text << QMessageBox::Warning
                                      << QStringList{"OK"} << "OK"
                                      << "";
        QTest::newRow("error") << Show([=] {
            framework::errorMessage(text);
            return QString();
        }) << "OK"
                               << "Error" << text << QMessageBox::Critical << QStringList{"OK"}
                               << "OK"
                               << "";
        QTest::newRow("error closed by Escape") << Show([=] {
            framework::errorMessage(text);
            return QString();
        }) << ""
                                                << "Error" << text << QMessageBox::Critical
                                                << QStringList{"OK"} << "OK"
                                                << "";
        QTest::newRow("error question Yes")
            << Show([=] { return asText(framework::errorQuestion(text)); }) << "Yes"
            << "Error" << text << QMessageBox::Critical << QStringList{"Yes", "No"} << "Yes"
            << "true";
        QTest::newRow("error question No")
            << Show([=] { return asText(framework::errorQuestion(text)); }) << "No"
            << "Error" << text << QMessageBox::Critical << QStringList{"Yes", "No"} << "Yes"
            << "false";
        QTest::newRow("error question Escape")
            << Show([=] { return asText(framework::errorQuestion(text)); }) << ""
            << "Error" << text << QMessageBox::Critical << QStringList{"Yes", "No"} << "Yes"
            << "false";
        QTest::newRow("notice") << Show([=] {
            framework::notice(text);
            return QString();
        }) << "OK"
                                << "OBS" << text << QMessageBox::Information << QStringList{"OK"}
                                << "OK"
                                << "";
        QTest::newRow("information") << Show([=] {
            framework::information(text);
            return QString();
        }) << "OK"
                                     << "Information" << text << QMessageBox::Information
                                     << QStringList{"OK"} << "OK"
                                     << "";
        QTest::newRow("delete record OK")
            << Show([] { return asText(framework::confirmDeleteRecord()); }) << "OK"
            << "Confirm"
            << "Delete record?" << QMessageBox::Question << QStringList{"OK", "Cancel"} << "OK"
            << "true";
        QTest::newRow("delete record Cancel")
            << Show([] { return asText(framework::confirmDeleteRecord()); }) << "Cancel"
            << "Confirm"
            << "Delete record?" << QMessageBox::Question << QStringList{"OK", "Cancel"} << "OK"
            << "false";
        QTest::newRow("delete record Escape")
            << Show([] { return asText(framework::confirmDeleteRecord()); }) << ""
            << "Confirm"
            << "Delete record?" << QMessageBox::Question << QStringList{"OK", "Cancel"} << "OK"
            << "false";
        const QString question = QStringLiteral("Ønsker du at slette denne post?");
        QTest::newRow("question Yes") << Show([=] {
            return asText(framework::askYesNo(QStringLiteral("Bekræft sletning"), question,
                                              MessageButton::No));
        }) << "Yes"
                                      << "Bekræft sletning" << question << QMessageBox::Question
                                      << QStringList{"Yes", "No"} << "No"
                                      << "true";
        QTest::newRow("question Escape") << Show([=] {
            return asText(framework::askYesNo(QStringLiteral("Bekræft sletning"), question,
                                              MessageButton::No));
        }) << ""
                                         << "Bekræft sletning" << question << QMessageBox::Question
                                         << QStringList{"Yes", "No"} << "No"
                                         << "false";
    }
    void realBoxes() {
        QFETCH(Show, show);
        QFETCH(QString, click);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QStringList, buttons);
        QFETCH(QString, defaultButton);
        QFETCH(QString, answer);
        std::shared_ptr<SeenBox> seen = answerNextBox(click);
        const QString result = show();
        QVERIFY(seen->seen);
        QCOMPARE(result, answer);
        QCOMPARE(seen->objectName, QStringLiteral("MessageBox"));
        QVERIFY(seen->applicationModal);
        QCOMPARE(seen->caption, caption);
        QCOMPARE(seen->text, text);
        QCOMPARE(seen->icon, icon);
        QStringList shownButtons = seen->buttons;
        shownButtons.sort();
        buttons.sort();
        QCOMPARE(shownButtons, buttons);
        QCOMPARE(seen->defaultButton, defaultButton);
    }

    void handlerReplacesTheBox() {
        std::vector<MessageRequest> shown;
        framework::MessageHandler previous =
            framework::setMessageHandler([&](const MessageRequest& r) {
                shown.push_back(r);
                return MessageButton::No;
            });
        QVERIFY(!previous); // the real box is the default
        QVERIFY(!framework::errorQuestion(QStringLiteral("Optagelsen er 5 minut(ter)...")));
        QVERIFY(!framework::askYesNo(QStringLiteral("c"), QStringLiteral("t"), MessageButton::No));
        QCOMPARE(shown.size(), std::size_t(2));
        QCOMPARE(shown[0].defaultButton, MessageButton::Yes);
        QCOMPARE(shown[1].caption, QStringLiteral("c"));
        QCOMPARE(shown[1].defaultButton, MessageButton::No);
        QVERIFY(framework::setMessageHandler(std::move(previous)));
    }

    void scopedHandlersNest() {
        QStringList log;
        {
            framework::ScopedMessageHandler outer([&](const MessageRequest& r) {
                log << QStringLiteral("outer ") + r.text;
                return MessageButton::Ok;
            });
            {
                framework::ScopedMessageHandler inner([&](const MessageRequest& r) {
                    log << QStringLiteral("inner ") + r.text;
                    return MessageButton::Cancel;
                });
                QVERIFY(!framework::confirmDeleteRecord());
            }
            QVERIFY(framework::confirmDeleteRecord());
        }
        QCOMPARE(log, (QStringList{"inner Delete record?", "outer Delete record?"}));
        // Back to the real box.
        std::shared_ptr<SeenBox> seen = answerNextBox(QStringLiteral("OK"));
        framework::notice(QStringLiteral("Ingen fundet"));
        QVERIFY(seen->seen);
    }

    void modalResultNumbers() {
        QCOMPARE(int(MessageButton::Ok), 1);
        QCOMPARE(int(MessageButton::Cancel), 2);
        QCOMPARE(int(MessageButton::Yes), 6);
        QCOMPARE(int(MessageButton::No), 7);
    }

    void guardedHandlers_data() {
        QTest::addColumn<std::function<void()>>("handler");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("runs to the end") << std::function<void()>([] {}) << true << QStringList{};
        QTest::newRow("silent abort")
            << std::function<void()>([] { engine::abort(); }) << false << QStringList{};
        QTest::newRow("engine error")
            << std::function<void()>([] { throw engine::Error(QStringLiteral("Fejl i båndet")); })
            << false << QStringList{"Fejl i båndet"};
        QTest::newRow("standard exception")
            << std::function<void()>([] { throw std::runtime_error("disk full"); }) << false
            << QStringList{"disk full"};
        QTest::newRow("anything else")
            << std::function<void()>([] { throw 42; }) << false << QStringList{"Unknown error"};
    }
    void guardedHandlers() {
        QFETCH(std::function<void()>, handler);
        QFETCH(bool, completed);
        QFETCH(QStringList, messages);
        std::vector<MessageRequest> shown;
        framework::ScopedMessageHandler record([&](const MessageRequest& r) {
            shown.push_back(r);
            return MessageButton::Ok;
        });
        QCOMPARE(framework::guarded(handler), completed);
        QStringList texts;
        for (const MessageRequest& r : shown) {
            texts << r.text;
            QCOMPARE(r.caption, QStringLiteral("Error"));
            QCOMPARE(r.icon, MessageIcon::Error);
        }
        QCOMPARE(texts, messages);
    }

    // An exception from a slot would otherwise leave through the event loop.
    void guardedSlotInEventLoop() {
        QStringList texts;
        framework::ScopedMessageHandler record([&](const MessageRequest& r) {
            texts << r.text;
            return MessageButton::Ok;
        });
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout,
                         framework::guardedSlot([] { throw engine::Error(QStringLiteral("x")); }));
        timer.start(0);
        QTRY_COMPARE(texts, QStringList{QStringLiteral("x")});
    }
};

QTEST_MAIN(MessageBoxTest)
#include "tst_message_box.moc"
