#pragma once

#include <QByteArray>
#include <QImage>

namespace picture_helper {

// Renders a Windows metafile (.wmf, with or without the placeable header) at its own size:
// libwmf turns it into SVG, which Qt SVG draws (text needs a QGuiApplication). A file that
// is not a readable metafile raises engine::Error.
QImage decodeWindowsMetafile(const QByteArray& data);

// Renders an enhanced metafile (.emf) at its own size: libemf2svg turns it into SVG, which
// Qt SVG draws (text needs a QGuiApplication). A file that is not a readable metafile raises
// engine::Error.
QImage decodeEnhancedMetafile(const QByteArray& data);

} // namespace picture_helper
