#pragma once

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "framework/message_box.h"
#include "message_log.h"
#include "shell/AboutFormUnit.h"
#include "shell/Spolebox.h"
#include "temp_catalogue.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <deque>
#include <functional>
#include <memory>

// Runs fn on the next modal window of type W, from a timer, so that a test can answer a
// dialog that exec() is about to show. The callback should close the window first.
template <typename W>
QPointer<QTimer> onNextModal(std::function<void(W*)> fn, int timeoutMs = 5000) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fn(w);
        } else if ((*waited += 10) > timeoutMs) {
            timer->deleteLater();
        }
    });
    timer->start();
    return timer;
}

// An actor appended to the catalogue, with its identity text filled in as the actor register
// does it; returns the actor's number.
inline qint64 appendActor(TempCatalogue& catalogue, const QString& fornavn,
                          const QString& efternavn, QVariantMap more = {}) {
    more.insert(QStringLiteral("Fornavn"), fornavn);
    more.insert(QStringLiteral("Efternavn"), efternavn);
    const qint64 id = catalogue.appendRow(schema::actors(), more);
    auto actors = catalogue.openTable(schema::actors());
    if (actors->locate(QStringLiteral("SkuespillerAutoInc"), id, false)) {
        actors->edit();
        actors->fieldByName(QStringLiteral("SkuespillerAutoIncStr"))
            .setAsString(QString::number(id));
        actors->post();
    }
    return id;
}

// A main window on a temporary catalogue, opened as the user sees it: shown, the catalogue
// opened by the search box's first focus, the closing about box answered with "Luk".
struct MainWindowFixture {
    explicit MainWindowFixture(TempCatalogue& catalogue, const QString& programDir = QString()) {
        MainFormOptions options;
        options.session = &catalogue.session();
        options.programDir = programDir.isEmpty() ? catalogue.directory() + u'/' : programDir;
        options.splashWaitMs = 0;
        options.instanceServerName =
            QStringLiteral("spolebox-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        form = std::make_unique<TMainForm>(options);
        QObject::connect(form.get(), &TMainForm::catalogueFailed, [this] { failed = true; });
        m_aboutAnswer =
            onNextModal<TAboutForm>([](TAboutForm* about) { about->LukButton->click(); });
        form->show();
        exposed = QTest::qWaitForWindowExposed(form.get());
    }

    // Waits until the catalogue is open and the about box has gone.
    bool waitOpened() {
        const bool opened = QTest::qWaitFor(
            [this] {
                return failed || (form->catalogueOpened() && !QApplication::activeModalWidget());
            },
            10000);
        if (!opened || failed || !exposed)
            return false;
        // The about box had the focus; the user is back in the main window.
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }

    TDataBox& box() { return *form->dataBox(); }
    engine::Table& recordings() { return box().VideoTable(); }

    ~MainWindowFixture() { delete m_aboutAnswer.data(); }

    std::unique_ptr<TMainForm> form;
    bool failed = false;
    bool exposed = false;

private:
    // Still waiting when the catalogue failed to open: it must not answer a later test's box.
    QPointer<QTimer> m_aboutAnswer;
};
