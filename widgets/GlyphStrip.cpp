#include "GlyphStrip.h"

#include "DeferredIconEngine.h"
#include "PngResource.h"

#include <QBitmap>
#include <QPixmap>

namespace {
QIcon read(const QString &resourcePath)
{
    const QImage image = PngResource::read(resourcePath);
    const QSize cell(image.width() / 2, image.height());
    if (cell.isEmpty())
        return QIcon();
    const QColor clear = image.pixelColor(0, image.height() - 1);
    QPixmap strip = QPixmap::fromImage(image);
    strip.setMask(strip.createMaskFromColor(clear, Qt::MaskInColor));
    QIcon icon;
    icon.addPixmap(strip.copy(QRect(QPoint(0, 0), cell)), QIcon::Normal);
    icon.addPixmap(strip.copy(QRect(QPoint(cell.width(), 0), cell)), QIcon::Disabled);
    return icon;
}
} // namespace

QIcon GlyphStrip::icon(const QString &resourcePath)
{
    return QIcon(new DeferredIconEngine([resourcePath] { return read(resourcePath); }));
}
