// create: sets up the six tables of a catalogue, empty or with the sample collection. It
// never touches a catalogue that is already there, and a create that fails half-way
// leaves nothing behind.

#include "create_command.h"

#include "data/catalogue_setup.h"
#include "engine/error.h"
#include "sample_catalogue.h"
#include "tool_output.h"

#include <QDir>

namespace tool {

int create(const QString& directory, bool sample) {
    try {
        catalogue::createEmpty(directory, sample ? std::function<void(const QDir&)>(fillSample)
                                                 : std::function<void(const QDir&)>());
    } catch (const engine::Error& e) {
        err() << "spolebox-catalogue: " << e.message() << '\n';
        return 1;
    }
    out() << "Created " << (sample ? "a sample" : "an empty") << " catalogue in "
          << QDir::toNativeSeparators(QDir(directory).absolutePath()) << '\n';
    return 0;
}

} // namespace tool
