#include "chapter_formats.h"

#include <QSet>

namespace chapters {

namespace {

// FFmpeg's metadata syntax: '=', ';', '#', '\' and a line break are escaped with '\'.
QString ffmetadataEscaped(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == u'=' || c == u';' || c == u'#' || c == u'\\' || c == u'\n')
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

QString ffmetadata(const std::vector<Chapter>& chapters) {
    QString text = QStringLiteral(";FFMETADATA1\n");
    for (const Chapter& c : chapters) {
        text += QStringLiteral("\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=%3\n")
                    .arg(c.startMs)
                    .arg(c.endMs)
                    .arg(ffmetadataEscaped(c.title));
    }
    return text;
}

// XML text: the five markup characters as entities; control characters other than the line
// break cannot stand in XML 1.0 at all.
QString xmlEscaped(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == u'&')
            escaped += QStringLiteral("&amp;");
        else if (c == u'<')
            escaped += QStringLiteral("&lt;");
        else if (c == u'>')
            escaped += QStringLiteral("&gt;");
        else if (c == u'"')
            escaped += QStringLiteral("&quot;");
        else if (c == u'\'')
            escaped += QStringLiteral("&apos;");
        else if (c.unicode() < 0x20 && c != u'\n' && c != u'\t')
            escaped += u' ';
        else
            escaped += c;
    }
    return escaped;
}

// HH:MM:SS.nnnnnnnnn
QString matroskaTime(qint64 ms) {
    return QStringLiteral("%1:%2:%3.%4")
               .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
               .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
               .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
               .arg(ms % 1000, 3, 10, QLatin1Char('0')) +
           QStringLiteral("000000");
}

QString matroska(const std::vector<Chapter>& chapters) {
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<!DOCTYPE Chapters SYSTEM \"matroskachapters.dtd\">\n"
                                  "<Chapters>\n"
                                  "  <EditionEntry>\n");
    for (const Chapter& c : chapters) {
        text += QStringLiteral("    <ChapterAtom>\n"
                               "      <ChapterTimeStart>%1</ChapterTimeStart>\n"
                               "      <ChapterTimeEnd>%2</ChapterTimeEnd>\n"
                               "      <ChapterDisplay>\n"
                               "        <ChapterString>%3</ChapterString>\n"
                               "        <ChapterLanguage>und</ChapterLanguage>\n"
                               "      </ChapterDisplay>\n"
                               "    </ChapterAtom>\n")
                    .arg(matroskaTime(c.startMs), matroskaTime(c.endMs), xmlEscaped(c.title));
    }
    text += QStringLiteral("  </EditionEntry>\n</Chapters>\n");
    return text;
}

// A word for the shell, taken literally.
QString shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

// A comment line of the script: a line break in the text would end the comment.
QString commentText(const QString& text) {
    QString line = text;
    line.replace(u'\n', u' ');
    return line;
}

QString seconds(qint64 ms) {
    return QStringLiteral("%1.%2").arg(ms / 1000).arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString cutScript(const std::vector<Chapter>& chapters, const QString& tapeName) {
    QString text =
        QStringLiteral("#!/bin/sh\n"
                       "# Cuts a capture of the whole tape %1 into one file per recording, "
                       "beside the capture.\n"
                       "# Usage: sh SCRIPT CAPTURE   (needs ffmpeg; existing files are never "
                       "overwritten)\n"
                       "set -eu\n"
                       "if [ $# -ne 1 ]; then\n"
                       "    echo \"Usage: $0 CAPTURE\" >&2\n"
                       "    exit 2\n"
                       "fi\n"
                       "capture=$1\n"
                       "dir=$(dirname -- \"$capture\")\n"
                       "name=$(basename -- \"$capture\")\n"
                       "case $name in\n"
                       "    ?*.*) ext=${name##*.} ;;\n"
                       "    *) ext=mkv ;;\n"
                       "esac\n"
                       "cut_recording() {\n"
                       "    ffmpeg -hide_banner -nostdin -loglevel error -n -ss \"$1\" -to \"$2\" "
                       "-i \"$capture\" -map 0 -c copy \"$dir/$3.$ext\"\n"
                       "}\n")
            .arg(commentText(tapeName));
    QSet<QString> used;
    for (const Chapter& c : chapters) {
        text += QStringLiteral("\n# %1\n").arg(commentText(c.title));
        if (c.endMs <= c.startMs) {
            text += QStringLiteral("# (no playing time: nothing to cut)\n");
            continue;
        }
        // Numbered in tape order, which also keeps the names apart.
        QString base = QStringLiteral("%1 %2")
                           .arg(c.number, 2, 10, QLatin1Char('0'))
                           .arg(safeFileName(c.title));
        const QString plain = base;
        for (int n = 2; used.contains(base.toLower()); ++n)
            base = plain + QStringLiteral(" (%1)").arg(n);
        used.insert(base.toLower());
        text += QStringLiteral("cut_recording %1 %2 %3\n")
                    .arg(seconds(c.startMs), seconds(c.endMs), shellQuoted(base));
    }
    return text;
}

} // namespace

std::optional<Format> formatNamed(const QString& name) {
    if (name == u"ffmetadata")
        return Format::FFMetadata;
    if (name == u"matroska")
        return Format::Matroska;
    if (name == u"cut-script")
        return Format::CutScript;
    return std::nullopt;
}

QString formatChapters(const std::vector<Chapter>& chapters, Format format,
                       const QString& tapeName) {
    switch (format) {
    case Format::FFMetadata:
        return ffmetadata(chapters);
    case Format::Matroska:
        return matroska(chapters);
    case Format::CutScript:
        return cutScript(chapters, tapeName);
    }
    return QString();
}

QString safeFileName(const QString& title) {
    QString name;
    for (const QChar c : title) {
        if (c == u'/' || c == u'\\')
            name += u'-';
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            name += u' ';
        else
            name += c;
    }
    name = name.simplified();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    name = name.trimmed();
    // Short enough for any file system's 255 bytes, with room for the number and suffix.
    while (name.toUtf8().size() > 200)
        name.chop(name.back().isLowSurrogate() ? 2 : 1);
    return name.isEmpty() ? QStringLiteral("Optagelse") : name;
}

} // namespace chapters
