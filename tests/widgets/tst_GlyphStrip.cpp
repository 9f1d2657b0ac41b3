#include "GlyphStrip.h"

#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QRgb Olive = qRgb(128, 128, 0);

QImage argb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// What a button should show: one cell of the strip, transparent wherever the strip has its
// bottom-left colour.
QImage expectedCell(const QImage &stripImage, int index)
{
    const QImage strip = stripImage.convertToFormat(QImage::Format_ARGB32);
    const int w = strip.width() / 2;
    const QRgb clear = strip.pixel(0, strip.height() - 1);
    QImage cell(w, strip.height(), QImage::Format_ARGB32);
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = strip.pixel(index * w + x, y);
            cell.setPixel(x, y, c == clear ? qRgba(0, 0, 0, 0) : c);
        }
    return cell;
}
} // namespace

// The one loader of button glyphs: two cells side by side, the bottom-left colour see-through.
class tst_GlyphStrip : public QObject
{
    Q_OBJECT

private slots:
    void shippedStrips_data();
    void shippedStrips();
    void keysOutTheBottomLeftColour_data();
    void keysOutTheBottomLeftColour();
    void unusableStripsGiveNoIcon_data();
    void unusableStripsGiveNoIcon();

private:
    QTemporaryDir m_dir;
};

void tst_GlyphStrip::shippedStrips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("cell");

    QTest::newRow("Fotó") << "foto" << QSize(16, 16);
    QTest::newRow("Felolvas") << "felolvas" << QSize(16, 16);
    QTest::newRow("navigator First") << "nav_first" << QSize(14, 13);
    QTest::newRow("navigator Prior") << "nav_prior" << QSize(14, 13);
    QTest::newRow("navigator Next") << "nav_next" << QSize(14, 13);
    QTest::newRow("navigator Last") << "nav_last" << QSize(14, 13);
    QTest::newRow("search hand") << "search_hand" << QSize(16, 16);
    QTest::newRow("reset hand") << "reset_hand" << QSize(16, 16);
}

// Every glyph in the program is an olive-keyed strip of two different, partly see-through cells.
void tst_GlyphStrip::shippedStrips()
{
    QFETCH(QString, name);
    QFETCH(QSize, cell);

    const QString path = QStringLiteral(":/glyphs/%1.png").arg(name);
    const QImage strip(path);
    QCOMPARE(strip.size(), QSize(2 * cell.width(), cell.height()));
    QVERIFY(!strip.hasAlphaChannel());
    QCOMPARE(strip.pixel(0, strip.height() - 1), Olive);
    QVERIFY(!QFile::exists(QStringLiteral(":/glyphs/%1_disabled.png").arg(name)));

    const QIcon icon = GlyphStrip::icon(path);
    const QImage normal = argb(icon.pixmap(cell, QIcon::Normal));
    const QImage disabled = argb(icon.pixmap(cell, QIcon::Disabled));
    QCOMPARE(normal, expectedCell(strip, 0));
    QCOMPARE(disabled, expectedCell(strip, 1));
    QVERIFY(normal != disabled);
    for (const QImage &image : {normal, disabled}) {
        int clear = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                clear += qAlpha(image.pixel(x, y)) == 0;
        QVERIFY(clear > 0);
        QVERIFY(clear < image.width() * image.height());
    }
}

void tst_GlyphStrip::keysOutTheBottomLeftColour_data()
{
    QTest::addColumn<QRgb>("ground");
    QTest::addColumn<QRgb>("ink");

    QTest::newRow("olive ground") << Olive << qRgb(0, 0, 255);
    // Olive is see-through only as the ground colour; as ink it stays.
    QTest::newRow("fuchsia ground, olive ink") << qRgb(255, 0, 255) << Olive;
    QTest::newRow("white ground, black ink") << qRgb(255, 255, 255) << qRgb(0, 0, 0);
}

void tst_GlyphStrip::keysOutTheBottomLeftColour()
{
    QFETCH(QRgb, ground);
    QFETCH(QRgb, ink);

    // 3 x 2 cells and a spare right column that belongs to neither.
    QImage strip(7, 2, QImage::Format_RGB32);
    strip.fill(ground);
    strip.setPixel(1, 0, ink);     // normal cell
    strip.setPixel(5, 1, ink);     // disabled cell
    strip.setPixel(6, 0, qRgb(1, 2, 3));
    // A file of its own per row: pixmaps loaded from a path are cached.
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"));
    QVERIFY(strip.save(path));

    const QIcon icon = GlyphStrip::icon(path);
    const QImage normal = argb(icon.pixmap(QSize(3, 2), QIcon::Normal));
    const QImage disabled = argb(icon.pixmap(QSize(3, 2), QIcon::Disabled));
    QCOMPARE(normal.size(), QSize(3, 2));
    QCOMPARE(disabled.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            QCOMPARE(normal.pixel(x, y), x == 1 && y == 0 ? ink : qRgba(0, 0, 0, 0));
            QCOMPARE(disabled.pixel(x, y), x == 2 && y == 1 ? ink : qRgba(0, 0, 0, 0));
        }
}

void tst_GlyphStrip::unusableStripsGiveNoIcon_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes"); // written to the file when there is no image
    QTest::addColumn<QImage>("image");

    QImage narrow(1, 4, QImage::Format_RGB32);
    narrow.fill(Olive);
    QTest::newRow("missing resource") << ":/glyphs/none.png" << QByteArray() << QImage();
    QTest::newRow("not an image") << "text.png" << QByteArray("no picture here") << QImage();
    QTest::newRow("one pixel wide") << "narrow.png" << QByteArray() << narrow;
}

void tst_GlyphStrip::unusableStripsGiveNoIcon()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, image);

    QString path = file;
    if (!file.startsWith(QLatin1Char(':'))) {
        path = m_dir.filePath(file);
        if (!image.isNull()) {
            QVERIFY(image.save(path));
        } else {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            QCOMPARE(out.write(bytes), bytes.size());
        }
    }
    QVERIFY(GlyphStrip::icon(path).isNull());
}

QTEST_MAIN(tst_GlyphStrip)
#include "tst_GlyphStrip.moc"
