// The synthetic catalogue: rows written straight into freshly created tables, one
// transaction per table, so that a hundred thousand recordings take a few seconds.

#include "catalogue_generator.h"

#include "data/schema.h"
#include "data/tape_time.h"
#include "engine/database.h"
#include "engine/datetime.h"
#include "engine/error.h"

#include <QDate>
#include <algorithm>
#include <numeric>
#include <random>
#include <span>
#include <vector>

namespace generator {

namespace {

// Word lists. Names and words carry the Danish letters, so that sorting, upper-casing and
// searching meet them everywhere.
const char* const kFirstNames[] = {
    "Anne",   "Bente",   "Birgitte", "Bodil",  "Dorthe",  "Else",    "Gitte",  "Grethe",
    "Hanne",  "Helle",   "Inger",    "Jytte",  "Karen",   "Kirsten", "Lene",   "Lise",
    "Mette",  "Pia",     "Susanne",  "Tove",   "Ulla",    "Åse",     "Ærtrud", "Søs",
    "Anders", "Bent",    "Bjørn",    "Bo",     "Carsten", "Erik",    "Finn",   "Frede",
    "Hans",   "Henning", "Jens",     "Jørgen", "Jørn",    "Kjeld",   "Knud",   "Lars",
    "Mogens", "Morten",  "Niels",    "Ole",    "Poul",    "Preben",  "Søren",  "Torben",
    "Ulrik",  "Åge",     "Ørnulf",   "Dirch",  "Ove",     "Ghita",   "Mads",   "Sidse Babett"};

const char* const kLastNames[] = {
    "Hansen",   "Jensen",    "Nielsen",   "Pedersen", "Andersen",  "Christensen", "Larsen",
    "Sørensen", "Rasmussen", "Jørgensen", "Petersen", "Madsen",    "Kristensen",  "Olsen",
    "Thomsen",  "Poulsen",   "Johansen",  "Knudsen",  "Mortensen", "Møller",      "Bækgaard",
    "Kjær",     "Kræmer",    "Sæderup",   "Hæstrup",  "Høj",       "Søndergaard", "Østergaard",
    "Nørgaard", "Frølich",   "Bøgh",      "Lønborg",  "Ågård",     "Åkjær",       "Gråbøl",
    "Blåbjerg", "Passer",    "Kjer",      "Sprogøe",  "Nørby",     "Ærø",         "Lærkesen"};

const char* const kAdjectives[] = {
    "lange",    "sidste", "hemmelige", "glemte", "røde",    "blå",        "store",
    "lille",    "mørke",  "tavse",     "gamle",  "unge",    "kolde",      "varme",
    "fremmede", "sårede", "første",    "evige",  "stjålne", "forsvundne", "grønne"};

const char* const kNouns[] = {
    "sommer", "nat",    "drøm",  "rejse",    "hemmelighed", "have", "skov",      "strand",
    "by",     "gård",   "bro",   "vinter",   "sø",          "fyr",  "kærlighed", "søster",
    "bror",   "datter", "ø",     "mørke",    "sang",        "hævn", "sandhed",   "løgn",
    "flugt",  "jæger",  "konge", "dronning", "præst",       "måne", "bølge",     "hest"};

const char* const kPlaces[] = {"København",  "Århus",       "Ålborg",   "Skagen",   "Ærø",
                               "Bornholm",   "Odense",      "Esbjerg",  "Roskilde", "Tønder",
                               "Sønderborg", "Vesterhavet", "Nørrebro", "Østerbro", "Færøerne",
                               "Grønland",   "Møn",         "Læsø"};

const char* const kEnglishTitles[] = {
    "The Long Night", "Summer Rain",  "The Last Dance", "Lost Island",  "Silent Water",
    "The Red Door",   "Cold Harbour", "Winter Light",   "The Stranger", "Open Sea"};

const char* const kCategories[] = {"Drama",  "Komedie", "Krimi", "Dokumentar", "Børnefilm",
                                   "Action", "Musik",   "Gyser", "Eventyr"};
const char* const kGroups[] = {"Film", "Serier", "Natur", "Musik", "Børn og unge"};
const char* const kCountries[] = {"Danmark", "Danmark",  "Danmark", "Sverige",  "Norge",
                                  "USA",     "Frankrig", "England", "Tyskland", "Italien"};
const char* const kSounds[] = {"Mono", "Stereo", "Stereo", "Surround"};
const char* const kNotes[] = {"Optaget fra DR1",          "Reklamer klippet ud",
                              "Dårligt signal i starten", "Mangler de sidste minutter",
                              "Optaget fra TV 2",         "Genudsendelse"};

// Letters that begin the tape names, Danish ones last as the alphabet has them.
const QString kTapeLetters = QStringLiteral("ABCDEFGHIJKLMNOPRSTUVÆØÅ");

// Tape lengths in minutes.
const int kTapeLengths[] = {180, 210, 240, 270, 300};
constexpr int kLongestTape = 600; // what the tapes table accepts

constexpr int kMaxCast = 5;

QString str(const char* text) {
    return QString::fromUtf8(text);
}

double minutes(int m) {
    return engine::msecsToTimeFraction(qint64(m) * 60000);
}

// Platform colour value: red in the lowest byte.
qint64 colour(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

class Generator {
public:
    Generator(const QString& directory, const CatalogueSize& size)
        : m_db(directory), m_size(size), m_random(size.seed) {
        m_counts.recordings = size.recordings;
        m_counts.tapes = size.tapes > 0 ? size.tapes : std::max(1, size.recordings / 10);
        m_counts.actors = size.actors > 0 ? size.actors : std::max(1, size.recordings / 10);
    }

    GeneratedCounts run() {
        checkSize();
        writeSettings();
        writeNames(schema::categories(), QStringLiteral("Kategori"), kCategories);
        writeNames(schema::groups(), QStringLiteral("Gruppenavn"), kGroups);
        writeTapes();
        writeActors();
        writeRecordings();
        return m_counts;
    }

private:
    int below(int n) { return n > 0 ? int(m_random() % unsigned(n)) : 0; }
    // An integer from low to high, both included.
    int between(int low, int high) { return low + below(high - low + 1); }
    template <typename T, std::size_t N> QString pick(T (&list)[N]) {
        return str(list[below(int(N))]);
    }

    QString insertSql(const engine::TableDef& def, const QStringList& fields) {
        QStringList marks;
        for (qsizetype i = 0; i < fields.size(); ++i)
            marks << QStringLiteral("?");
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(m_db.table(def.fileName).qualifiedName(), fields.join(QStringLiteral(", ")),
                 marks.join(QStringLiteral(", ")));
    }

    // The recordings of tape t, spread as evenly as the numbers allow.
    int recordingsOnTape(int t) const {
        const int base = m_counts.recordings / m_counts.tapes;
        return base + (t < m_counts.recordings % m_counts.tapes ? 1 : 0);
    }
    // A recording with free time before it needs two minutes of its tape, another one.
    int minutesNeeded(int recordings) const { return recordings * (m_size.gapPercent > 0 ? 2 : 1); }

    void checkSize() const {
        if (m_counts.recordings < 1 || m_counts.recordings > kMaxRecordings)
            throw engine::Error(QStringLiteral("The number of recordings must be from 1 to %1")
                                    .arg(kMaxRecordings));
        if (minutesNeeded(recordingsOnTape(0)) > kLongestTape)
            throw engine::Error(
                QStringLiteral("%1 recordings do not fit on %2 tapes of at most %3 minutes")
                    .arg(m_counts.recordings)
                    .arg(m_counts.tapes)
                    .arg(kLongestTape));
    }

    void writeSettings() {
        engine::Statement& st = m_db.cached(insertSql(
            schema::settings(), {QStringLiteral("ColorFri"), QStringLiteral("ColorAktuelFri"),
                                 QStringLiteral("ColorFilmSP"), QStringLiteral("ColorFilmLP")}));
        engine::StatementUse use(st);
        st.bind(1, colour(152, 221, 152)); // soft green
        st.bind(2, colour(255, 214, 102)); // warm yellow
        st.bind(3, colour(135, 178, 230)); // light blue
        st.bind(4, colour(232, 150, 122)); // salmon
        st.step();
    }

    template <std::size_t N>
    void writeNames(const engine::TableDef& def, const QString& field,
                    const char* const (&names)[N]) {
        engine::Statement& st = m_db.cached(insertSql(def, {field}));
        m_db.transaction([&] {
            for (const char* name : names) {
                engine::StatementUse use(st);
                st.bind(1, str(name));
                st.step();
            }
        });
    }

    void writeTapes() {
        engine::Statement& st = m_db.cached(insertSql(
            schema::tapes(), {QStringLiteral("BaandNavn"), QStringLiteral("Baandlaengde")}));
        m_tapeLengths.reserve(std::size_t(m_counts.tapes));
        m_db.transaction([&] {
            for (int t = 0; t < m_counts.tapes; ++t) {
                // Long enough for its recordings, however many the numbers give it.
                int length = kTapeLengths[below(int(std::size(kTapeLengths)))];
                const int needed = minutesNeeded(recordingsOnTape(t));
                if (length < needed)
                    length = std::min(kLongestTape, (needed + 29) / 30 * 30);
                m_tapeLengths.push_back(length);
                engine::StatementUse use(st);
                st.bind(1, tapeName(t));
                st.bind(2, length);
                st.step();
            }
        });
    }

    QString personName() { return pick(kFirstNames) + u' ' + pick(kLastNames); }

    void writeActors() {
        engine::Statement& st = m_db.cached(
            insertSql(schema::actors(),
                      {QStringLiteral("SkuespillerAutoInc"), QStringLiteral("Fornavn"),
                       QStringLiteral("Efternavn"), QStringLiteral("Fodtdato"),
                       QStringLiteral("Doddato"), QStringLiteral("SkuespillerAutoIncStr")}));
        m_db.transaction([&] {
            for (int id = 1; id <= m_counts.actors; ++id) {
                QString first = pick(kFirstNames);
                // Now and then a second first name.
                if (below(8) == 0)
                    first += u' ' + pick(kFirstNames);
                const QDate born(between(1900, 1995), between(1, 12), between(1, 28));
                engine::StatementUse use(st);
                st.bind(1, id);
                st.bind(2, first);
                st.bind(3, pick(kLastNames));
                st.bind(4, engine::dateToDayNumber(born));
                if (born.year() < 1950 && below(2) == 0)
                    st.bind(5, engine::dateToDayNumber(born.addYears(between(40, 70))));
                // The actor register keeps the number as text too: the actor search joins on it.
                st.bind(6, QString::number(id));
                st.step();
            }
        });
    }

    QString title() {
        switch (below(4)) {
        case 0:
            return QStringLiteral("Den ") + pick(kAdjectives) + u' ' + pick(kNouns);
        case 1: {
            QString noun = pick(kNouns);
            noun[0] = noun[0].toUpper();
            return noun + QStringLiteral(" og ") + pick(kNouns);
        }
        case 2: {
            QString adjective = pick(kAdjectives);
            adjective[0] = adjective[0].toUpper();
            return adjective + u' ' + pick(kNouns) + QStringLiteral(" i ") + pick(kPlaces);
        }
        default:
            return QStringLiteral("Hjem fra ") + pick(kPlaces);
        }
    }

    QString secondTitle() {
        const int kind = below(10);
        if (kind < 3)
            return QStringLiteral("Afsnit %1").arg(between(1, 24));
        if (kind < 5)
            return pick(kEnglishTitles);
        return QString();
    }

    QString castList() {
        QString list;
        std::vector<int> chosen;
        const int size = std::min(below(kMaxCast + 1), m_counts.actors);
        while (int(chosen.size()) < size) {
            const int id = between(1, m_counts.actors);
            if (std::find(chosen.begin(), chosen.end(), id) != chosen.end())
                continue;
            chosen.push_back(id);
            list += u'*' + QString::number(id) + u'*';
        }
        m_counts.castEntries += size;
        return list;
    }

    // The recordings tape by tape, the tapes in a shuffled order so that the numbers of one
    // tape's recordings lie together but the tapes do not follow each other.
    void writeRecordings() {
        const QStringList fields = {QStringLiteral("Baandlaengde"),
                                    QStringLiteral("Starttid"),
                                    QStringLiteral("Indexnummer"),
                                    QStringLiteral("Optagetdato"),
                                    QStringLiteral("Kategori"),
                                    QStringLiteral("Gruppe"),
                                    QStringLiteral("Lyd"),
                                    QStringLiteral("Hastighed"),
                                    QStringLiteral("Noter"),
                                    QStringLiteral("SkuespillereListe"),
                                    QStringLiteral("SpilletidSPLP"),
                                    QStringLiteral("SpilletidSP"),
                                    QStringLiteral("Titel1"),
                                    QStringLiteral("Titel2"),
                                    QStringLiteral("Instruktor"),
                                    QStringLiteral("Baandnummer"),
                                    QStringLiteral("Produktionsaar"),
                                    QStringLiteral("Land")};
        engine::Statement& st = m_db.cached(insertSql(schema::recordings(), fields));
        std::vector<int> order(std::size_t(m_counts.tapes));
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), m_random);
        int index = 0;
        m_db.transaction([&] {
            for (int t : order)
                writeTape(st, t, index);
        });
    }

    void writeTape(engine::Statement& st, int t, int& index) {
        const int count = recordingsOnTape(t);
        if (count == 0)
            return; // more tapes than recordings: this one stays empty
        const int length = m_tapeLengths[std::size_t(t)];
        const QString name = tapeName(t);
        // Each recording has its share of the tape; it takes part of it, after a few free
        // minutes now and then, so that the tape has room left here and there.
        const int share = length / count;
        int position = 0;
        for (int k = 0; k < count; ++k) {
            const int shareEnd = position + share;
            if (below(100) < m_size.gapPercent)
                position += between(1, std::max(1, share / 4));
            const int room = shareEnd - position;
            const int onTape = between(std::max(1, room / 2), room);
            const bool lp = below(5) < 2;
            // At LP the tape time is half the playing time, rounded up to a whole minute.
            const int playing = lp ? 2 * onTape - below(2) : onTape;
            const QString speed = lp ? QStringLiteral("LP") : QStringLiteral("SP");
            const QVariant playingTime(minutes(playing));

            engine::StatementUse use(st);
            st.bind(1, QString::number(length));
            st.bind(2, minutes(position));
            st.bind(3, ++index % 500 + 1);
            st.bind(4, engine::dateToDayNumber(
                           QDate(between(1985, 2005), between(1, 12), between(1, 28))));
            st.bind(5, pick(kCategories));
            st.bind(6, between(1, int(std::size(kGroups))));
            st.bind(7, pick(kSounds));
            st.bind(8, speed);
            if (below(4) == 0)
                st.bind(9, pick(kNotes));
            st.bind(10, castList());
            st.bind(11, playingTime);
            st.bind(12, tapetime::tapeTime(playingTime, speed));
            st.bind(13, title().left(50));
            st.bind(14, secondTitle());
            st.bind(15, personName().left(40));
            // Users type tape names in any letter case; the rules compare without it.
            st.bind(16, below(8) == 0 ? name.toLower() : name);
            st.bind(17, between(1930, 2005));
            st.bind(18, pick(kCountries));
            st.step();
            position += onTape;
        }
    }

    engine::Database m_db;
    CatalogueSize m_size;
    std::mt19937 m_random;
    GeneratedCounts m_counts;
    std::vector<int> m_tapeLengths;
};

} // namespace

QString tapeName(int tape) {
    return kTapeLetters[tape % kTapeLetters.size()] +
           QString::number(tape / kTapeLetters.size() + 1);
}

GeneratedCounts fillCatalogue(const QString& directory, const CatalogueSize& size) {
    return Generator(directory, size).run();
}

GeneratedCounts createCatalogue(const QString& directory, const CatalogueSize& size) {
    for (const engine::TableDef* def : schema::allTables())
        engine::Database::createTable(directory, *def);
    return fillCatalogue(directory, size);
}

} // namespace generator
