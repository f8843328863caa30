#include "schema.h"

#include "engine/error.h"

namespace schema {

namespace {

using engine::FieldDef;
using engine::FieldType;
using engine::IndexDef;
using engine::TableDef;

// Dates are typed day first with hyphens; times as hours and minutes.
const QString kDateMask = QStringLiteral("99\\-99\\-9999;1;_");
const QString kTimeMask = QStringLiteral("90:00;1;_");
const QString kTimeDisplay = QStringLiteral("h:nn");
const QString kDateDisplay = QStringLiteral("d mmmm yyyy");

FieldDef field(const char* name, FieldType type, int size = 0) {
    FieldDef f;
    f.name = QString::fromUtf8(name);
    f.type = type;
    f.size = size;
    return f;
}

FieldDef text(const char* name, int size) {
    return field(name, FieldType::Text, size);
}

FieldDef memo(const char* name, int size) {
    return field(name, FieldType::Memo, size);
}

FieldDef labelled(FieldDef f, const char* label) {
    f.displayLabel = QString::fromUtf8(label);
    return f;
}

FieldDef ranged(FieldDef f, double low, double high) {
    f.minValue = low;
    f.maxValue = high;
    return f;
}

FieldDef required(FieldDef f) {
    f.required = true;
    return f;
}

FieldDef formatted(FieldDef f, const QString& displayFormat, const QString& editMask) {
    f.displayFormat = displayFormat;
    f.editMask = editMask;
    return f;
}

TableDef makeRecordings() {
    TableDef t;
    t.fileName = QStringLiteral("Spolebox.DB");
    t.tableName = QStringLiteral("Spolebox");
    t.fields = {
        // Kept in every row for old catalogues; the tape's own length is the one that counts.
        text("Baandlaengde", 4),
        formatted(field("Starttid", FieldType::Time), kTimeDisplay, kTimeMask),
        labelled(ranged(field("Indexnummer", FieldType::SmallInt), 0, 500), "Index nummer"),
        formatted(field("Optagetdato", FieldType::Date), kDateDisplay, kDateMask),
        text("Kategori", 30),
        field("Gruppe", FieldType::Integer),
        text("Lyd", 8),
        text("Hastighed", 2),
        memo("Noter", 50),
        text("SkuespillereListe", 250),
        field("VideoAutoInc", FieldType::AutoInc),
        formatted(field("SpilletidSPLP", FieldType::Time), kTimeDisplay, kTimeMask),
        field("SpilletidSP", FieldType::Time),
        text("Titel1", 50),
        text("Titel2", 50),
        text("Instruktor", 40),
        text("Baandnummer", 10),
        field("Produktionsaar", FieldType::SmallInt),
        text("Land", 10),
    };
    t.indexes = {IndexDef{QStringLiteral("SecBaandnrStarttid"),
                          {QStringLiteral("Baandnummer"), QStringLiteral("Starttid")}}};
    return t;
}

TableDef makeTapes() {
    TableDef t;
    t.fileName = QStringLiteral("Bånd.db");
    t.tableName = QStringLiteral("Bånd");
    t.fields = {
        labelled(required(text("BaandNavn", 10)), "Bånd navn"),
        labelled(required(ranged(field("Baandlaengde", FieldType::SmallInt), 0, 600)),
                 "Længde i min."),
    };
    return t;
}

TableDef makeCategories() {
    TableDef t;
    t.fileName = QStringLiteral("Kategori.db");
    t.tableName = QStringLiteral("Kategori");
    t.fields = {text("Kategori", 30)};
    return t;
}

TableDef makeGroups() {
    TableDef t;
    t.fileName = QStringLiteral("Grupper.db");
    t.tableName = QStringLiteral("Grupper");
    t.fields = {field("Lobenummer", FieldType::AutoInc), text("Gruppenavn", 30)};
    return t;
}

TableDef makeActors() {
    TableDef t;
    t.fileName = QStringLiteral("Skuespillere.DB");
    t.tableName = QStringLiteral("Skuespillere");
    t.fields = {
        text("Fornavn", 30),
        text("Efternavn", 20),
        labelled(formatted(field("Fodtdato", FieldType::Date), QString(), kDateMask), "Født dato"),
        labelled(formatted(field("Doddato", FieldType::Date), QString(), kDateMask), "Død dato"),
        field("SkuespillerAutoInc", FieldType::AutoInc),
        text("SkuespillerAutoIncStr", 10),
        memo("Billedepath", 30),
    };
    t.indexes = {IndexDef{QStringLiteral("SecEfternavn"), {QStringLiteral("Efternavn")}}};
    return t;
}

TableDef makeSettings() {
    TableDef t;
    t.fileName = QStringLiteral("System.db");
    t.tableName = QStringLiteral("System");
    t.fields = {
        field("ColorFri", FieldType::Integer),
        field("ColorAktuelFri", FieldType::Integer),
        field("ColorFilmSP", FieldType::Integer),
        field("ColorFilmLP", FieldType::Integer),
        text("BilledePath", 80),
        text("AVIPath", 80),
        text("WAVPath", 80),
    };
    return t;
}

} // namespace

const engine::TableDef& recordings() {
    static const TableDef def = makeRecordings();
    return def;
}

const engine::TableDef& tapes() {
    static const TableDef def = makeTapes();
    return def;
}

const engine::TableDef& categories() {
    static const TableDef def = makeCategories();
    return def;
}

const engine::TableDef& groups() {
    static const TableDef def = makeGroups();
    return def;
}

const engine::TableDef& actors() {
    static const TableDef def = makeActors();
    return def;
}

const engine::TableDef& settings() {
    static const TableDef def = makeSettings();
    return def;
}

std::vector<const engine::TableDef*> allTables() {
    return {&recordings(), &tapes(), &categories(), &groups(), &actors(), &settings()};
}

std::vector<engine::FieldDef> fieldsOf(const engine::TableDef& table, const QStringList& names) {
    std::vector<FieldDef> result;
    result.reserve(std::size_t(names.size()));
    for (const QString& name : names) {
        const FieldDef* f = table.field(name);
        if (!f)
            throw engine::Error(
                QStringLiteral("Field '%1' not found in table '%2'").arg(name, table.fileName));
        result.push_back(*f);
    }
    return result;
}

} // namespace schema
