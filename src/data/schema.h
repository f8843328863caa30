#pragma once

#include "engine/field_def.h"

#include <vector>

// The catalogue's six tables, declared once: used to create a catalogue and, through
// the datasets that declare these fields, to check the tables when they are opened.
namespace schema {

inline constexpr const char* kAlias = "Spolebox";

const engine::TableDef& recordings(); // "Spolebox.DB", index SecBaandnrStarttid
const engine::TableDef& tapes();      // "Bånd.db"
const engine::TableDef& categories(); // "Kategori.db"
const engine::TableDef& groups();     // "Grupper.db"
const engine::TableDef& actors();     // "Skuespillere.DB", index SecEfternavn
const engine::TableDef& settings();   // "System.db"

// All six, in the order above.
std::vector<const engine::TableDef*> allTables();

// The declarations of just the named fields of a table (for datasets that declare a
// subset); throws engine::Error naming a field that the table does not have.
std::vector<engine::FieldDef> fieldsOf(const engine::TableDef& table, const QStringList& names);

} // namespace schema
