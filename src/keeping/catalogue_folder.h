#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// The catalogue folder as a whole: which tables it holds, and putting a complete set of
// tables into it at once.
namespace keeping {

// The table files of a catalogue that are present in directory, as named there (in any
// letter case): empty when the folder holds none of the six tables (or does not exist).
QStringList existingTableFiles(const QString& directory);

// A new temporary folder beside path (same file system, so that a rename moves what it
// holds there), named after purpose. Throws engine::Error.
std::unique_ptr<QTemporaryDir> folderBeside(const QString& path, const QString& purpose);

// Moves the six table files from work into directory (made when missing), which must hold
// no tables; when one cannot be moved, those already moved are taken out again. The files
// are on disk when it returns. Throws engine::Error.
void moveTablesInto(const QString& work, const QString& directory);

// Makes what was written to path survive a crash (a file, or a folder's entries).
void syncToDisk(const QString& path); // throws engine::Error

} // namespace keeping
