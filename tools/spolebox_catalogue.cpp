// spolebox-catalogue: sets up and keeps a catalogue directory for Spolebox.
//
//   spolebox-catalogue create DIR            the six tables, empty
//   spolebox-catalogue create --sample DIR   the six tables with a small sample collection
//   spolebox-catalogue chapters [DIR] TAPE   chapters of a tape for digitising it

#include "chapters_command.h"
#include "create_command.h"
#include "tool_output.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

int usage() {
    tool::err() << "Usage: spolebox-catalogue create [--sample] DIR\n"
                   "  Creates the Spolebox catalogue tables in DIR (made when missing).\n"
                   "  --sample  also fills them with a small sample collection.\n"
                << tool::chaptersUsage();
    tool::err().flush();
    return tool::kUsageError;
}

int runCreate(QStringList args) {
    const bool sample = args.removeAll(QStringLiteral("--sample")) > 0;
    if (args.size() != 1 || args.first().startsWith(u'-'))
        return usage();
    return tool::create(args.first(), sample);
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
