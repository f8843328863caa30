#include "picture_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Set for this file by src/framework/CMakeLists.txt.
#ifndef SPOLEBOX_HELPER_FROM_BINDIR
#error "SPOLEBOX_HELPER_FROM_BINDIR is not defined"
#endif
#ifndef SPOLEBOX_HELPER_IN_BUILD_TREE
#error "SPOLEBOX_HELPER_IN_BUILD_TREE is not defined"
#endif

namespace framework {

QString pictureHelperProgram() {
    const QString name = QStringLiteral("spolebox-picture-helper");
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        programDir.filePath(name),
        QDir::cleanPath(
            programDir.filePath(QStringLiteral(SPOLEBOX_HELPER_FROM_BINDIR) + u'/' + name)),
        QStringLiteral(SPOLEBOX_HELPER_IN_BUILD_TREE),
    };
    for (const QString& candidate : candidates) {
        const QFileInfo file(candidate);
        if (file.isFile() && file.isExecutable())
            return candidate;
    }
    return candidates.front();
}

} // namespace framework
