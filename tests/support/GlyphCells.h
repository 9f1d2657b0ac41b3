#pragma once

#include <QImage>
#include <QString>

// One cell of a glyph strip as a button should show it: transparent where the strip is olive.
inline QImage stripCell(const QString &path, int index)
{
    const QImage strip = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QImage cell(strip.width() / 2, strip.height(), QImage::Format_ARGB32);
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x) {
            const QRgb c = strip.pixel(index * cell.width() + x, y);
            cell.setPixel(x, y, c == qRgb(128, 128, 0) ? qRgba(0, 0, 0, 0) : c);
        }
    return cell;
}
