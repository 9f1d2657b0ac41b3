#include "DbGrid.h"
#include "FixtureDb.h"
#include "GridGeometry.h"
#include "PoemRecords.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <memory>

// The list page's grid over a real poem query: which record is current and which records are on
// screen after every key, click, wheel notch and scroll-bar command, and what it draws.
class tst_DbGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void settings();
    void fieldBinding_data();
    void fieldBinding();
    void titleBinding_data();
    void titleBinding();
    void states_data();
    void states();
    void reopenShowsFirstRecordOnTop();
    void keyboard_data();
    void keyboard();
    void tabNeverLeavesTheGrid();
    void scrollBar_data();
    void scrollBar();
    void thumbDragMovesOnlyOnRelease();
    void scrollBarByMouse();
    void scrollBarMouseButtons_data();
    void scrollBarMouseButtons();
    void horizontalScrollBarMovesOnlyTheView();
    void press_data();
    void press();
    void pressGivesFocus();
    void titleCellHotAndPressed();
    void titleCellLooks_data();
    void titleCellLooks();
    void cornerCellHasItsGridLines_data();
    void cornerCellHasItsGridLines();
    void doubleClick_data();
    void doubleClick();
    void doubleClickOnScrollBarIsNotDelivered();
    void wheel_data();
    void wheel();
    void currentCellHighlightedOnlyWithFocus();
    void columnResizeSurvivesReopen();
    void wideColumnScrollsSideways();
    void followsMovesWhileDisabled();
    void currentIndexIsTheCurrentRecord_data();
    void currentIndexIsTheCurrentRecord();
    void screenMatchesFullRepaint_data();
    void screenMatchesFullRepaint();
    void screenshot();

private:
    void open(int rows);
    void showPage(QWidget *page);
    void setUp(const QString &steps);
    QPoint point(const QString &target) const;
    static QRect partOf(QScrollBar *bar, QStyle::SubControl part);
    QPoint inWindow(const QPoint &client) const;
    QWindow *window() const { return m_page->windowHandle(); }
    Qt::CursorShape cursorAt(const QPoint &client) const;
    QImage grabClientArea() const;
    // The grid's parts in its client area (inside the frame, beside the scroll bars), from its headers.
    static constexpr int TitleRow = GridGeometry::TitleRow;
    QRect clientRect() const;
    QRect cellRect(int line) const;        // the column's cell in a data line, or its title cell
    QRect indicatorRect(int line) const;
    int currentRecNo() const { return m_cursor->row() + 1; }
    int topRecNo() const { return m_grid->topRow() + 1; }
    QImage titleCellImage() const;
    bool markIn(const QImage &image, int row) const;
    bool blueIn(const QImage &image, const QRect &rect) const;
    QList<int> inkColumns(const QImage &image, const QRect &rect) const;
    void doubleClickAt(const QPoint &pos);
    void sendWheel(QWidget *target, int delta);
    void hoverAt(const QPoint &pos);

    QTemporaryDir m_dir;
    QHash<int, QString> m_databases;
    std::unique_ptr<PoemRecords> m_records;
    std::unique_ptr<RecordCursor> m_cursor;
    PoemQuery *m_query = nullptr;
    std::unique_ptr<QWidget> m_page;
    DbGrid *m_grid = nullptr;
    QLineEdit *m_edit = nullptr;
    QStringList m_reports;
    std::unique_ptr<QStyle> m_barStyle;
};

// Where a platform's style lets Shift+click in a scroll bar's track jump the thumb to the pointer.
class ShiftClickJumpsStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ScrollBar_LeftClickAbsolutePosition) {
            const auto *slider = qstyleoption_cast<const QStyleOptionSlider *>(option);
            return slider && (slider->keyboardModifiers & Qt::ShiftModifier);
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

void tst_DbGrid::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (int rows : {0, 1, 2, 89})
        m_databases[rows] = FixtureDb::create(m_dir.filePath(QStringLiteral("rows%1.db").arg(rows)), rows);
}

// A stand-in for the list page: the grid where the main window puts it, and one other control
// that can take the focus.
void tst_DbGrid::init()
{
    m_reports.clear();
    m_records = std::make_unique<PoemRecords>();
    m_query = &m_records->query;

    m_page = std::make_unique<QWidget>();
    m_page->resize(673, 506);
    m_grid = new DbGrid(m_page.get());
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setGeometry(3, 3, 667, 470);
    // The bindings the owning window gives the grid.
    m_grid->setFieldName(QStringLiteral("CIM"));
    m_grid->setTitleText(QStringLiteral("Cím"));
    m_grid->setToolTip(QStringLiteral("Dupla klikk: megtekintés."));
    m_grid->setStatusTip(QStringLiteral("Dupla klikk: aktuális tétel megtekintése."));
    m_grid->setModel(&m_records->model);
    m_cursor = std::make_unique<RecordCursor>(&m_records->model, m_grid->selectionModel());
    m_grid->setRecordCursor(m_cursor.get());
    connect(m_cursor.get(), &RecordCursor::errorOccurred, this, [this](const QString &message) { m_reports << message; });
    m_edit = new QLineEdit(m_page.get());
    m_edit->setGeometry(3, 479, 200, 22);
    showPage(m_page.get());
    m_grid->setFocus();
}

void tst_DbGrid::cleanup()
{
    m_page.reset();
    m_barStyle.reset();
    m_cursor.reset();
    m_records.reset();
    m_query = nullptr;
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(QLatin1Char('\n'))));
}

void tst_DbGrid::showPage(QWidget *page)
{
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page));
}

// rows < 0 leaves the query closed. The scroll area shows or hides its bars from the event loop.
void tst_DbGrid::open(int rows)
{
    if (rows < 0)
        return;
    QVERIFY(m_records->open(m_databases.value(rows)));
    QCoreApplication::processEvents();
}

// Moves made elsewhere: L last, F first, =p move to position p, +d / -d move by d.
void tst_DbGrid::setUp(const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("L"))
            m_cursor->last();
        else if (step == QLatin1String("F"))
            m_cursor->first();
        else if (step.startsWith(QLatin1Char('=')))
            m_cursor->moveToRow(step.mid(1).toInt() - 1);
        else
            m_cursor->moveBy(step.toInt());
    }
}

// Points in the client area's coordinates: "row n", "indicator n", "title", "column border",
// "right of column" (blank, beside row 5), "below rows" (blank, under the last row).
QPoint tst_DbGrid::point(const QString &target) const
{
    const int number = target.section(QLatin1Char(' '), -1).toInt();
    if (target.startsWith(QLatin1String("row ")))
        return cellRect(number).center();
    if (target.startsWith(QLatin1String("indicator ")))
        return indicatorRect(number).center();
    if (target == QLatin1String("title"))
        return cellRect(TitleRow).center();
    if (target == QLatin1String("column border"))
        return QPoint(cellRect(TitleRow).right() + 1, 8);
    if (target == QLatin1String("right of column"))
        return QPoint(clientRect().width() - 3, cellRect(5).center().y());
    if (target == QLatin1String("below rows"))
        return QPoint(100, clientRect().height() - 5);
    qFatal("unknown target %s", qPrintable(target));
    return {};
}

QRect tst_DbGrid::clientRect() const
{
    return GridGeometry::clientRect(m_grid);
}

QRect tst_DbGrid::cellRect(int line) const
{
    return GridGeometry::cellRect(m_grid, line);
}

QRect tst_DbGrid::indicatorRect(int line) const
{
    return GridGeometry::indicatorRect(m_grid, line);
}

// What the grid shows inside its frame, beside its scroll bars: title row, indicator column, rows.
QImage tst_DbGrid::grabClientArea() const
{
    return m_grid->grab(clientRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage tst_DbGrid::titleCellImage() const
{
    return grabClientArea().copy(cellRect(TitleRow));
}

// Mouse events go through the window, as the pointer's do: to whatever part of the grid lies under
// it, with the enter and leave events of crossing from one part to another.
QPoint tst_DbGrid::inWindow(const QPoint &client) const
{
    return m_grid->mapTo(m_page.get(), clientRect().topLeft() + client);
}

// The pointer's shape over a point of the grid: the nearest shape set on the way up from there.
Qt::CursorShape tst_DbGrid::cursorAt(const QPoint &client) const
{
    const QPoint inGrid = clientRect().topLeft() + client;
    for (QWidget *w = m_grid->childAt(inGrid); w && w != m_page.get(); w = w->parentWidget())
        if (w->testAttribute(Qt::WA_SetCursor))
            return w->cursor().shape();
    return Qt::ArrowCursor;
}

// The middle line of the indicator mark of a row: six black pixels ending 2 pixels from the edge.
bool tst_DbGrid::markIn(const QImage &image, int row) const
{
    const QRect cell = indicatorRect(row);
    const int middle = cell.top() + (cell.height() - 11) / 2 + 5;
    for (int x = cell.right() - 7; x <= cell.right() - 2; ++x)
        if (image.pixelColor(x, middle) != Qt::black)
            return false;
    return image.pixelColor(cell.right() - 8, middle) != Qt::black
        && image.pixelColor(cell.right() - 1, middle) != Qt::black;
}

// Text in the data colour, pure blue, smoothed into its background at the edges of the strokes.
bool tst_DbGrid::blueIn(const QImage &image, const QRect &rect) const
{
    const QRect area = rect & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() == 255 && c.red() == c.green() && c.red() < 128)
                return true;
        }
    }
    return false;
}

// The x of every pixel column of rect holding dark text (the title's window-text colour, smoothed).
QList<int> tst_DbGrid::inkColumns(const QImage &image, const QRect &rect) const
{
    QList<int> columns;
    const QRect area = rect & image.rect();
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (qGray(image.pixel(x, y)) < 96) {
                columns << x;
                break;
            }
        }
    }
    return columns;
}

// A double click: press, release, press, release, the second press within the double-click time.
void tst_DbGrid::doubleClickAt(const QPoint &pos)
{
    QTest::mouseDClick(window(), Qt::LeftButton, {}, inWindow(pos));
}

void tst_DbGrid::sendWheel(QWidget *target, int delta)
{
    const QPointF pos = target->rect().center();
    QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

void tst_DbGrid::hoverAt(const QPoint &pos)
{
    QTest::mouseMove(window(), inWindow(pos));
}

void tst_DbGrid::settings()
{
    QCOMPARE(m_grid->toolTip(), QStringLiteral("Dupla klikk: megtekintés."));
    QCOMPARE(m_grid->statusTip(), QStringLiteral("Dupla klikk: aktuális tétel megtekintése."));
    QCOMPARE(m_grid->frameWidth(), 2);
    QCOMPARE(m_grid->frameShadow(), QFrame::Sunken);
    QCOMPARE(m_grid->font().pixelSize(), 11);
    QCOMPARE(m_grid->fieldColumnWidth(), 625);

    // Rows 18 pixels apart below an 18-pixel title row: 24 whole rows in a 466-pixel client area.
    QCOMPARE(clientRect().height(), 466);
    QCOMPARE(m_grid->titleRowHeight(), 18);
    QCOMPARE(m_grid->linePitch(), 18);
    QCOMPARE(m_grid->visibleLineCount(), 24);
    QCOMPARE(cellRect(TitleRow), QRect(12, 0, 625, 17));
    QCOMPARE(indicatorRect(0), QRect(0, 18, 11, 17));
    QCOMPARE(cellRect(0), QRect(12, 18, 625, 17));
    QCOMPARE(cellRect(23).top(), 18 + 23 * 18);
}

// The owner names the field as a .ui file does, through the property; the grid follows a change
// at once, whether the query is open or not.
void tst_DbGrid::fieldBinding_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("textShown");

    QTest::newRow("the title field") << "CIM" << true;
    QTest::newRow("no field: empty cells") << "" << false;
    QTest::newRow("a field the query lacks: empty cells") << "NINCS" << false;
    QTest::newRow("a field holding only NULL: empty cells") << "DATUM" << false;
}

void tst_DbGrid::fieldBinding()
{
    QFETCH(QString, field);
    QFETCH(bool, textShown);

    m_edit->setFocus();   // no highlight, so the data text shows in its own colour
    QVERIFY(m_grid->setProperty("fieldName", field));   // a declared property, not a dynamic one
    QCOMPARE(m_grid->fieldName(), field);
    open(89);

    // The rows, the mark and the scroll bar do not depend on the field.
    QImage image = grabClientArea();
    QCOMPARE(m_grid->drawnLineCount(), 24);
    QVERIFY(markIn(image, 0));
    QVERIFY(m_grid->verticalScrollBar()->isVisible());
    for (int row : {0, 23})
        QCOMPARE(blueIn(image, cellRect(row)), textShown);

    // Moving past the first batch reads the field of rows not fetched yet.
    QTest::keyClick(m_grid, Qt::Key_End);
    QCOMPARE(currentRecNo(), 89);
    QCOMPARE(blueIn(grabClientArea(), cellRect(23)), textShown);

    QVERIFY(m_grid->setProperty("fieldName", QStringLiteral("CIM")));
    QVERIFY(blueIn(grabClientArea(), cellRect(23)));
    m_grid->setFieldName(field);
    QCOMPARE(blueIn(grabClientArea(), cellRect(23)), textShown);
    QCOMPARE(currentRecNo(), 89);
}

void tst_DbGrid::titleBinding_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("columnWidth");

    QTest::newRow("the title") << QStringLiteral("Cím") << 625;
    QTest::newRow("no title") << QString() << 625;
    QTest::newRow("a title wider than the column is cut off")
        << QStringLiteral("Cím, keltezés és a vers első sora") << 60;
}

void tst_DbGrid::titleBinding()
{
    QFETCH(QString, title);
    QFETCH(int, columnWidth);

    open(89);
    m_grid->setFieldColumnWidth(columnWidth);
    QVERIFY(m_grid->setProperty("titleText", title));   // a declared property, not a dynamic one
    QCOMPARE(m_grid->titleText(), title);

    const QImage image = grabClientArea();
    const QRect cell = cellRect(TitleRow);
    const QList<int> ink = inkColumns(image, cell);
    QCOMPARE(ink.isEmpty(), title.isEmpty());
    if (!ink.isEmpty()) {
        // Left-aligned: the text starts 2 pixels in (plus the first letter's own bearing).
        QVERIFY2(ink.first() - cell.left() >= 2 && ink.first() - cell.left() <= 4, qPrintable(QString::number(ink.first())));
    }
    // Nothing of it beside the column, nor in the indicator's title cell.
    const QRect beside(cell.right() + 2, 0, image.width() - cell.right() - 2, cell.height());
    QVERIFY(inkColumns(image, beside).isEmpty());
    QVERIFY(inkColumns(image, indicatorRect(TitleRow)).isEmpty());
}

void tst_DbGrid::states_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("drawnRowCount");
    QTest::addColumn<int>("topPosition");
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("scrollBar");

    QTest::newRow("closed: one blank row, no mark") << -1 << 1 << 0 << -1 << false << false;
    QTest::newRow("empty: one blank row with the mark") << 0 << 1 << 0 << 0 << true << false;
    QTest::newRow("one record: no scroll bar") << 1 << 1 << 1 << 0 << true << false;
    QTest::newRow("two records: scroll bar") << 2 << 2 << 1 << 0 << true << true;
    QTest::newRow("89 records: 24 rows") << 89 << 24 << 1 << 0 << true << true;
}

void tst_DbGrid::states()
{
    QFETCH(int, rows);
    QFETCH(int, drawnRowCount);
    QFETCH(int, topPosition);
    QFETCH(int, currentRow);
    QFETCH(bool, mark);
    QFETCH(bool, scrollBar);

    m_edit->setFocus();   // no highlight, so the data text shows in its own colour
    open(rows);
    QCOMPARE(m_grid->visibleLineCount(), 24);
    QCOMPARE(m_grid->drawnLineCount(), drawnRowCount);
    QCOMPARE(topRecNo(), topPosition);
    QCOMPARE(m_grid->currentLine(), currentRow);

    const QImage image = grabClientArea();
    QCOMPARE(markIn(image, 0), mark);
    for (int row = 1; row < drawnRowCount; ++row)
        QVERIFY(!markIn(image, row));
    QCOMPARE(blueIn(image, cellRect(0)), rows > 0);
    QCOMPARE(blueIn(image, cellRect(drawnRowCount - 1)), rows > 0);
    // Nothing is drawn below the last row.
    QVERIFY(!blueIn(image, QRect(0, cellRect(drawnRowCount).top(), image.width(), image.height())));

    QScrollBar *bar = m_grid->verticalScrollBar();
    QCOMPARE(bar->isVisible(), scrollBar);
    if (scrollBar) {
        QCOMPARE(bar->minimum(), 1);
        QCOMPARE(bar->maximum(), rows);   // with the page of 24: a track of rows + 23 positions
        QCOMPARE(bar->pageStep(), 24);
        QCOMPARE(bar->value(), 1);
    }
    QVERIFY(!m_grid->horizontalScrollBar()->isVisible());
}

void tst_DbGrid::reopenShowsFirstRecordOnTop()
{
    open(89);
    setUp(QStringLiteral("=60"));
    QCOMPARE(topRecNo(), 37);
    m_query->close();
    QCoreApplication::processEvents();
    QCOMPARE(topRecNo(), 0);
    QCOMPARE(m_grid->drawnLineCount(), 1);
    QVERIFY(!m_grid->verticalScrollBar()->isVisible());
    QVERIFY(!markIn(grabClientArea(), 0));

    QVERIFY(m_query->open());
    QCoreApplication::processEvents();
    QCOMPARE(currentRecNo(), 1);
    QCOMPARE(topRecNo(), 1);
    QCOMPARE(m_grid->currentLine(), 0);
    QCOMPARE(m_grid->verticalScrollBar()->value(), 1);
    QVERIFY(m_grid->verticalScrollBar()->isVisible());
}

void tst_DbGrid::keyboard_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<int>("top");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");

    const auto keys = [](const char *text) { return QKeySequence(QString::fromLatin1(text)); };
    // 89 records, 24 rows on screen.
    QTest::newRow("Down from the first record") << 89 << "" << keys("Down") << 2 << 1 << false << false;
    QTest::newRow("Tab moves down") << 89 << "" << keys("Tab") << 2 << 1 << false << false;
    QTest::newRow("Down onto the last record keeps EOF off") << 89 << "=88" << keys("Down") << 89 << 66 << false << false;
    QTest::newRow("Down on the last record only sets EOF") << 89 << "L" << keys("Down") << 89 << 66 << false << true;
    QTest::newRow("Tab on the last record appends nothing") << 89 << "L" << keys("Tab, Tab") << 89 << 66 << false << true;
    QTest::newRow("Down below the bottom row scrolls one row") << 89 << "=24" << keys("Down") << 25 << 2 << false << false;
    QTest::newRow("Up onto the first record keeps BOF off") << 89 << "=2" << keys("Up") << 1 << 1 << false << false;
    QTest::newRow("Up on the first record sets BOF") << 89 << "=2" << keys("Up, Up") << 1 << 1 << true << false;
    QTest::newRow("Up above the top row scrolls one row") << 89 << "=50 -23" << keys("Up") << 26 << 26 << false << false;
    QTest::newRow("Shift+Tab moves up") << 89 << "=5" << keys("Shift+Tab") << 4 << 1 << false << false;
    QTest::newRow("Backtab moves up") << 89 << "=5" << keys("Shift+Backtab") << 4 << 1 << false << false;
    QTest::newRow("Page Down from the top row") << 89 << "" << keys("PgDown") << 25 << 2 << false << false;
    QTest::newRow("Page Down near the end stops on the last record") << 89 << "=80" << keys("PgDown") << 89 << 66 << false << true;
    QTest::newRow("Page Up from the last record") << 89 << "L" << keys("PgUp") << 65 << 65 << false << false;
    QTest::newRow("Page Up near the start runs past the first record") << 89 << "=10" << keys("PgUp") << 1 << 1 << true << false;
    QTest::newRow("Home") << 89 << "=50" << keys("Home") << 1 << 1 << true << false;
    QTest::newRow("Ctrl+Home") << 89 << "=50" << keys("Ctrl+Home") << 1 << 1 << true << false;
    QTest::newRow("End") << 89 << "" << keys("End") << 89 << 66 << false << true;
    QTest::newRow("Ctrl+End") << 89 << "=5" << keys("Ctrl+End") << 89 << 66 << false << true;
    QTest::newRow("Ctrl+Up goes to the top row") << 89 << "=50" << keys("Ctrl+Up") << 27 << 27 << false << false;
    QTest::newRow("Ctrl+Page Up goes to the top row") << 89 << "=50" << keys("Ctrl+PgUp") << 27 << 27 << false << false;
    QTest::newRow("Ctrl+Down goes to the bottom row") << 89 << "" << keys("Ctrl+Down") << 24 << 1 << false << false;
    QTest::newRow("Ctrl+Page Down goes to the bottom row") << 89 << "=50 -10" << keys("Ctrl+PgDown") << 50 << 27 << false << false;
    QTest::newRow("Left and Right do nothing") << 89 << "=5" << keys("Left, Right, Ctrl+Left, Ctrl+Right") << 5 << 1 << false << false;
    QTest::newRow("editing keys do nothing") << 89 << "=5" << keys("Ins, Ctrl+Del, Del, F2") << 5 << 1 << false << false;
    QTest::newRow("Enter and Escape do nothing") << 89 << "=5" << keys("Return, Enter, Esc") << 5 << 1 << false << false;
    QTest::newRow("typing does nothing") << 89 << "=5" << keys("A, Space, 1, Shift+B") << 5 << 1 << false << false;
    // Small and empty results.
    QTest::newRow("two records: Ctrl+Down") << 2 << "" << keys("Ctrl+Down") << 2 << 1 << false << false;
    QTest::newRow("one record: Down sets EOF") << 1 << "" << keys("Down") << 1 << 1 << false << true;
    QTest::newRow("one record: Up does nothing") << 1 << "" << keys("Up, PgUp") << 1 << 1 << true << false;
    QTest::newRow("empty: nothing moves") << 0 << "" << keys("Down, PgDown, End, Home") << 0 << 0 << true << true;
    QTest::newRow("closed: nothing moves") << -1 << "" << keys("Down, Tab, End, Ctrl+Up") << 0 << 0 << true << true;
}

void tst_DbGrid::keyboard()
{
    QFETCH(int, rows);
    QFETCH(QString, setup);
    QFETCH(QKeySequence, keys);
    QFETCH(int, recNo);
    QFETCH(int, top);
    QFETCH(bool, bof);
    QFETCH(bool, eof);

    open(rows);
    setUp(setup);
    QSignalSpy doubleClicks(m_grid, &DbGrid::doubleClickedAnywhere);
    QCOMPARE(QApplication::focusWidget(), m_grid);
    for (int i = 0; i < keys.count(); ++i)
        QTest::keyClick(m_grid, keys[i].key(), keys[i].keyboardModifiers());

    QCOMPARE(currentRecNo(), recNo);
    QCOMPARE(topRecNo(), top);
    QCOMPARE(m_cursor->bof(), bof);
    QCOMPARE(m_cursor->eof(), eof);
    QCOMPARE(m_query->recordCount(), std::max(rows, 0));
    QCOMPARE(QApplication::focusWidget(), m_grid);
    QCOMPARE(doubleClicks.count(), 0);
    if (rows >= 2)
        QCOMPARE(m_grid->verticalScrollBar()->value(), recNo);
}

// Through the window, as the keyboard delivers them: the focus stays while the record moves.
void tst_DbGrid::tabNeverLeavesTheGrid()
{
    QWindow *window = m_page->windowHandle();
    QTest::keyClick(window, Qt::Key_Tab);   // closed: nothing to move, focus stays all the same
    QCOMPARE(QApplication::focusWidget(), m_grid);

    open(89);
    QTest::keyClick(window, Qt::Key_Tab);
    QTest::keyClick(window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_grid);
    QCOMPARE(currentRecNo(), 3);
    QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), m_grid);
    QCOMPARE(currentRecNo(), 2);
}

void tst_DbGrid::scrollBar_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<int>("top");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");

    QTest::newRow("arrow down, current in the top row") << 89 << "" << "line down" << 25 << 2 << false << false;
    QTest::newRow("arrow down, current inside the window") << 89 << "=10" << "line down" << 25 << 2 << false << false;
    QTest::newRow("arrow down at the end only sets EOF") << 89 << "L" << "line down" << 89 << 66 << false << true;
    QTest::newRow("arrow up, current in the bottom row") << 89 << "=50" << "line up" << 26 << 26 << false << false;
    QTest::newRow("arrow up, current in the top row") << 89 << "=50 -23" << "line up" << 26 << 26 << false << false;
    QTest::newRow("arrow up at the start sets BOF") << 89 << "=5" << "line up" << 1 << 1 << true << false;
    QTest::newRow("track below the thumb") << 89 << "" << "page down" << 25 << 2 << false << false;
    QTest::newRow("track above the thumb") << 89 << "L" << "page up" << 65 << 65 << false << false;
    QTest::newRow("scroll to top") << 89 << "=50" << "top" << 1 << 1 << true << false;
    QTest::newRow("scroll to bottom") << 89 << "" << "bottom" << 89 << 66 << false << true;
    QTest::newRow("thumb released at 1") << 89 << "=50" << "release 1" << 1 << 1 << true << false;
    QTest::newRow("thumb released on the first record sets BOF") << 89 << "=2 -1" << "release 1" << 1 << 1 << true << false;
    QTest::newRow("thumb released inside") << 89 << "" << "release 40" << 40 << 17 << false << false;
    QTest::newRow("thumb released at the record count") << 89 << "" << "release 89" << 89 << 66 << false << true;
    QTest::newRow("scroll here") << 89 << "" << "set 30" << 30 << 7 << false << false;
    QTest::newRow("two records: arrow down") << 2 << "" << "line down" << 2 << 1 << false << true;
    QTest::newRow("two records: thumb released at 2") << 2 << "" << "release 2" << 2 << 1 << false << true;
}

void tst_DbGrid::scrollBar()
{
    QFETCH(int, rows);
    QFETCH(QString, setup);
    QFETCH(QString, action);
    QFETCH(int, recNo);
    QFETCH(int, top);
    QFETCH(bool, bof);
    QFETCH(bool, eof);

    open(rows);
    setUp(setup);
    QScrollBar *bar = m_grid->verticalScrollBar();
    const int position = action.section(QLatin1Char(' '), -1).toInt();
    if (action.startsWith(QLatin1String("release "))) {
        bar->setSliderDown(true);
        bar->setSliderPosition(position);
        bar->setSliderDown(false);
    } else if (action.startsWith(QLatin1String("set "))) {
        bar->setValue(position);
    } else {
        const QHash<QString, QAbstractSlider::SliderAction> actions{
            {QStringLiteral("line up"), QAbstractSlider::SliderSingleStepSub},
            {QStringLiteral("line down"), QAbstractSlider::SliderSingleStepAdd},
            {QStringLiteral("page up"), QAbstractSlider::SliderPageStepSub},
            {QStringLiteral("page down"), QAbstractSlider::SliderPageStepAdd},
            {QStringLiteral("top"), QAbstractSlider::SliderToMinimum},
            {QStringLiteral("bottom"), QAbstractSlider::SliderToMaximum},
        };
        bar->triggerAction(actions.value(action));
    }

    QCOMPARE(currentRecNo(), recNo);
    QCOMPARE(topRecNo(), top);
    QCOMPARE(m_cursor->bof(), bof);
    QCOMPARE(m_cursor->eof(), eof);
    QCOMPARE(bar->value(), recNo);
    QCOMPARE(bar->sliderPosition(), recNo);
}

void tst_DbGrid::thumbDragMovesOnlyOnRelease()
{
    open(89);
    QScrollBar *bar = m_grid->verticalScrollBar();
    QSignalSpy moves(m_cursor.get(), &RecordCursor::changed);
    bar->setSliderDown(true);
    bar->setSliderPosition(30);
    bar->setSliderPosition(60);
    QCOMPARE(moves.count(), 0);
    QCOMPARE(topRecNo(), 1);
    bar->setSliderDown(false);
    QCOMPARE(currentRecNo(), 60);
    QCOMPARE(topRecNo(), 37);
    QCOMPARE(bar->value(), 60);
}

// The same commands from real clicks on the bar's arrow, track and thumb.
void tst_DbGrid::scrollBarByMouse()
{
    open(89);
    QScrollBar *bar = m_grid->verticalScrollBar();
    const auto rectOf = [bar](QStyle::SubControl part) { return partOf(bar, part); };

    QTest::mouseClick(bar, Qt::LeftButton, {}, rectOf(QStyle::SC_ScrollBarAddLine).center());
    QCOMPARE(currentRecNo(), 25);
    QCOMPARE(topRecNo(), 2);

    QTest::mouseClick(bar, Qt::LeftButton, {}, rectOf(QStyle::SC_ScrollBarAddPage).center());
    QCOMPARE(currentRecNo(), 49);
    QCOMPARE(topRecNo(), 26);

    QTest::mouseClick(bar, Qt::LeftButton, {}, rectOf(QStyle::SC_ScrollBarSubLine).center());
    QCOMPARE(currentRecNo(), 25);
    QCOMPARE(topRecNo(), 25);

    const QPoint thumb = rectOf(QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(bar, thumb + QPoint(0, 60));
    QCOMPARE(currentRecNo(), 25);
    QVERIFY(bar->sliderPosition() > 25);
    const int released = bar->sliderPosition();
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb + QPoint(0, 60));
    QCOMPARE(currentRecNo(), released);
    QCOMPARE(bar->value(), released);
}

// A scroll bar's arrow, track or thumb as its style lays it out now, in the bar's coordinates.
QRect tst_DbGrid::partOf(QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

// Only the left button operates the bar, whatever key is held: nothing may jump the record to the
// pointer. Track clicks land near the far end of the track, where a jump would show.
void tst_DbGrid::scrollBarMouseButtons_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QStyle::SubControl>("part");
    QTest::addColumn<int>("drag");              // pixels the pointer moves before the release
    QTest::addColumn<bool>("shiftClickJumps");   // a style that jumps on Shift+click
    QTest::addColumn<int>("recNo");
    QTest::addColumn<int>("top");

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    // The current record 50 sits in the bottom row; 24 rows on screen.
    QTest::newRow("click below the thumb: a page down") << Qt::LeftButton << none << QStyle::SC_ScrollBarAddPage << 0 << false << 74 << 51;
    QTest::newRow("click above the thumb: a page up") << Qt::LeftButton << none << QStyle::SC_ScrollBarSubPage << 0 << false << 26 << 26;
    QTest::newRow("middle click below the thumb: nothing") << Qt::MiddleButton << none << QStyle::SC_ScrollBarAddPage << 0 << false << 50 << 27;
    QTest::newRow("middle click above the thumb: nothing") << Qt::MiddleButton << none << QStyle::SC_ScrollBarSubPage << 0 << false << 50 << 27;
    QTest::newRow("middle click on the down arrow: nothing") << Qt::MiddleButton << none << QStyle::SC_ScrollBarAddLine << 0 << false << 50 << 27;
    QTest::newRow("middle drag of the thumb: nothing") << Qt::MiddleButton << none << QStyle::SC_ScrollBarSlider << 80 << false << 50 << 27;
    QTest::newRow("Shift+click below the thumb: a page down") << Qt::LeftButton << shift << QStyle::SC_ScrollBarAddPage << 0 << false << 74 << 51;
    QTest::newRow("Shift+click below the thumb, jumping style: a page down") << Qt::LeftButton << shift << QStyle::SC_ScrollBarAddPage << 0 << true << 74 << 51;
    QTest::newRow("Shift+click above the thumb, jumping style: a page up") << Qt::LeftButton << shift << QStyle::SC_ScrollBarSubPage << 0 << true << 26 << 26;
    QTest::newRow("click below the thumb, jumping style: a page down") << Qt::LeftButton << none << QStyle::SC_ScrollBarAddPage << 0 << true << 74 << 51;
}

void tst_DbGrid::scrollBarMouseButtons()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QStyle::SubControl, part);
    QFETCH(int, drag);
    QFETCH(bool, shiftClickJumps);
    QFETCH(int, recNo);
    QFETCH(int, top);

    open(89);
    setUp(QStringLiteral("=50"));
    QScrollBar *bar = m_grid->verticalScrollBar();
    if (shiftClickJumps) {
        m_barStyle = std::make_unique<ShiftClickJumpsStyle>(bar->style()->name());
        bar->setStyle(m_barStyle.get());
    }
    QCOMPARE(topRecNo(), 27);
    QCOMPARE(bar->value(), 50);

    const QRect rect = partOf(bar, part);
    QPoint at = rect.center();
    if (part == QStyle::SC_ScrollBarAddPage)
        at.setY(rect.bottom() - 3);
    else if (part == QStyle::SC_ScrollBarSubPage)
        at.setY(rect.top() + 3);
    QVERIFY(rect.contains(at));

    QSignalSpy moves(m_cursor.get(), &RecordCursor::changed);
    QTest::mousePress(bar, button, modifiers, at);
    if (drag)
        QTest::mouseMove(bar, at + QPoint(0, drag));
    QTest::mouseRelease(bar, button, modifiers, at + QPoint(0, drag));

    QCOMPARE(currentRecNo(), recNo);
    QCOMPARE(moves.isEmpty(), recNo == 50);
    QCOMPARE(topRecNo(), top);
    QCOMPARE(bar->value(), recNo);
    QCOMPARE(bar->sliderPosition(), recNo);
    QVERIFY(!bar->isSliderDown());
}

// The horizontal bar is an ordinary one: it scrolls the view and never moves the record.
void tst_DbGrid::horizontalScrollBarMovesOnlyTheView()
{
    open(89);
    setUp(QStringLiteral("=5"));
    m_grid->setFieldColumnWidth(1400);
    QScrollBar *horizontal = m_grid->horizontalScrollBar();
    QTRY_VERIFY(horizontal->isVisible());
    QSignalSpy moves(m_cursor.get(), &RecordCursor::changed);

    const QRect track = partOf(horizontal, QStyle::SC_ScrollBarAddPage);
    const QPoint nearEnd(track.right() - 3, track.center().y());
    QTest::mouseClick(horizontal, Qt::LeftButton, {}, nearEnd);
    QCOMPARE(horizontal->value(), horizontal->pageStep());
    QCOMPARE(cellRect(0).left(), 12 - horizontal->pageStep());

    // The middle button does whatever the style gives an ordinary bar.
    const int before = horizontal->value();
    const QPoint end(partOf(horizontal, QStyle::SC_ScrollBarAddPage).right() - 3, track.center().y());
    QTest::mouseClick(horizontal, Qt::MiddleButton, {}, end);
    const bool jumps = horizontal->style()->styleHint(QStyle::SH_ScrollBar_MiddleClickAbsolutePosition, nullptr, horizontal);
    QCOMPARE(horizontal->value() > before, jumps);

    QVERIFY(moves.isEmpty());
    QCOMPARE(currentRecNo(), 5);
    QCOMPARE(m_grid->verticalScrollBar()->value(), 5);
}

void tst_DbGrid::press_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("recNo");

    QTest::newRow("left button on a row") << 89 << "" << Qt::LeftButton << "row 5" << 6;
    QTest::newRow("right button on a row") << 89 << "" << Qt::RightButton << "row 5" << 6;
    QTest::newRow("middle button on a row") << 89 << "" << Qt::MiddleButton << "row 5" << 6;
    QTest::newRow("indicator cell") << 89 << "" << Qt::LeftButton << "indicator 7" << 8;
    QTest::newRow("row above the current one") << 89 << "=60" << Qt::LeftButton << "row 0" << 37;
    QTest::newRow("bottom row") << 89 << "=60 -23" << Qt::LeftButton << "row 23" << 60;
    QTest::newRow("title row") << 89 << "=4" << Qt::LeftButton << "title" << 4;
    QTest::newRow("right of the column") << 89 << "=4" << Qt::LeftButton << "right of column" << 4;
    QTest::newRow("below the last row") << 2 << "" << Qt::LeftButton << "below rows" << 1;
    QTest::newRow("closed") << -1 << "" << Qt::LeftButton << "row 0" << 0;
    QTest::newRow("empty") << 0 << "" << Qt::LeftButton << "row 0" << 0;
}

void tst_DbGrid::press()
{
    QFETCH(int, rows);
    QFETCH(QString, setup);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QString, target);
    QFETCH(int, recNo);

    open(rows);
    setUp(setup);
    const int top = topRecNo();
    QTest::mouseClick(window(), button, {}, inWindow(point(target)));
    QCOMPARE(currentRecNo(), recNo);
    QCOMPARE(topRecNo(), top);   // the clicked row is on screen: nothing scrolls
}

void tst_DbGrid::pressGivesFocus()
{
    open(89);
    for (const char *target : {"row 3", "title", "below rows"}) {
        m_edit->setFocus();
        QCOMPARE(QApplication::focusWidget(), m_edit);
        QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(point(QString::fromLatin1(target))));
        QCOMPARE(QApplication::focusWidget(), m_grid);
        QTest::mouseRelease(window(), Qt::LeftButton, {}, inWindow(point(QString::fromLatin1(target))));
    }
}

// The hot and pressed states as a user sees them: the title cell's look.
void tst_DbGrid::titleCellHotAndPressed()
{
    open(89);
    const QPoint title = point(QStringLiteral("title"));
    const QPoint away = point(QStringLiteral("row 2"));
    hoverAt(away);
    const QImage plain = titleCellImage();
    hoverAt(title);
    const QImage hot = titleCellImage();
    QVERIFY(hot != plain);
    hoverAt(away);
    QCOMPARE(titleCellImage(), plain);

    QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(title));
    const QImage pressed = titleCellImage();
    QVERIFY(pressed != plain && pressed != hot);
    QTest::mouseMove(window(), inWindow(title + QPoint(80, 0)));   // a column drag: the one column stays
    QTest::mouseRelease(window(), Qt::LeftButton, {}, inWindow(title + QPoint(80, 0)));
    QVERIFY(titleCellImage() != pressed);
    QCOMPARE(cellRect(TitleRow), QRect(12, 0, 625, 17));
    QCOMPARE(currentRecNo(), 1);
    QVERIFY(m_cursor->bof());
}

void tst_DbGrid::titleCellLooks_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columnWidth");

    QTest::newRow("open query") << 89 << 625;
    QTest::newRow("closed query") << -1 << 625;
    QTest::newRow("narrowed column") << 89 << 150;
}

// What is painted, not a flag: the title cell looks different while the pointer is over it, and
// different again while held down; everything else stays as it was.
void tst_DbGrid::titleCellLooks()
{
    QFETCH(int, rows);
    QFETCH(int, columnWidth);

    open(rows);
    m_grid->setFieldColumnWidth(columnWidth);
    const QPoint title = point(QStringLiteral("title"));
    const QPoint away = point(QStringLiteral("row 2"));
    const QRect cell = cellRect(TitleRow);
    const auto cellOf = [cell](const QImage &image) { return image.copy(cell); };
    // The whole client area with the title cell blanked out.
    const auto restOf = [cell](QImage image) {
        image.detach();
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                image.setPixel(x, y, 0);
        return image;
    };

    hoverAt(away);
    const QImage normal = grabClientArea();
    hoverAt(title);
    const QImage hot = grabClientArea();
    hoverAt(away);
    const QImage movedAway = grabClientArea();
    hoverAt(title);
    QTest::mouseMove(window(), m_edit->geometry().center());   // out of the grid
    const QImage left = grabClientArea();
    hoverAt(title);
    QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(title));
    const QImage pressed = grabClientArea();
    QTest::mouseRelease(window(), Qt::LeftButton, {}, inWindow(title));
    const QImage released = grabClientArea();

    QVERIFY(cellOf(hot) != cellOf(normal));
    QCOMPARE(restOf(hot), restOf(normal));
    QCOMPARE(movedAway, normal);
    QCOMPARE(left, normal);
    QVERIFY(cellOf(pressed) != cellOf(normal));
    QVERIFY(cellOf(pressed) != cellOf(hot));
    QCOMPARE(restOf(pressed), restOf(normal));
    QCOMPARE(released, hot);   // the pointer is still over it

    // A subtle look: the title stays as dark on a ground still light.
    const QPoint ground(cell.right() - 3, cell.center().y());
    for (const QImage &image : {hot, pressed}) {
        QVERIFY(inkColumns(image, cell).size() >= inkColumns(normal, cell).size());
        QVERIFY2(qGray(image.pixel(ground)) > 160, qPrintable(image.pixelColor(ground).name()));
    }
}

void tst_DbGrid::cornerCellHasItsGridLines_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("open query") << 89;
    QTest::newRow("closed query") << -1;
}

// The empty title cell over the indicator column is a cell like the others: the grid's line runs
// right of it and below it, in the colour of every other line, and inside it is the header's
// ground, as in the indicator cells below it.
void tst_DbGrid::cornerCellHasItsGridLines()
{
    QFETCH(int, rows);
    open(rows);
    const QImage image = grabClientArea();
    const QRect corner = indicatorRect(TitleRow);
    const QRect title = cellRect(TitleRow);
    const QRect indicator = indicatorRect(0);   // its mark lies right, away from the pixels read
    const QRgb line = image.pixel(title.left() + 4, title.bottom() + 1);
    QCOMPARE(image.pixel(indicator.right() + 1, indicator.center().y()), line);
    QCOMPARE(image.pixel(indicator.center().x(), indicator.bottom() + 1), line);
    QStringList wrong;
    for (int y = corner.top(); y <= corner.bottom() + 1; ++y) {
        if (image.pixel(corner.right() + 1, y) != line)
            wrong << QStringLiteral("right of it at %1: %2").arg(y).arg(image.pixelColor(corner.right() + 1, y).name());
    }
    for (int x = corner.left(); x <= corner.right(); ++x) {
        if (image.pixel(x, corner.bottom() + 1) != line)
            wrong << QStringLiteral("below it at %1: %2").arg(x).arg(image.pixelColor(x, corner.bottom() + 1).name());
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1String("; ")) + QStringLiteral(" (line %1)").arg(QColor(line).name())));
    QCOMPARE(image.pixel(corner.left() + 1, corner.top() + 1), image.pixel(indicator.left() + 1, indicator.top() + 1));
}

void tst_DbGrid::doubleClick_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("recNoWhenDelivered");

    QTest::newRow("data row: the clicked record") << 89 << "=3" << "row 10" << 11;
    QTest::newRow("indicator cell: the clicked record") << 89 << "=3" << "indicator 10" << 11;
    QTest::newRow("title row: the current record") << 89 << "=3" << "title" << 3;
    QTest::newRow("column border: the current record") << 89 << "=3" << "column border" << 3;
    QTest::newRow("blank beside the rows: the current record") << 89 << "=3" << "right of column" << 3;
    QTest::newRow("blank below the rows: the current record") << 2 << "=2" << "below rows" << 2;
    QTest::newRow("empty result") << 0 << "" << "row 0" << 0;
    QTest::newRow("closed query") << -1 << "" << "row 0" << 0;
}

void tst_DbGrid::doubleClick()
{
    QFETCH(int, rows);
    QFETCH(QString, setup);
    QFETCH(QString, target);
    QFETCH(int, recNoWhenDelivered);

    open(rows);
    setUp(setup);
    QList<int> delivered;
    connect(m_grid, &DbGrid::doubleClickedAnywhere, this, [&] { delivered << currentRecNo(); });
    doubleClickAt(point(target));
    QCOMPARE(delivered, QList<int>{recNoWhenDelivered});
    QCOMPARE(m_grid->fieldColumnWidth(), 625);
}

void tst_DbGrid::doubleClickOnScrollBarIsNotDelivered()
{
    open(89);
    QSignalSpy doubleClicks(m_grid, &DbGrid::doubleClickedAnywhere);
    QScrollBar *bar = m_grid->verticalScrollBar();
    const QPoint middle = bar->rect().center();
    QTest::mouseDClick(bar, Qt::LeftButton, {}, middle);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, middle);
    QCOMPARE(doubleClicks.count(), 0);

    // The right button's double click is two presses: it moves, and opens nothing.
    doubleClicks.clear();
    const int top = topRecNo();
    QTest::mouseDClick(window(), Qt::RightButton, {}, inWindow(point(QStringLiteral("row 4"))));
    QCOMPARE(doubleClicks.count(), 0);
    QCOMPARE(currentRecNo(), top + 4);
}

void tst_DbGrid::wheel_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<bool>("overScrollBar");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<int>("top");
    QTest::addColumn<bool>("bof");

    QTest::newRow("one notch down") << "" << QList<int>{-120} << false << 2 << 1 << false;
    QTest::newRow("one notch up") << "=10" << QList<int>{120} << false << 9 << 1 << false;
    QTest::newRow("three notches at once") << "" << QList<int>{-360} << false << 4 << 1 << false;
    QTest::newRow("half notches add up") << "" << QList<int>{-60, -60} << false << 2 << 1 << false;
    QTest::newRow("half a notch does nothing yet") << "" << QList<int>{-60} << false << 1 << 1 << true;
    QTest::newRow("notch up on the first record sets BOF") << "=2 -1" << QList<int>{120} << false << 1 << 1 << true;
    QTest::newRow("down past the bottom row scrolls") << "=24" << QList<int>{-120} << false << 25 << 2 << false;
    QTest::newRow("over the scroll bar: one record per notch") << "" << QList<int>{-120} << true << 2 << 1 << false;
}

void tst_DbGrid::wheel()
{
    QFETCH(QString, setup);
    QFETCH(QList<int>, deltas);
    QFETCH(bool, overScrollBar);
    QFETCH(int, recNo);
    QFETCH(int, top);
    QFETCH(bool, bof);

    open(89);
    setUp(setup);
    QWidget *target = overScrollBar ? static_cast<QWidget *>(m_grid->verticalScrollBar()) : m_grid->viewport();
    for (int delta : deltas)
        sendWheel(target, delta);
    QCOMPARE(currentRecNo(), recNo);
    QCOMPARE(topRecNo(), top);
    QCOMPARE(m_cursor->bof(), bof);
    QCOMPARE(m_grid->verticalScrollBar()->value(), recNo);
}

void tst_DbGrid::currentCellHighlightedOnlyWithFocus()
{
    open(89);
    setUp(QStringLiteral("=3"));
    const QRect cell = cellRect(2);
    const QPoint inside(cell.right() - 4, cell.top() + 4);
    const QColor highlight = m_grid->palette().color(QPalette::Highlight);
    const QColor base = m_grid->palette().color(QPalette::Base);

    QImage image = grabClientArea();
    QCOMPARE(image.pixelColor(inside), highlight);
    QCOMPARE(image.pixelColor(cellRect(1).right() - 4, cellRect(1).top() + 4), base);
    // The dotted focus rectangle: one pixel inside the cell, every other pixel.
    const QColor dot(255 - highlight.red(), 255 - highlight.green(), 255 - highlight.blue());
    const int y = cell.top() + 1;
    const int x = cell.right() - 10 + ((cell.right() - 10 + y) % 2);
    QCOMPARE(image.pixelColor(x, y), dot);
    QCOMPARE(image.pixelColor(x + 1, y), highlight);
    QCOMPARE(image.pixelColor(cell.right(), y), highlight);
    // All round: on the frame, every pixel whose x + y is even, and only those.
    const QRect frame = cell.adjusted(1, 1, -1, -1);
    for (int fx = frame.left(); fx <= frame.right(); ++fx)
        for (int fy = frame.top(); fy <= frame.bottom(); ++fy)
            if (fx == frame.left() || fx == frame.right() || fy == frame.top() || fy == frame.bottom())
                QCOMPARE(image.pixelColor(fx, fy), (fx + fy) % 2 == 0 ? dot : highlight);
    QVERIFY(markIn(image, 2));

    m_edit->setFocus();
    image = grabClientArea();
    QCOMPARE(image.pixelColor(inside), base);
    QCOMPARE(image.pixelColor(x, y), base);
    QVERIFY(blueIn(image, cell));
    QVERIFY(markIn(image, 2));
}

void tst_DbGrid::columnResizeSurvivesReopen()
{
    open(89);
    const QPoint edge = point(QStringLiteral("column border"));

    hoverAt(edge - QPoint(2, 0));
    QCOMPARE(cursorAt(edge - QPoint(2, 0)), Qt::SplitHCursor);
    hoverAt(point(QStringLiteral("title")));
    QCOMPARE(cursorAt(point(QStringLiteral("title"))), Qt::ArrowCursor);

    // The looks of a 20-pixel title cell that is not held down: plain, and under the pointer.
    m_grid->setFieldColumnWidth(20);
    hoverAt(point(QStringLiteral("title")));
    const QImage hotTitle = titleCellImage();
    hoverAt(point(QStringLiteral("row 2")));
    const QImage plainTitle = titleCellImage();
    m_grid->setFieldColumnWidth(625);
    hoverAt(point(QStringLiteral("title")));

    QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(edge - QPoint(2, 0)));
    QTest::mouseMove(window(), inWindow(edge - QPoint(607, 0)));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, inWindow(edge - QPoint(607, 0)));
    QCOMPARE(m_grid->fieldColumnWidth(), 20);
    const QImage titleAfterResize = titleCellImage();
    QVERIFY(titleAfterResize == hotTitle || titleAfterResize == plainTitle);   // not pressed
    QCOMPARE(currentRecNo(), 1);

    // A narrowed column cuts the titles off at its edge.
    m_edit->setFocus();
    const QRect cell = cellRect(1);
    QImage image = grabClientArea();
    QVERIFY(blueIn(image, cell));
    QVERIFY(!blueIn(image, QRect(cell.right() + 1, cell.top(), 100, cell.height())));

    m_query->close();
    QVERIFY(m_query->open());
    QCOMPARE(m_grid->fieldColumnWidth(), 20);
    QCOMPARE(cellRect(0).width(), 20);

    // Never narrower than a grip's worth. The pointer passes the column's left edge on its way
    // into the indicator column, where the title row no longer follows it.
    QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(QPoint(cellRect(TitleRow).right() + 1, 8)));
    QTest::mouseMove(window(), inWindow(QPoint(cellRect(TitleRow).left(), 8)));
    QTest::mouseMove(window(), inWindow(QPoint(0, 8)));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, inWindow(QPoint(0, 8)));
    QCOMPARE(m_grid->fieldColumnWidth(), DbGrid::MinColumnWidth);
}

void tst_DbGrid::wideColumnScrollsSideways()
{
    open(89);
    QScrollBar *horizontal = m_grid->horizontalScrollBar();
    QVERIFY(!horizontal->isVisible());
    const QPoint edge = point(QStringLiteral("column border"));
    QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(edge));
    QTest::mouseMove(window(), inWindow(edge + QPoint(200, 0)));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, inWindow(edge + QPoint(200, 0)));
    QCOMPARE(m_grid->fieldColumnWidth(), 825);
    QTRY_VERIFY(horizontal->isVisible());
    const int room = clientRect().width() - 12;
    QCOMPARE(horizontal->maximum(), 826 - room);

    setUp(QStringLiteral("=5"));
    horizontal->setValue(100);
    QCOMPARE(cellRect(0).left(), 12 - 100);
    QCOMPARE(currentRecNo(), 5);
    QVERIFY(markIn(grabClientArea(), 4));   // the indicator column stays put
    // The shorter client area holds as many whole rows as fit.
    QCOMPARE(m_grid->visibleLineCount(), (clientRect().height() - 18) / 18);
}

void tst_DbGrid::followsMovesWhileDisabled()
{
    open(89);
    m_page->setEnabled(false);
    m_cursor->moveToRow(59);
    QCOMPARE(topRecNo(), 37);
    QCOMPARE(m_grid->currentLine(), 23);
    QCOMPARE(m_grid->verticalScrollBar()->value(), 60);
    m_cursor->moveBy(-30);
    QCOMPARE(topRecNo(), 30);
    QCOMPARE(m_grid->currentLine(), 0);
    QVERIFY(markIn(grabClientArea(), 0));
    m_cursor->last();
    QCOMPARE(topRecNo(), 66);
    QCOMPARE(m_grid->currentLine(), 23);
    m_cursor->first();
    QCOMPARE(topRecNo(), 1);
    QCOMPARE(m_grid->verticalScrollBar()->value(), 1);
}

// The view's current index and its one selected cell are the query's current record: moves of
// the query show there, and setting the index moves the record as a click would.
void tst_DbGrid::currentIndexIsTheCurrentRecord_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("indexRow");   // the row the view's current index is set to; -1: none
    QTest::addColumn<int>("recNo");
    QTest::addColumn<int>("top");
    QTest::addColumn<bool>("bof");

    QTest::newRow("the query moves inside the window") << "=7" << -1 << 7 << 1 << false;
    QTest::newRow("the query moves past the window") << "=60" << -1 << 60 << 37 << false;
    QTest::newRow("the query goes to its last record") << "L" << -1 << 89 << 66 << false;
    QTest::newRow("the index is set inside the window") << "" << 9 << 10 << 1 << false;
    QTest::newRow("the index is set past the window") << "" << 69 << 70 << 47 << false;
    QTest::newRow("the index is set back to the first record") << "=30" << 0 << 1 << 1 << false;
}

void tst_DbGrid::currentIndexIsTheCurrentRecord()
{
    QFETCH(QString, setup);
    QFETCH(int, indexRow);
    QFETCH(int, recNo);
    QFETCH(int, top);
    QFETCH(bool, bof);

    open(89);
    setUp(setup);
    if (indexRow >= 0)
        m_grid->setCurrentIndex(m_grid->model()->index(indexRow, 0));
    QCOMPARE(currentRecNo(), recNo);
    QCOMPARE(m_cursor->bof(), bof);
    QCOMPARE(topRecNo(), top);
    QCOMPARE(m_grid->verticalScrollBar()->value(), recNo);
    QCOMPARE(m_grid->currentIndex().row(), recNo - 1);
    QCOMPARE(m_grid->selectionModel()->selectedIndexes(), QModelIndexList{m_grid->currentIndex()});
    QVERIFY(markIn(grabClientArea(), recNo - top));
    QCOMPARE(m_grid->currentIndex().data().toString(), m_records->model.index(m_cursor->row(), PoemTableModel::Title).data().toString());
}

// Pictures of the grid at 96 dpi on a real X server, for a person to look at.
void tst_DbGrid::screenMatchesFullRepaint_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("elsewhere");   // moves made by another view afterwards

    const auto keys = [](const char *text) { return QKeySequence(QString::fromLatin1(text)); };
    QTest::newRow("Down inside the window") << "" << keys("Down") << "";
    QTest::newRow("Down twice, then Up") << "=5" << keys("Down, Down, Up") << "";
    QTest::newRow("Down below the bottom row scrolls") << "=24" << keys("Down") << "";
    QTest::newRow("Up above the top row scrolls") << "=50 -23" << keys("Up") << "";
    QTest::newRow("Up on the first record only sets BOF") << "=2" << keys("Up, Up") << "";
    QTest::newRow("Page Down and Home") << "" << keys("PgDown, Home") << "";
    QTest::newRow("Ctrl+Down to the bottom row") << "" << keys("Ctrl+Down") << "";
    QTest::newRow("moves made elsewhere, inside the window") << "" << QKeySequence() << "+3 -1 +7";
    QTest::newRow("moves made elsewhere, then Last") << "" << keys("Down") << "+3 L";
    QTest::newRow("a move, then the focus leaves") << "=3" << keys("Down, Tab") << "";
}

// What reaches the screen after a string of moves is what a repaint of the whole grid draws:
// rows painted one by one leave nothing stale behind (old highlight, old mark, old scroll bar).
void tst_DbGrid::screenMatchesFullRepaint()
{
    QFETCH(QString, setup);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, elsewhere);
    open(89);
    setUp(setup);
    QCoreApplication::processEvents();
    for (int i = 0; i < keys.count(); ++i)
        QTest::keyClick(m_grid, keys[i].key(), keys[i].keyboardModifiers());
    setUp(elsewhere);
    if (QLatin1String(QTest::currentDataTag()) == QLatin1String("a move, then the focus leaves"))
        m_edit->setFocus();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();

    const QRect client = clientRect();
    const QPoint at = m_grid->mapTo(m_page.get(), client.topLeft());
    const QImage screen = m_page->screen()
                              ->grabWindow(m_page->winId(), at.x(), at.y(), client.width(), client.height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(screen.size(), client.size());
    QCOMPARE(screen, grabClientArea());
}

void tst_DbGrid::screenshot()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X server");
    QCOMPARE(m_page->logicalDpiY(), 96);

    const QStringList titles{
        QStringLiteral("Őszi reggel a kertben"),
        QStringLiteral("Hajnali ének"),
        QStringLiteral("Levél egy távoli baráthoz, aki nem válaszolt soha, de mindig várta a tavaszt és a fecskék visszatérését a "
                       "falusi ház eresze alá, ahol gyermekkorában nyaranta élt"),
        QStringLiteral("Tűnődés"),
        QStringLiteral("A folyó partján"),
        QStringLiteral("Ünnepi vers"),
        QStringLiteral("Éjszaka"),
        QStringLiteral("Szülőföldem"),
    };
    QStringList all;
    for (int i = 0; i < 89; ++i)
        all << (i < titles.size() ? titles.at(i) : QStringLiteral("Vers %1 – cím nélkül").arg(i + 1));
    QVERIFY(m_records->open(FixtureDb::createWithTitles(m_dir.filePath(QStringLiteral("shot.db")), all)));
    setUp(QStringLiteral("=3"));
    m_page->setWindowTitle(QStringLiteral("Lexikon"));
    QTest::qWait(50);

    const QString folder = QStringLiteral(TORNEVI_TEST_OUTPUT_DIR);
    QDir().mkpath(folder);
    QVERIFY(m_page->grab().save(folder + QStringLiteral("/tst_DbGrid_focused.png")));

    // The pointer over the title.
    hoverAt(point(QStringLiteral("title")));
    QVERIFY(m_page->grab().save(folder + QStringLiteral("/tst_DbGrid_hot.png")));
    hoverAt(point(QStringLiteral("row 2")));

    // Narrowed, without the focus, its title held down.
    m_edit->setFocus();
    m_grid->setFieldColumnWidth(150);
    QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(point(QStringLiteral("title"))));
    m_edit->setFocus();
    QTest::qWait(50);
    QVERIFY(m_page->grab().save(folder + QStringLiteral("/tst_DbGrid_narrow.png")));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, inWindow(point(QStringLiteral("title"))));

    m_grid->setFieldColumnWidth(900);
    m_grid->horizontalScrollBar()->setValue(40);
    m_cursor->last();
    QTest::qWait(50);
    QVERIFY(m_page->grab().save(folder + QStringLiteral("/tst_DbGrid_wide.png")));
}

QTEST_MAIN(tst_DbGrid)
#include "tst_DbGrid.moc"
