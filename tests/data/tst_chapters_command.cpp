// spolebox-catalogue chapters, run as the user runs it on catalogues made here, and its
// files put through the real tools: FFmpeg takes the metadata and ffprobe reads every
// chapter back, mkvmerge takes the XML, and the cut script makes one file per recording.
#include "data/schema.h"
#include "program_run.h"
#include "temp_catalogue.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Result = ProgramResult;

Result runTool(const QStringList& arguments) {
    return runProgram(QStringLiteral(SPOLEBOX_CATALOGUE_TOOL), arguments);
}

// A title with every character some format escapes, and a line break.
const QString kSpecialTitle = QStringLiteral("\"Q\" 'a'=b; #1 \\ <&> ./x\nLinje 2");

// Tape "Bånd1" (12 minutes): SP 0:00+3, blank 1, LP 3 minutes (2 of tape), SP 2 straight
// after, blank 2, LP 5 minutes running past the tape's end. Tape "OV" holds an overlap.
// In a capture, blank read at SP: 0-3, 4-7, 7-9 and 11-16 minutes.
const QList<QPair<int, int>> kChaptersSeconds{{0, 180}, {240, 420}, {420, 540}, {660, 960}};
const QStringList kTitles{QStringLiteral("Første"), kSpecialTitle + QStringLiteral(" (del 2)"),
                          QStringLiteral("Tredje"), QStringLiteral("Fjerde")};

void fill(TempCatalogue& catalogue) {
    for (const auto& [name, length] : {std::pair{"Bånd1", 12}, std::pair{"OV", 60}})
        catalogue.appendRow(schema::tapes(),
                            {{QStringLiteral("BaandNavn"), QString::fromUtf8(name)},
                             {QStringLiteral("Baandlaengde"), length}});
    catalogue.appendRecording(QStringLiteral("Bånd1"), 10, 5, QStringLiteral("LP"), kTitles[3]);
    catalogue.appendRecording(QStringLiteral("Bånd1"), 0, 3, QStringLiteral("SP"), kTitles[0]);
    catalogue.appendRecording(QStringLiteral("Bånd1"), 4, 3, QStringLiteral("LP"), kSpecialTitle,
                              QStringLiteral("del 2"));
    catalogue.appendRecording(QStringLiteral("Bånd1"), 6, 2, QStringLiteral("SP"), kTitles[2]);
    catalogue.appendRecording(QStringLiteral("OV"), 0, 30, QStringLiteral("SP"),
                              QStringLiteral("Lang"));
    catalogue.appendRecording(QStringLiteral("OV"), 20, 20, QStringLiteral("SP"),
                              QStringLiteral("Oveni"));
}

QString tool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// start, end (seconds) and title of every chapter ffprobe finds in a file.
QStringList probedChapters(const QString& file) {
    const Result probe =
        runProgram(tool("ffprobe"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_chapters"),
                    QStringLiteral("-of"), QStringLiteral("json"), file});
    QStringList found;
    const QJsonArray list =
        QJsonDocument::fromJson(probe.output.toUtf8()).object().value(u"chapters").toArray();
    for (const QJsonValue& c : list) {
        const QJsonObject o = c.toObject();
        found << QStringLiteral("%1-%2 %3")
                     .arg(o.value(u"start_time").toString().toDouble())
                     .arg(o.value(u"end_time").toString().toDouble())
                     .arg(o.value(u"tags").toObject().value(u"title").toString());
    }
    return found;
}

QStringList expectedChapters() {
    QStringList expected;
    for (int i = 0; i < kTitles.size(); ++i)
        expected << QStringLiteral("%1-%2 %3")
                        .arg(kChaptersSeconds[i].first)
                        .arg(kChaptersSeconds[i].second)
                        .arg(kTitles[i]);
    return expected;
}

double durationOf(const QString& file) {
    const Result probe = runProgram(
        tool("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"),
                          QStringLiteral("-show_entries"), QStringLiteral("format=duration"),
                          QStringLiteral("-of"), QStringLiteral("csv=p=0"), file});
    return probe.output.trimmed().toDouble();
}

} // namespace

class ChaptersCommandTest : public QObject {
    Q_OBJECT

    TempCatalogue m_catalogue;
    QTemporaryDir m_work;
    QString m_capture;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(m_catalogue.isValid(), qPrintable(m_catalogue.errorString()));
        fill(m_catalogue);
        for (const char* name : {"ffmpeg", "ffprobe", "mkvmerge"})
            QVERIFY2(!tool(name).isEmpty(),
                     qPrintable(QStringLiteral("%1 is missing: run scripts/install-deps.sh")
                                    .arg(QString::fromLatin1(name))));
        // A capture of the whole tape: black frames, one a second, as long as the tape plays.
        m_capture = m_work.filePath(QStringLiteral("capture.mkv"));
        const Result made = runProgram(
            tool("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                             QStringLiteral("lavfi"), QStringLiteral("-i"),
                             QStringLiteral("color=c=black:s=32x32:r=1:d=960"),
                             QStringLiteral("-c:v"), QStringLiteral("mjpeg"), m_capture});
        QVERIFY2(made.exitCode == 0, qPrintable(made.errors));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no tape") << QStringList{"chapters"};
        QTest::newRow("three names") << QStringList{"chapters", "a", "b", "c"};
        QTest::newRow("unknown format") << QStringList{"chapters", "A1", "--format", "srt"};
        QTest::newRow("format without value") << QStringList{"chapters", "A1", "--format"};
        QTest::newRow("offset no time") << QStringList{"chapters", "A1", "--offset", "5s"};
        QTest::newRow("blank neither sp nor lp") << QStringList{"chapters", "A1", "--blank", "ep"};
        QTest::newRow("unknown option") << QStringList{"chapters", "A1", "--all"};
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        const Result result = runTool(arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.errors.contains(u"Usage: spolebox-catalogue chapters"));
        QVERIFY(result.output.isEmpty());
    }

    void refused_data() {
        QTest::addColumn<QString>("tape");
        QTest::addColumn<QStringList>("mentioned");
        QTest::newRow("no such tape") << "A9" << QStringList{"A9"};
        QTest::newRow("overlap") << "ov"
                                 << QStringList{"OV", "\"Lang\" (0:00-0:30)",
                                                "\"Oveni\" (0:20-0:40)"};
    }
    void refused() {
        QFETCH(QString, tape);
        QFETCH(QStringList, mentioned);
        const QString file = m_work.filePath(QStringLiteral("refused.txt"));
        const Result result = runTool({QStringLiteral("chapters"), m_catalogue.directory(), tape,
                                       QStringLiteral("-o"), file});
        QCOMPARE(result.exitCode, 1);
        for (const QString& text : mentioned)
            QVERIFY2(result.errors.contains(text), qPrintable(result.errors));
        QVERIFY(!QFile::exists(file));
    }

    // The options reach the computation: the chapter starts of the metadata, in seconds.
    void options_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("starts");
        QTest::newRow("defaults") << QStringList() << "0 240 420 660";
        QTest::newRow("blank at LP") << QStringList{"--blank", "lp"} << "0 300 480 840";
        QTest::newRow("offset") << QStringList{"--offset", "0:00:05"} << "5 245 425 665";
        QTest::newRow("offset and blank at LP")
            << QStringList{"--offset", "-0:01:00", "--blank", "LP"} << "0 240 420 780";
    }
    void options() {
        QFETCH(QStringList, options);
        QFETCH(QString, starts);
        // The tape's name in other letter case, the format named.
        const Result result =
            runTool(QStringList{QStringLiteral("chapters"), m_catalogue.directory(),
                                QStringLiteral("BÅND1"), QStringLiteral("--format"),
                                QStringLiteral("ffmetadata")} +
                    options);
        QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
        QStringList found;
        for (const QString& line : result.output.split(u'\n')) {
            if (line.startsWith(u"START="))
                found << QString::number(line.mid(6).toLongLong() / 1000);
        }
        QCOMPARE(found.join(u' '), starts);
    }

    void ffmetadataThroughFfmpeg() {
        const QString metadata = m_work.filePath(QStringLiteral("chapters.txt"));
        const QString out = m_work.filePath(QStringLiteral("with-chapters.mkv"));
        const Result result = runTool({QStringLiteral("chapters"), m_catalogue.directory(),
                                       QStringLiteral("Bånd1"), QStringLiteral("-o"), metadata});
        QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
        const Result muxed =
            runProgram(tool("ffmpeg"),
                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"),
                        m_capture, QStringLiteral("-i"), metadata, QStringLiteral("-map_metadata"),
                        QStringLiteral("1"), QStringLiteral("-map_chapters"), QStringLiteral("1"),
                        QStringLiteral("-c"), QStringLiteral("copy"), out});
        QVERIFY2(muxed.exitCode == 0, qPrintable(muxed.errors));
        QCOMPARE(probedChapters(out), expectedChapters());
    }

    void matroskaThroughMkvmerge() {
        const QString xml = m_work.filePath(QStringLiteral("chapters.xml"));
        const QString out = m_work.filePath(QStringLiteral("mkvmerge.mkv"));
        const Result result = runTool({QStringLiteral("chapters"), m_catalogue.directory(),
                                       QStringLiteral("Bånd1"), QStringLiteral("--format"),
                                       QStringLiteral("matroska"), QStringLiteral("-o"), xml});
        QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
        const Result merged =
            runProgram(tool("mkvmerge"),
                       {QStringLiteral("-o"), out, QStringLiteral("--chapters"), xml, m_capture});
        QVERIFY2(merged.exitCode == 0, qPrintable(merged.output + merged.errors));
        QCOMPARE(probedChapters(out), expectedChapters());
    }

    void cutScriptMakesOneFilePerRecording() {
        QTemporaryDir cuts;
        QVERIFY(cuts.isValid());
        const QString capture = cuts.filePath(QStringLiteral("bånd 1.mkv"));
        QVERIFY(QFile::copy(m_capture, capture));
        const QString script = m_work.filePath(QStringLiteral("cut.sh"));
        const Result result = runTool({QStringLiteral("chapters"), m_catalogue.directory(),
                                       QStringLiteral("Bånd1"), QStringLiteral("--format"),
                                       QStringLiteral("cut-script"), QStringLiteral("-o"), script});
        QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
        QVERIFY(QFileInfo(script).isExecutable());
        const Result cut = runProgram(script, {capture});
        QVERIFY2(cut.exitCode == 0, qPrintable(cut.output + cut.errors));

        QStringList files = QDir(cuts.path()).entryList(QDir::Files, QDir::Name);
        files.removeOne(QStringLiteral("bånd 1.mkv"));
        QCOMPARE(files.size(), kTitles.size());
        for (int i = 0; i < files.size(); ++i) {
            QVERIFY2(files[i].startsWith(QStringLiteral("0%1 ").arg(i + 1)), qPrintable(files[i]));
            QVERIFY(files[i].endsWith(u".mkv"));
            const double expected = kChaptersSeconds[i].second - kChaptersSeconds[i].first;
            const double duration = durationOf(cuts.filePath(files[i]));
            QVERIFY2(qAbs(duration - expected) <= 1.0,
                     qPrintable(QStringLiteral("%1: %2 s, not %3 s")
                                    .arg(files[i])
                                    .arg(duration)
                                    .arg(expected)));
        }
    }
};

QTEST_GUILESS_MAIN(ChaptersCommandTest)
#include "tst_chapters_command.moc"
