#pragma once

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QVector>

// Reads a PDF back as text with poppler's pdftotext, keeping the layout: one entry per
// page. Empty when the tool is missing (pdfToolsMissing() tells) or fails.
inline bool pdfToolsMissing() {
    return QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

inline QStringList pdfPages(const QString& pdfFile) {
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdfFile,
                QStringLiteral("-")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast(); // the text ends with a form feed after the last page
    return pages;
}

// The page's lines without surrounding blanks, empty lines left out.
inline QStringList pageLines(const QString& page) {
    QStringList lines;
    for (const QString& line : page.split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines;
}

// The words of a line, blanks of any length between them.
inline QStringList words(const QString& line) {
    return line.split(u' ', Qt::SkipEmptyParts);
}

// A word of a PDF page with its box in millimetres from the page's top-left corner.
struct PdfWord {
    int page = 0; // from 1
    QString text;
    QRectF box;
};

inline QVector<PdfWord> pdfWords(const QString& pdfFile) {
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdfFile,
                QStringLiteral("-")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" "
                       "xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    constexpr double kMmPerPoint = 25.4 / 72.0;
    QVector<PdfWord> result;
    int page = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * kMmPerPoint,
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()) * kMmPerPoint);
        QString text = m.captured(5);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
        result.append(PdfWord{page, text, box});
    }
    return result;
}

// The first word with the given text (on the given page, or any page when 0).
inline const PdfWord* findWord(const QVector<PdfWord>& words, const QString& text, int page = 0) {
    for (const PdfWord& w : words) {
        if (w.text == text && (page == 0 || w.page == page))
            return &w;
    }
    return nullptr;
}
