// create: sets up the six tables of a catalogue, empty, with the sample collection or with
// a generated one. It never touches a catalogue that is already there, and a create that
// fails half-way leaves nothing behind.

#include "create_command.h"

#include "catalogue_generator.h"
#include "data/catalogue_setup.h"
#include "engine/error.h"
#include "sample_catalogue.h"
#include "tool_output.h"

#include <QDir>

namespace tool {

int create(const QString& directory, bool sample,
           const std::optional<generator::CatalogueSize>& generated) {
    std::function<void(const QDir&)> fill;
    if (sample) {
        fill = fillSample;
    } else if (generated) {
        fill = [size = *generated](const QDir& dir) {
            generator::fillCatalogue(dir.absolutePath(), size);
        };
    }
    try {
        catalogue::createEmpty(directory, fill);
    } catch (const engine::Error& e) {
        err() << "spolebox-catalogue: " << e.message() << '\n';
        return 1;
    }
    out() << "Created "
          << (sample      ? "a sample"
              : generated ? "a generated"
                          : "an empty")
          << " catalogue in " << QDir::toNativeSeparators(QDir(directory).absolutePath()) << '\n';
    return 0;
}

} // namespace tool
