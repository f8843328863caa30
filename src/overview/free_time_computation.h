#pragma once

#include "free_time.h"
#include "tape_rows.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace engine {
class Table;
}

// The free-time computation of the tape overview, without any window: the free blocks of
// every tape become the sorted free-block entries (pass 1), and every entry becomes a row
// of its tape's segments (pass 2). The overview window shows what it returns.
namespace overview {

// A tape as the tapes table holds it.
struct FreeTimeTape {
    QString name;
    qint64 length = 0; // minutes
};

// A recording as the recordings table holds it.
struct FreeTimeRecording {
    QString tape;        // Baandnummer
    double start = 0;    // Starttid, a day fraction
    double tapeTime = 0; // SpilletidSP, a day fraction
    bool sp = false;     // Hastighed is exactly "SP"
    qint64 id = 0;       // VideoAutoInc
    QString title;       // Titel1
};

// The tapes in the tapes table's order and the recordings in the order of the index
// SecBaandnrStarttid (tape name, letter case ignored, then start time).
struct FreeTimeInput {
    std::vector<FreeTimeTape> tapes;
    std::vector<FreeTimeRecording> recordings;
};

// Reads the computation's input from the tapes table, in its order, and from a recordings
// table opened on the index SecBaandnrStarttid without a master link. Moves the
// recordings table; the tapes table stays where it is.
FreeTimeInput readFreeTimeInput(const engine::Table& tapes, engine::Table& recordings);

// Where the computation stands, for a progress bar.
struct FreeTimeProgress {
    // Pass 1 looks at the recordings of the tape at this record number (from 1).
    std::function<void(int recordNumber)> tapeRead;
    // Pass 2 starts: it builds rows at positions 0 to maximum.
    std::function<void(int maximum)> rowsStart;
    std::function<void(int position)> rowBuilt;
};

struct FreeTimeResult {
    // The free-block entries, sorted as the overview's list sorts them: each the free time
    // as hh:mm:ss followed by the tape's name.
    QStringList entries;
    // The longest tape, raised to the end of any recording past its tape's end.
    Minutes scaleMaximum = 0;
    // One row per entry, the largest free block first (no rows without a scale).
    TapeRows rows;
    // The tape (its 0-based row in the tapes table) that the last row shows; -1 when there
    // is no row.
    int lastRowTape = -1;
};

FreeTimeResult computeFreeTime(const FreeTimeInput& input, const FreeTimeProgress& progress = {});

} // namespace overview
