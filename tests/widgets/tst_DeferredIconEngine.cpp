#include "DeferredIconEngine.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Two looks of one 16 x 12 glyph, each partly see-through, as a button glyph has them.
QIcon glyphIcon()
{
    QIcon icon;
    for (const auto &[mode, ink] : {std::pair{QIcon::Normal, QColor(Qt::blue)}, std::pair{QIcon::Disabled, QColor(Qt::gray)}}) {
        QImage image(16, 12, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.fillRect(2, 2, 9, 7, ink);
        p.end();
        icon.addPixmap(QPixmap::fromImage(image), mode);
    }
    return icon;
}

QImage painted(const QIcon &icon, const QSize &canvas, qreal dpr, const QRect &rect, QIcon::Mode mode)
{
    QImage image(canvas * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::white);
    QPainter p(&image);
    icon.paint(&p, rect, Qt::AlignCenter, mode);
    return image;
}
} // namespace

// An icon that is made when first asked for, and then answers exactly as the made icon does.
class tst_DeferredIconEngine : public QObject
{
    Q_OBJECT

private slots:
    void madeOnceWhenFirstAsked_data();
    void madeOnceWhenFirstAsked();
    void answersAsTheMadeIcon_data();
    void answersAsTheMadeIcon();
    void nullWhenNothingIsMade();
    void filesDecodedOnlyForTheSizeAsked();
    void filesAnswerWithTheBestFittingFile_data();
    void filesAnswerWithTheBestFittingFile();
};

void tst_DeferredIconEngine::madeOnceWhenFirstAsked_data()
{
    QTest::addColumn<int>("question");
    QTest::newRow("pixmap") << 0;
    QTest::newRow("actual size") << 1;
    QTest::newRow("available sizes") << 2;
    QTest::newRow("is null") << 3;
    QTest::newRow("paint") << 4;
}

void tst_DeferredIconEngine::madeOnceWhenFirstAsked()
{
    QFETCH(int, question);

    int made = 0;
    const QIcon icon(new DeferredIconEngine([&made] {
        ++made;
        return glyphIcon();
    }));
    // Handing the icon to a button, copying it, and the button's own set-up ask nothing yet.
    QPushButton button;
    button.setIcon(icon);
    button.setIconSize(QSize(16, 12));
    const QIcon copy = button.icon();
    QCOMPARE(made, 0);

    for (int i = 0; i < 2; ++i) {
        switch (question) {
        case 0:
            QVERIFY(!copy.pixmap(QSize(16, 12)).isNull());
            break;
        case 1:
            QCOMPARE(copy.actualSize(QSize(16, 12)), QSize(16, 12));
            break;
        case 2:
            QCOMPARE(copy.availableSizes(), QList<QSize>{QSize(16, 12)});
            break;
        case 3:
            QVERIFY(!copy.isNull());
            break;
        case 4:
            painted(copy, QSize(20, 20), 1.0, QRect(0, 0, 20, 20), QIcon::Normal);
            break;
        }
    }
    QCOMPARE(made, 1);
}

void tst_DeferredIconEngine::answersAsTheMadeIcon_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("mode");

    for (qreal dpr : {1.0, 1.5, 2.0}) {
        for (const QSize &size : {QSize(16, 12), QSize(8, 6), QSize(32, 24), QSize(16, 16)}) {
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
                const QByteArray name = QByteArray::number(dpr) + "x, " + QByteArray::number(size.width()) + "x"
                    + QByteArray::number(size.height()) + ", mode " + QByteArray::number(mode);
                QTest::newRow(name.constData()) << dpr << size << int(mode);
            }
        }
    }
}

// At every device pixel ratio the deferred icon gives the same pixels as the icon it makes:
// the outer icon scales the request once, the made one must not scale it again.
void tst_DeferredIconEngine::answersAsTheMadeIcon()
{
    QFETCH(qreal, dpr);
    QFETCH(QSize, size);
    QFETCH(int, mode);
    const auto m = QIcon::Mode(mode);

    const QIcon made = glyphIcon();
    const QIcon deferred(new DeferredIconEngine(glyphIcon));

    const QPixmap expected = made.pixmap(size, dpr, m);
    const QPixmap actual = deferred.pixmap(size, dpr, m);
    QCOMPARE(actual.size(), expected.size());
    QCOMPARE(actual.devicePixelRatio(), expected.devicePixelRatio());
    QCOMPARE(actual.toImage(), expected.toImage());
    QCOMPARE(deferred.actualSize(size, m), made.actualSize(size, m));

    const QRect rect(QPoint(3, 2), size);
    QCOMPARE(painted(deferred, QSize(40, 30), dpr, rect, m), painted(made, QSize(40, 30), dpr, rect, m));
}

void tst_DeferredIconEngine::nullWhenNothingIsMade()
{
    const QIcon icon(new DeferredIconEngine([] { return QIcon(); }));
    QVERIFY(icon.isNull());
    QVERIFY(icon.pixmap(QSize(16, 16)).isNull());
    QVERIFY(icon.availableSizes().isEmpty());
    QCOMPARE(painted(icon, QSize(8, 8), 1.0, QRect(0, 0, 8, 8), QIcon::Normal),
             painted(QIcon(), QSize(8, 8), 1.0, QRect(0, 0, 8, 8), QIcon::Normal));
}

namespace {
QImage square(int size, QColor ink)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(ink);
    return image;
}

// The program icon's way: one file per size.
QIcon iconOfFiles(const QTemporaryDir &dir, const QList<int> &sizes)
{
    auto *engine = new DeferredIconEngine;
    for (int size : sizes)
        engine->addFile(dir.filePath(QStringLiteral("%1.png").arg(size)), QSize(size, size), QIcon::Normal, QIcon::Off);
    return QIcon(engine);
}
} // namespace

// A file is read the first time its size is asked for, and only then: its size, the list of
// sizes and the icon's being there are known without reading any file.
void tst_DeferredIconEngine::filesDecodedOnlyForTheSizeAsked()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto write = [&dir](int size, QColor ink) {
        return square(size, ink).save(dir.filePath(QStringLiteral("%1.png").arg(size)));
    };
    QVERIFY(write(16, Qt::red));
    QVERIFY(write(32, Qt::red));

    const QIcon icon = iconOfFiles(dir, {16, 32});
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    QCOMPARE(icon.actualSize(QSize(32, 32)), QSize(32, 32));
    QCOMPARE(icon.pixmap(QSize(16, 16)).toImage().pixelColor(8, 8), QColor(Qt::red));

    // Not read yet: what is in the file when the size is first asked for is what shows.
    QVERIFY(write(32, Qt::blue));
    QCOMPARE(icon.pixmap(QSize(32, 32)).toImage().pixelColor(16, 16), QColor(Qt::blue));
    // Read once: a later change of either file shows nowhere.
    QVERIFY(write(16, Qt::green));
    QVERIFY(write(32, Qt::green));
    QCOMPARE(icon.pixmap(QSize(16, 16)).toImage().pixelColor(8, 8), QColor(Qt::red));
    QCOMPARE(icon.pixmap(QSize(32, 32)).toImage().pixelColor(16, 16), QColor(Qt::blue));
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
}

void tst_DeferredIconEngine::filesAnswerWithTheBestFittingFile_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<int>("file");
    QTest::addColumn<QSize>("given");
    QTest::newRow("exact 16") << QSize(16, 16) << 16 << QSize(16, 16);
    QTest::newRow("exact 64") << QSize(64, 64) << 64 << QSize(64, 64);
    QTest::newRow("between sizes: next larger, scaled down") << QSize(24, 24) << 32 << QSize(24, 24);
    QTest::newRow("below the smallest: smallest, scaled down") << QSize(8, 8) << 16 << QSize(8, 8);
    QTest::newRow("above the largest: largest, not enlarged") << QSize(128, 128) << 64 << QSize(64, 64);
}

// Each file has its own colour, so the pixels tell which file answered.
void tst_DeferredIconEngine::filesAnswerWithTheBestFittingFile()
{
    QFETCH(QSize, asked);
    QFETCH(int, file);
    QFETCH(QSize, given);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QList<int> sizes{16, 32, 64};
    const QList<QColor> inks{Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < sizes.size(); ++i)
        QVERIFY(square(sizes.at(i), inks.at(i)).save(dir.filePath(QStringLiteral("%1.png").arg(sizes.at(i)))));

    const QIcon icon = iconOfFiles(dir, sizes);
    QCOMPARE(icon.actualSize(asked), given);
    const QImage image = icon.pixmap(asked).toImage();
    QCOMPARE(image.size(), given);
    QCOMPARE(image.pixelColor(given.width() / 2, given.height() / 2), inks.at(sizes.indexOf(file)));

    // Painting takes the same file, drawn centred and no larger than it is.
    const QImage canvas = painted(icon, QSize(140, 140), 1.0, QRect(QPoint(0, 0), asked), QIcon::Normal);
    QCOMPARE(canvas.pixelColor(asked.width() / 2, asked.height() / 2), inks.at(sizes.indexOf(file)));
    if (given != asked)
        QCOMPARE(canvas.pixelColor(1, 1), QColor(Qt::white));
}

QTEST_MAIN(tst_DeferredIconEngine)
#include "tst_DeferredIconEngine.moc"
