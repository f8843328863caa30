#pragma once

#include "engine/table.h"

#include <QString>

namespace engine {
class Session;
}

// The tapes as they are stored, read through a dataset of their own, so that the shared
// tapes dataset, with a pending edit, stays where it is. For the rules on a tape's name.
class StoredTapes {
public:
    explicit StoredTapes(engine::Session& session);
    StoredTapes(const StoredTapes&) = delete;
    StoredTapes& operator=(const StoredTapes&) = delete;

    // The stored name of the tape with that bookmark; empty when there is no such row.
    QString nameOf(engine::Bookmark tape);
    // Whether a tape other than `except` is named `name`, letter case ignored (the Danish
    // letters included), as recordings find their tape.
    bool nameTaken(const QString& name, engine::Bookmark except);

private:
    engine::Table m_tapes;
};
