#include "Tahoma.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QRawFont>
#include <QtEndian>

namespace {
const char *const CloneFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
};

quint16 readU16(const QByteArray &table, int offset)
{
    if (offset + 2 > table.size())
        return 0;
    return qFromBigEndian<quint16>(table.constData() + offset);
}
} // namespace

void Tahoma::ensureLoaded()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    for (const char *file : CloneFiles)
        QFontDatabase::addApplicationFont(QString::fromLatin1(file));
}

QFont Tahoma::font(int pixelHeight, bool bold, bool italic)
{
    ensureLoaded();
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferDefault);
    return f;
}

int Tahoma::textHeight(const QFont &font)
{
    // Reading the font tables costs more than all the rest of a label's layout; every control
    // asks for the same few sizes.
    static QHash<QString, int> heights;
    const QString key = font.key();
    const auto known = heights.constFind(key);
    if (known != heights.cend())
        return *known;
    const int height = measuredTextHeight(font);
    heights.insert(key, height);
    return height;
}

int Tahoma::measuredTextHeight(const QFont &font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    const QByteArray head = raw.fontTable("head");
    const int unitsPerEm = readU16(head, 18);
    const int winAscent = readU16(os2, 74);
    const int winDescent = readU16(os2, 76);
    if (unitsPerEm <= 0 || winAscent + winDescent <= 0) {
        const QFontMetrics fm(font);
        return fm.ascent() + fm.descent();
    }
    const double pixels = raw.pixelSize();
    return qRound(winAscent * pixels / unitsPerEm) + qRound(winDescent * pixels / unitsPerEm);
}
