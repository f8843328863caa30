#pragma once

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/datetime.h"
#include "message_log.h"
#include "overview/BaandOversigtFormUnit.h"
#include "overview/ProgressBarFormUnit.h"
#include "temp_catalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <memory>
#include <vector>

// A tape time of whole minutes and seconds, as stored: a fraction of a day.
inline double minutes(int m, int s = 0) {
    return engine::msecsToTimeFraction((m * 60 + s) * 1000);
}

// Colours as stored: red in the lowest byte.
inline qint64 storedRgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

// A catalogue in a temporary folder, filled straight through the engine (past the
// recording rules, so that old data can be written too), and the overview computed on it
// by a data module opened as start-up opens it.
class OverviewFixture {
public:
    OverviewFixture() = default;
    // An overview released by openTapeOverview goes before the data module it reads.
    ~OverviewFixture() {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    OverviewFixture(const OverviewFixture&) = delete;
    OverviewFixture& operator=(const OverviewFixture&) = delete;

    void addTape(const QString& name, int length) {
        catalogue.appendRow(schema::tapes(), {{QStringLiteral("BaandNavn"), name},
                                              {QStringLiteral("Baandlaengde"), length}});
    }

    // A recording from start for tapeTime (day fractions) on the tape; returns its id.
    qint64 addRecording(const QString& tape, double start, double tapeTime,
                        const QString& speed = QStringLiteral("SP"),
                        const QString& title = QStringLiteral("Film")) {
        return catalogue.appendRow(schema::recordings(),
                                   {{QStringLiteral("Baandnummer"), tape},
                                    {QStringLiteral("Starttid"), start},
                                    {QStringLiteral("SpilletidSPLP"), tapeTime},
                                    {QStringLiteral("SpilletidSP"), tapeTime},
                                    {QStringLiteral("Hastighed"), speed},
                                    {QStringLiteral("Titel1"), title}});
    }

    void setColours(qint64 currentFree, qint64 otherFree, qint64 sp, qint64 lp) {
        catalogue.appendRow(schema::settings(), {{QStringLiteral("ColorAktuelFri"), currentFree},
                                                 {QStringLiteral("ColorFri"), otherFree},
                                                 {QStringLiteral("ColorFilmSP"), sp},
                                                 {QStringLiteral("ColorFilmLP"), lp}});
    }

    // Opens the data module and the settings table as start-up does, and creates the
    // progress window once. False when the catalogue would not open.
    bool open() {
        if (!catalogue.isValid())
            return false;
        const QString programDir =
            QDir::cleanPath(catalogue.directory() + QStringLiteral("/..")) + u'/';
        dataBox = std::make_unique<TDataBox>(catalogue.session(), programDir);
        if (!dataBox->opened())
            return false;
        dataBox->SystemTable().open();
        progress = std::make_unique<TProgressBarForm>();
        return true;
    }

    // A new overview window with its rows computed, not shown.
    TBaandOversigtForm& compute() {
        form = std::make_unique<TBaandOversigtForm>(*dataBox, *progress);
        form->startberegnpaneler();
        return *form;
    }

    const overview::TapeRows& rows() const { return form->rows(); }
    // A row as the window draws it.
    overview::OverviewRow row(int index) const { return form->rows().row(index); }
    std::vector<overview::OverviewRow> allRows() const {
        std::vector<overview::OverviewRow> all;
        for (int i = 0; i < form->rows().rowCount(); ++i)
            all.push_back(form->rows().row(i));
        return all;
    }

    TempCatalogue catalogue;
    std::unique_ptr<TDataBox> dataBox;
    std::unique_ptr<TProgressBarForm> progress;
    std::unique_ptr<TBaandOversigtForm> form;
    // Every message recorded and answered with its default button.
    MessageLog messages;
};

// A row's segments as "kind:start+length" words, for compact comparisons.
inline QString describe(const overview::OverviewRow& row) {
    QStringList words;
    for (const overview::Segment& s : row.segments)
        words << QStringLiteral("%1:%2+%3").arg(s.kind).arg(s.start).arg(s.length);
    return words.join(u' ');
}
