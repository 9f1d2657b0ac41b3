#include "GlyphStrip.h"

#include <QBitmap>
#include <QPixmap>

QIcon GlyphStrip::icon(const QString &resourcePath)
{
    QPixmap strip(resourcePath);
    const QSize cell(strip.width() / 2, strip.height());
    if (cell.isEmpty())
        return QIcon();
    const QColor clear = strip.toImage().pixelColor(0, strip.height() - 1);
    strip.setMask(strip.createMaskFromColor(clear, Qt::MaskInColor));
    QIcon icon;
    icon.addPixmap(strip.copy(QRect(QPoint(0, 0), cell)), QIcon::Normal);
    icon.addPixmap(strip.copy(QRect(QPoint(cell.width(), 0), cell)), QIcon::Disabled);
    return icon;
}
