#pragma once

#include <QString>

// A synthetic catalogue of any size, for trying the program on a large collection and for
// the benchmarks and tests that need one. Everything in it is valid by the program's own
// rules: every recording names a registered tape (now and then in other letter case, as
// users type it), its tape time is derived from its playing time and speed as a post
// derives it, no two recordings of a tape overlap and none runs past its tape's end; cast
// lists name existing actors, recordings name existing categories and groups, and every
// text fits its field. The same size and seed give the same catalogue.
namespace generator {

struct CatalogueSize {
    int recordings = 100000;
    int tapes = 0;  // 0: one tape for every ten recordings (at least one)
    int actors = 0; // 0: one actor for every ten recordings (at least one)
    // Out of 100 recordings, how many leave a few free minutes before them; 100 gives
    // every tape a free block before each recording.
    int gapPercent = 25;
    unsigned seed = 4711;
};

// What was written.
struct GeneratedCounts {
    int recordings = 0;
    int tapes = 0;
    int actors = 0;
    int castEntries = 0; // cast tokens over all recordings
};

// The largest number of recordings the generator makes.
inline constexpr int kMaxRecordings = 1000000;

// Fills the six tables, already created empty in directory, in one transaction per table.
// Throws engine::Error when the size cannot be laid out (more recordings on a tape than
// the longest tape holds) or the tables cannot be written.
GeneratedCounts fillCatalogue(const QString& directory, const CatalogueSize& size);

// Creates the six tables in directory, which must hold none of them, and fills them.
GeneratedCounts createCatalogue(const QString& directory, const CatalogueSize& size);

// The name of the tape with that number (from 0), as the tapes table holds it.
QString tapeName(int tape);

} // namespace generator
