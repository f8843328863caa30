#include "free_time_computation.h"

#include "data/schema.h"
#include "data/tape_time.h"
#include "engine/collation.h"
#include "engine/database.h"
#include "engine/table.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace overview {

namespace {

constexpr double kMinutesPerDay = 1440.0;

// Where the recordings of one tape lie among all recordings.
struct RecordingRange {
    std::size_t first = 0;
    std::size_t count = 0;
};

// A tape with its recordings.
struct TapeSlot {
    const FreeTimeTape* tape = nullptr;
    RecordingRange recordings;
    std::size_t located = 0; // the first tape of this name, letter case ignored
};

class Computation {
public:
    Computation(FreeTimeInput& input, const FreeTimeProgress& progress)
        : m_input(input), m_progress(progress) {}

    FreeTimeResult run() {
        rankNames();
        readTapes();
        // The list sorts its entries: ascending, letter case ignored. Every entry begins
        // with the fixed-width free time, so that is by the time and then by the name.
        std::stable_sort(
            m_blocks.begin(), m_blocks.end(), [this](const FreeBlock& a, const FreeBlock& b) {
                return a.seconds != b.seconds ? a.seconds < b.seconds
                                              : m_nameRank[a.tape] < m_nameRank[b.tape];
            });
        std::vector<QString> names;
        names.reserve(m_input.tapes.size());
        for (const FreeTimeTape& tape : m_input.tapes)
            names.push_back(tape.name);
        m_result.entries = FreeBlockEntries(std::move(m_blocks), std::move(names));
        buildRows();
        m_result.rows.setRecordingLabels(std::move(m_input.labels));
        return std::move(m_result);
    }

private:
    // Each tape's place among all tape names in the list's order, names equal but for
    // letter case in the same place: the entries then sort on numbers.
    void rankNames() {
        const std::vector<FreeTimeTape>& tapes = m_input.tapes;
        std::vector<std::size_t> order(tapes.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&tapes](std::size_t a, std::size_t b) {
            return engine::danishCompare(tapes[a].name, tapes[b].name) < 0;
        });
        m_nameRank.assign(tapes.size(), 0);
        int rank = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && engine::danishCompare(tapes[order[i - 1]].name, tapes[order[i]].name) != 0)
                ++rank;
            m_nameRank[order[i]] = rank;
        }
    }

    // Pass 1 over the tapes in their order: the free blocks of every tape become entries,
    // and the scale maximum grows to the longest tape and any overrun.
    void readTapes() {
        // The rows of a group are those a master link on the tapes table gives the tape of
        // that name, in start-time order.
        std::map<QString, RecordingRange, TapeNameLess> groups;
        for (const FreeTimeGroup& group : m_input.groups)
            groups.emplace(group.tape, RecordingRange{group.first, group.count});
        // Pass 2 finds a tape by its name as a locate in the tapes table would: the first
        // tape of that name, letter case ignored.
        std::map<QString, std::size_t, TapeNameLess> firstOfName;
        m_tapes.reserve(m_input.tapes.size());
        for (const FreeTimeTape& tape : m_input.tapes) {
            TapeSlot slot;
            slot.tape = &tape;
            slot.located = firstOfName.emplace(tape.name, m_tapes.size()).first->second;
            if (const auto group = groups.find(tape.name); group != groups.end())
                slot.recordings = group->second;
            m_tapes.push_back(slot);
            // The bar stands on the tape's record number while its recordings are looked at.
            if (slot.recordings.count > 0 && m_progress.tapeRead)
                m_progress.tapeRead(int(m_tapes.size()));
            readTape(m_tapes.size() - 1);
        }
    }

    // The free blocks of one tape.
    void readTape(std::size_t index) {
        const TapeSlot& slot = m_tapes[index];
        const qint64 length = slot.tape->length;
        if (length > m_result.scaleMaximum)
            m_result.scaleMaximum = Minutes(length);
        double end = 0.0;
        for (std::size_t k = 0; k < slot.recordings.count; ++k) {
            const FreeTimeRecording& recording = m_input.recordings[slot.recordings.first + k];
            // A recording that starts inside the one before (old data) leaves no free block.
            const double gap = recording.start - end;
            if (gap > 0)
                addEntry(freeTimeMilliseconds(gap), index);
            end = std::max(end, recording.start + recording.tapeTime);
        }

        double finalGap = length / kMinutesPerDay - end;
        if (finalGap < 0) {
            // The last recording runs past the end of its tape: every row gets its scale.
            const Minutes e = tapetime::minuteValue(end);
            if (e > m_result.scaleMaximum)
                m_result.scaleMaximum = e;
            finalGap = 0;
        }
        addEntry(freeTimeMilliseconds(finalGap), index);
    }

    // An entry for a free time of ms milliseconds, unless it is under a second.
    void addEntry(int ms, std::size_t tape) {
        if (ms < 1000)
            return;
        m_blocks.push_back({ms / 1000, std::uint32_t(tape)});
    }

    // Pass 2: the entries from the last (the largest free block) to the first, each a row
    // of its tape; the rows of one tape share its segments.
    void buildRows() {
        const int n = int(m_result.entries.size());
        const int barMaximum = n - 1;
        if (m_progress.rowsStart)
            m_progress.rowsStart(barMaximum);
        TapeRows& rows = m_result.rows;
        rows.setScaleMaximum(m_result.scaleMaximum);
        // Without a scale there is nothing to draw the rows on: the overview stays empty.
        if (m_result.scaleMaximum == 0)
            return;
        std::vector<int> shown(m_tapes.size(), -1); // each tape's segments in the rows
        for (int i = n - 1; i >= 0; --i) {
            if (m_progress.rowBuilt)
                m_progress.rowBuilt(barMaximum - i);
            const FreeBlock& entry = m_result.entries.block(i);
            // The tape a locate by the entry's tape name finds.
            const std::size_t tape = m_tapes[entry.tape].located;
            if (shown[tape] < 0)
                shown[tape] = addSegments(m_tapes[tape]);
            // The row's label is the hh:mm of its entry.
            rows.addRow(shown[tape], entry.seconds / 60);
            m_result.lastRowTape = int(tape);
        }
    }

    // A tape's segments in tape order: its recordings and the free blocks between them.
    int addSegments(const TapeSlot& slot) {
        TapeRows& rows = m_result.rows;
        const int tape = rows.addTape(slot.tape->name, slot.recordings.first);
        int pos = 0;
        for (std::size_t k = 0; k < slot.recordings.count; ++k) {
            const FreeTimeRecording& recording = m_input.recordings[slot.recordings.first + k];
            const Minutes s = tapetime::minuteValue(recording.start);
            const Minutes l = tapetime::minuteValue(recording.tapeTime);
            const int g = s - pos;
            if (g > 0)
                rows.addFree(Minutes(pos), Minutes(g));
            rows.addRecording(m_input.sp[slot.recordings.first + k], s, l);
            // A recording inside the one before (old data) does not move the end back.
            pos = std::max(pos, s + l);
        }
        const int g = slot.tape->length > pos ? int(slot.tape->length) - pos : 0;
        if (g > 0)
            rows.addFree(Minutes(pos), Minutes(g));
        return tape;
    }

    FreeTimeInput& m_input;
    const FreeTimeProgress& m_progress;
    std::vector<TapeSlot> m_tapes;
    std::vector<FreeBlock> m_blocks; // the entries, sorted into the list's order
    std::vector<int> m_nameRank;     // by tape
    FreeTimeResult m_result;
};

} // namespace

QString FreeBlockEntries::text(qsizetype index) const {
    const FreeBlock& entry = block(index);
    return freeBlockEntry(freeTimeTextOfMsecs(entry.seconds * 1000), m_tapeNames[entry.tape]);
}

QStringList FreeBlockEntries::texts() const {
    QStringList all;
    all.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        all << text(i);
    return all;
}

FreeTimeInput readFreeTimeInput(const engine::Table& tapes, engine::Database& catalogue) {
    FreeTimeInput input;
    const int nameField = tapes.fieldIndex(QStringLiteral("BaandNavn"));
    const int lengthField = tapes.fieldIndex(QStringLiteral("Baandlaengde"));
    const int tapeCount = tapes.recordCount();
    input.tapes.reserve(std::size_t(tapeCount));
    for (int row = 0; row < tapeCount; ++row) {
        input.tapes.push_back({tapes.rowValue(row, nameField).toString(),
                               tapes.rowValue(row, lengthField).toLongLong()});
    }

    // The recordings in one statement, in the order a table opened on the index reads
    // them, each value read as its field holds it. The values are taken as SQLite holds
    // them: a million recordings would otherwise cost several million short-lived strings.
    engine::Statement& st = catalogue.cached(
        QStringLiteral("SELECT Baandnummer, Starttid, SpilletidSP, Hastighed, VideoAutoInc, Titel1 "
                       "FROM %1 ORDER BY Baandnummer COLLATE DANISH, Starttid, rowid")
            .arg(catalogue.table(schema::recordings().fileName).qualifiedName()));
    engine::StatementUse use(st);
    // The index puts names equal but for letter case together: a group runs until a name
    // that differs from the one before it in more than that.
    std::string lastName;
    while (st.step()) {
        const std::string_view name = st.utf8(0);
        if (input.groups.empty() ||
            (name != lastName && engine::danishCompareUtf8(name, lastName) != 0)) {
            input.groups.push_back({QString::fromUtf8(name.data(), qsizetype(name.size())),
                                    input.recordings.size(), 0});
        }
        if (name != lastName)
            lastName.assign(name);
        ++input.groups.back().count;
        input.recordings.push_back({st.real(1), st.real(2)});
        input.sp.push_back(st.utf8(3) == "SP");
        input.labels.append(st.utf8(5), st.int64(4));
    }
    input.labels.squeeze();
    return input;
}

FreeTimeResult computeFreeTime(FreeTimeInput input, const FreeTimeProgress& progress) {
    return Computation(input, progress).run();
}

} // namespace overview
