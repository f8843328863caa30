// The two passes of the free-time computation: the free blocks of every tape become the
// sorted entries of ListBox1, and every entry becomes a row of segments.

#include "BaandOversigtFormUnit.h"
#include "ProgressBarFormUnit.h"
#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/database.h"
#include "engine/session.h"
#include "stored_colour.h"
#include "tape_rows_view.h"

#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QStringListModel>
#include <algorithm>

using overview::Minutes;

namespace {

const QString kCaption = QStringLiteral("Opretter skema");
const QString kComputing = QStringLiteral("Beregner fri tid");
const QString kBuilding = QStringLiteral("Opretter skema");
constexpr double kMinutesPerDay = 1440.0;

// VideoTable2 is open for one computation and closed afterwards, however it ends.
class OpenedFor {
public:
    explicit OpenedFor(engine::Table& table) : m_table(table) { m_table.open(); }
    ~OpenedFor() { m_table.close(); }
    OpenedFor(const OpenedFor&) = delete;
    OpenedFor& operator=(const OpenedFor&) = delete;

private:
    engine::Table& m_table;
};

// The progress window is hidden again, however the computation ends.
class ShownWhileComputing {
public:
    explicit ShownWhileComputing(TProgressBarForm& progress) : m_progress(progress) {}
    ~ShownWhileComputing() { m_progress.hide(); }
    ShownWhileComputing(const ShownWhileComputing&) = delete;
    ShownWhileComputing& operator=(const ShownWhileComputing&) = delete;

private:
    TProgressBarForm& m_progress;
};

// A bar maximum below 0 (no entries at all) is shown as 0.
void setBarMaximum(QProgressBar* bar, int maximum) {
    bar->setMaximum(std::max(maximum, 0));
}

} // namespace

void TBaandOversigtForm::startberegnpaneler() {
    engine::Table& tapes = m_dataBox.BaandTable();
    // Moving the tapes table ends a pending edit of it; do that before reading starts.
    tapes.checkBrowseMode();

    OpenedFor opened(m_videoTable2);
    ShownWhileComputing shown(m_progress);
    m_progress.setWindowTitle(kCaption);
    m_progress.Label4->setText(kComputing);
    m_progress.showAndPaint();
    setBarMaximum(m_progress.ProgressBar1, tapes.recordCount());

    m_entries.clear();
    m_scaleMaximum = 0;
    m_tapes.clear();
    m_recordings.clear();
    m_tapeByName.clear();

    // Every row is read inside one read transaction: the catalogue files are locked once
    // rather than for each row.
    m_dataBox.session().database(QString::fromUtf8(schema::kAlias))->transaction([&] {
        engine::Field& name = tapes.fieldByName(QStringLiteral("BaandNavn"));
        engine::Field& length = tapes.fieldByName(QStringLiteral("Baandlaengde"));
        tapes.first();
        m_videoTable2.first();
        while (!tapes.eof()) {
            TapeSlot tape;
            tape.name = name.asString();
            tape.length = length.asInteger();
            readTape(tape);
            m_tapeByName.emplace(tape.name, m_tapes.size());
            m_tapes.push_back(std::move(tape));
            // The master link moves VideoTable2 to the next tape's first recording.
            tapes.next();
        }
    });

    overview::sortEntries(m_entries);
    m_entryModel->setStringList(m_entries);
    startopretpaneler();
}

// Pass 1 for the tape on which BaandTable stands: its free blocks become entries, and its
// recordings are kept for pass 2.
void TBaandOversigtForm::readTape(TapeSlot& tape) {
    engine::Table& tapes = m_dataBox.BaandTable();
    engine::Field& start = m_videoTable2.fieldByName(QStringLiteral("Starttid"));
    engine::Field& tapeTime = m_videoTable2.fieldByName(QStringLiteral("SpilletidSP"));
    engine::Field& speed = m_videoTable2.fieldByName(QStringLiteral("Hastighed"));
    engine::Field& title = m_videoTable2.fieldByName(QStringLiteral("Titel1"));
    engine::Field& id = m_videoTable2.fieldByName(QStringLiteral("VideoAutoInc"));

    if (tape.length > m_scaleMaximum)
        m_scaleMaximum = Minutes(tape.length);
    tape.firstRecording = m_recordings.size();
    double end = 0.0;
    while (!m_videoTable2.eof()) {
        m_progress.ProgressBar1->setValue(tapes.recNo());
        RecordingSlot recording;
        recording.start = start.asFloat();
        recording.tapeTime = tapeTime.asFloat();
        recording.sp = speed.asString() == u"SP";
        recording.title = title.asString();
        recording.id = id.asInteger();

        // A recording that starts inside the one before (old data) leaves no free block.
        const double gap = recording.start - end;
        if (gap > 0) {
            const QString freeTime = overview::freeTimeText(gap);
            if (freeTime != overview::kNoFreeTime)
                m_entries << overview::freeBlockEntry(freeTime, tape.name);
        }
        end = std::max(end, recording.start + recording.tapeTime);
        m_recordings.push_back(std::move(recording));
        m_videoTable2.next();
    }
    tape.recordingCount = m_recordings.size() - tape.firstRecording;

    double finalGap = tape.length / kMinutesPerDay - end;
    if (finalGap < 0) {
        // The last recording runs past the end of its tape: every row gets its scale.
        const Minutes e = tapetime::minuteValue(end);
        if (e > m_scaleMaximum)
            m_scaleMaximum = e;
        finalGap = 0;
    }
    const QString freeTime = overview::freeTimeText(finalGap);
    if (freeTime != overview::kNoFreeTime)
        m_entries << overview::freeBlockEntry(freeTime, tape.name);
}

void TBaandOversigtForm::startopretpaneler() {
    m_progress.setWindowTitle(kCaption);
    m_progress.Label4->setText(kBuilding);
    m_progress.ProgressBar1->setValue(0);
    m_progress.paintNow();

    m_rows.clear();
    m_rows.setScaleMaximum(m_scaleMaximum);
    engine::Table& settings = m_dataBox.SystemTable();
    m_rows.setKindColour(overview::kCurrentFree,
                         overview::settingsColour(settings, QStringLiteral("ColorAktuelFri")));
    m_rows.setKindColour(overview::kOtherFree,
                         overview::settingsColour(settings, QStringLiteral("ColorFri")));
    m_rows.setKindColour(overview::kRecordingSP,
                         overview::settingsColour(settings, QStringLiteral("ColorFilmSP")));
    m_rows.setKindColour(overview::kRecordingLP,
                         overview::settingsColour(settings, QStringLiteral("ColorFilmLP")));

    const int n = int(m_entries.size());
    const int barMaximum = n - 1;
    setBarMaximum(m_progress.ProgressBar1, barMaximum);
    // Without a scale there is nothing to draw the rows on: the overview stays empty.
    const TapeSlot* lastTape = nullptr;
    if (m_scaleMaximum > 0) {
        int rowTop = 0;
        for (int i = n - 1; i >= 0; --i) {
            m_progress.ProgressBar1->setValue(barMaximum - i);
            const QString& entry = m_entries.at(i);
            // Found always: every entry names a tape of the first pass.
            const TapeSlot* tape = tapeNamed(overview::entryTapeName(entry));
            if (!tape)
                continue;
            buildRow(*tape, overview::entryFreeLabel(entry), rowTop);
            lastTape = tape;
            rowTop += overview::kRowPitch;
        }
    }
    RowsView->rowsChanged();

    // The tapes table is left on the tape of the last row, as a locate there would leave it.
    if (lastTape)
        m_dataBox.BaandTable().setRecNo(int(lastTape - m_tapes.data()) + 1);
    m_currentRecording = nullptr;
    m_tapes.clear();
    m_tapes.shrink_to_fit();
    m_recordings.clear();
    m_recordings.shrink_to_fit();
    m_tapeByName.clear();
}

// The first tape of that name, letter case ignored, as a locate in BaandTable finds it.
const TBaandOversigtForm::TapeSlot* TBaandOversigtForm::tapeNamed(const QString& name) const {
    const auto it = m_tapeByName.find(name);
    return it == m_tapeByName.end() ? nullptr : &m_tapes[it->second];
}

// Pass 2 for one entry: the tape's segments in tape order, the free block of the row's
// own length (in hh:mm) as the current one.
void TBaandOversigtForm::buildRow(const TapeSlot& tape, const QString& freeLabel, int rowTop) {
    m_rows.startRow(rowTop, tape.name, freeLabel, ScrollBox->width());
    auto freeKind = [&](int minutes) {
        return overview::minutesText(minutes) == freeLabel ? overview::kCurrentFree
                                                           : overview::kOtherFree;
    };
    int pos = 0;
    for (std::size_t k = 0; k < tape.recordingCount; ++k) {
        const RecordingSlot& recording = m_recordings[tape.firstRecording + k];
        const Minutes s = tapetime::minuteValue(recording.start);
        const Minutes l = tapetime::minuteValue(recording.tapeTime);
        const int g = s - pos;
        if (g > 0)
            opretpanel(freeKind(g), Minutes(pos), Minutes(g));
        m_currentRecording = &recording;
        opretpanel(recording.sp ? overview::kRecordingSP : overview::kRecordingLP, s, l);
        // A recording inside the one before (old data) does not move the end back.
        pos = std::max(pos, s + l);
    }
    m_currentRecording = nullptr;
    const int g = tape.length > pos ? int(tape.length) - pos : 0;
    if (g > 0)
        opretpanel(freeKind(g), Minutes(pos), Minutes(g));
}
