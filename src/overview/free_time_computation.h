#pragma once

#include "free_time.h"
#include "recording_labels.h"
#include "tape_rows.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace engine {
class Database;
class Table;
} // namespace engine

// The free-time computation of the tape overview, without any window: the free blocks of
// every tape become the sorted free-block entries (pass 1), and every entry becomes a row
// of its tape's segments (pass 2). The overview window shows what it returns.
namespace overview {

// A tape as the tapes table holds it.
struct FreeTimeTape {
    QString name;
    qint64 length = 0; // minutes
};

// Where a recording lies on its tape.
struct FreeTimeRecording {
    double start = 0;    // Starttid, a day fraction
    double tapeTime = 0; // SpilletidSP, a day fraction
};

// Recordings that follow each other in the index under one tape name, letter case ignored.
struct FreeTimeGroup {
    QString tape; // Baandnummer of the group's first recording
    std::size_t first = 0;
    std::size_t count = 0;
};

// The tapes in the tapes table's order and the recordings in the order of the index
// SecBaandnrStarttid (tape name, letter case ignored, then start time), grouped by tape
// name; recording r's speed is sp[r], its title and id label r.
struct FreeTimeInput {
    std::vector<FreeTimeTape> tapes;
    std::vector<FreeTimeGroup> groups;
    std::vector<FreeTimeRecording> recordings;
    std::vector<bool> sp; // Hastighed is exactly "SP"
    RecordingLabels labels;
};

// Reads the computation's input: the tapes from the tapes table, in its order (it stays
// where it is), and the recordings from the catalogue's recordings table, in one read in
// the order of the index SecBaandnrStarttid. Call inside a read transaction.
FreeTimeInput readFreeTimeInput(const engine::Table& tapes, engine::Database& catalogue);

// A free block of a tape: its free time in whole seconds (the entry's text cuts the rest)
// and the tape's number in the tapes table's order.
struct FreeBlock {
    int seconds = 0;
    std::uint32_t tape = 0;
};

// The free-block entries, sorted as the overview's list sorts them: each the free time as
// hh:mm:ss followed by the tape's name. Kept as numbers and made into text when asked for:
// a million entries as texts would take more memory than all the rows.
class FreeBlockEntries {
public:
    FreeBlockEntries() = default;
    FreeBlockEntries(std::vector<FreeBlock> blocks, std::vector<QString> tapeNames)
        : m_blocks(std::move(blocks)), m_tapeNames(std::move(tapeNames)) {}

    qsizetype size() const { return qsizetype(m_blocks.size()); }
    bool isEmpty() const { return m_blocks.empty(); }
    const FreeBlock& block(qsizetype index) const { return m_blocks[std::size_t(index)]; }
    QString text(qsizetype index) const;
    QStringList texts() const;

private:
    std::vector<FreeBlock> m_blocks;
    std::vector<QString> m_tapeNames;
};

// Where the computation stands, for a progress bar.
struct FreeTimeProgress {
    // Pass 1 looks at the recordings of the tape at this record number (from 1).
    std::function<void(int recordNumber)> tapeRead;
    // Pass 2 starts: it builds rows at positions 0 to maximum.
    std::function<void(int maximum)> rowsStart;
    std::function<void(int position)> rowBuilt;
};

struct FreeTimeResult {
    FreeBlockEntries entries;
    // The longest tape, raised to the end of any recording past its tape's end.
    Minutes scaleMaximum = 0;
    // One row per entry, the largest free block first (no rows without a scale).
    TapeRows rows;
    // The tape (its 0-based row in the tapes table) that the last row shows; -1 when there
    // is no row.
    int lastRowTape = -1;
};

// The rows take over the input's recording labels.
FreeTimeResult computeFreeTime(FreeTimeInput input, const FreeTimeProgress& progress = {});

} // namespace overview
