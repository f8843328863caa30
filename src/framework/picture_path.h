#pragma once

#include <QString>

namespace framework {

// Picture paths as actor rows keep them: a full path, or a path relative to the program's
// directory (which ends in a separator).
//
// A path is full when it begins with '/' (a full path here) or when its second character is
// ':' (a drive letter and colon, as paths written on Windows are); every other path,
// a one-character path included, is relative to the program directory.
bool isRelativePicturePath(const QString& path);

// A relative path with the program directory in front; a full path unchanged.
QString resolvePicturePath(const QString& path, const QString& programDir);

// Capitalises only the letters a to z; every other character (æ, ø and å included) stays.
QString capitalizeAscii(const QString& text);

// Whether a path lies in the program directory, comparing both capitalised as above.
bool isInsideProgramDir(const QString& path, const QString& programDir);

// The path to store: the part after the program directory when the path lies in it,
// otherwise the path as given.
QString storedPicturePath(const QString& path, const QString& programDir);

} // namespace framework
