// spolebox-catalogue: sets up and keeps a catalogue directory for Spolebox.
//
//   spolebox-catalogue create DIR            the six tables, empty
//   spolebox-catalogue create --sample DIR   the six tables with a small sample collection
//   spolebox-catalogue create --generate N DIR   with N synthetic recordings
//                    [--tapes T] [--gaps P]     on T tapes, P of 100 after free minutes
//   spolebox-catalogue check [DIR]           soundness and consistency, one line per finding
//   spolebox-catalogue backup [DIR] DEST     a copy into a new folder or .zip file
//   spolebox-catalogue restore BACKUP DIR    a backup into a folder without tables
//   spolebox-catalogue export [DIR] OUT      CSV files of every table and of the recordings
//   spolebox-catalogue import CSV_DIR DIR    a catalogue from exported CSV files
//   spolebox-catalogue chapters [DIR] TAPE   chapters of a tape for digitising it
//
// DIR defaults to the folder that the database alias "Spolebox" names.

#include "backup_command.h"
#include "catalogue_generator.h"
#include "chapters_command.h"
#include "check_command.h"
#include "create_command.h"
#include "export_command.h"
#include "import_command.h"
#include "tool_output.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

int usage() {
    tool::err() << "Usage: spolebox-catalogue COMMAND ...\n"
                   "  create [--sample | --generate N [--tapes T] [--gaps P]] DIR\n"
                   "                          creates the Spolebox catalogue tables in DIR (made\n"
                   "                          when missing); --sample also fills them with a\n"
                   "                          small sample collection, --generate N with N\n"
                   "                          synthetic recordings (1 to "
                << generator::kMaxRecordings
                << "), N/10 tapes\n"
                   "                          (or T) and N/10 actors; P of every 100 recordings\n"
                   "                          (25 unless given) have free minutes before them\n"
                   "  check [DIR]             checks the catalogue; exit code 1 when anything\n"
                   "                          is wrong\n"
                   "  backup [DIR] DEST       copies the catalogue into DEST, a new folder or a\n"
                   "                          new .zip file\n"
                   "  restore BACKUP DIR      puts a backup into DIR, which holds no tables\n"
                   "  export [DIR] OUT        writes every table as a CSV file into OUT, and\n"
                   "                          optagelser.csv, a list of the recordings\n"
                   "  import CSV_DIR DIR      makes a catalogue in DIR from exported CSV files\n"
                   "DIR defaults to the folder that the database alias \"Spolebox\" names.\n"
                << tool::chaptersUsage();
    tool::err().flush();
    return tool::kUsageError;
}

// A whole number after an option, taken out of args.
struct NumberOption {
    bool given = false;
    bool valid = true; // a number from the lowest to the highest allowed
    int value = 0;
};

NumberOption takeNumber(QStringList& args, const QString& option, int lowest, int highest) {
    NumberOption number;
    const qsizetype at = args.indexOf(option);
    if (at < 0)
        return number;
    number.given = true;
    bool ok = false;
    number.value = at + 1 < args.size() ? args.at(at + 1).toInt(&ok) : 0;
    args.remove(at, std::min<qsizetype>(2, args.size() - at));
    number.valid = ok && number.value >= lowest && number.value <= highest;
    return number;
}

int runCreate(QStringList args) {
    const bool sample = args.removeAll(QStringLiteral("--sample")) > 0;
    const NumberOption generate =
        takeNumber(args, QStringLiteral("--generate"), 1, generator::kMaxRecordings);
    const NumberOption tapes =
        takeNumber(args, QStringLiteral("--tapes"), 1, generator::kMaxRecordings);
    const NumberOption gaps = takeNumber(args, QStringLiteral("--gaps"), 0, 100);
    if (!generate.valid) {
        tool::err() << "spolebox-catalogue: --generate takes a number of recordings from 1 to "
                    << generator::kMaxRecordings << '\n';
        return usage();
    }
    if (!tapes.valid) {
        tool::err() << "spolebox-catalogue: --tapes takes a number of tapes from 1 to "
                    << generator::kMaxRecordings << '\n';
        return usage();
    }
    if (!gaps.valid) {
        tool::err() << "spolebox-catalogue: --gaps takes a number from 0 to 100\n";
        return usage();
    }
    if (args.size() != 1 || args.first().startsWith(u'-') || (sample && generate.given) ||
        (!generate.given && (tapes.given || gaps.given)))
        return usage();
    if (!generate.given)
        return tool::create(args.first(), sample);
    generator::CatalogueSize size;
    size.recordings = generate.value;
    if (tapes.given)
        size.tapes = tapes.value;
    if (gaps.given)
        size.gapPercent = gaps.value;
    return tool::create(args.first(), sample, size);
}

// The arguments of a command that takes from `least` to `most` of them, none an option.
bool argumentsFit(const QStringList& args, qsizetype least, qsizetype most) {
    if (args.size() < least || args.size() > most)
        return false;
    for (const QString& arg : args) {
        if (arg.startsWith(u'-'))
            return false;
    }
    return true;
}

// A catalogue folder that may be left out, before the one argument that must be there.
QString optionalFolder(const QStringList& args) {
    return args.size() == 2 ? args.first() : QString();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == u"create")
        return runCreate(args);
    if (command == u"chapters")
        return tool::runChapters(args);
    if (command == u"check" && argumentsFit(args, 0, 1))
        return tool::check(args.value(0));
    if (command == u"backup" && argumentsFit(args, 1, 2))
        return tool::backup(optionalFolder(args), args.last());
    if (command == u"restore" && argumentsFit(args, 2, 2))
        return tool::restore(args[0], args[1]);
    if (command == u"export" && argumentsFit(args, 1, 2))
        return tool::exportCatalogue(optionalFolder(args), args.last());
    if (command == u"import" && argumentsFit(args, 2, 2))
        return tool::importCatalogue(args[0], args[1]);
    return usage();
}
