#pragma once

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/datetime.h"
#include "engine/error.h"
#include "engine/table.h"
#include "message_log.h"
#include "temp_catalogue.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <memory>

// A data module on an empty temporary catalogue, with helpers to fill it.
class DataboxFixture {
public:
    DataboxFixture() {
        if (catalogue.isValid())
            box = std::make_unique<TDataBox>(catalogue.session(), programDir());
    }
    // Check first in every test: QVERIFY(f.ok()).
    bool ok() const { return box && box->opened(); }

    // The catalogue's DATA folder lies in the "program directory".
    QString programDir() const {
        return QDir::cleanPath(catalogue.directory() + QStringLiteral("/..")) + u'/';
    }

    TempCatalogue catalogue;
    MessageLog messages;
    std::unique_ptr<TDataBox> box;

    engine::Table& video() { return box->VideoTable(); }
    engine::Table& tapes() { return box->BaandTable(); }

    void addTape(const QString& name, int length) {
        tapes().append();
        tapes().fieldByName(QStringLiteral("BaandNavn")).setAsString(name);
        tapes().fieldByName(QStringLiteral("Baandlaengde")).setAsInteger(length);
        tapes().post();
    }

    // Starts a new recording in VideoTable without posting it.
    void startRecording(const QString& tape, const QString& start, const QString& playing,
                        const QString& speed = QStringLiteral("SP")) {
        video().append();
        setTimes(tape, start, playing, speed);
    }

    void setTimes(const QString& tape, const QString& start, const QString& playing,
                  const QString& speed = QStringLiteral("SP")) {
        if (!video().isEditing())
            video().edit();
        video().fieldByName(QStringLiteral("Baandnummer")).setAsString(tape);
        video().fieldByName(QStringLiteral("Starttid")).setText(start);
        video().fieldByName(QStringLiteral("SpilletidSPLP")).setText(playing);
        video().fieldByName(QStringLiteral("Hastighed")).setAsString(speed);
    }

    // Posts through the rules; true when the post went through, false when refused.
    bool post() {
        try {
            video().post();
            return true;
        } catch (const engine::Abort&) {
            return false;
        }
    }

    // A recording posted through the rules (messages answered by default); its id.
    qint64 addRecording(const QString& tape, const QString& start, const QString& playing,
                        const QString& speed = QStringLiteral("SP")) {
        startRecording(tape, start, playing, speed);
        if (!post())
            return 0;
        return video().fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
    }

    // A recording written straight into the table, past the rules; the module re-reads.
    qint64 writeRecording(const QVariantMap& values) {
        const qint64 id = catalogue.appendRow(schema::recordings(), values);
        video().refresh();
        return id;
    }

    QString field(const QString& name) { return video().fieldByName(name).asString(); }
    double timeOf(const QString& name) { return video().fieldByName(name).asFloat(); }
};

// Times as stored: whole minutes and seconds of a day.
inline double hms(int h, int m, int s = 0) {
    return engine::msecsToTimeFraction((h * 3600 + m * 60 + s) * 1000);
}
