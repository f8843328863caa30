// export: every table as a CSV file with a header row of field names and the values as
// the program shows them, and a flat, readable list of the recordings beside them. All
// files show the catalogue as it was at one moment. The recordings come in the program's
// browsing order, the other tables in the order of their rows.

#include "export_command.h"

#include "catalogue_folder.h"
#include "catalogue_rules.h"
#include "csv.h"
#include "data/schema.h"
#include "engine/collation.h"
#include "engine/error.h"
#include "field_values.h"
#include "keeping/catalogue_reader.h"
#include "table_rows.h"
#include "tool_output.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <map>

namespace tool {

namespace {

using keeping::CatalogueReader;

qint64 writeTable(CatalogueReader& catalogue, const engine::TableDef& table, const QString& path) {
    csv::Writer writer(path);
    QStringList fields;
    for (const engine::FieldDef& field : table.fields)
        fields << field.name;
    writer.writeRecord(fields);
    qint64 rows = 0;
    forEachRow(catalogue, table, QString(), [&](const TableRow& row) {
        for (std::size_t i = 0; i < table.fields.size(); ++i)
            fields[qsizetype(i)] = formatValue(table.fields[i], row.values[i]);
        writer.writeRecord(fields);
        ++rows;
    });
    writer.finish();
    return rows;
}

struct Actor {
    QString first;
    QString last;
};

// The cast as the cast page shows it: each actor once, by last name, then first name.
QString castNames(const QString& list, const std::map<qint64, Actor>& actors) {
    const auto ids = castListIds(list);
    if (!ids)
        return list;
    std::vector<const Actor*> cast;
    std::vector<qint64> seen;
    for (const qint64 id : *ids) {
        const auto actor = actors.find(id);
        if (actor == actors.end() || std::find(seen.begin(), seen.end(), id) != seen.end())
            continue;
        seen.push_back(id);
        cast.push_back(&actor->second);
    }
    std::stable_sort(cast.begin(), cast.end(), [](const Actor* a, const Actor* b) {
        const int byLast = engine::danishCompare(a->last, b->last);
        return byLast != 0 ? byLast < 0 : engine::danishCompare(a->first, b->first) < 0;
    });
    QStringList names;
    for (const Actor* actor : cast)
        names << QStringList{actor->first, actor->last}.join(u' ').trimmed();
    return names.join(QStringLiteral("; "));
}

// The recordings, in the program's browsing order (tape by tape, by start), both as their
// table's CSV file and as the readable list; each value is formatted once for both.
qint64 writeRecordings(CatalogueReader& catalogue, const QString& tablePath,
                       const QString& listPath) {
    std::map<qint64, QString> groups;
    forEachRow(catalogue, schema::groups(), QString(),
               [&](const TableRow& row) { groups[row[0].toLongLong()] = row[1].toString(); });
    const engine::TableDef& actorTable = schema::actors();
    const int actorId = fieldPosition(actorTable, QStringLiteral("SkuespillerAutoInc"));
    const int first = fieldPosition(actorTable, QStringLiteral("Fornavn"));
    const int last = fieldPosition(actorTable, QStringLiteral("Efternavn"));
    std::map<qint64, Actor> actors;
    forEachRow(catalogue, actorTable, QString(), [&](const TableRow& row) {
        actors[row[actorId].toLongLong()] = {row[first].toString(), row[last].toString()};
    });

    const engine::TableDef& recordings = schema::recordings();
    struct Column {
        const char* heading;
        const char* field;
    };
    static const Column columns[] = {
        {"Titel", "Titel1"},
        {"Titel 2", "Titel2"},
        {"Instruktør", "Instruktor"},
        {"Bånd", "Baandnummer"},
        {"Start", "Starttid"},
        {"Spilletid", "SpilletidSPLP"},
        {"Hastighed", "Hastighed"},
        {"Lyd", "Lyd"},
        {"Kategori", "Kategori"},
        {"Gruppe", "Gruppe"},
        {"Produktionsår", "Produktionsaar"},
        {"Land", "Land"},
        {"Index nummer", "Indexnummer"},
        {"Optaget", "Optagetdato"},
        {"Skuespillere", "SkuespillereListe"},
        {"Noter", "Noter"},
    };
    QStringList headings;
    std::vector<int> positions;
    for (const Column& column : columns) {
        headings << QString::fromUtf8(column.heading);
        positions.push_back(fieldPosition(recordings, QString::fromUtf8(column.field)));
    }
    const int group = fieldPosition(recordings, QStringLiteral("Gruppe"));
    const int cast = fieldPosition(recordings, QStringLiteral("SkuespillereListe"));

    QStringList values;
    for (const engine::FieldDef& field : recordings.fields)
        values << field.name;
    csv::Writer table(tablePath);
    table.writeRecord(values);
    csv::Writer list(listPath);
    list.writeRecord(headings);
    QStringList fields = headings;
    qint64 rows = 0;
    forEachRow(catalogue, recordings,
               QStringLiteral("\"Baandnummer\" COLLATE DANISH, \"Starttid\", rowid"),
               [&](const TableRow& row) {
                   for (std::size_t i = 0; i < recordings.fields.size(); ++i)
                       values[qsizetype(i)] = formatValue(recordings.fields[i], row.values[i]);
                   table.writeRecord(values);
                   for (std::size_t i = 0; i < positions.size(); ++i) {
                       const int position = positions[i];
                       if (position == group) {
                           const auto found = groups.find(row[group].toLongLong());
                           fields[qsizetype(i)] = row[group].isNull() || found == groups.end()
                                                      ? QString()
                                                      : found->second;
                       } else if (position == cast) {
                           fields[qsizetype(i)] = castNames(row[cast].toString(), actors);
                       } else {
                           fields[qsizetype(i)] = values[position];
                       }
                   }
                   list.writeRecord(fields);
                   ++rows;
               });
    table.finish();
    list.finish();
    return rows;
}

} // namespace

QString csvFileName(const engine::TableDef& table) {
    return table.tableName + QStringLiteral(".csv");
}

QString recordingListName() {
    return QStringLiteral("optagelser.csv");
}

int exportCatalogue(const QString& directory, const QString& outDirectory) {
    QStringList written;
    try {
        const QString folder = catalogueFolder(directory);
        CatalogueReader catalogue(folder);
        if (!QDir().mkpath(outDirectory))
            return fail(QStringLiteral("cannot create the folder '%1'").arg(outDirectory));
        const QDir out(outDirectory);
        QStringList names;
        for (const engine::TableDef* def : schema::allTables())
            names << csvFileName(*def);
        names << recordingListName();
        QStringList present;
        for (const QString& name : names) {
            if (QFileInfo::exists(out.filePath(name)))
                present << name;
        }
        if (!present.isEmpty())
            return fail(QStringLiteral("'%1' already holds %2; nothing was written")
                            .arg(outDirectory, present.join(QStringLiteral(", "))));

        CatalogueReader::Snapshot snapshot(catalogue);
        QStringList counts;
        for (const engine::TableDef* def : schema::allTables()) {
            const QString path = out.filePath(csvFileName(*def));
            written << path;
            qint64 rows = 0;
            if (def == &schema::recordings()) {
                written << out.filePath(recordingListName());
                rows = writeRecordings(catalogue, path, written.last());
            } else {
                rows = writeTable(catalogue, *def, path);
            }
            counts << QStringLiteral("%1 (%2 rows)").arg(csvFileName(*def)).arg(rows);
        }
        counts << recordingListName();
        tool::out() << "Exported " << QDir::toNativeSeparators(catalogue.directory()) << " to "
                    << QDir::toNativeSeparators(out.absolutePath()) << ": "
                    << counts.join(QStringLiteral(", ")) << '\n';
        tool::out().flush();
        return 0;
    } catch (const engine::Error& e) {
        // Half an export would pass for a whole one.
        for (const QString& path : written)
            QFile::remove(path);
        return fail(e.message());
    }
}

} // namespace tool
