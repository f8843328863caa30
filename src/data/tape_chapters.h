#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace engine {
class Session;
}

// Where each recording of a tape lies in a capture of the whole tape. A capture runs in real
// time from the start of the tape; tape time is measured at SP, so a stretch of tape plays
// for its tape time at SP and for twice that at LP.
namespace chapters {

// One recording of a tape, as the catalogue holds it (times are fractions of a day).
struct TapeRecording {
    QString title1;
    QString title2;
    double start = 0;       // Starttid: where it begins on the tape
    double tapeTime = 0;    // SpilletidSP: the tape it takes
    double playingTime = 0; // SpilletidSPLP: how long it plays
    QString speed;          // Hastighed
};

// How the player reads blank tape between recordings.
enum class BlankSpeed { SP, LP };

struct Chapter {
    int number = 0; // the recording's place on the tape, from 1
    QString title;  // the first title, the second in parentheses when present
    qint64 startMs = 0;
    qint64 endMs = 0;
};

// Two recordings that share tape (data from before the overlap rule); minutes of tape time.
struct Overlap {
    QString first;
    int firstStart = 0;
    int firstEnd = 0;
    QString second;
    int secondStart = 0;
    int secondEnd = 0;
};

struct ChapterList {
    std::vector<Chapter> chapters; // in tape order; empty when recordings overlap
    std::vector<Overlap> overlaps;
    std::vector<QString> beforeCapture; // left out: they end before the capture starts
};

// The chapters of a tape's recordings (in any order). A recording's chapter starts at the sum
// of the real playing times of everything before it on the tape: the recordings (SP:
// their tape time; any other speed: their playing time) and the blank stretches between
// them, read at blankSpeed. offsetMs shifts every chapter (the capture started before the
// tape's 0:00 when positive); a chapter that would start before the capture starts at 0.
// Recordings that overlap give no chapters, only the overlaps.
ChapterList computeChapters(std::vector<TapeRecording> recordings, BlankSpeed blank,
                            qint64 offsetMs = 0);

// A tape of the catalogue with its recordings.
struct Tape {
    QString name; // as registered
    std::vector<TapeRecording> recordings;
};

// The tape named name (letter case ignored) in the catalogue behind the alias "Spolebox"
// of session; nothing when there is no such tape. Throws engine::Error when the catalogue
// cannot be read.
std::optional<Tape> readTape(engine::Session& session, const QString& name);

// "[+|-]H:MM:SS" with optional fractions of a second, as milliseconds; nothing when the text
// is no such time.
std::optional<qint64> parseOffset(const QString& text);

// Tape minutes as "h:mm".
QString minutesText(int minutes);

} // namespace chapters
