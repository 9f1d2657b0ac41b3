#include "PngResource.h"

#include <QImageReader>

QImage PngResource::read(const QString &path)
{
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
