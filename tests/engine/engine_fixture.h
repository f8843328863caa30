#pragma once

// Shared by the engine tests: the catalogue's table declarations, a throw-away catalogue
// and small helpers for filling and reading tables.

#include "data/schema.h"
#include "engine/error.h"
#include "engine/field_def.h"
#include "engine/session.h"
#include "engine/table.h"
#include "temp_catalogue.h"

#include <QTest>
#include <initializer_list>
#include <memory>
#include <utility>

namespace fixture {

inline const QString kAlias = QStringLiteral("Spolebox");

inline engine::FieldDef field(const char* name, engine::FieldType type, int size = 0) {
    engine::FieldDef f;
    f.name = QString::fromUtf8(name);
    f.type = type;
    f.size = size;
    return f;
}

inline engine::FieldDef text(const char* name, int size) {
    return field(name, engine::FieldType::Text, size);
}

// The catalogue's own declarations.
inline const engine::TableDef& recordings() {
    return schema::recordings();
}
inline const engine::TableDef& tapes() {
    return schema::tapes();
}
inline const engine::TableDef& actors() {
    return schema::actors();
}
inline const engine::TableDef& categories() {
    return schema::categories();
} // no index

// A temporary catalogue of the six tables, reached through the alias "Spolebox" of a
// temporary engine configuration file.
class Catalogue {
public:
    Catalogue() { QVERIFY2(m_temp.isValid(), qPrintable(m_temp.errorString())); }

    QString dataDir() const { return m_temp.directory(); }
    QString configFile() const { return m_temp.configFile(); }
    engine::Session& session() { return m_temp.session(); }

    // A second, independent connection to the same catalogue (as another program would have).
    std::unique_ptr<engine::Session> newSession() const {
        return std::make_unique<engine::Session>(configFile());
    }

    // An open table of this catalogue, declaring all the fields of def.
    std::unique_ptr<engine::Table> open(const engine::TableDef& def, const QString& index = {},
                                        engine::Session* other = nullptr) {
        auto table = std::make_unique<engine::Table>(other ? *other : session());
        table->setAliasName(kAlias);
        table->setTableName(def.fileName);
        table->setIndexName(index);
        table->setFieldDefs(def.fields);
        table->open();
        return table;
    }

private:
    TempCatalogue m_temp;
};

using Values = std::initializer_list<std::pair<const char*, QVariant>>;

inline void setValues(engine::Table& table, Values values) {
    for (const auto& [name, value] : values)
        table.fieldByName(QString::fromUtf8(name)).setValue(value);
}

// Appends and posts one row; returns the posted row's bookmark.
inline engine::Bookmark appendRow(engine::Table& table, Values values) {
    table.append();
    setValues(table, values);
    table.post();
    return table.bookmark();
}

// A recording row on a tape at a start time given in minutes.
inline engine::Bookmark addRecording(engine::Table& table, const QString& tape, int startMinutes,
                                     const QString& title) {
    return appendRow(
        table, {{"Baandnummer", tape}, {"Starttid", startMinutes / 1440.0}, {"Titel1", title}});
}

// The values of one field over all rows in dataset order; leaves the cursor on the last row.
inline QStringList column(engine::Table& table, const QString& fieldName) {
    QStringList values;
    for (table.first(); !table.eof(); table.next())
        values << table.fieldByName(fieldName).asString();
    return values;
}

} // namespace fixture
