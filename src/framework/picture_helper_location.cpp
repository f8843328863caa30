#include "picture_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Set for this file by src/framework/CMakeLists.txt.
#ifndef SPOLEBOX_HELPERS_FROM_BINDIR
#error "SPOLEBOX_HELPERS_FROM_BINDIR is not defined"
#endif
#ifndef SPOLEBOX_HELPERS_IN_BUILD_TREE
#error "SPOLEBOX_HELPERS_IN_BUILD_TREE is not defined"
#endif

namespace framework {

QString pictureHelperProgram(const QString& name) {
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        programDir.filePath(name),
        QDir::cleanPath(
            programDir.filePath(QStringLiteral(SPOLEBOX_HELPERS_FROM_BINDIR) + u'/' + name)),
        QDir(QStringLiteral(SPOLEBOX_HELPERS_IN_BUILD_TREE)).filePath(name),
    };
    for (const QString& candidate : candidates) {
        const QFileInfo file(candidate);
        if (file.isFile() && file.isExecutable())
            return candidate;
    }
    return candidates.front();
}

} // namespace framework
