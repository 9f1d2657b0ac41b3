#include "Tahoma.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QRawFont>
#include <QtEndian>

#include <cstring>

namespace {
const char *const CloneRegular = "/usr/share/wine/fonts/tahoma.ttf";
const char *const CloneBold = "/usr/share/wine/fonts/tahomabd.ttf";

quint16 readU16(const QByteArray &table, int offset)
{
    if (offset + 2 > table.size())
        return 0;
    return qFromBigEndian<quint16>(table.constData() + offset);
}

// Offset of a table in a TrueType file, or -1 when the file has no such table of `minSize` bytes.
qsizetype tableOffset(const uchar *font, qsizetype size, const char *tag, qsizetype minSize)
{
    if (size < 12)
        return -1;
    const int tables = qFromBigEndian<quint16>(font + 4);
    for (int i = 0; i < tables; ++i) {
        const qsizetype entry = 12 + 16 * qsizetype(i);
        if (entry + 16 > size)
            return -1;
        if (std::memcmp(font + entry, tag, 4) != 0)
            continue;
        const qsizetype offset = qFromBigEndian<quint32>(font + entry + 8);
        const qsizetype length = qFromBigEndian<quint32>(font + entry + 12);
        return length >= minSize && offset + minSize <= size ? offset : -1;
    }
    return -1;
}

// The clone's bold file has bold advances but regular-weight outlines. Declared a semibold face
// that is not bold, it is still the one Qt picks for bold text, and Qt then emboldens its
// outlines itself: heavy strokes at bold widths. Line heights come from the unchanged OS/2 win
// metrics. Returns false, changing nothing, when the file is not laid out as expected.
bool boldToEmbolden(uchar *data, qsizetype size)
{
    const qsizetype os2 = tableOffset(data, size, "OS/2", 64);
    const qsizetype head = tableOffset(data, size, "head", 46);
    if (os2 < 0 || head < 0)
        return false;
    qToBigEndian<quint16>(600, data + os2 + 4);   // usWeightClass
    qToBigEndian<quint16>(qFromBigEndian<quint16>(data + os2 + 62) & ~quint16(0x20), data + os2 + 62);   // fsSelection: not bold
    qToBigEndian<quint16>(qFromBigEndian<quint16>(data + head + 44) & ~quint16(0x01), data + head + 44); // macStyle: not bold
    return true;
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
    QFontDatabase::addApplicationFont(QString::fromLatin1(CloneRegular));
    // Without the bold file, Qt emboldens the regular face, only at regular widths. The file is
    // mapped privately rather than read: its pages stay the system's, only the patched ones become
    // the program's own. The font keeps using them until the program ends, so the file and its
    // mapping are kept as long.
    static QFile *const bold = new QFile(QString::fromLatin1(CloneBold));
    if (!bold->open(QIODevice::ReadOnly))
        return;
    const qsizetype size = bold->size();
    uchar *face = bold->map(0, size, QFileDevice::MapPrivateOption);
    if (face && boldToEmbolden(face, size))
        QFontDatabase::addApplicationFontFromData(QByteArray::fromRawData(reinterpret_cast<const char *>(face), size));
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
