// The two passes of the free-time computation: the free blocks of every tape become the
// sorted entries of ListBox1, and every entry becomes a row of segments.

#include "BaandOversigtFormUnit.h"
#include "ProgressBarFormUnit.h"
#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/collation.h"
#include "engine/database.h"
#include "engine/session.h"
#include "stored_colour.h"
#include "tape_rows_view.h"

#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QStringListModel>
#include <algorithm>
#include <map>

using overview::Minutes;

namespace {

const QString kCaption = QStringLiteral("Opretter skema");
const QString kComputing = QStringLiteral("Beregner fri tid");
const QString kBuilding = QStringLiteral("Opretter skema");
const QString kMasterField = QStringLiteral("BaandNavn");
constexpr double kMinutesPerDay = 1440.0;

// VideoTable2 follows BaandTable tape by tape: read that way, 10,000 tapes cost 10,000
// re-queries. For the computation it is opened without its master link and read once in
// the order of the same index; grouped by tape name as the link compares names, every tape
// gets exactly the rows the link would give it. Closed and linked again however it ends.
class OpenedWhole {
public:
    OpenedWhole(engine::Table& table, engine::Table& master, const QString& masterField)
        : m_table(table), m_master(master), m_masterField(masterField) {
        m_table.setMasterLink(nullptr, QString());
        try {
            m_table.open();
        } catch (...) {
            m_table.setMasterLink(&m_master, m_masterField);
            throw;
        }
    }
    ~OpenedWhole() {
        m_table.close();
        m_table.setMasterLink(&m_master, m_masterField);
    }
    OpenedWhole(const OpenedWhole&) = delete;
    OpenedWhole& operator=(const OpenedWhole&) = delete;

private:
    engine::Table& m_table;
    engine::Table& m_master;
    QString m_masterField;
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
    // Reading ends a pending edit of the tapes table first, as moving it would.
    tapes.checkBrowseMode();

    ShownWhileComputing shown(m_progress);
    m_progress.setWindowTitle(kCaption);
    m_progress.Label4->setText(kComputing);
    m_progress.showAndPaint();
    setBarMaximum(m_progress.ProgressBar1, tapes.recordCount());

    m_entries.clear();
    m_pending.clear();
    m_scaleMaximum = 0;
    m_tapes.clear();
    m_recordings.clear();
    m_rows.clear();

    // Every row is read inside one read transaction: the catalogue files are locked once
    // rather than for each row.
    m_dataBox.session().database(QString::fromUtf8(schema::kAlias))->transaction([&] {
        OpenedWhole opened(m_videoTable2, tapes, kMasterField);
        const RecordingGroups groups = readRecordings();
        readTapes(groups);
    });

    // ListBox1 sorts its entries.
    std::stable_sort(m_pending.begin(), m_pending.end(),
                     [](const PendingEntry& a, const PendingEntry& b) {
                         return overview::entryLess(a.text, b.text);
                     });
    m_entries.reserve(qsizetype(m_pending.size()));
    for (const PendingEntry& entry : m_pending)
        m_entries << entry.text;
    m_entryModel->setStringList(m_entries);
    startopretpaneler();
}

// All recordings in the order of SecBaandnrStarttid, grouped by tape name: the rows of a
// group are those the master link gives the tape of that name, in Starttid order.
TBaandOversigtForm::RecordingGroups TBaandOversigtForm::readRecordings() {
    engine::Field& tape = m_videoTable2.fieldByName(QStringLiteral("Baandnummer"));
    engine::Field& start = m_videoTable2.fieldByName(QStringLiteral("Starttid"));
    engine::Field& tapeTime = m_videoTable2.fieldByName(QStringLiteral("SpilletidSP"));
    engine::Field& speed = m_videoTable2.fieldByName(QStringLiteral("Hastighed"));
    engine::Field& title = m_videoTable2.fieldByName(QStringLiteral("Titel1"));
    engine::Field& id = m_videoTable2.fieldByName(QStringLiteral("VideoAutoInc"));

    RecordingGroups groups;
    std::vector<overview::RecordingLabel> labels;
    labels.reserve(std::size_t(m_videoTable2.recordCount()));
    m_recordings.reserve(std::size_t(m_videoTable2.recordCount()));
    RecordingRange* group = nullptr;
    QString groupName;
    for (m_videoTable2.first(); !m_videoTable2.eof(); m_videoTable2.next()) {
        const QString name = tape.asString();
        // Names equal but for letter case lie together in the index.
        if (!group || (name != groupName && engine::danishCompare(name, groupName) != 0)) {
            groupName = name;
            group = &groups.emplace(name, RecordingRange{m_recordings.size(), 0}).first->second;
        }
        RecordingSlot recording;
        recording.start = start.asFloat();
        recording.tapeTime = tapeTime.asFloat();
        recording.sp = speed.asString() == u"SP";
        m_recordings.push_back(recording);
        labels.push_back({title.asString(), id.asInteger()});
        ++group->count;
    }
    m_rows.setRecordings(std::move(labels));
    return groups;
}

// Pass 1 over the tapes in BaandTable's order: the free blocks of every tape become
// entries, and the scale maximum grows to the longest tape and any overrun.
void TBaandOversigtForm::readTapes(const RecordingGroups& groups) {
    engine::Table& tapes = m_dataBox.BaandTable();
    const int nameField = tapes.fieldIndex(QStringLiteral("BaandNavn"));
    const int lengthField = tapes.fieldIndex(QStringLiteral("Baandlaengde"));
    // Pass 2 finds a tape by its name as a locate in BaandTable would: the first tape of
    // that name, letter case ignored.
    std::map<QString, std::size_t, overview::TapeNameLess> firstOfName;
    const int count = tapes.recordCount();
    m_tapes.reserve(std::size_t(count));
    for (int row = 0; row < count; ++row) {
        TapeSlot tape;
        tape.name = tapes.rowValue(row, nameField).toString();
        tape.length = tapes.rowValue(row, lengthField).toLongLong();
        tape.located = firstOfName.emplace(tape.name, m_tapes.size()).first->second;
        if (const auto group = groups.find(tape.name); group != groups.end())
            tape.recordings = group->second;
        m_tapes.push_back(std::move(tape));
        // The bar stands on the tape's record number while its recordings are looked at.
        if (m_tapes.back().recordings.count > 0)
            m_progress.ProgressBar1->setValue(row + 1);
        readTape(m_tapes.back());
    }
}

// The free blocks of one tape.
void TBaandOversigtForm::readTape(const TapeSlot& tape) {
    if (tape.length > m_scaleMaximum)
        m_scaleMaximum = Minutes(tape.length);
    double end = 0.0;
    for (std::size_t k = 0; k < tape.recordings.count; ++k) {
        const RecordingSlot& recording = m_recordings[tape.recordings.first + k];
        // A recording that starts inside the one before (old data) leaves no free block.
        const double gap = recording.start - end;
        if (gap > 0) {
            const QString freeTime = overview::freeTimeText(gap);
            if (freeTime != overview::kNoFreeTime)
                addEntry(freeTime, tape);
        }
        end = std::max(end, recording.start + recording.tapeTime);
    }

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
        addEntry(freeTime, tape);
}

void TBaandOversigtForm::addEntry(const QString& freeTime, const TapeSlot& tape) {
    m_pending.push_back(
        {overview::freeBlockEntry(freeTime, tape.name), std::size_t(&tape - m_tapes.data())});
}

void TBaandOversigtForm::startopretpaneler() {
    m_progress.setWindowTitle(kCaption);
    m_progress.Label4->setText(kBuilding);
    m_progress.ProgressBar1->setValue(0);
    m_progress.paintNow();

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
            const PendingEntry& entry = m_pending[std::size_t(i)];
            // The tape a locate by the entry's tape name finds.
            const TapeSlot* tape = &m_tapes[m_tapes[entry.tape].located];
            buildRow(*tape, overview::entryFreeLabel(entry.text), rowTop);
            lastTape = tape;
            rowTop += overview::kRowPitch;
        }
    }
    RowsView->rowsChanged();

    // The tapes table is left where the walk through it and the locates would leave it:
    // on the tape of the last row built, or else on its last tape.
    if (lastTape)
        m_dataBox.BaandTable().setRecNo(int(lastTape - m_tapes.data()) + 1);
    else
        m_dataBox.BaandTable().last();
    m_currentRecording = -1;
    m_tapes.clear();
    m_tapes.shrink_to_fit();
    m_recordings.clear();
    m_recordings.shrink_to_fit();
    m_pending.clear();
    m_pending.shrink_to_fit();
}

// Pass 2 for one entry: the tape's segments in tape order, the free block of the row's
// own length (in hh:mm) as the current one.
void TBaandOversigtForm::buildRow(const TapeSlot& tape, const QString& freeLabel, int rowTop) {
    m_rows.startRow(rowTop, tape.name, freeLabel, ScrollBox->width(),
                    2 * tape.recordings.count + 1);
    // A free block is the current one when its minutes text is the row's label.
    const int labelMinutes = overview::minutesOfText(freeLabel);
    auto freeKind = [&](int minutes) {
        return minutes == labelMinutes ? overview::kCurrentFree : overview::kOtherFree;
    };
    int pos = 0;
    for (std::size_t k = 0; k < tape.recordings.count; ++k) {
        const RecordingSlot& recording = m_recordings[tape.recordings.first + k];
        const Minutes s = tapetime::minuteValue(recording.start);
        const Minutes l = tapetime::minuteValue(recording.tapeTime);
        const int g = s - pos;
        if (g > 0)
            opretpanel(freeKind(g), Minutes(pos), Minutes(g));
        m_currentRecording = int(tape.recordings.first + k);
        opretpanel(recording.sp ? overview::kRecordingSP : overview::kRecordingLP, s, l);
        // A recording inside the one before (old data) does not move the end back.
        pos = std::max(pos, s + l);
    }
    m_currentRecording = -1;
    const int g = tape.length > pos ? int(tape.length) - pos : 0;
    if (g > 0)
        opretpanel(freeKind(g), Minutes(pos), Minutes(g));
}
