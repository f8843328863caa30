#pragma once

#include "picture_format.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace framework {

// Reads a picture file for showing: the decoder follows from the file's extension, letters
// in any case (.bmp, .ico, .emf, .wmf, .jpg, .jpeg). A file that cannot be shown (unknown
// extension, unreadable, empty, damaged or truncated) raises engine::Error with a message
// for the user that names the file.
QImage loadPicture(const QString& fileName);

// Decodes a picture already read into memory. Raises engine::Error with the reason.
QImage decodePicture(const QByteArray& data, PictureFormat format);

} // namespace framework
