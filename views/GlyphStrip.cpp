#include "GlyphStrip.h"
#include <QImage>
#include <QPixmap>
QIcon GlyphStrip::icon(const QString &path)
{
    QIcon icon;
    QImage strip(path);
    if (strip.isNull()) {
        QString base = path; base.chop(4);
        icon.addPixmap(QPixmap(path), QIcon::Normal);
        icon.addPixmap(QPixmap(base + "_disabled.png"), QIcon::Disabled);
        return icon;
    }
    if (strip.width() < 2 * strip.height() - 4) {
        QString base = path; base.chop(4);
        icon.addPixmap(QPixmap(path), QIcon::Normal);
        icon.addPixmap(QPixmap(base + "_disabled.png"), QIcon::Disabled);
        return icon;
    }
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb clear = strip.pixel(0, strip.height() - 1);
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            if (strip.pixel(x, y) == clear) strip.setPixel(x, y, qRgba(0, 0, 0, 0));
    const int w = strip.width() / 2;
    icon.addPixmap(QPixmap::fromImage(strip.copy(0, 0, w, strip.height())), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(strip.copy(w, 0, w, strip.height())), QIcon::Disabled);
    return icon;
}
