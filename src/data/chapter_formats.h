#pragma once

#include "tape_chapters.h"

#include <QString>
#include <optional>

// The chapters of a tape written for the tools that digitise it.
namespace chapters {

enum class Format {
    FFMetadata, // FFmpeg's metadata file, for -map_chapters
    Matroska,   // the chapter XML that mkvmerge --chapters reads
    CutScript,  // a POSIX shell script cutting a capture into one file per recording
};

// "ffmetadata", "matroska" or "cut-script"; nothing for any other name.
std::optional<Format> formatNamed(const QString& name);

// The whole file for the chapters of the tape named tapeName.
QString formatChapters(const std::vector<Chapter>& chapters, Format format,
                       const QString& tapeName);

// A file name made from a chapter's title: no "/", no line breaks or other control
// characters, no leading dot; never empty.
QString safeFileName(const QString& title);

} // namespace chapters
