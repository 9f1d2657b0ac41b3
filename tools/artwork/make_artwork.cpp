// make_artwork: draws Tornevi's own images (program icon, database-wait
// pointer, button glyphs) and writes them below a resources directory.
//
// Everything is drawn by code so the files come out the same on every run:
// the tiny images pixel by pixel from character maps, the large icon sizes
// with antialiased vector shapes. No fonts are used, so no installed font can
// change the result.
//
// Usage: make_artwork <resources-dir>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRadialGradient>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// The standard 16-colour palette, in the order 4-bit bitmaps use it.

enum Vga : int {
    Black, Maroon, Green, Olive, Navy, Purple, Teal, Silver,
    Grey, Red, Lime, Yellow, Blue, Fuchsia, Aqua, White,
    VgaCount,
    Clear = -1 // a transparent pixel where the image has an alpha channel
};

const QRgb kVga[VgaCount] = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

// A small picture of palette indices (or Clear); all glyphs are built as these.
class Grid
{
public:
    Grid(int width, int height, int fill) : w(width), h(height), px(size_t(width * height), fill) {}

    int at(int x, int y) const { return inside(x, y) ? px[size_t(y) * size_t(w) + size_t(x)] : Clear; }
    void set(int x, int y, int v)
    {
        if (inside(x, y))
            px[size_t(y) * size_t(w) + size_t(x)] = v;
    }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }

    int w;
    int h;
    std::vector<int> px;
};

using Legend = std::function<int(char c, int x, int y)>;

// Rows of characters to a grid; the legend turns each character into a colour.
Grid gridFromRows(std::initializer_list<const char *> rows, const Legend &legend)
{
    const int height = int(rows.size());
    const int width = int(std::string(*rows.begin()).size());
    Grid g(width, height, Clear);
    int y = 0;
    for (const char *row : rows) {
        const std::string line(row);
        if (int(line.size()) != width)
            throw std::runtime_error("ragged pixel map row: " + line);
        for (int x = 0; x < width; ++x)
            g.set(x, y, legend(line[size_t(x)], x, y));
        ++y;
    }
    return g;
}

// One letter per palette colour, shared by all glyph maps.
int commonColour(char c, int x, int y, int ground)
{
    switch (c) {
    case '.': return ground;
    case 'K': return Black;
    case 'm': return Maroon;
    case 'g': return Green;
    case 'o': return Olive;
    case 'n': return Navy;
    case 'p': return Purple;
    case 't': return Teal;
    case 's': return Silver;
    case 'G': return Grey;
    case 'r': return Red;
    case 'l': return Lime;
    case 'y': return Yellow;
    case 'b': return Blue;
    case 'f': return (x + y) % 2 == 0 ? Yellow : White; // checkered hand filling
    case 'a': return Aqua;
    case 'w': return White;
    default: break;
    }
    throw std::runtime_error(std::string("unknown pixel map character: ") + c);
}

Legend legendOn(int ground)
{
    return [ground](char c, int x, int y) { return commonColour(c, x, y, ground); };
}

double luminance(QRgb c)
{
    return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
}

// The classic look of a disabled glyph: the dark parts of the picture become a
// grey shape with a white copy showing 1 pixel below and right of it; light
// parts vanish into the button face.
Grid embossed(const Grid &normal, int ground)
{
    auto isInk = [&](int v) { return v != ground && v != Clear && luminance(kVga[v]) <= 128.0; };
    Grid out(normal.w, normal.h, ground);
    for (int y = 0; y < normal.h; ++y)
        for (int x = 0; x < normal.w; ++x)
            if (isInk(normal.at(x, y)))
                out.set(x + 1, y + 1, White);
    for (int y = 0; y < normal.h; ++y)
        for (int x = 0; x < normal.w; ++x)
            if (isInk(normal.at(x, y)))
                out.set(x, y, Grey);
    return out;
}

Grid mirroredLeftRight(const Grid &g)
{
    Grid out(g.w, g.h, Clear);
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
            out.set(g.w - 1 - x, y, g.at(x, y));
    return out;
}

// ---------------------------------------------------------------------------
// Writing files

void ensureDir(const QString &path)
{
    if (!QDir().mkpath(path))
        throw std::runtime_error("cannot create directory " + path.toStdString());
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(100); // a percentage for PNG: zlib's strongest level
    if (!writer.write(image))
        throw std::runtime_error("png encoding failed: " + writer.errorString().toStdString());
    return bytes;
}

void writePng(const QString &path, const QImage &image)
{
    writeFile(path, pngBytes(image));
}

// A palette PNG holding only the 16 standard colours, plus one fully
// transparent entry when the grid has transparent pixels.
QImage paletteImage(const Grid &g)
{
    QImage image(g.w, g.h, QImage::Format_Indexed8);
    QList<QRgb> table(kVga, kVga + VgaCount);
    bool transparent = false;
    for (int v : g.px)
        transparent = transparent || v == Clear;
    if (transparent)
        table.append(qRgba(0, 0, 0, 0));
    image.setColorTable(table);
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            const int v = g.at(x, y);
            image.setPixel(x, y, uint(v == Clear ? VgaCount : v));
        }
    return image;
}

// Little-endian helpers for the icon and cursor containers.
void put16(QByteArray &b, int v)
{
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}

void put32(QByteArray &b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xff));
}

void putBitmapInfoHeader(QByteArray &b, int width, int height, int bitCount, int colours,
                         std::uint32_t imageSize)
{
    put32(b, 40);
    put32(b, std::uint32_t(width));
    put32(b, std::uint32_t(height * 2)); // colour image and AND mask stacked
    put16(b, 1);
    put16(b, bitCount);
    put32(b, 0); // uncompressed
    put32(b, imageSize);
    put32(b, 0);
    put32(b, 0);
    put32(b, std::uint32_t(colours));
    put32(b, 0);
}

// AND mask rows, bottom-up, each padded to 32 bits: 1 where the pixel is clear.
QByteArray andMask(int w, int h, const std::function<bool(int, int)> &isClear)
{
    QByteArray mask;
    const int stride = ((w + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x)
            if (isClear(x, y))
                row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
        mask.append(row);
    }
    return mask;
}

// A 32-bit icon entry in bitmap form, readable by every Windows version.
QByteArray iconBitmapEntry(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    QByteArray pixels;
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            pixels.append(char(qBlue(c)));
            pixels.append(char(qGreen(c)));
            pixels.append(char(qRed(c)));
            pixels.append(char(qAlpha(c)));
        }
    const QByteArray mask = andMask(w, h, [&](int x, int y) { return qAlpha(image.pixel(x, y)) == 0; });
    QByteArray entry;
    putBitmapInfoHeader(entry, w, h, 32, 0, std::uint32_t(pixels.size() + mask.size()));
    entry.append(pixels);
    entry.append(mask);
    return entry;
}

struct DirEntry
{
    int width;
    int height;
    int colours;
    int planesOrHotX;
    int bitsOrHotY;
    QByteArray data;
};

// The shared container of .ico (type 1) and .cur (type 2) files.
QByteArray iconContainer(int type, const std::vector<DirEntry> &entries)
{
    QByteArray file;
    put16(file, 0);
    put16(file, type);
    put16(file, int(entries.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * entries.size());
    for (const DirEntry &e : entries) {
        file.append(char(e.width >= 256 ? 0 : e.width));
        file.append(char(e.height >= 256 ? 0 : e.height));
        file.append(char(e.colours));
        file.append('\0');
        put16(file, e.planesOrHotX);
        put16(file, e.bitsOrHotY);
        put32(file, std::uint32_t(e.data.size()));
        put32(file, offset);
        offset += std::uint32_t(e.data.size());
    }
    for (const DirEntry &e : entries)
        file.append(e.data);
    return file;
}

// The 256 pixel image goes in PNG form (as Vista and later expect for that
// size), the smaller ones as bitmaps.
QByteArray icoFile(const std::vector<QImage> &images)
{
    std::vector<DirEntry> entries;
    for (const QImage &image : images) {
        const QByteArray data = image.width() >= 256 ? pngBytes(image) : iconBitmapEntry(image);
        entries.push_back({image.width(), image.height(), 0, 1, 32, data});
    }
    return iconContainer(1, entries);
}

// A monochrome cursor: black, white and clear map exactly onto the XOR/AND
// bitmaps of the classic cursor format.
QByteArray curFile(const Grid &g, int hotX, int hotY)
{
    const int w = g.w;
    const int h = g.h;
    const int stride = ((w + 31) / 32) * 4;
    QByteArray xorBits;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x)
            if (g.at(x, y) == White)
                row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
        xorBits.append(row);
    }
    const QByteArray mask = andMask(w, h, [&](int x, int y) { return g.at(x, y) == Clear; });
    QByteArray entry;
    putBitmapInfoHeader(entry, w, h, 1, 2, std::uint32_t(xorBits.size() + mask.size()));
    put32(entry, 0x00000000); // palette entry 0: black
    put32(entry, 0x00ffffff); // palette entry 1: white
    entry.append(xorBits);
    entry.append(mask);
    return iconContainer(2, {{w, h, 2, hotX, hotY, entry}});
}

// ---------------------------------------------------------------------------
// Every button glyph is a strip of two cells side by side, normal left and
// disabled right, on an olive ground; the loader takes the colour of the
// strip's bottom-left pixel as see-through, so that pixel must stay ground.

Grid glyphStrip(const Grid &normal)
{
    if (normal.at(0, normal.h - 1) != Olive)
        throw std::runtime_error("glyph must leave its bottom-left pixel to the ground");
    const Grid disabled = embossed(normal, Olive);
    Grid strip(2 * normal.w, normal.h, Olive);
    for (int y = 0; y < normal.h; ++y)
        for (int x = 0; x < normal.w; ++x) {
            strip.set(x, y, normal.at(x, y));
            strip.set(normal.w + x, y, disabled.at(x, y));
        }
    return strip;
}

// Search page hands, 16 x 16 cells.

// The hand seen from the side, index finger out to the left.
Grid searchHand()
{
    return gridFromRows({
        "................",
        "................",
        ".............KKK",
        "......KKKKKKKKKK",
        ".....KffffffaKKK",
        ".KKKKfffffffaKKK",
        "KfffffffffffaKKK",
        "KfffffffffffaKKK",
        ".KKKKKffffffaKKK",
        "....KfffffffaKKK",
        "....KKKKffffaKKK",
        ".....KffffffaKKK",
        ".....KKKKfffaKKK",
        "......KKKKKKKKyK",
        ".............KKK",
        "................",
    }, legendOn(Olive));
}

// The hand seen from the front, index finger straight up.
Grid resetHand()
{
    return gridFromRows({
        ".......KK.......",
        "......KffK......",
        "......KffK......",
        "......KffK......",
        "......KffKKK....",
        "......KffKffKK..",
        "...KKKKffKffKfK.",
        "..KffffKfKffKffK",
        "..KfffffKKffKffK",
        "..KffffffKKKKffK",
        "...KfffffffffffK",
        "....KffffffffKK.",
        "....KaaaaaaaaK..",
        "...KKKKKKKKKKKK.",
        "...KyKKKKKKKKKK.",
        "...KKKKKKKKKKKK.",
    }, legendOn(Olive));
}

// ---------------------------------------------------------------------------
// Detail window glyphs, 16 x 16 cells.

// A photograph: a dark figure on cyan sky over yellow ground. The right
// column stays free for the highlight of the disabled image.
Grid fotoGlyph()
{
    return gridFromRows({
        "................",
        "................",
        ".KKKKKKKKKKKKKK.",
        ".KaaaaaaaaaaaaK.",
        ".KaaaaaKKaaaaaK.",
        ".KaaaaaKKaaaaaK.",
        ".KaaaaKKKKaaaaK.",
        ".KaaaKKKKKKaaaK.",
        ".KaaaKaKKaKaaaK.",
        ".KyyyyyKKyyyyyK.",
        ".KyyyyKyyKyyyyK.",
        ".KyyyyKyyKyyyyK.",
        ".KyyyyyyyyyyyyK.",
        ".KKKKKKKKKKKKKK.",
        "................",
        "................",
    }, legendOn(Olive));
}

// A loudspeaker with red sound waves.
Grid felolvasGlyph()
{
    return gridFromRows({
        "................",
        "................",
        ".......K........",
        "......KK....r...",
        ".....KsK..r..r..",
        "KKKKKssK...r..r.",
        "KGGGKssK...r..r.",
        "KGGGKssK...r..r.",
        "KGGGKssK...r..r.",
        "KGGGKssK...r..r.",
        "KKKKKssK...r..r.",
        ".....KsK..r..r..",
        "......KK....r...",
        ".......K........",
        "................",
        "................",
    }, legendOn(Olive));
}

// ---------------------------------------------------------------------------
// Navigator glyphs, 14 x 13 cells. Drawn for the left
// pointing pair; the right pointing pair is their mirror image.

Grid navFirst()
{
    return gridFromRows({
        "..............",
        "..............",
        "...bb.....b...",
        "...bb....bb...",
        "...bb...bbb...",
        "...bb..bbbb...",
        "...bb.bbbbb...",
        "...bb..bbbb...",
        "...bb...bbb...",
        "...bb....bb...",
        "...bb.....b...",
        "..............",
        "..............",
    }, legendOn(Olive));
}

Grid navPrior()
{
    return gridFromRows({
        "..............",
        "..............",
        "........b.....",
        ".......bb.....",
        "......bbb.....",
        ".....bbbb.....",
        "....bbbbb.....",
        ".....bbbb.....",
        "......bbb.....",
        ".......bb.....",
        "........b.....",
        "..............",
        "..............",
    }, legendOn(Olive));
}

// ---------------------------------------------------------------------------
// Database-wait pointer: hourglass with "SQL" beneath it, 32 x 32, hot spot
// at the top-left corner, black and white only.

Grid dbWaitPointer()
{
    auto legend = [](char c, int, int) {
        switch (c) {
        case '.': return int(Clear);
        case 'K': return int(Black);
        case 'w': return int(White);
        }
        throw std::runtime_error(std::string("unknown pointer character: ") + c);
    };
    Grid pointer = gridFromRows({
        "KKKKKKKKKKKKKKK",
        "KwwwwwwwwwwwwwK",
        "KKKKKKKKKKKKKKK",
        ".KwwwwwwwwwwwK.",
        ".KwKKKKKKKKKwK.",
        ".KwwKKKKKKKwwK.",
        "..KwwKKKKKwwK..",
        "...KwwKKKwwK...",
        "....KwwKwwK....",
        ".....KwKwK.....",
        "......KKK......",
        ".....KwKwK.....",
        "....KwwKwwK....",
        "...KwwwKwwwK...",
        "..KwwwwKwwwwK..",
        ".KwwwwwKwwwwwK.",
        ".KwwwwKKKwwwwK.",
        ".KwwKKKKKKKwwK.",
        "KKKKKKKKKKKKKKK",
        "KwwwwwwwwwwwwwK",
        "KKKKKKKKKKKKKKK",
    }, legend);
    Grid out(32, 32, Clear);
    for (int y = 0; y < pointer.h; ++y)
        for (int x = 0; x < pointer.w; ++x)
            out.set(x, y, pointer.at(x, y));

    // The letters are black with a white rim so they read on any ground.
    const Grid letters = gridFromRows({
        ".KKKK..KKK..K....",
        "K.....K...K.K....",
        "K.....K...K.K....",
        ".KKK..K...K.K....",
        "....K.K.K.K.K....",
        "....K.K..K..K....",
        "KKKK...KK.K.KKKKK",
    }, legend);
    const int left = 1;
    const int top = 23;
    for (int y = -1; y <= letters.h; ++y)
        for (int x = -1; x <= letters.w; ++x) {
            bool nearInk = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    nearInk = nearInk || letters.at(x + dx, y + dy) == Black;
            if (letters.at(x, y) == Black)
                out.set(left + x, top + y, Black);
            else if (nearInk)
                out.set(left + x, top + y, White);
        }
    return out;
}

// ---------------------------------------------------------------------------
// Program icon: a friendly cartoon bee, facing right.

const QColor kInk(0x33, 0x22, 0x0f);
const QColor kBodyLight(0xff, 0xe0, 0x5a);
const QColor kBody(0xff, 0xc4, 0x1f);
const QColor kBodyDark(0xf0, 0x9a, 0x00);
const QColor kWing(0xd8, 0xf1, 0xff);
const QColor kWingEdge(0x5a, 0x86, 0xb0);
const QColor kCheek(0xff, 0x86, 0x86);

// The bee's shapes in a 256 x 256 design space.
struct BeeShape
{
    QPointF bodyCentre{112, 162};
    double bodyRx = 84;
    double bodyRy = 64;
    QPointF headCentre{182, 128};
    double headR = 54;
    QPointF backWing{96, 78};
    QPointF frontWing{144, 70};
    double wingRx = 34;
    double wingRy = 52;
};

QPainterPath ellipsePath(QPointF c, double rx, double ry, double angleDeg = 0)
{
    QPainterPath p;
    p.addEllipse(c, rx, ry);
    if (angleDeg == 0)
        return p;
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(angleDeg);
    t.translate(-c.x(), -c.y());
    return t.map(p);
}

QImage vectorBee(int size)
{
    const BeeShape s;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    // Outlines must stay at least about 1.3 device pixels wide at small sizes.
    const double outline = std::max(9.0, 1.4 * 256.0 / size);
    QPen ink(kInk, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    // Wings, behind everything else.
    for (auto [centre, angle] : {std::pair{s.backWing, -28.0}, std::pair{s.frontWing, 18.0}}) {
        const QPainterPath wing = ellipsePath(centre, s.wingRx, s.wingRy, angle);
        p.setPen(QPen(kWingEdge, outline * 0.8));
        p.setBrush(kWing);
        p.drawPath(wing);
        // A soft shine makes the wings read as glassy rather than flat.
        if (size >= 64) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 200));
            p.drawPath(ellipsePath(centre + QPointF(-8, -16), s.wingRx * 0.28, s.wingRy * 0.4, angle));
        }
    }

    // Stinger.
    QPainterPath sting;
    sting.moveTo(14, 170);
    sting.lineTo(40, 152);
    sting.lineTo(40, 184);
    sting.closeSubpath();
    p.setPen(ink);
    p.setBrush(kInk);
    p.drawPath(sting);

    // Body with stripes.
    const QPainterPath body = ellipsePath(s.bodyCentre, s.bodyRx, s.bodyRy);
    QRadialGradient shade(s.bodyCentre + QPointF(-20, -30), s.bodyRx * 1.3);
    shade.setColorAt(0.0, kBodyLight);
    shade.setColorAt(0.55, kBody);
    shade.setColorAt(1.0, kBodyDark);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(body);
    p.save();
    p.setClipPath(body);
    p.setBrush(kInk);
    for (double x : {62.0, 108.0})
        p.drawRect(QRectF(x, 80, 24, 160));
    p.restore();
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);

    // Head.
    QRadialGradient headShade(s.headCentre + QPointF(-16, -20), s.headR * 1.4);
    headShade.setColorAt(0.0, kBodyLight);
    headShade.setColorAt(0.6, kBody);
    headShade.setColorAt(1.0, kBodyDark);
    p.setBrush(headShade);
    p.drawEllipse(s.headCentre, s.headR, s.headR);

    // Antennae.
    p.setBrush(Qt::NoBrush);
    QPainterPath antennae;
    antennae.moveTo(168, 80);
    antennae.quadTo(160, 46, 142, 30);
    antennae.moveTo(200, 78);
    antennae.quadTo(212, 44, 232, 32);
    p.drawPath(antennae);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(142, 30), 10, 10);
    p.drawEllipse(QPointF(232, 32), 10, 10);

    // Face: a big eye, a rosy cheek and a smile.
    p.setPen(Qt::NoPen);
    p.setBrush(kCheek);
    p.drawEllipse(QPointF(219, 143), 9, 7);
    p.setPen(QPen(kInk, outline * 0.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(198, 118), 19, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(204, 121), 11, 14);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(208, 114), 4.5, 4.5);
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    QPainterPath smile;
    smile.moveTo(176, 150);
    smile.quadTo(194, 170, 213, 157);
    p.drawPath(smile);

    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Small sizes are drawn pixel by pixel: downscaled vector art turns to mush
// below 48 pixels.
QImage pixelBee(std::initializer_list<const char *> rows)
{
    const int size = int(rows.size());
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    int y = 0;
    for (const char *row : rows) {
        if (int(std::string(row).size()) != size)
            throw std::runtime_error(std::string("ragged bee row: ") + row);
        for (int x = 0; x < size; ++x) {
            QColor c;
            switch (row[x]) {
            case '.': continue;
            case 'K': c = kInk; break;
            case 'Y': c = kBody; break;
            case 'O': c = kBodyDark; break;
            case 'L': c = kBodyLight; break;
            case 'W': c = kWing; break;
            case 'B': c = kWingEdge; break;
            case 'w': c = Qt::white; break;
            case 'p': c = kCheek; break;
            default: throw std::runtime_error(std::string("unknown bee character: ") + row[x]);
            }
            image.setPixel(x, y, c.rgba());
        }
        ++y;
    }
    return image;
}

QImage bee32()
{
    return pixelBee({
        "................................",
        "................................",
        "..................KK........KK..",
        "..................KK........KK..",
        "....................K......K....",
        ".............BBB....K......K....",
        ".....BBB....BWWWB....K....K.....",
        "....BWWWB..BWWWWB....K....K.....",
        "....BWWWWB.BWWWWWB....K..K......",
        "....BWWWWWBBWWWWWB....K..K......",
        "....BWWWWWBWWWWWB....KKKKKK.....",
        "....BWWWWWBWWWWWB..KKYYYYYYKK...",
        ".....BWWWWWBWWWB..KYLLYYYYYYYK..",
        "......BWWWWBWWWB..KYLYYYKKKYYK..",
        ".......BBWWBWWB..KYYYYYKwwKKYYK.",
        "........KKKKKKKKKKYYYYKKwwKKYYK.",
        "......KKKKLLYKKYYKYYYYKKKKKKYYK.",
        "....KKLLKKLYYKKYYKYYYYKKKKKKYYK.",
        "...KLLYYKKYYYKKYYKYYYYYKKKKYYYK.",
        "...KLYYYKKYYYKKYYKYYYYYYYYYYYYK.",
        "..KYYYYYKKYYYKKYYYKYYYKYYYYKppK.",
        ".KKYYYYYKKYYYKKYYYKOOOOKKKKOOK..",
        "KKKYYYYYKKYYYKKYYYYKKOOOOOOKK...",
        ".KKYYYYYKKYYYKKYYYYYYKKKKKK.....",
        "..KYYYYYKKYYYKKYYYYYYYK.........",
        "...KYYYYKKYYYKKYYYYYYK..........",
        "...KOOOOKKOOOKKOOOOOOK..........",
        "....KKOOKKOOOKKOOOOKK...........",
        "......KKKKOOOKKOOKK.............",
        "........KKKKKKKKK...............",
        "................................",
        "................................",
    });
}

QImage bee16()
{
    return pixelBee({
        "....BBB..K.....K",
        ".BBBWWWB.K....K.",
        "BWWBWWWB..K..K..",
        "BWWBWWWB..KKKK..",
        "BWWWBWWB.KYYYYK.",
        ".BWWBBBBKYYYwKYK",
        "..BBKKKKKYYYKKYK",
        ".KKKYYKYKYKYYYYK",
        "KLYKYYKYKYYKKpYK",
        "KYYKYYKYYKOOOOK.",
        "KYYKYYKYYYKKKK..",
        "KOOKOOKOOOK.....",
        ".KOKOOKOOK......",
        "..KKKKKKK.......",
        "................",
        "................",
    });
}

QImage beeIcon(int size)
{
    if (size == 16)
        return bee16();
    if (size == 32)
        return bee32();
    return vectorBee(size);
}

// ---------------------------------------------------------------------------

struct Output
{
    QString dir;

    QString path(const QString &sub, const QString &name) const { return dir + QLatin1Char('/') + sub + QLatin1Char('/') + name; }
};

void writeIcons(const Output &out)
{
    ensureDir(out.dir + QStringLiteral("/icons"));
    std::vector<QImage> images;
    for (int size : {256, 128, 64, 48, 32, 16}) {
        const QImage image = beeIcon(size);
        writePng(out.path(QStringLiteral("icons"), QStringLiteral("mainicon_%1.png").arg(size)), image);
        images.push_back(image);
    }
    writeFile(out.path(QStringLiteral("icons"), QStringLiteral("MAINICON.ico")), icoFile(images));
}

void writeCursor(const Output &out)
{
    ensureDir(out.dir + QStringLiteral("/cursors"));
    const Grid pointer = dbWaitPointer();
    writePng(out.path(QStringLiteral("cursors"), QStringLiteral("dbwait.png")), paletteImage(pointer));
    writeFile(out.path(QStringLiteral("cursors"), QStringLiteral("dbwait.cur")), curFile(pointer, 0, 0));
}

void writeGlyphStrip(const Output &out, const QString &name, const Grid &normal)
{
    writePng(out.path(QStringLiteral("glyphs"), name + QStringLiteral(".png")), paletteImage(glyphStrip(normal)));
}

void writeGlyphs(const Output &out)
{
    ensureDir(out.dir + QStringLiteral("/glyphs"));
    writeGlyphStrip(out, QStringLiteral("foto"), fotoGlyph());
    writeGlyphStrip(out, QStringLiteral("felolvas"), felolvasGlyph());
    writeGlyphStrip(out, QStringLiteral("nav_first"), navFirst());
    writeGlyphStrip(out, QStringLiteral("nav_prior"), navPrior());
    writeGlyphStrip(out, QStringLiteral("nav_next"), mirroredLeftRight(navPrior()));
    writeGlyphStrip(out, QStringLiteral("nav_last"), mirroredLeftRight(navFirst()));
    writeGlyphStrip(out, QStringLiteral("search_hand"), searchHand());
    writeGlyphStrip(out, QStringLiteral("reset_hand"), resetHand());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources-dir>\n", argc > 0 ? argv[0] : "make_artwork");
        return 2;
    }
    try {
        const Output out{QDir::cleanPath(QString::fromLocal8Bit(argv[1]))};
        writeIcons(out);
        writeCursor(out);
        writeGlyphs(out);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
