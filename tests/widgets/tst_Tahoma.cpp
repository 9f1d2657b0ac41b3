#include "DbGrid.h"
#include "GridGeometry.h"
#include "PoemQuery.h"
#include "ProgramInFreshDirectory.h"
#include "Tahoma.h"
#include "TorneviApplication.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTabWidget>
#include <QTest>

// The program's typeface as the user sees it: bold text is drawn with heavier strokes than
// regular text, and every weight keeps the line heights the Windows metrics give.
class tst_Tahoma : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void textHeights_data();
    void textHeights();
    void boldTextIsBold_data();
    void boldTextIsBold();
    void doubleAcutesAsDarkAsAcutes_data();
    void doubleAcutesAsDarkAsAcutes();

private:
    QWidget *control(const QString &window, const QString &name) const;
    std::unique_ptr<ProgramInFreshDirectory> m_program;
};

namespace {
// The text's ink, in whole pixels: how far each pixel is from the same place without the text,
// summed, a fully covered pixel counting one.
double ink(const QImage &shown, const QImage &blank)
{
    const QImage a = shown.convertToFormat(QImage::Format_RGB32);
    const QImage b = blank.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return -1;
    qint64 sum = 0;
    int contrast = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d = std::max({std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                    std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
            sum += d;
            contrast = std::max(contrast, d);
        }
    }
    return contrast ? double(sum) / contrast : 0.0;
}

QFont regularOf(QFont font)
{
    font.setBold(false);
    return font;
}

struct Renderings
{
    QImage shown, regular, blank;
};

// A label or the phrase box: as shown, in the regular weight, and without its text.
template <typename Control>
Renderings renderText(Control *control, const QString &text)
{
    Renderings r;
    const QString kept = control->text();
    const QFont font = control->font();
    control->setText(text);
    r.shown = control->grab().toImage();
    control->setFont(regularOf(font));
    r.regular = control->grab().toImage();
    control->setText(QString());
    r.blank = control->grab().toImage();
    control->setFont(font);
    control->setText(kept);
    return r;
}

// The grid's title cell: the grid names no font for it, so the regular text is painted into the
// empty cell in the grid's title colour.
Renderings renderGridTitle(DbGrid *grid)
{
    Renderings r;
    // The cell in the grid's own coordinates: the title row is the view's header, outside its viewport.
    const QRect cell = GridGeometry::cellRect(grid, GridGeometry::TitleRow).translated(GridGeometry::clientRect(grid).topLeft());
    const QString title = grid->titleText();
    r.shown = grid->grab(cell).toImage();
    grid->setTitleText(QString());
    r.blank = grid->grab(cell).toImage();
    grid->setTitleText(title);
    r.regular = r.blank.copy();
    QPainter painter(&r.regular);
    const QFont regular = Tahoma::font(11);
    painter.setFont(regular);
    painter.setPen(grid->palette().color(QPalette::WindowText));
    painter.drawText(2, 2 + QFontMetrics(regular).ascent(), title);
    return r;
}

// One letter in black on white, as a label paints it, with room above for a capital's accent.
QImage letter(const QFont &font, QChar c)
{
    const QFontMetrics fm(font);
    QImage image(2 * fm.maxWidth() + 8, 2 * fm.height() + 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(4 + fm.maxWidth() / 2, 4 + fm.height() + fm.ascent() / 2, QString(c));
    return image;
}

// The accent's ink: the accented letter's ink over the bare letter's.
double accentInk(const QFont &font, QChar accented, QChar bare)
{
    const QImage blank = [&] {
        QImage b = letter(font, QLatin1Char(' '));
        b.fill(Qt::white);
        return b;
    }();
    return ink(letter(font, accented), blank) - ink(letter(font, bare), blank);
}
} // namespace

void tst_Tahoma::initTestCase()
{
    m_program = std::make_unique<ProgramInFreshDirectory>();
    m_program->windows().form1().show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_program->windows().form1()));
}

void tst_Tahoma::cleanupTestCase()
{
    m_program.reset();
}

QWidget *tst_Tahoma::control(const QString &window, const QString &name) const
{
    QWidget *form = window == QLatin1String("main") ? static_cast<QWidget *>(&m_program->windows().form1())
                                                     : static_cast<QWidget *>(&m_program->windows().form2());
    return form->findChild<QWidget *>(name);
}

// Windows lays lines out winAscent + winDescent apart, whatever the weight or slant.
void tst_Tahoma::textHeights_data()
{
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<int>("height");
    QTest::newRow("11 regular: the window font") << 11 << false << false << 13;
    QTest::newRow("11 bold: search page, grid title") << 11 << true << false << 13;
    QTest::newRow("15 regular: poem text") << 15 << false << false << 18;
    QTest::newRow("16 bold: detail title") << 16 << true << false << 19;
    QTest::newRow("21 regular: about lines") << 21 << false << false << 25;
    QTest::newRow("24 bold italic: maker") << 24 << true << true << 29;
    QTest::newRow("32 bold: about heading") << 32 << true << false << 39;
}

void tst_Tahoma::textHeights()
{
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(int, height);
    const QFont font = Tahoma::font(pixels, bold, italic);
    QCOMPARE(Tahoma::textHeight(font), height);
    // Bold keeps its own, wider advances: the heavier strokes do not crowd the letters.
    if (bold) {
        const QString text = QStringLiteral("Keresendő kifejezés:");
        QVERIFY(QFontMetrics(font).horizontalAdvance(text) > QFontMetrics(regularOf(font)).horizontalAdvance(text));
    }
}

void tst_Tahoma::boldTextIsBold_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("text");   // empty: the text it shows
    QTest::newRow("grid title Cím") << "main" << "DBGrid1" << 0 << QString();
    QTest::newRow("search page Label10") << "main" << "Label10" << 1 << QString();
    QTest::newRow("search page Label11") << "main" << "Label11" << 1 << QString();
    QTest::newRow("search page hit counter Label12") << "main" << "Label12" << 1 << QString();
    QTest::newRow("search page phrase box Edit1") << "main" << "Edit1" << 1 << QStringLiteral("tenger mélye");
    QTest::newRow("about page heading Label1") << "main" << "Label1" << 2 << QString();
    QTest::newRow("about page maker Label2, bold italic") << "main" << "Label2" << 2 << QString();
    QTest::newRow("detail window title") << "detail" << "Label1" << -1 << QStringLiteral("A tenger hullámai");
}

// What is painted: the bold text puts clearly more ink on the screen than the same text in the
// regular weight, as a real bold face does (about half as much again).
void tst_Tahoma::boldTextIsBold()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(int, page);
    QFETCH(QString, text);
    if (page >= 0)
        m_program->windows().form1().findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(page);
    QWidget *w = control(window, name);
    QVERIFY(w);
    if (page >= 0)
        QVERIFY(w->isVisible());

    Renderings r;
    if (auto *grid = qobject_cast<DbGrid *>(w)) {
        QCOMPARE(grid->titleText(), QStringLiteral("Cím"));
        r = renderGridTitle(grid);
    } else if (auto *label = qobject_cast<QLabel *>(w)) {
        QVERIFY(label->font().bold());
        r = renderText(label, text.isEmpty() ? label->text() : text);
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        QVERIFY(edit->font().bold());
        QVERIFY(!edit->hasFocus());   // no text cursor in the pictures
        r = renderText(edit, text);
    } else {
        QFAIL("not a text control");
    }
    const double bold = ink(r.shown, r.blank);
    const double regular = ink(r.regular, r.blank);
    QVERIFY2(regular > 0, qPrintable(QStringLiteral("regular %1").arg(regular)));
    const double ratio = bold / regular;
    QVERIFY2(ratio >= 1.3, qPrintable(QStringLiteral("bold %1 px of ink, regular %2 px: %3").arg(bold).arg(regular).arg(ratio)));
}

void tst_Tahoma::doubleAcutesAsDarkAsAcutes_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QChar>("accented");
    QTest::addColumn<QChar>("bare");
    const struct { const char *use; int pixels; bool italic; } sizes[] = {
        {"11 bold: search page, grid title", 11, false},
        {"16 bold: detail title", 16, false},
        {"24 bold italic: maker", 24, true},
        {"32 bold: about heading", 32, false},
    };
    for (const auto &size : sizes) {
        const QFont font = Tahoma::font(size.pixels, true, size.italic);
        QTest::addRow("%s, ő", size.use) << font << QChar(0x151) << QChar(u'o');
        QTest::addRow("%s, ű", size.use) << font << QChar(0x171) << QChar(u'u');
        QTest::addRow("%s, Ő", size.use) << font << QChar(0x150) << QChar(u'O');
        QTest::addRow("%s, Ű", size.use) << font << QChar(0x170) << QChar(u'U');
    }
}

// Hungarian readers meet ő and ű in nearly every line: in bold text their double acute must be
// as dark as the acute of é, or "Keresendő" reads as "Keresendo".
void tst_Tahoma::doubleAcutesAsDarkAsAcutes()
{
    QFETCH(QFont, font);
    QFETCH(QChar, accented);
    QFETCH(QChar, bare);
    const bool capital = accented.isUpper();
    const double acute = capital ? accentInk(font, QChar(0xC9), QLatin1Char('E')) : accentInk(font, QChar(0xE9), QLatin1Char('e'));
    const double doubleAcute = accentInk(font, accented, bare);
    QVERIFY2(acute > 0, qPrintable(QStringLiteral("acute %1").arg(acute)));
    const double ratio = doubleAcute / acute;
    QVERIFY2(ratio >= 0.9, qPrintable(QStringLiteral("double acute %1 px of ink, acute %2 px: %3")
                                          .arg(doubleAcute).arg(acute).arg(ratio)));
}

int main(int argc, char *argv[])
{
    TorneviApplication app(argc, argv);
    tst_Tahoma test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Tahoma.moc"
