// A small sample collection: a dozen tapes with Danish and foreign recordings and a cast.

#include "sample_catalogue.h"

#include "data/schema.h"
#include "engine/datetime.h"
#include "engine/error.h"
#include "engine/session.h"
#include "engine/table.h"

#include <QDate>
#include <QTemporaryDir>
#include <map>

namespace tool {

namespace {

double minutes(int m) {
    return m / 1440.0;
}

// Platform colour value: red in the lowest byte.
qint64 colour(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

struct SampleActor {
    const char* first;
    const char* last;
    QDate born;
    QDate died;
};

const SampleActor kActors[] = {
    {"Mads", "Mikkelsen", QDate(1965, 11, 22), {}},
    {"Sidse Babett", "Knudsen", QDate(1968, 11, 22), {}},
    {"Ulrich", "Thomsen", QDate(1963, 12, 6), {}},
    {"Paprika", "Steen", QDate(1964, 11, 3), {}},
    {"Bodil", "Kjer", QDate(1917, 9, 2), QDate(2003, 1, 1)},
    {"Dirch", "Passer", QDate(1926, 5, 18), QDate(1980, 9, 3)},
    {"Ove", "Sprogøe", QDate(1919, 12, 21), QDate(2004, 5, 14)},
    {"Ghita", "Nørby", QDate(1935, 1, 11), {}},
    {"Jesper", "Christensen", QDate(1948, 5, 16), {}},
    {"Meryl", "Streep", QDate(1949, 6, 22), {}},
    {"Audrey", "Hepburn", QDate(1929, 5, 4), QDate(1993, 1, 20)},
    {"Ingrid", "Bergman", QDate(1915, 8, 29), QDate(1982, 8, 29)},
    {"Harrison", "Ford", QDate(1942, 7, 13), {}},
    {"Liv", "Ullmann", QDate(1938, 12, 16), {}},
    {"Max", "von Sydow", QDate(1929, 4, 10), QDate(2020, 3, 8)},
};

struct SampleTape {
    const char* name;
    int length; // minutes
};

const SampleTape kTapes[] = {{"A1", 180}, {"A2", 240}, {"A3", 300}, {"A4", 180}, {"A5", 240},
                             {"A6", 300}, {"A7", 180}, {"A8", 240}, {"A9", 300}, {"A10", 180}};

const char* const kCategories[] = {"Drama",     "Komedie", "Krimi", "Dokumentar",
                                   "Børnefilm", "Action",  "Musik"};
const char* const kGroups[] = {"Film", "Serier", "Natur"};

struct SampleRecording {
    const char* tape;
    int gap; // minutes of free tape before the recording
    const char* title1;
    const char* title2;
    const char* director;
    const char* category;
    const char* group;
    int year;
    const char* country;
    int playing; // minutes as the user enters them
    const char* speed;
    const char* sound;
    QDate recorded;
    const char* cast; // actor numbers as cast tokens, newest first
    const char* notes;
};

// On each tape the recordings follow each other in this order, after their gap. Persona
// on A4 runs a few minutes past the end of its tape; everything else fits.
const SampleRecording kRecordings[] = {
    {"A1", 0, "Olsen-banden", "", "Erik Balling", "Komedie", "Film", 1968, "Danmark", 96, "SP",
     "Mono", QDate(1996, 12, 26), "*7*", "Julefilm på DR1"},
    {"A1", 2, "Olsen-banden på spanden", "", "Erik Balling", "Komedie", "Film", 1969, "Danmark",
     103, "LP", "Mono", QDate(1996, 12, 27), "*7*", ""},
    {"A1", 0, "Huset på Christianshavn", "Afsnit 1", "Erik Balling", "Komedie", "Serier", 1970,
     "Danmark", 25, "LP", "Mono", QDate(1997, 1, 4), "*7*", ""},
    {"A1", 0, "Huset på Christianshavn", "Afsnit 2", "Erik Balling", "Komedie", "Serier", 1970,
     "Danmark", 25, "LP", "Mono", QDate(1997, 1, 11), "*7*", ""},

    {"A2", 0, "Festen", "", "Thomas Vinterberg", "Drama", "Film", 1998, "Danmark", 105, "SP",
     "Stereo", QDate(2000, 3, 18), "*3**4*", "Dogme 1"},
    {"A2", 5, "Idioterne", "", "Lars von Trier", "Drama", "Film", 1998, "Danmark", 117, "LP",
     "Stereo", QDate(2000, 4, 2), "*4*", "Dogme 2"},
    {"A2", 6, "Dansen med Regitze", "", "Kaspar Rostrup", "Drama", "Film", 1989, "Danmark", 90,
     "LP", "Stereo", QDate(1998, 8, 15), "*8*", ""},

    {"A3", 0, "Riget", "Afsnit 1", "Lars von Trier", "Drama", "Serier", 1994, "Danmark", 70, "LP",
     "Stereo", QDate(1997, 9, 7), "*8*", ""},
    {"A3", 0, "Riget", "Afsnit 2", "Lars von Trier", "Drama", "Serier", 1994, "Danmark", 70, "LP",
     "Stereo", QDate(1997, 9, 14), "*8*", ""},
    {"A3", 0, "Riget", "Afsnit 3", "Lars von Trier", "Drama", "Serier", 1994, "Danmark", 70, "LP",
     "Stereo", QDate(1997, 9, 21), "*8*", ""},
    {"A3", 0, "Riget", "Afsnit 4", "Lars von Trier", "Drama", "Serier", 1994, "Danmark", 70, "LP",
     "Stereo", QDate(1997, 9, 28), "*8*", "Slutningen mangler et par minutter"},
    {"A3", 10, "Matador", "Afsnit 1", "Erik Balling", "Drama", "Serier", 1978, "Danmark", 88, "LP",
     "Mono", QDate(1998, 1, 6), "*8**9*", ""},
    {"A3", 0, "Matador", "Afsnit 2", "Erik Balling", "Drama", "Serier", 1978, "Danmark", 90, "LP",
     "Mono", QDate(1998, 1, 13), "*8**9*", ""},
    {"A3", 0, "Matador", "Afsnit 3", "Erik Balling", "Drama", "Serier", 1978, "Danmark", 93, "LP",
     "Mono", QDate(1998, 1, 20), "*8**9*", ""},

    {"A4", 0, "Casablanca", "", "Michael Curtiz", "Drama", "Film", 1942, "USA", 102, "SP", "Mono",
     QDate(1995, 2, 14), "*12*", ""},
    {"A4", 0, "Persona", "", "Ingmar Bergman", "Drama", "Film", 1966, "Sverige", 84, "SP", "Mono",
     QDate(1995, 3, 1), "*14*", "Båndet slap op før rulleteksterne"},

    {"A5", 0, "Otto er et næsehorn", "", "Rumle Hammerich", "Børnefilm", "Film", 1983, "Danmark",
     84, "SP", "Stereo", QDate(1996, 7, 1), "", ""},
    {"A5", 0, "Busters verden", "", "Bille August", "Børnefilm", "Film", 1984, "Danmark", 90, "SP",
     "Stereo", QDate(1996, 7, 8), "", ""},
    {"A5", 6, "Krummerne", "", "Sven Methling", "Børnefilm", "Film", 1991, "Danmark", 84, "LP",
     "Stereo", QDate(1997, 2, 10), "*4*", ""},
    {"A5", 0, "Cirkeline", "Afsnit 1", "Jannik Hastrup", "Børnefilm", "Serier", 1968, "Danmark", 15,
     "SP", "Mono", QDate(1997, 2, 16), "", ""},

    {"A6", 0, "Livet på Jorden", "Life on Earth, del 1", "David Attenborough", "Dokumentar",
     "Natur", 1979, "England", 55, "SP", "Stereo", QDate(1998, 10, 5), "", ""},
    {"A6", 0, "Livet på Jorden", "Life on Earth, del 2", "David Attenborough", "Dokumentar",
     "Natur", 1979, "England", 55, "SP", "Stereo", QDate(1998, 10, 12), "", ""},
    {"A6", 0, "Livet på Jorden", "Life on Earth, del 3", "David Attenborough", "Dokumentar",
     "Natur", 1979, "England", 55, "SP", "Stereo", QDate(1998, 10, 19), "", ""},
    {"A6", 3, "Mikrokosmos", "Microcosmos", "Claude Nuridsany", "Dokumentar", "Natur", 1996,
     "Frankrig", 77, "SP", "Surround", QDate(1999, 5, 23), "", "Smukke optagelser af insekter"},
    {"A6", 2, "Den levende planet", "The Living Planet, del 1", "David Attenborough", "Dokumentar",
     "Natur", 1984, "England", 50, "SP", "Stereo", QDate(1999, 6, 1), "", ""},

    {"A7", 0, "Indiana Jones og jagten på den forsvundne skat", "Raiders of the Lost Ark",
     "Steven Spielberg", "Action", "Film", 1981, "USA", 115, "LP", "Surround", QDate(1997, 3, 29),
     "*13*", ""},
    {"A7", 0, "Stjernekrigen", "Star Wars", "George Lucas", "Action", "Film", 1977, "USA", 121,
     "LP", "Surround", QDate(1997, 4, 5), "*13*", ""},
    {"A7", 1, "Blade Runner", "", "Ridley Scott", "Action", "Film", 1982, "USA", 117, "LP",
     "Stereo", QDate(1997, 5, 17), "*13*", "Instruktørens version"},

    {"A8", 0, "Pusher", "", "Nicolas Winding Refn", "Krimi", "Film", 1996, "Danmark", 105, "LP",
     "Stereo", QDate(1999, 2, 6), "*1*", ""},
    {"A8", 0, "Nattevagten", "", "Ole Bornedal", "Krimi", "Film", 1994, "Danmark", 107, "LP",
     "Stereo", QDate(1999, 2, 13), "", ""},
    {"A8", 3, "Blinkende lygter", "", "Anders Thomas Jensen", "Komedie", "Film", 2000, "Danmark",
     109, "LP", "Surround", QDate(2001, 12, 29), "*3**1*", ""},
    {"A8", 0, "Den eneste ene", "", "Susanne Bier", "Komedie", "Film", 1999, "Danmark", 104, "LP",
     "Stereo", QDate(2001, 12, 30), "*4**2*", ""},

    {"A9", 0, "Mit Afrika", "Out of Africa", "Sydney Pollack", "Drama", "Film", 1985, "USA", 161,
     "LP", "Stereo", QDate(1996, 4, 7), "*10*", ""},
    {"A9", 0, "Broerne i Madison County", "The Bridges of Madison County", "Clint Eastwood",
     "Drama", "Film", 1995, "USA", 135, "LP", "Stereo", QDate(1998, 11, 21), "*10*", ""},
    {"A9", 6, "Scener fra et ægteskab", "Scener ur ett äktenskap", "Ingmar Bergman", "Drama",
     "Film", 1973, "Sverige", 169, "LP", "Mono", QDate(1999, 1, 30), "*14*", ""},
    {"A9", 2, "Babettes gæstebud", "", "Gabriel Axel", "Drama", "Film", 1987, "Danmark", 102, "LP",
     "Stereo", QDate(1999, 3, 21), "*5*", "Oscar for bedste udenlandske film"},

    {"A10", 0, "Morgenmad på Tiffany's", "Breakfast at Tiffany's", "Blake Edwards", "Komedie",
     "Film", 1961, "USA", 115, "LP", "Mono", QDate(1995, 8, 12), "*11*", ""},
    {"A10", 0, "Prinsessen holder fridag", "Roman Holiday", "William Wyler", "Komedie", "Film",
     1953, "USA", 118, "LP", "Mono", QDate(1995, 8, 19), "*11*", ""},
    {"A10", 3, "Det syvende segl", "Det sjunde inseglet", "Ingmar Bergman", "Drama", "Film", 1957,
     "Sverige", 96, "LP", "Mono", QDate(1995, 9, 2), "*15*", ""},
    {"A10", 2, "Cirkeline", "Afsnit 2", "Jannik Hastrup", "Børnefilm", "Serier", 1968, "Danmark",
     15, "LP", "Mono", QDate(1997, 2, 23), "", ""},
};

QString str(const char* text) {
    return QString::fromUtf8(text);
}

// The time a recording takes on the tape: at LP half the playing time, rounded up to a
// whole minute.
int tapeMinutes(int playing, const QString& speed) {
    return speed == u"LP" ? (playing + 1) / 2 : playing;
}

class SampleWriter {
public:
    explicit SampleWriter(engine::Session& session) : m_session(session) {}

    void write() {
        writeSettings();
        writeCategories();
        writeGroups();
        writeTapes();
        writeActors();
        writeRecordings();
    }

private:
    std::unique_ptr<engine::Table> open(const engine::TableDef& def) {
        auto table = std::make_unique<engine::Table>(m_session);
        table->setAliasName(QString::fromUtf8(schema::kAlias));
        table->setTableName(def.fileName);
        table->setFieldDefs(def.fields);
        table->open();
        return table;
    }

    static void set(engine::Table& t, const char* field, const QVariant& value) {
        t.fieldByName(str(field)).setValue(value);
    }

    void writeSettings() {
        auto t = open(schema::settings());
        t->append();
        set(*t, "ColorFri", colour(152, 221, 152));       // soft green
        set(*t, "ColorAktuelFri", colour(255, 214, 102)); // warm yellow
        set(*t, "ColorFilmSP", colour(135, 178, 230));    // light blue
        set(*t, "ColorFilmLP", colour(232, 150, 122));    // salmon
        t->post();
    }

    void writeCategories() {
        auto t = open(schema::categories());
        for (const char* name : kCategories) {
            t->append();
            set(*t, "Kategori", str(name));
            t->post();
        }
    }

    void writeGroups() {
        auto t = open(schema::groups());
        for (const char* name : kGroups) {
            t->append();
            set(*t, "Gruppenavn", str(name));
            t->post();
            m_groupNumbers[str(name)] = t->fieldByName(QStringLiteral("Lobenummer")).asInteger();
        }
    }

    void writeTapes() {
        auto t = open(schema::tapes());
        for (const SampleTape& tape : kTapes) {
            t->append();
            set(*t, "BaandNavn", str(tape.name));
            set(*t, "Baandlaengde", tape.length);
            t->post();
            m_tapeLengths[str(tape.name)] = tape.length;
        }
    }

    void writeActors() {
        auto t = open(schema::actors());
        for (const SampleActor& actor : kActors) {
            t->append();
            set(*t, "Fornavn", str(actor.first));
            set(*t, "Efternavn", str(actor.last));
            set(*t, "Fodtdato", engine::dateToDayNumber(actor.born));
            if (actor.died.isValid())
                set(*t, "Doddato", engine::dateToDayNumber(actor.died));
            t->post();
            // The text copy of the id is what the actor search joins on.
            const qint64 id = t->fieldByName(QStringLiteral("SkuespillerAutoInc")).asInteger();
            t->edit();
            set(*t, "SkuespillerAutoIncStr", QString::number(id));
            t->post();
        }
    }

    void writeRecordings() {
        auto t = open(schema::recordings());
        std::map<QString, int> tapeEnd; // minutes used so far on each tape
        int index = 1;
        for (const SampleRecording& r : kRecordings) {
            const QString tape = str(r.tape);
            const QString speed = str(r.speed);
            const int start = tapeEnd[tape] + r.gap;
            const int length = tapeMinutes(r.playing, speed);
            tapeEnd[tape] = start + length;

            t->append();
            set(*t, "Baandlaengde", QString::number(m_tapeLengths.at(tape)));
            set(*t, "Baandnummer", tape);
            set(*t, "Starttid", minutes(start));
            set(*t, "SpilletidSPLP", minutes(r.playing));
            set(*t, "SpilletidSP", minutes(length));
            set(*t, "Hastighed", speed);
            set(*t, "Indexnummer", index++);
            set(*t, "Optagetdato", engine::dateToDayNumber(r.recorded));
            set(*t, "Titel1", str(r.title1));
            set(*t, "Titel2", str(r.title2));
            set(*t, "Instruktor", str(r.director));
            set(*t, "Kategori", str(r.category));
            set(*t, "Gruppe", m_groupNumbers.at(str(r.group)));
            set(*t, "Produktionsaar", r.year);
            set(*t, "Land", str(r.country));
            set(*t, "Lyd", str(r.sound));
            set(*t, "SkuespillereListe", str(r.cast));
            set(*t, "Noter", str(r.notes));
            t->post();
        }
    }

    engine::Session& m_session;
    std::map<QString, qint64> m_groupNumbers;
    std::map<QString, int> m_tapeLengths;
};

} // namespace

void fillSample(const QDir& dir) {
    // The tables are reached through an alias, kept in a configuration file of our own so
    // that the user's real aliases are never touched.
    QTemporaryDir configDir;
    if (!configDir.isValid())
        throw engine::Error(QStringLiteral("Cannot create a temporary folder"));
    engine::Session session(configDir.filePath(QStringLiteral("engine.ini")));
    session.addAlias(QString::fromUtf8(schema::kAlias), dir.absolutePath(),
                     QStringLiteral("PARADOX"));
    SampleWriter(session).write();
}

} // namespace tool
