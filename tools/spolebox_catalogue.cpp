// spolebox-catalogue: sets up and keeps a catalogue directory for Spolebox.
//
//   spolebox-catalogue create DIR            the six tables, empty
//   spolebox-catalogue create --sample DIR   the six tables with a small sample collection
//   spolebox-catalogue create --generate N DIR   with N synthetic recordings
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
                   "  create [--sample | --generate N] DIR\n"
                   "                          creates the Spolebox catalogue tables in DIR (made\n"
                   "                          when missing); --sample also fills them with a\n"
                   "                          small sample collection, --generate N with N\n"
                   "                          synthetic recordings (1 to "
                << generator::kMaxRecordings
                << "), N/10 tapes\n"
                   "                          and N/10 actors\n"
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

// The number after --generate, taken out of args: 0 without the option, -1 when it is
// not a number of recordings the generator makes.
int takeGenerateCount(QStringList& args) {
    const qsizetype at = args.indexOf(QStringLiteral("--generate"));
    if (at < 0)
        return 0;
    bool ok = false;
    const int count = at + 1 < args.size() ? args.at(at + 1).toInt(&ok) : 0;
    args.remove(at, std::min<qsizetype>(2, args.size() - at));
    return ok && count >= 1 && count <= generator::kMaxRecordings ? count : -1;
}

int runCreate(QStringList args) {
    const bool sample = args.removeAll(QStringLiteral("--sample")) > 0;
    const int generate = takeGenerateCount(args);
    if (generate < 0) {
        tool::err() << "spolebox-catalogue: --generate takes a number of recordings from 1 to "
                    << generator::kMaxRecordings << '\n';
        return usage();
    }
    if (args.size() != 1 || args.first().startsWith(u'-') || (sample && generate > 0))
        return usage();
    return tool::create(args.first(), sample, generate);
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
