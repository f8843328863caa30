#include "tape_chapters.h"

#include "data/schema.h"
#include "data/tape_time.h"
#include "engine/table.h"

#include <QRegularExpression>
#include <algorithm>

namespace chapters {

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;

QString chapterTitle(const TapeRecording& r, int number) {
    const QString first = r.title1.trimmed();
    const QString second = r.title2.trimmed();
    QString title;
    if (first.isEmpty())
        title = second;
    else if (second.isEmpty())
        title = first;
    else
        title = first + QStringLiteral(" (") + second + u')';
    if (title.isEmpty())
        title = QStringLiteral("Optagelse %1").arg(number);
    // One kind of line break, whatever system typed the title.
    title.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    title.replace(u'\r', u'\n');
    return title;
}

// A recording measured in whole minutes, as the tape-time rules measure it.
struct Measured {
    const TapeRecording* recording;
    int start;   // tape minutes
    int end;     // tape minutes
    int playing; // real minutes
    int number = 0;
};

Measured measure(const TapeRecording& r) {
    const int start = tapetime::minuteValue(r.start);
    const int end = tapetime::minuteValue(r.start + r.tapeTime);
    const double real = r.speed == u"SP" ? r.tapeTime : r.playingTime;
    return {&r, start, end, tapetime::minuteValue(real)};
}

} // namespace

ChapterList computeChapters(std::vector<TapeRecording> recordings, BlankSpeed blank,
                            qint64 offsetMs) {
    std::vector<Measured> tape;
    for (const TapeRecording& r : recordings)
        tape.push_back(measure(r));
    // Tape order; a recording of no length comes before a longer one at the same place.
    std::stable_sort(tape.begin(), tape.end(), [](const Measured& a, const Measured& b) {
        return a.start != b.start ? a.start < b.start : a.end < b.end;
    });
    for (std::size_t i = 0; i < tape.size(); ++i)
        tape[i].number = int(i) + 1;

    ChapterList list;
    const int blankFactor = blank == BlankSpeed::LP ? 2 : 1;
    const Measured* furthest = nullptr; // the recording reaching furthest along the tape
    qint64 realMinutes = 0;             // real time played up to the end of furthest
    for (const Measured& m : tape) {
        const int tapeCursor = furthest ? furthest->end : 0;
        if (m.start < tapeCursor) {
            list.overlaps.push_back({chapterTitle(*furthest->recording, furthest->number),
                                     furthest->start, furthest->end,
                                     chapterTitle(*m.recording, m.number), m.start, m.end});
        } else {
            realMinutes += qint64(m.start - tapeCursor) * blankFactor;
            const qint64 start = realMinutes * kMinuteMs + offsetMs;
            realMinutes += m.playing;
            const qint64 end = realMinutes * kMinuteMs + offsetMs;
            const QString title = chapterTitle(*m.recording, m.number);
            if (start < 0 && end <= 0)
                list.beforeCapture.push_back(title);
            else
                list.chapters.push_back({m.number, title, std::max<qint64>(start, 0), end});
        }
        if (!furthest || m.end > furthest->end)
            furthest = &m;
    }
    if (!list.overlaps.empty())
        list.chapters.clear();
    return list;
}

std::optional<Tape> readTape(engine::Session& session, const QString& name) {
    const QString alias = QString::fromUtf8(schema::kAlias);
    engine::Table tapes(session);
    tapes.setAliasName(alias);
    tapes.setTableName(schema::tapes().fileName);
    tapes.setFieldDefs(schema::tapes().fields);
    tapes.open();
    if (name.isEmpty() || !tapes.locate(QStringLiteral("BaandNavn"), name, true))
        return std::nullopt;

    // The recordings of the tape are those the tape-time rules see: linked by name.
    engine::Table recordings(session);
    recordings.setAliasName(alias);
    recordings.setTableName(schema::recordings().fileName);
    recordings.setIndexName(QStringLiteral("SecBaandnrStarttid"));
    recordings.setFieldDefs(schema::fieldsOf(
        schema::recordings(),
        {QStringLiteral("Baandnummer"), QStringLiteral("Starttid"), QStringLiteral("SpilletidSP"),
         QStringLiteral("SpilletidSPLP"), QStringLiteral("Hastighed"), QStringLiteral("Titel1"),
         QStringLiteral("Titel2")}));
    recordings.setMasterLink(&tapes, QStringLiteral("BaandNavn"));
    recordings.open();

    Tape tape;
    tape.name = tapes.fieldByName(QStringLiteral("BaandNavn")).asString();
    for (recordings.first(); !recordings.eof(); recordings.next()) {
        auto value = [&](const char* field) {
            return recordings.fieldByName(QString::fromLatin1(field));
        };
        TapeRecording r;
        r.title1 = recordings.fieldByName(QStringLiteral("Titel1")).asString();
        r.title2 = recordings.fieldByName(QStringLiteral("Titel2")).asString();
        r.start = value("Starttid").asFloat();
        r.tapeTime = value("SpilletidSP").asFloat();
        r.playingTime = value("SpilletidSPLP").asFloat();
        r.speed = value("Hastighed").asString();
        tape.recordings.push_back(std::move(r));
    }
    recordings.close();
    return tape;
}

std::optional<qint64> parseOffset(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^([+-]?)(\d{1,3}):([0-5]\d):([0-5]\d)(?:[.,](\d{1,3}))?$)"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString fraction = match.captured(5).leftJustified(3, u'0');
    const qint64 ms = ((match.captured(2).toLongLong() * 60 + match.captured(3).toLongLong()) * 60 +
                       match.captured(4).toLongLong()) *
                          1000 +
                      fraction.toLongLong();
    return match.captured(1) == u"-" ? -ms : ms;
}

QString minutesText(int minutes) {
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace chapters
