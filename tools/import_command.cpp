// import: the reverse of export. All files are read and checked before anything is
// written; the new tables are built in a folder of their own inside the target and moved
// into place only when complete, so that a catalogue appears whole or not at all.

#include "import_command.h"

#include "catalogue_folder.h"
#include "catalogue_rules.h"
#include "data/schema.h"
#include "engine/database.h"
#include "engine/error.h"
#include "export_command.h"
#include "field_values.h"
#include "import_reader.h"
#include "keeping/catalogue_folder.h"
#include "table_rows.h"
#include "tool_output.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <map>

namespace tool {

namespace {

QString findFile(const QDir& dir, const QString& name) {
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

class ImportCheck {
public:
    ImportCheck(std::vector<ImportedTable>& tables, std::vector<ImportProblem>& problems)
        : m_tables(tables), m_problems(problems) {}

    void run() {
        for (ImportedTable& table : m_tables)
            checkIds(table);
        checkTapes();
        checkSettings();
        checkRecordings();
    }

private:
    ImportedTable& table(const engine::TableDef& def) {
        return *std::find_if(m_tables.begin(), m_tables.end(),
                             [&](const ImportedTable& t) { return t.def == &def; });
    }

    void problem(const ImportedTable& table, const ImportedRow& row, const QString& message) {
        m_problems.push_back({table.file, row.line, message});
    }

    // An auto-increment value given in the file is kept: casts and recordings refer to it.
    void checkIds(const ImportedTable& table) {
        int id = -1;
        for (std::size_t i = 0; i < table.def->fields.size(); ++i) {
            if (table.def->fields[i].type == engine::FieldType::AutoInc)
                id = int(i);
        }
        if (id < 0)
            return;
        const QString& name = table.def->fields[std::size_t(id)].name;
        std::map<qint64, int> lines;
        for (const ImportedRow& row : table.rows) {
            const QVariant& value = row.values[std::size_t(id)];
            if (value.isNull())
                continue;
            if (value.toLongLong() < 1) {
                problem(table, row,
                        QStringLiteral("%1: %2 is no valid number; numbers start at 1")
                            .arg(name)
                            .arg(value.toLongLong()));
                continue;
            }
            const auto [earlier, added] = lines.emplace(value.toLongLong(), row.line);
            if (!added)
                problem(table, row,
                        QStringLiteral("%1: %2 is used on line %3 already")
                            .arg(name)
                            .arg(value.toLongLong())
                            .arg(earlier->second));
        }
    }

    void checkTapes() {
        const ImportedTable& tapes = table(schema::tapes());
        const int name = fieldPosition(schema::tapes(), QStringLiteral("BaandNavn"));
        for (const ImportedRow& row : tapes.rows) {
            const QString tape = row.values[std::size_t(name)].toString();
            if (tape.isEmpty())
                continue;
            const auto [earlier, added] = m_tapeLines.emplace(tape, row.line);
            if (!added)
                problem(tapes, row,
                        QStringLiteral("BaandNavn: '%1' names the tape on line %2 already, when "
                                       "letter case is ignored")
                            .arg(tape)
                            .arg(earlier->second));
        }
    }

    void checkSettings() {
        const ImportedTable& settings = table(schema::settings());
        for (std::size_t i = 1; i < settings.rows.size(); ++i)
            problem(settings, settings.rows[i],
                    QStringLiteral("the settings are one row; this is one more"));
    }

    void checkRecordings() {
        const engine::TableDef& def = schema::recordings();
        ImportedTable& recordings = table(def);
        const FieldRules rules(def);
        const int tape = fieldPosition(def, QStringLiteral("Baandnummer"));
        const int start = fieldPosition(def, QStringLiteral("Starttid"));
        const int playing = fieldPosition(def, QStringLiteral("SpilletidSPLP"));
        const int onTape = fieldPosition(def, QStringLiteral("SpilletidSP"));
        const int speed = fieldPosition(def, QStringLiteral("Hastighed"));
        const int cast = fieldPosition(def, QStringLiteral("SkuespillereListe"));
        const QString tapesFile = QFileInfo(csvFileName(schema::tapes())).fileName();

        std::map<QString, std::vector<ImportedRow*>, DanishLess> byTape;
        for (ImportedRow& row : recordings.rows) {
            if (!row.sound)
                continue;
            auto value = [&](int field) -> QVariant& { return row.values[std::size_t(field)]; };
            bool placed = true;
            const QString tapeName = value(tape).toString();
            if (tapeName.isEmpty()) {
                problem(recordings, row, QStringLiteral("Baandnummer: a recording needs a tape"));
                placed = false;
            } else if (!m_tapeLines.contains(tapeName)) {
                problem(recordings, row,
                        QStringLiteral("Baandnummer: the tape '%1' is not in %2")
                            .arg(tapeName, tapesFile));
                placed = false;
            }
            const QString speedText = value(speed).toString();
            if (value(onTape).isNull()) {
                // Left out: derived as the program derives it before every post.
                value(onTape) =
                    rules.convert(onTape, tapetime::tapeTime(value(playing), speedText));
            } else if (!tapeTimeFollows(value(playing), speedText, value(onTape))) {
                problem(
                    recordings, row,
                    QStringLiteral("SpilletidSP: %1 does not follow from SpilletidSPLP %2 at "
                                   "speed '%3', which gives %4")
                        .arg(formatTime(value(onTape).toDouble()),
                             formatTime(value(playing).toDouble()), speedText,
                             formatTime(tapetime::tapeTime(value(playing), speedText).toDouble())));
                placed = false;
            }
            if (!castListIds(value(cast).toString()))
                problem(recordings, row,
                        QStringLiteral("SkuespillereListe: '%1' is not a run of cast tokens (*n*)")
                            .arg(value(cast).toString()));
            if (placed)
                byTape[tapeName].push_back(&row);
        }
        for (const auto& [name, rows] : byTape) {
            std::vector<Stretch> stretches;
            for (const ImportedRow* row : rows)
                stretches.push_back(
                    stretchOf(row->values[std::size_t(start)], row->values[std::size_t(onTape)]));
            for (auto [a, b] : collisions(stretches)) {
                if (rows[a]->line > rows[b]->line)
                    std::swap(a, b);
                problem(recordings, *rows[b],
                        QStringLiteral("overlaps the recording on line %1 on tape %2 (%3 and %4)")
                            .arg(rows[a]->line)
                            .arg(name, span(stretches[b]), span(stretches[a])));
            }
        }
    }

    static QString span(const Stretch& s) {
        return QStringLiteral("%1–%2").arg(formatTime(s.start / 1440.0),
                                           formatTime(s.endPosted / 1440.0));
    }

    std::vector<ImportedTable>& m_tables;
    std::vector<ImportProblem>& m_problems;
    std::map<QString, int, DanishLess> m_tapeLines; // tape name → its line in the tapes file
};

void insertRows(engine::Database& db, const ImportedTable& table) {
    engine::StoredTable& stored = db.table(table.def->fileName);
    QStringList columns;
    QStringList marks;
    for (const engine::FieldDef& field : table.def->fields) {
        columns << engine::quoteIdentifier(field.name);
        marks << QStringLiteral("?");
    }
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(stored.qualifiedName(), columns.join(u','), marks.join(u','));
    // Rows with their own number go in by number (the order the table keeps them in), the
    // others after them as they come.
    std::vector<const ImportedRow*> order;
    for (const ImportedRow& row : table.rows)
        order.push_back(&row);
    if (stored.autoIncColumn >= 0) {
        const int id =
            fieldPosition(*table.def, stored.fields[std::size_t(stored.autoIncColumn)].name);
        std::stable_sort(order.begin(), order.end(),
                         [id](const ImportedRow* a, const ImportedRow* b) {
                             const QVariant& x = a->values[std::size_t(id)];
                             const QVariant& y = b->values[std::size_t(id)];
                             if (x.isNull() || y.isNull())
                                 return !x.isNull() && y.isNull();
                             return x.toLongLong() < y.toLongLong();
                         });
    }
    db.transaction([&] {
        engine::Statement& insert = db.cached(sql);
        for (const ImportedRow* row : order) {
            engine::StatementUse use(insert);
            for (std::size_t i = 0; i < row->values.size(); ++i)
                insert.bind(int(i) + 1, row->values[i]);
            insert.step();
        }
    });
}

// Builds the tables in a folder of their own beside directory and moves them in when
// complete.
void writeCatalogue(const std::vector<ImportedTable>& tables, const QString& directory) {
    const auto work = keeping::folderBeside(directory, QStringLiteral("import"));
    for (const ImportedTable& table : tables)
        engine::Database::createTable(work->path(), *table.def);
    {
        engine::Database db(work->path());
        for (const ImportedTable& table : tables)
            insertRows(db, table);
    }
    keeping::moveTablesInto(work->path(), directory);
}

} // namespace

int importCatalogue(const QString& csvDirectory, const QString& directory) {
    try {
        const QDir csv(csvDirectory);
        if (!QFileInfo(csvDirectory).isDir())
            return fail(QStringLiteral("the folder '%1' does not exist").arg(csvDirectory));
        const QStringList existing = keeping::existingTableFiles(directory);
        if (!existing.isEmpty())
            return fail(
                QStringLiteral("'%1' already holds catalogue tables (%2); nothing was changed")
                    .arg(directory, existing.join(QStringLiteral(", "))));

        std::vector<ImportedTable> tables;
        std::vector<ImportProblem> problems;
        QStringList expected;
        int found = 0;
        for (const engine::TableDef* def : schema::allTables()) {
            expected << csvFileName(*def);
            const QString path = findFile(csv, csvFileName(*def));
            if (path.isEmpty()) {
                ImportedTable empty;
                empty.def = def;
                tables.push_back(empty);
                continue;
            }
            ++found;
            tables.push_back(readImportFile(path, *def, problems));
        }
        if (found == 0)
            return fail(QStringLiteral("'%1' holds none of the files that export writes (%2)")
                            .arg(csvDirectory, expected.join(QStringLiteral(", "))));
        ImportCheck(tables, problems).run();

        if (!problems.empty()) {
            // File by file in the order of the tables, each from its top.
            auto fileOrder = [&](const QString& file) {
                return std::find_if(tables.begin(), tables.end(),
                                    [&](const ImportedTable& t) { return t.file == file; }) -
                       tables.begin();
            };
            std::stable_sort(problems.begin(), problems.end(),
                             [&](const ImportProblem& a, const ImportProblem& b) {
                                 const auto fa = fileOrder(a.file);
                                 const auto fb = fileOrder(b.file);
                                 return fa != fb ? fa < fb : a.line < b.line;
                             });
            for (const ImportProblem& p : problems)
                err() << p.file << ':' << p.line << ": " << p.message << '\n';
            return fail(QStringLiteral("%1 problem(s) in '%2'; no catalogue was made")
                            .arg(problems.size())
                            .arg(csvDirectory));
        }
        writeCatalogue(tables, directory);
        QStringList counts;
        for (const ImportedTable& table : tables)
            counts
                << QStringLiteral("%1 (%2 rows)").arg(table.def->fileName).arg(table.rows.size());
        out() << "Imported " << QDir::toNativeSeparators(csv.absolutePath()) << " into "
              << QDir::toNativeSeparators(QDir(directory).absolutePath()) << ": "
              << counts.join(QStringLiteral(", ")) << '\n';
        out().flush();
        return 0;
    } catch (const engine::Error& e) {
        return fail(e.message());
    }
}

} // namespace tool
