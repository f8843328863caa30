// check: reads every table of a catalogue, at one moment, and reports what the program's
// rules would not have let in or what has come apart since: damaged table files, field
// values outside their rules, tapes named alike, recordings on no tape or over each other,
// cast lists, groups and categories that name nothing, tape times that do not follow.

#include "check_command.h"

#include "catalogue_folder.h"
#include "catalogue_rules.h"
#include "data/schema.h"
#include "engine/collation.h"
#include "engine/error.h"
#include "field_values.h"
#include "keeping/catalogue_reader.h"
#include "table_rows.h"
#include "tool_output.h"

#include <QDir>
#include <QFileInfo>
#include <map>
#include <set>

namespace tool {

namespace {

using keeping::CatalogueReader;

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

class Checker {
public:
    explicit Checker(CatalogueReader& catalogue) : m_catalogue(catalogue) {}

    void run() {
        CatalogueReader::Snapshot snapshot(m_catalogue);
        for (const engine::TableDef* def : schema::allTables()) {
            for (const QString& problem : m_catalogue.integrityProblems(*def))
                fault(QStringLiteral("%1: integrity_check: %2")
                          .arg(QFileInfo(m_catalogue.filePath(*def)).fileName(), problem));
        }
        checkTapes();
        readRegisters();
        checkRecordings();
    }

    int faults() const { return m_faults; }
    int notes() const { return m_notes; }
    qint64 recordings() const { return m_recordingCount; }

private:
    void fault(const QString& line) {
        ++m_faults;
        out() << line << '\n';
    }
    void note(const QString& line) {
        ++m_notes;
        out() << "note: " << line << '\n';
    }

    // The field rules of every row of a table; name() says which row it is.
    template <typename Name>
    void checkFields(const FieldRules& rules, const TableRow& row, Name name) {
        for (int i = 0; i < rules.fieldCount(); ++i) {
            for (const QString& message : rules.violations(i, row[i]))
                fault(QString(name()) + QStringLiteral(": ") + message);
        }
    }

    void checkTapes() {
        const engine::TableDef& tapes = schema::tapes();
        const FieldRules rules(tapes);
        const int name = fieldPosition(tapes, QStringLiteral("BaandNavn"));
        const int length = fieldPosition(tapes, QStringLiteral("Baandlaengde"));
        forEachRow(m_catalogue, tapes, QString(), [&](const TableRow& row) {
            const QString tape = row[name].toString();
            const QString label = QStringLiteral("tape %1").arg(quoted(tape));
            checkFields(rules, row, [&] { return label; });
            const auto [existing, added] = m_tapeLengths.emplace(tape, row[length].toInt());
            if (!added)
                fault(QStringLiteral("%1: the same name as tape %2 when letter case is ignored")
                          .arg(label, quoted(existing->first)));
        });
    }

    void readRegisters() {
        const engine::TableDef& categories = schema::categories();
        const FieldRules categoryRules(categories);
        forEachRow(m_catalogue, categories, QString(), [&](const TableRow& row) {
            checkFields(categoryRules, row, [&] {
                return QStringLiteral("category %1").arg(quoted(row[0].toString()));
            });
            m_categories.insert(row[0].toString());
        });

        const engine::TableDef& groups = schema::groups();
        const FieldRules groupRules(groups);
        const int number = fieldPosition(groups, QStringLiteral("Lobenummer"));
        const int groupName = fieldPosition(groups, QStringLiteral("Gruppenavn"));
        forEachRow(m_catalogue, groups, QString(), [&](const TableRow& row) {
            checkFields(groupRules, row, [&] {
                return QStringLiteral("group %1 %2")
                    .arg(row[number].toLongLong())
                    .arg(quoted(row[groupName].toString()));
            });
            m_groups.insert(row[number].toLongLong());
        });

        const engine::TableDef& actors = schema::actors();
        const FieldRules actorRules(actors);
        const int id = fieldPosition(actors, QStringLiteral("SkuespillerAutoInc"));
        const int first = fieldPosition(actors, QStringLiteral("Fornavn"));
        const int last = fieldPosition(actors, QStringLiteral("Efternavn"));
        forEachRow(m_catalogue, actors, QString(), [&](const TableRow& row) {
            const QString name =
                QStringList{row[first].toString(), row[last].toString()}.join(u' ').trimmed();
            checkFields(actorRules, row, [&] {
                return QStringLiteral("actor %1 %2").arg(row[id].toLongLong()).arg(quoted(name));
            });
            m_actors.insert(row[id].toLongLong());
        });

        const engine::TableDef& settings = schema::settings();
        const FieldRules settingsRules(settings);
        forEachRow(m_catalogue, settings, QString(), [&](const TableRow& row) {
            checkFields(settingsRules, row, [] { return QStringLiteral("settings"); });
        });
    }

    struct Placed {
        qint64 id;
        QString title;
        QString tape; // as the recording spells it
        Stretch stretch;
    };

    // How a finding names a recording: number, title and tape.
    static QString recordingLabel(qint64 id, const QString& title, const QString& tape) {
        return QStringLiteral("recording %1 %2 %3")
            .arg(id)
            .arg(quoted(title), tape.isEmpty() ? QStringLiteral("(no tape)")
                                               : QStringLiteral("on tape %1").arg(tape));
    }

    void checkRecordings() {
        const engine::TableDef& recordings = schema::recordings();
        const FieldRules rules(recordings);
        const int id = fieldPosition(recordings, QStringLiteral("VideoAutoInc"));
        const int title = fieldPosition(recordings, QStringLiteral("Titel1"));
        const int tape = fieldPosition(recordings, QStringLiteral("Baandnummer"));
        const int start = fieldPosition(recordings, QStringLiteral("Starttid"));
        const int playing = fieldPosition(recordings, QStringLiteral("SpilletidSPLP"));
        const int onTape = fieldPosition(recordings, QStringLiteral("SpilletidSP"));
        const int speed = fieldPosition(recordings, QStringLiteral("Hastighed"));
        const int cast = fieldPosition(recordings, QStringLiteral("SkuespillereListe"));
        const int group = fieldPosition(recordings, QStringLiteral("Gruppe"));
        const int category = fieldPosition(recordings, QStringLiteral("Kategori"));

        // The recordings come tape by tape: each tape is looked up once, and its
        // recordings are measured against each other when the next tape begins.
        std::vector<Placed> onThisTape;
        QString currentTape;
        const int* currentLength = nullptr;
        bool firstRow = true;
        auto endOfTape = [&] {
            if (currentLength)
                checkTape(*currentLength, onThisTape);
            onThisTape.clear();
        };
        forEachRow(
            m_catalogue, recordings,
            QStringLiteral("\"Baandnummer\" COLLATE DANISH, \"Starttid\", rowid"),
            [&](const TableRow& row) {
                ++m_recordingCount;
                const QString tapeName = row[tape].toString();
                if (firstRow || (tapeName != currentTape &&
                                 engine::danishCompare(tapeName, currentTape) != 0)) {
                    endOfTape();
                    const auto found = m_tapeLengths.find(tapeName);
                    currentLength = found == m_tapeLengths.end() ? nullptr : &found->second;
                    firstRow = false;
                }
                currentTape = tapeName;
                const auto label = [&] {
                    return recordingLabel(row[id].toLongLong(), row[title].toString(), tapeName);
                };
                checkFields(rules, row, label);

                if (!currentLength)
                    fault(QStringLiteral("%1: names no tape").arg(label()));
                if (!tapeTimeFollows(row[playing], row[speed].toString(), row[onTape]))
                    fault(
                        QStringLiteral(
                            "%1: SpilletidSP %2 does not follow from SpilletidSPLP %3 at "
                            "speed %4 (%5)")
                            .arg(label(), formatTime(row[onTape].toDouble()),
                                 formatTime(row[playing].toDouble()), quoted(row[speed].toString()),
                                 formatTime(tapetime::tapeTime(row[playing], row[speed].toString())
                                                .toDouble())));
                checkCast(label, row[cast].toString());
                if (!row[group].isNull() && !m_groups.contains(row[group].toLongLong()))
                    fault(QStringLiteral("%1: group %2 does not exist")
                              .arg(label())
                              .arg(row[group].toLongLong()));
                const QString categoryName = row[category].toString();
                if (!categoryName.isEmpty() && !m_categories.contains(categoryName))
                    fault(QStringLiteral("%1: category %2 does not exist")
                              .arg(label(), quoted(categoryName)));

                // The time check measures only recordings on a registered tape, with
                // times of the day.
                const bool timesSound = rules.violations(start, row[start]).isEmpty() &&
                                        rules.violations(onTape, row[onTape]).isEmpty();
                if (currentLength && timesSound)
                    onThisTape.push_back({row[id].toLongLong(), row[title].toString(), tapeName,
                                          stretchOf(row[start], row[onTape])});
            });
        endOfTape();
    }

    template <typename Label> void checkCast(Label label, const QString& list) {
        const auto ids = castListIds(list);
        if (!ids) {
            fault(QStringLiteral("%1: cast list %2 is not a run of *n* tokens")
                      .arg(label(), quoted(list)));
            return;
        }
        std::set<qint64> reported;
        for (const qint64 actor : *ids) {
            if (!m_actors.contains(actor) && reported.insert(actor).second)
                fault(QStringLiteral("%1: cast list names actor %2, who does not exist")
                          .arg(label())
                          .arg(actor));
        }
    }

    void checkTape(int length, const std::vector<Placed>& placed) {
        if (placed.empty())
            return;
        std::vector<Stretch> stretches;
        for (const Placed& p : placed)
            stretches.push_back(p.stretch);
        for (const auto& [a, b] : collisions(stretches)) {
            fault(QStringLiteral("%1: overlaps recording %2 %3 (%4 and %5)")
                      .arg(recordingLabel(placed[a].id, placed[a].title, placed[a].tape))
                      .arg(placed[b].id)
                      .arg(quoted(placed[b].title), span(placed[a].stretch),
                           span(placed[b].stretch)));
        }
        // A recording may run past the end of its tape when the user agreed to it.
        for (const Placed& p : placed) {
            if (p.stretch.endPosted > length)
                note(QStringLiteral("%1: runs %2 minute(s) past the end of the tape (%3 minutes)")
                         .arg(recordingLabel(p.id, p.title, p.tape))
                         .arg(p.stretch.endPosted - length)
                         .arg(length));
        }
    }

    static QString span(const Stretch& s) {
        return QStringLiteral("%1–%2").arg(formatTime(s.start / 1440.0),
                                           formatTime(s.endPosted / 1440.0));
    }

    CatalogueReader& m_catalogue;
    std::map<QString, int, DanishLess> m_tapeLengths;
    std::set<QString> m_categories;
    std::set<qint64> m_groups;
    std::set<qint64> m_actors;
    qint64 m_recordingCount = 0;
    int m_faults = 0;
    int m_notes = 0;
};

} // namespace

int check(const QString& directory) {
    try {
        const QString folder = catalogueFolder(directory);
        CatalogueReader catalogue(folder);
        Checker checker(catalogue);
        checker.run();
        out() << "Checked " << checker.recordings() << " recordings in "
              << QDir::toNativeSeparators(catalogue.directory()) << ": ";
        if (checker.faults() == 0)
            out() << "no problems found";
        else
            out() << checker.faults() << " problem(s) found";
        if (checker.notes() > 0)
            out() << ", " << checker.notes() << " note(s)";
        out() << '\n';
        out().flush();
        return checker.faults() == 0 ? 0 : 1;
    } catch (const engine::Error& e) {
        out().flush();
        return fail(e.message());
    }
}

} // namespace tool
