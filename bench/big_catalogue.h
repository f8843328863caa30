#pragma once

#include <QString>

// How the recordings lie on their tapes.
enum class BigCatalogueLayout {
    // Tapes of 600 minutes, SP recordings of 10 minutes placed end to end from 0:00.
    EndToEnd,
    // Tapes of 3, 4 or 5 hours with recordings of 8 to 23 minutes of tape, SP or LP; now and
    // then a few minutes are left free between two, most tapes have room left at the end
    // and a few recordings run past it: the free time the tape overview shows.
    WithFreeTime,
};

// A large catalogue for the benchmarks, written straight into freshly created table files
// (one transaction per table): `tapes` tapes named T0000..., each holding `perTape`
// recordings laid out as `layout` says, and `actors` actors, each recording with a cast of
// one to eight of them. Deterministic for a given size.
struct BigCatalogueSize {
    int tapes = 2000;
    int perTape = 50;
    int actors = 10000;
    BigCatalogueLayout layout = BigCatalogueLayout::EndToEnd;
};

void fillBigCatalogue(const QString& directory, const BigCatalogueSize& size);

QString bigCatalogueTapeName(int tape);
