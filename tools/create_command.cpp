// create: sets up the six tables of a catalogue. It never touches a catalogue that is
// already there: when any of the six table files exists in the folder it stops before
// creating anything.

#include "create_command.h"

#include "data/catalogue_setup.h"
#include "engine/error.h"
#include "sample_catalogue.h"
#include "tool_output.h"

#include <QDir>

namespace tool {

int create(const QString& directory, bool sample) {
    try {
        catalogue::createEmpty(directory);
        if (sample) {
            try {
                fillSample(QDir(directory));
            } catch (...) {
                catalogue::removeTables(QDir(directory));
                throw;
            }
        }
    } catch (const engine::Error& e) {
        err() << "spolebox-catalogue: " << e.message() << '\n';
        return 1;
    }
    out() << "Created " << (sample ? "a sample" : "an empty") << " catalogue in "
          << QDir::toNativeSeparators(QDir(directory).absolutePath()) << '\n';
    return 0;
}

} // namespace tool
