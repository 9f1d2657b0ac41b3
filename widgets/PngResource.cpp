#include "PngResource.h"

#include <QImageReader>
#include <QPixmapCache>

QImage PngResource::read(const QString &path)
{
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap PngResource::pixmap(const QString &path)
{
    const QString key = QStringLiteral("PngResource:") + path;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap::fromImage(read(path));
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}
