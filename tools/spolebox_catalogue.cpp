// spolebox-catalogue: sets up and keeps a catalogue directory for Spolebox.
//
//   spolebox-catalogue create DIR            the six tables, empty
//   spolebox-catalogue create --sample DIR   the six tables with a small sample collection
//   spolebox-catalogue create --generate N DIR   the six tables with N synthetic recordings
//   spolebox-catalogue chapters [DIR] TAPE   chapters of a tape for digitising it

#include "catalogue_generator.h"
#include "chapters_command.h"
#include "create_command.h"
#include "tool_output.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

int usage() {
    tool::err() << "Usage: spolebox-catalogue create [--sample | --generate N] DIR\n"
                   "  Creates the Spolebox catalogue tables in DIR (made when missing).\n"
                   "  --sample      also fills them with a small sample collection.\n"
                   "  --generate N  also fills them with N synthetic recordings (1 to "
                << generator::kMaxRecordings
                << "),\n"
                   "                N/10 tapes and N/10 actors.\n"
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
    return usage();
}
