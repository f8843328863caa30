#include "catalogue_home.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Both folders exist and are the same one, whatever links lead there.
bool sameDirectory(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

} // namespace

CatalogueHome catalogueHome(const QString& programDir, const QString& installedBinDir) {
    if (!installedBinDir.isEmpty() && sameDirectory(programDir, installedBinDir)) {
        return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                    QStringLiteral("/spolebox/DATA"),
                true};
    }
    return {programDir + QStringLiteral("DATA"), false};
}
