#include "picture_path.h"

namespace framework {

bool isRelativePicturePath(const QString& path) {
    if (path.startsWith(u'/'))
        return false;
    return path.size() < 2 || path.at(1) != u':';
}

QString resolvePicturePath(const QString& path, const QString& programDir) {
    return isRelativePicturePath(path) ? programDir + path : path;
}

QString capitalizeAscii(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return result;
}

bool isInsideProgramDir(const QString& path, const QString& programDir) {
    return !programDir.isEmpty() && capitalizeAscii(path).startsWith(capitalizeAscii(programDir));
}

QString storedPicturePath(const QString& path, const QString& programDir) {
    return isInsideProgramDir(path, programDir) ? path.mid(programDir.size()) : path;
}

} // namespace framework
