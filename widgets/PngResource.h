#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// The program's own images are PNG files. Read as such, Qt takes its built-in PNG reader at once
// instead of loading every image format plugin to ask whether one of them would read the file.
namespace PngResource {
// A null image when the file is missing or is not a PNG image.
QImage read(const QString &path);
// The same as a pixmap, kept in Qt's pixmap cache as QPixmap(path) would keep it, for images
// asked for again and again.
QPixmap pixmap(const QString &path);
} // namespace PngResource
