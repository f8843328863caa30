// chapters: where each recording of a tape lies in a capture of the whole tape, written as
// FFmpeg metadata, Matroska chapter XML or a shell script that cuts the capture.

#include "chapters_command.h"

#include "data/chapter_formats.h"
#include "data/schema.h"
#include "data/tape_chapters.h"
#include "engine/error.h"
#include "engine/session.h"
#include "tool_output.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

namespace tool {

namespace {

struct Request {
    QString directory; // empty: the catalogue the alias "Spolebox" names
    QString tape;
    chapters::Format format = chapters::Format::FFMetadata;
    qint64 offsetMs = 0;
    chapters::BlankSpeed blank = chapters::BlankSpeed::SP;
    QString output; // empty: standard output
};

int usageError(const QString& problem) {
    // The usage lines are indented to follow "Usage:".
    err() << "spolebox-catalogue: " << problem << "\nUsage:" << chaptersUsage() + 6;
    err().flush();
    return kUsageError;
}

// Fills request from the arguments; an error text when they make no sense.
QString parse(QStringList args, Request& request) {
    QStringList positional;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        const bool takesValue =
            arg == u"--format" || arg == u"--offset" || arg == u"--blank" || arg == u"-o";
        if (!takesValue) {
            if (arg.startsWith(u'-'))
                return QStringLiteral("unknown option '%1'").arg(arg);
            positional << arg;
            continue;
        }
        if (args.isEmpty())
            return QStringLiteral("%1 needs a value").arg(arg);
        const QString value = args.takeFirst();
        if (arg == u"--format") {
            const auto format = chapters::formatNamed(value);
            if (!format)
                return QStringLiteral("unknown format '%1'").arg(value);
            request.format = *format;
        } else if (arg == u"--offset") {
            const auto offset = chapters::parseOffset(value);
            if (!offset)
                return QStringLiteral("the offset '%1' is no time H:MM:SS").arg(value);
            request.offsetMs = *offset;
        } else if (arg == u"--blank") {
            if (value.compare(QStringLiteral("sp"), Qt::CaseInsensitive) == 0)
                request.blank = chapters::BlankSpeed::SP;
            else if (value.compare(QStringLiteral("lp"), Qt::CaseInsensitive) == 0)
                request.blank = chapters::BlankSpeed::LP;
            else
                return QStringLiteral("--blank is sp or lp, not '%1'").arg(value);
        } else {
            request.output = value;
        }
    }
    if (positional.size() == 1) {
        request.tape = positional[0];
    } else if (positional.size() == 2) {
        request.directory = positional[0];
        request.tape = positional[1];
    } else {
        return QStringLiteral("give the tape's name, after the catalogue folder if not the usual");
    }
    return QString();
}

void reportOverlaps(const QString& tape, const std::vector<chapters::Overlap>& overlaps) {
    err() << "spolebox-catalogue: recordings on tape " << tape
          << " overlap, so where they lie in a capture is unknown; no chapters were written:\n";
    for (const chapters::Overlap& o : overlaps) {
        err() << "  \"" << o.first << "\" (" << chapters::minutesText(o.firstStart) << "-"
              << chapters::minutesText(o.firstEnd) << ") and \"" << o.second << "\" ("
              << chapters::minutesText(o.secondStart) << "-" << chapters::minutesText(o.secondEnd)
              << ")\n";
    }
    err() << "Move or shorten one of each pair in Spolebox first.\n";
}

bool write(const Request& request, const QString& text) {
    if (request.output.isEmpty()) {
        out() << text;
        out().flush();
        return true;
    }
    QSaveFile file(request.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        err() << "spolebox-catalogue: cannot write '" << request.output
              << "': " << file.errorString() << '\n';
        return false;
    }
    if (request.format == chapters::Format::CutScript) {
        const QString& path = request.output;
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser |
                                        QFile::ExeGroup | QFile::ExeOther);
    }
    return true;
}

int run(const Request& request) {
    // A catalogue folder given is reached through an alias of our own, so that the user's
    // aliases are never touched.
    QTemporaryDir configDir;
    const QString config = request.directory.isEmpty()
                               ? engine::Session::defaultConfigFile()
                               : configDir.filePath(QStringLiteral("engine.ini"));
    engine::Session session(config);
    const QString alias = QString::fromUtf8(schema::kAlias);
    if (!request.directory.isEmpty()) {
        if (!QFileInfo(request.directory).isDir()) {
            err() << "spolebox-catalogue: '" << request.directory << "' is no folder\n";
            return 1;
        }
        session.addAlias(alias, QDir(request.directory).absolutePath(), QStringLiteral("PARADOX"));
    } else if (!session.aliasExists(alias)) {
        err() << "spolebox-catalogue: there is no catalogue yet (no alias \"Spolebox\" in "
              << config << "); give the catalogue folder before the tape's name\n";
        return 1;
    }

    const std::optional<chapters::Tape> tape = chapters::readTape(session, request.tape);
    if (!tape) {
        err() << "spolebox-catalogue: there is no tape named '" << request.tape << "' in "
              << QDir::toNativeSeparators(session.aliasDirectory(alias)) << '\n';
        return 1;
    }
    const chapters::ChapterList list =
        chapters::computeChapters(tape->recordings, request.blank, request.offsetMs);
    if (!list.overlaps.empty()) {
        reportOverlaps(tape->name, list.overlaps);
        return 1;
    }
    if (tape->recordings.empty())
        err() << "spolebox-catalogue: note: tape " << tape->name << " holds no recordings\n";
    for (const QString& title : list.beforeCapture)
        err() << "spolebox-catalogue: note: \"" << title
              << "\" ends before the capture starts (--offset); left out\n";
    err().flush();
    return write(request, chapters::formatChapters(list.chapters, request.format, tape->name)) ? 0
                                                                                               : 1;
}

} // namespace

const char* chaptersUsage() {
    return "       spolebox-catalogue chapters [DIR] TAPE [--format "
           "ffmetadata|matroska|cut-script]\n"
           "                          [--offset H:MM:SS] [--blank sp|lp] [-o FILE]\n"
           "  Writes where each recording of the tape TAPE lies in a capture of the whole\n"
           "  tape: FFmpeg metadata (the default), Matroska chapter XML, or a shell script\n"
           "  that cuts the capture into one file per recording. DIR is the catalogue\n"
           "  folder (default: the one Spolebox uses). --offset: where the tape's 0:00 lies\n"
           "  in the capture (-H:MM:SS when the capture started late); --blank lp: the\n"
           "  player reads blank tape at LP. -o FILE: write there, not to standard output.\n";
}

int runChapters(QStringList args) {
    Request request;
    const QString problem = parse(std::move(args), request);
    if (!problem.isEmpty())
        return usageError(problem);
    try {
        return run(request);
    } catch (const engine::Error& e) {
        err() << "spolebox-catalogue: " << e.message() << '\n';
        return 1;
    }
}

} // namespace tool
