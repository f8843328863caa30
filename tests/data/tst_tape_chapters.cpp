// Chapters of a tape for its capture: where each recording lies in real time, with SP and LP
// recordings, blank stretches read at SP or LP, an offset, overlapping recordings refused;
// and the three files written from them, with titles holding every special character.
#include "data/chapter_formats.h"
#include "data/tape_chapters.h"
#include "data/tape_time.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using chapters::BlankSpeed;
using chapters::Chapter;

namespace {

// "h:mm:ss" or "h:mm" as milliseconds.
qint64 ms(const QString& time) {
    const QStringList parts = time.split(u':');
    qint64 seconds = 0;
    for (const QString& p : parts)
        seconds = seconds * 60 + p.toLongLong();
    return (parts.size() == 2 ? seconds * 60 : seconds) * 1000;
}

QString hms(qint64 ms) {
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

// A tape written as "start+playing SPEED title" per recording, e.g. "1:10+1:31 LP Festen";
// the tape time is derived as the program does before every post.
std::vector<chapters::TapeRecording> tape(const QStringList& entries) {
    std::vector<chapters::TapeRecording> list;
    for (const QString& entry : entries) {
        const QStringList words = entry.split(u' ');
        const QStringList times = words[0].split(u'+');
        chapters::TapeRecording r;
        r.start = ms(times[0]) / 86400000.0;
        r.playingTime = ms(times[1]) / 86400000.0;
        r.speed = words.value(1);
        r.tapeTime = tapetime::tapeTime(r.playingTime, r.speed).toDouble();
        r.title1 = words.mid(2).join(u' ');
        list.push_back(r);
    }
    return list;
}

// "title start-end" per chapter, times as h:mm:ss.
QStringList described(const std::vector<Chapter>& list) {
    QStringList lines;
    for (const Chapter& c : list)
        lines << QStringLiteral("%1 %2-%3").arg(c.title, hms(c.startMs), hms(c.endMs));
    return lines;
}

// Every character some format has to escape, and a line break.
const QString kSpecialTitle = QStringLiteral("\"Q\" 'a'=b; #1 \\ <&> ./x\nLinje 2");

chapters::Chapter special(int number, qint64 start, qint64 end) {
    return {number, kSpecialTitle, start, end};
}

} // namespace

class TapeChaptersTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void positions_data() {
        QTest::addColumn<QStringList>("recordings");
        QTest::addColumn<bool>("blankLp");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<QStringList>("expected");
        // SP 0:00-1:00, 10 min blank, LP 91 min (46 min of tape), SP 30 min straight after,
        // 14 min blank, LP 60 min.
        const QStringList mixed{QStringLiteral("0:00+1:00 SP A"), QStringLiteral("1:10+1:31 LP B"),
                                QStringLiteral("1:56+0:30 SP C"), QStringLiteral("2:40+1:00 LP D")};
        QTest::newRow("SP and LP, blank at SP")
            << mixed << false << ""
            << QStringList{"A 0:00:00-1:00:00", "B 1:10:00-2:41:00", "C 2:41:00-3:11:00",
                           "D 3:25:00-4:25:00"};
        QTest::newRow("SP and LP, blank at LP")
            << mixed << true << ""
            << QStringList{"A 0:00:00-1:00:00", "B 1:20:00-2:51:00", "C 2:51:00-3:21:00",
                           "D 3:49:00-4:49:00"};
        QTest::newRow("in any order")
            << QStringList{mixed[3], mixed[1], mixed[0], mixed[2]} << false << ""
            << QStringList{"A 0:00:00-1:00:00", "B 1:10:00-2:41:00", "C 2:41:00-3:11:00",
                           "D 3:25:00-4:25:00"};
        QTest::newRow("blank before the first, at LP")
            << QStringList{"0:15+0:30 SP A"} << true << "" << QStringList{"A 0:30:00-1:00:00"};
        QTest::newRow("speed other than SP plays its playing time")
            << QStringList{"0:00+0:40 lp A", "0:40+0:10 SP B"} << false << ""
            << QStringList{"A 0:00:00-0:40:00", "B 0:40:00-0:50:00"};
        QTest::newRow("capture started early")
            << QStringList{mixed[0], mixed[1]} << false << "0:00:07"
            << QStringList{"A 0:00:07-1:00:07", "B 1:10:07-2:41:07"};
        QTest::newRow("capture started late")
            << QStringList{mixed[0], mixed[1]} << false << "-0:00:30"
            << QStringList{"A 0:00:00-0:59:30", "B 1:09:30-2:40:30"};
        QTest::newRow("capture started after the first")
            << QStringList{mixed[0], mixed[1]} << false << "-1:05:00"
            << QStringList{"B 0:05:00-1:36:00"};
        QTest::newRow("no length at the start of another")
            << QStringList{"0:30+0:30 SP A", "0:30+0:00 SP Z"} << false << ""
            << QStringList{"Z 0:30:00-0:30:00", "A 0:30:00-1:00:00"};
        QTest::newRow("empty tape") << QStringList() << false << "" << QStringList();
    }
    void positions() {
        QFETCH(QStringList, recordings);
        QFETCH(bool, blankLp);
        QFETCH(QString, offset);
        QFETCH(QStringList, expected);
        const qint64 offsetMs = offset.isEmpty() ? 0 : *chapters::parseOffset(offset);
        const chapters::ChapterList list = chapters::computeChapters(
            tape(recordings), blankLp ? BlankSpeed::LP : BlankSpeed::SP, offsetMs);
        QVERIFY(list.overlaps.empty());
        QCOMPARE(described(list.chapters), expected);
    }

    void overlapsRefused_data() {
        QTest::addColumn<QStringList>("recordings");
        QTest::addColumn<QStringList>("overlaps"); // "first a-b, second c-d" in tape minutes
        QTest::newRow("one runs into the next")
            << QStringList{"0:00+1:00 SP A", "0:50+0:20 SP B", "2:00+0:10 SP C"}
            << QStringList{"A 0:00-1:00, B 0:50-1:10"};
        QTest::newRow("one inside a long one")
            << QStringList{"0:00+3:00 SP A", "1:00+0:30 SP B", "2:00+1:00 LP C"}
            << QStringList{"A 0:00-3:00, B 1:00-1:30", "A 0:00-3:00, C 2:00-2:30"};
        QTest::newRow("same start") << QStringList{"1:00+0:30 SP A", "1:00+0:20 SP B"}
                                    << QStringList{"B 1:00-1:20, A 1:00-1:30"};
    }
    void overlapsRefused() {
        QFETCH(QStringList, recordings);
        QFETCH(QStringList, overlaps);
        const chapters::ChapterList list =
            chapters::computeChapters(tape(recordings), BlankSpeed::SP);
        QStringList found;
        for (const chapters::Overlap& o : list.overlaps) {
            found << QStringLiteral("%1 %2-%3, %4 %5-%6")
                         .arg(o.first, chapters::minutesText(o.firstStart),
                              chapters::minutesText(o.firstEnd), o.second,
                              chapters::minutesText(o.secondStart),
                              chapters::minutesText(o.secondEnd));
        }
        QCOMPARE(found, overlaps);
        QVERIFY(list.chapters.empty());
    }

    void titles_data() {
        QTest::addColumn<QString>("title1");
        QTest::addColumn<QString>("title2");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first only") << "Festen"
                                    << ""
                                    << "Festen";
        QTest::newRow("both") << "Riget"
                              << "Afsnit 1"
                              << "Riget (Afsnit 1)";
        QTest::newRow("second only") << ""
                                     << "Afsnit 2"
                                     << "Afsnit 2";
        QTest::newRow("none") << " "
                              << ""
                              << "Optagelse 1";
        QTest::newRow("line breaks of another system") << "En\r\nTo\rTre"
                                                       << ""
                                                       << "En\nTo\nTre";
    }
    void titles() {
        QFETCH(QString, title1);
        QFETCH(QString, title2);
        QFETCH(QString, expected);
        auto recordings = tape({QStringLiteral("0:00+0:10 SP")});
        recordings[0].title1 = title1;
        recordings[0].title2 = title2;
        const auto list = chapters::computeChapters(recordings, BlankSpeed::SP);
        QCOMPARE(list.chapters.at(0).title, expected);
    }

    void offsets_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expected"); // -1: refused
        QTest::newRow("zero") << "0:00:00" << qint64(0);
        QTest::newRow("H:MM:SS") << "1:02:03" << qint64(3723000);
        QTest::newRow("fraction") << "0:00:01.5" << qint64(1500);
        QTest::newRow("late") << "-0:00:30" << qint64(-30000);
        QTest::newRow("plus") << "+0:01:00" << qint64(60000);
        QTest::newRow("minutes over 59") << "0:60:00" << qint64(-1);
        QTest::newRow("no seconds") << "1:02" << qint64(-1);
        QTest::newRow("words") << "soon" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
    }
    void offsets() {
        QFETCH(QString, text);
        QFETCH(qint64, expected);
        const auto offset = chapters::parseOffset(text);
        QCOMPARE(offset.value_or(-1), expected);
    }

    void ffmetadataEscapes() {
        const QString text = chapters::formatChapters({special(1, 0, 61500)},
                                                      chapters::Format::FFMetadata, QString());
        QCOMPARE(text, QStringLiteral(";FFMETADATA1\n\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\n"
                                      "END=61500\ntitle=\"Q\" 'a'\\=b\\; \\#1 \\\\ <&> ./x\\\n"
                                      "Linje 2\n"));
    }

    void matroskaReadsBack() {
        const QString text = chapters::formatChapters(
            {special(1, 0, 61500), {2, QStringLiteral("B"), 61500, 3723004}},
            chapters::Format::Matroska, QString());
        QXmlStreamReader xml(text);
        QStringList read;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                (xml.name() == u"ChapterTimeStart" || xml.name() == u"ChapterTimeEnd" ||
                 xml.name() == u"ChapterString"))
                read << xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(read, (QStringList{"00:00:00.000000000", "00:01:01.500000000", kSpecialTitle,
                                    "00:01:01.500000000", "01:02:03.004000000", "B"}));
    }

    // The script run as the user runs it, with an ffmpeg that only says what it was asked.
    void cutScriptRunsFfmpegPerRecording() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile fake(dir.filePath(QStringLiteral("ffmpeg")));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done; echo\n");
        fake.close();
        fake.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        QFile script(dir.filePath(QStringLiteral("cut.sh")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(chapters::formatChapters({special(1, 0, 61500),
                                               {2, QStringLiteral(".skjult"), 61500, 90000},
                                               {3, QStringLiteral("Tom"), 90000, 90000},
                                               {4, QStringLiteral("../../x"), 90000, 120250}},
                                              chapters::Format::CutScript,
                                              QStringLiteral("A1 'x'\nny linje"))
                         .toUtf8());
        script.close();

        QProcess sh;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), dir.path() + u':' + env.value(QStringLiteral("PATH")));
        sh.setProcessEnvironment(env);
        sh.start(QStringLiteral("sh"), {script.fileName(), QStringLiteral("/film/bånd 1.mkv")});
        QVERIFY(sh.waitForFinished(20000));
        QCOMPARE(sh.exitCode(), 0);
        const QStringList calls =
            QString::fromUtf8(sh.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        const QString common = QStringLiteral("-hide_banner|-nostdin|-loglevel|error|-n|-ss|");
        const QString input = QStringLiteral("-i|/film/bånd 1.mkv|-map|0|-c|copy|");
        QCOMPARE(calls,
                 (QStringList{common + "0.000|-to|61.500|" + input +
                                  "/film/01 \"Q\" 'a'=b; #1 - <&> .-x Linje 2.mkv|",
                              common + "61.500|-to|90.000|" + input + "/film/02 skjult.mkv|",
                              common + "90.000|-to|120.250|" + input + "/film/04 -..-x.mkv|"}));
    }

    void safeFileNames_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Festen"
                               << "Festen";
        QTest::newRow("slashes") << "AC/DC \\ live"
                                 << "AC-DC - live";
        QTest::newRow("leading dots") << "...og så"
                                      << "og så";
        QTest::newRow("line break and tab") << "En\nTo\tTre"
                                            << "En To Tre";
        QTest::newRow("only dots") << ".."
                                   << "Optagelse";
        QTest::newRow("empty") << ""
                               << "Optagelse";
    }
    void safeFileNames() {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        QCOMPARE(chapters::safeFileName(title), expected);
    }
};

QTEST_GUILESS_MAIN(TapeChaptersTest)
#include "tst_tape_chapters.moc"
