#include "Tahoma.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QRawFont>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

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

// Glyph of a character in the font's Unicode BMP map (platform 3, encoding 1, format 4), or 0.
quint16 glyphOf(const uchar *font, qsizetype size, char16_t c)
{
    const qsizetype cmap = tableOffset(font, size, "cmap", 4);
    if (cmap < 0)
        return 0;
    const int subtables = qFromBigEndian<quint16>(font + cmap + 2);
    for (int i = 0; i < subtables; ++i) {
        const qsizetype record = cmap + 4 + 8 * qsizetype(i);
        if (record + 8 > size)
            return 0;
        if (qFromBigEndian<quint16>(font + record) != 3 || qFromBigEndian<quint16>(font + record + 2) != 1)
            continue;
        const qsizetype map = cmap + qFromBigEndian<quint32>(font + record + 4);
        if (map + 14 > size || qFromBigEndian<quint16>(font + map) != 4)
            return 0;
        const qsizetype segments = qFromBigEndian<quint16>(font + map + 6) / 2;
        const qsizetype ends = map + 14, starts = ends + 2 * segments + 2, deltas = starts + 2 * segments,
                        ranges = deltas + 2 * segments;
        if (ranges + 2 * segments > size)
            return 0;
        for (qsizetype k = 0; k < segments; ++k) {
            if (c > qFromBigEndian<quint16>(font + ends + 2 * k))
                continue;
            const quint16 first = qFromBigEndian<quint16>(font + starts + 2 * k);
            if (c < first)
                return 0;
            const quint16 delta = qFromBigEndian<quint16>(font + deltas + 2 * k);
            const quint16 range = qFromBigEndian<quint16>(font + ranges + 2 * k);
            if (range == 0)
                return quint16(c + delta);
            const qsizetype at = ranges + 2 * k + range + 2 * qsizetype(c - first);
            if (at + 2 > size)
                return 0;
            const quint16 glyph = qFromBigEndian<quint16>(font + at);
            return glyph ? quint16(glyph + delta) : 0;
        }
        return 0;
    }
    return 0;
}

// Where a glyph's outline lies in the file: offset and length, or length 0.
std::pair<qsizetype, qsizetype> glyphBytes(const uchar *font, qsizetype size, quint16 glyph)
{
    const qsizetype head = tableOffset(font, size, "head", 54);
    const qsizetype loca = tableOffset(font, size, "loca", 4);
    const qsizetype glyf = tableOffset(font, size, "glyf", 1);
    if (head < 0 || loca < 0 || glyf < 0)
        return {0, 0};
    const bool longOffsets = qFromBigEndian<qint16>(font + head + 50) == 1;
    const qsizetype entry = loca + (longOffsets ? 4 : 2) * qsizetype(glyph);
    if (entry + (longOffsets ? 8 : 4) > size)
        return {0, 0};
    const qsizetype from = longOffsets ? qsizetype(qFromBigEndian<quint32>(font + entry))
                                       : 2 * qsizetype(qFromBigEndian<quint16>(font + entry));
    const qsizetype to = longOffsets ? qsizetype(qFromBigEndian<quint32>(font + entry + 4))
                                     : 2 * qsizetype(qFromBigEndian<quint16>(font + entry + 2));
    if (to <= from || glyf + to > size)
        return {0, 0};
    return {glyf + from, to - from};
}

struct Outline
{
    struct Point
    {
        int x, y;
        bool on;
    };
    std::vector<int> ends;   // last point of each contour
    std::vector<Point> points;
};

// The points of a simple glyph, or nothing for a composite or malformed one.
std::optional<Outline> simpleOutline(const uchar *glyph, qsizetype length)
{
    if (length < 12)
        return std::nullopt;
    const int contours = qFromBigEndian<qint16>(glyph);
    if (contours <= 0 || 10 + 2 * qsizetype(contours) + 2 > length)
        return std::nullopt;
    Outline o;
    for (qsizetype i = 0; i < contours; ++i)
        o.ends.push_back(qFromBigEndian<quint16>(glyph + 10 + 2 * i));
    const int points = o.ends.back() + 1;
    qsizetype at = 10 + 2 * qsizetype(contours);
    at += 2 + qFromBigEndian<quint16>(glyph + at);
    std::vector<quint8> flags;
    while (int(flags.size()) < points) {
        if (at >= length)
            return std::nullopt;
        const quint8 f = glyph[at++];
        flags.push_back(f);
        if (f & 0x08) {
            if (at >= length)
                return std::nullopt;
            for (int r = glyph[at++]; r > 0 && int(flags.size()) < points; --r)
                flags.push_back(f);
        }
    }
    o.points.resize(size_t(points));
    for (int axis = 0; axis < 2; ++axis) {
        const quint8 shortBit = axis ? 0x04 : 0x02, sameBit = axis ? 0x20 : 0x10;
        int value = 0;
        for (int i = 0; i < points; ++i) {
            const quint8 f = flags[size_t(i)];
            if (f & shortBit) {
                if (at >= length)
                    return std::nullopt;
                value += (f & sameBit) ? glyph[at] : -glyph[at];
                ++at;
            } else if (!(f & sameBit)) {
                if (at + 2 > length)
                    return std::nullopt;
                value += qFromBigEndian<qint16>(glyph + at);
                at += 2;
            }
            (axis ? o.points[size_t(i)].y : o.points[size_t(i)].x) = value;
            o.points[size_t(i)].on = f & 0x01;
        }
    }
    return o;
}

// Twice the outline's area by the shoelace rule over its points: positive when it runs
// counter-clockwise, against the clockwise outer contours of TrueType.
qint64 signedArea(const Outline &o)
{
    qint64 area = 0;
    for (size_t c = 0, first = 0; c < o.ends.size(); first = size_t(o.ends[c]) + 1, ++c) {
        const size_t last = size_t(o.ends[c]);
        for (size_t i = first; i <= last; ++i) {
            const Outline::Point &p = o.points[i];
            const Outline::Point &q = o.points[i == last ? first : i + 1];
            area += qint64(p.x) * q.y - qint64(q.x) * p.y;
        }
    }
    return area;
}

// Writes the outline over the glyph's own bytes, without hinting instructions (they number the
// points). False, changing nothing, when it would not fit.
bool writeOutline(uchar *glyph, qsizetype length, const Outline &o)
{
    std::vector<quint8> out(glyph, glyph + 10 + 2 * qsizetype(o.ends.size()));
    out.push_back(0);
    out.push_back(0);
    std::vector<quint8> xs, ys;
    auto encode = [](std::vector<quint8> &bytes, int delta, quint8 shortBit, quint8 sameBit) -> quint8 {
        if (delta == 0)
            return sameBit;
        if (delta > -256 && delta < 256) {
            bytes.push_back(quint8(std::abs(delta)));
            return shortBit | (delta > 0 ? sameBit : 0);
        }
        bytes.push_back(quint8(quint16(qint16(delta)) >> 8));
        bytes.push_back(quint8(quint16(qint16(delta)) & 0xff));
        return 0;
    };
    Outline::Point previous{0, 0, true};
    for (const Outline::Point &p : o.points) {
        quint8 f = p.on ? 0x01 : 0x00;
        f |= encode(xs, p.x - previous.x, 0x02, 0x10);
        f |= encode(ys, p.y - previous.y, 0x04, 0x20);
        out.push_back(f);
        previous = p;
    }
    out.insert(out.end(), xs.begin(), xs.end());
    out.insert(out.end(), ys.begin(), ys.end());
    if (qsizetype(out.size()) > length)
        return false;
    std::memcpy(glyph, out.data(), out.size());
    std::memset(glyph + out.size(), 0, size_t(length - qsizetype(out.size())));
    return true;
}

// The clone draws the double acute's strokes counter-clockwise, against every other outline.
// Qt's emboldening grows an outline along the direction of most of its contours, so in ő and ű
// it thins the double acute to a faint hairline while the acute of é grows; turned round, the
// double acute grows as the acute does.
void turnDoubleAcute(uchar *data, qsizetype size)
{
    const auto [offset, length] = glyphBytes(data, size, glyphOf(data, size, u'\u02DD'));
    if (length == 0)
        return;
    std::optional<Outline> o = simpleOutline(data + offset, length);
    if (!o || signedArea(*o) <= 0)
        return;
    for (size_t c = 0, first = 0; c < o->ends.size(); first = size_t(o->ends[c]) + 1, ++c)
        std::reverse(o->points.begin() + qsizetype(first), o->points.begin() + o->ends[c] + 1);
    writeOutline(data + offset, length, *o);
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
    turnDoubleAcute(data, size);
    return true;
}

int measuredTextHeight(const QFont &font)
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
