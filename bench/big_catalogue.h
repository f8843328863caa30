#pragma once

#include <QString>

// A large catalogue for the benchmarks, written straight into freshly created table files
// (one transaction per table): `tapes` tapes of 600 minutes named T0000..., each holding
// `perTape` SP recordings of 10 minutes placed end to end from 0:00, and `actors` actors,
// each recording with a cast of one to eight of them. Deterministic for a given size.
struct BigCatalogueSize {
    int tapes = 2000;
    int perTape = 50;
    int actors = 10000;
};

void fillBigCatalogue(const QString& directory, const BigCatalogueSize& size);

QString bigCatalogueTapeName(int tape);
