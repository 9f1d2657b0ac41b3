#include "DbNavigator.h"
#include "FixtureDb.h"
#include "GlyphCells.h"
#include "PoemRecords.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

// The record navigator: which buttons it offers in each cursor state, what each one does,
// and the hold-to-repeat of Prior and Next.
class tst_DbNavigator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void enabling_data();
    void enabling();
    void buttonsMoveTheQuery_data();
    void buttonsMoveTheQuery();
    void buttonsCarryHintsAndShareTheWidth_data();
    void buttonsCarryHintsAndShareTheWidth();
    void clickingLeavesTheFocusAlone();
    void holdingRepeats_data();
    void holdingRepeats();
    void shortClickStepsOnce_data();
    void shortClickStepsOnce();
    void repeatingStopsAtTheEnd_data();
    void repeatingStopsAtTheEnd();
    void repeatingPausesWhileThePointerIsOff();
    void failedStepIsReportedOncePerHold();
    void followsOnlyTheQueryItIsGiven();
    void withoutQueryEveryButtonIsOff_data();
    void withoutQueryEveryButtonIsOff();

private:
    QString database(int rows);
    void openQuery(int rows);
    QString enabledButtons() const;
    QPushButton *button(const QString &name) const;
    void showNavigator();

    QTemporaryDir m_dir;
    std::unique_ptr<PoemRecordsWithCursor> m_records;
    std::unique_ptr<DbNavigator> m_navigator;
    QStringList m_reports;
};

void tst_DbNavigator::init()
{
    m_navigator.reset();
    m_records = std::make_unique<PoemRecordsWithCursor>();
    m_reports.clear();
    connect(&m_records->cursor, &RecordCursor::errorOccurred, this, [this](const QString &message) { m_reports << message; });
    // Made while the query is still closed, as at start-up.
    m_navigator = std::make_unique<DbNavigator>();
    m_navigator->setRecordCursor(&m_records->cursor);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->resize(368, 33);
}

void tst_DbNavigator::cleanup()
{
    m_navigator.reset();
    m_records.reset();
}

// 89 rows come from the shipped poem database when it is there, otherwise from a fixture.
QString tst_DbNavigator::database(int rows)
{
    const QString path = m_dir.filePath(QStringLiteral("rows%1.db").arg(rows));
    if (QFile::exists(path))
        return path;
    if (rows == 89 && QFile::exists(FixtureDb::shippedDatabase()))
        QFile::copy(FixtureDb::shippedDatabase(), path);
    else
        FixtureDb::create(path, rows);
    return path;
}

void tst_DbNavigator::openQuery(int rows)
{
    QVERIFY(m_records->open(database(rows)));
}

QPushButton *tst_DbNavigator::button(const QString &name) const
{
    return m_navigator->findChild<QPushButton *>(name);
}

// F P N L for each enabled button, "-" for a disabled one; "?" where a button is missing.
QString tst_DbNavigator::enabledButtons() const
{
    QString enabled;
    for (const QString &name : {QStringLiteral("First"), QStringLiteral("Prior"), QStringLiteral("Next"),
                                QStringLiteral("Last")}) {
        const QPushButton *b = button(name);
        enabled += !b ? QLatin1Char('?') : b->isEnabled() ? name.at(0) : QLatin1Char('-');
    }
    return enabled;
}

void tst_DbNavigator::showNavigator()
{
    m_navigator->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_navigator.get()));
}

// Steps: F first, L last, N next, P prior, =p move to position p, close, open.
static void apply(PoemRecordsWithCursor &records, const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("F"))
            records.cursor.first();
        else if (step == QLatin1String("L"))
            records.cursor.last();
        else if (step == QLatin1String("N"))
            records.cursor.next();
        else if (step == QLatin1String("P"))
            records.cursor.prior();
        else if (step == QLatin1String("close"))
            records.query.close();
        else if (step == QLatin1String("open"))
            records.query.open();
        else if (step.startsWith(QLatin1Char('=')))
            records.setRecNo(step.mid(1).toInt());
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

void tst_DbNavigator::enabling_data()
{
    QTest::addColumn<int>("rows");      // -1: the query is never opened
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("enabled"); // F P N L, or "-" for a disabled button

    QTest::newRow("query never opened") << -1 << "" << "----";
    QTest::newRow("89: just opened on the first") << 89 << "" << "--NL";
    QTest::newRow("89: after Last") << 89 << "L" << "FP--";
    QTest::newRow("89: Next onto the last record") << 89 << "=88 N" << "FPNL";
    QTest::newRow("89: Next at the last record") << 89 << "=88 N N" << "FP--";
    QTest::newRow("89: Prior onto the first record") << 89 << "=2 P" << "FPNL";
    QTest::newRow("89: Prior at the first record") << 89 << "=2 P P" << "--NL";
    QTest::newRow("89: Last, then First") << 89 << "L F" << "--NL";
    QTest::newRow("one hit: opened") << 1 << "" << "--NL";
    QTest::newRow("one hit: Next") << 1 << "N" << "FP--";
    QTest::newRow("no hits") << 0 << "" << "----";
    QTest::newRow("no hits: every move") << 0 << "F L N P" << "----";
    QTest::newRow("query closed") << 89 << "=40 close" << "----";
    QTest::newRow("closed at the end, reopened") << 89 << "L close open" << "--NL";
}

void tst_DbNavigator::enabling()
{
    QFETCH(int, rows);
    QFETCH(QString, steps);
    QFETCH(QString, enabled);

    if (rows >= 0)
        openQuery(rows);
    apply(*m_records, steps);

    QCOMPARE(enabledButtons(), enabled);
}

void tst_DbNavigator::buttonsMoveTheQuery_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");

    // Each starts on record 40 of 89.
    QTest::newRow("First") << "First" << 1 << true << false;
    QTest::newRow("Prior") << "Prior" << 39 << false << false;
    QTest::newRow("Next") << "Next" << 41 << false << false;
    QTest::newRow("Last") << "Last" << 89 << false << true;
}

void tst_DbNavigator::buttonsMoveTheQuery()
{
    QFETCH(QString, name);
    QFETCH(int, recNo);
    QFETCH(bool, bof);
    QFETCH(bool, eof);

    openQuery(89);
    m_records->setRecNo(40);
    showNavigator();
    QSignalSpy moves(&m_records->cursor, &RecordCursor::changed);

    QTest::mouseClick(button(name), Qt::LeftButton);

    QCOMPARE(moves.count(), 1);
    QCOMPARE(m_records->recNo(), recNo);
    QCOMPARE(m_records->cursor.bof(), bof);
    QCOMPARE(m_records->cursor.eof(), eof);
}

void tst_DbNavigator::buttonsCarryHintsAndShareTheWidth_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("glyph");

    QTest::newRow("First") << "First" << "Első rekord|Első rekord !" << 0 << "nav_first";
    QTest::newRow("Prior") << "Prior" << "Előző rekord|Előző rekord !" << 92 << "nav_prior";
    QTest::newRow("Next") << "Next" << "Következő rekord|Következő rekord !" << 184 << "nav_next";
    QTest::newRow("Last") << "Last" << "Utolsó rekord|Utolsó rekord !" << 276 << "nav_last";
}

void tst_DbNavigator::buttonsCarryHintsAndShareTheWidth()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(int, left);
    QFETCH(QString, glyph);

    QPushButton *b = button(name);
    QVERIFY(b);
    // The tooltip is the hint's short part, switched on for the button; the status tip its long part.
    QCOMPARE(b->toolTip(), hint.section(QLatin1Char('|'), 0, 0));
    QCOMPARE(b->statusTip(), hint.section(QLatin1Char('|'), 1));
    QCOMPARE(b->property("showHint"), QVariant(true));
    QCOMPARE(b->geometry(), QRect(left, 0, 92, 33));
    QCOMPARE(b->focusPolicy(), Qt::NoFocus);
    QCOMPARE(m_navigator->focusPolicy(), Qt::NoFocus);
    const auto image = [](const QPixmap &pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32); };
    const QString strip = QStringLiteral(":/glyphs/%1.png").arg(glyph);
    const QImage normal = stripCell(strip, 0);
    const QImage disabled = stripCell(strip, 1);
    QCOMPARE(normal.size(), DbNavigator::GlyphSize);
    QCOMPARE(image(b->icon().pixmap(DbNavigator::GlyphSize, QIcon::Normal)), normal);
    QCOMPARE(image(b->icon().pixmap(DbNavigator::GlyphSize, QIcon::Disabled)), disabled);
}

void tst_DbNavigator::clickingLeavesTheFocusAlone()
{
    openQuery(89);
    QWidget window;
    auto *edit = new QLineEdit(&window);
    auto *navigator = new DbNavigator(&window);
    navigator->setRecordCursor(&m_records->cursor);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(navigator);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QCOMPARE(QApplication::focusWidget(), edit);

    QTest::mouseClick(navigator->findChild<QPushButton *>(QStringLiteral("Next")), Qt::LeftButton);
    QTest::mouseClick(navigator->findChild<QPushButton *>(QStringLiteral("Last")), Qt::LeftButton);
    QTest::mouseClick(navigator->findChild<QPushButton *>(QStringLiteral("First")), Qt::LeftButton);

    QCOMPARE(m_records->recNo(), 1);
    QCOMPARE(QApplication::focusWidget(), edit);
}

void tst_DbNavigator::holdingRepeats_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("direction");

    // Far enough from both ends that a hold of a second or two never reaches one.
    QTest::newRow("Next") << "Next" << 20 << 1;
    QTest::newRow("Prior") << "Prior" << 70 << -1;
}

// The timer never fires early, so lower bounds on the step times hold on any machine; how many
// steps a slow machine manages is only bounded from above.
void tst_DbNavigator::holdingRepeats()
{
    QFETCH(QString, name);
    QFETCH(int, start);
    QFETCH(int, direction);

    openQuery(89);
    m_records->setRecNo(start);
    showNavigator();
    QPushButton *b = button(name);
    auto *timer = m_navigator->findChild<QTimer *>();
    QVERIFY(timer);

    QElapsedTimer clock;
    QList<qint64> stepTimes;
    connect(&m_records->cursor, &RecordCursor::changed, this, [&] { stepTimes.append(clock.elapsed()); });

    clock.start();
    QTest::mousePress(b, Qt::LeftButton);
    QVERIFY(stepTimes.isEmpty()); // pressing alone does not step
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), DbNavigator::RepeatDelayMs);

    QTRY_VERIFY_WITH_TIMEOUT(stepTimes.size() >= 1, 10000); // NOLINT(readability-container-size-empty): the assertion as written
    QVERIFY2(stepTimes.at(0) >= DbNavigator::RepeatDelayMs - 2,
             qPrintable(QStringLiteral("first step after %1 ms").arg(stepTimes.at(0))));
    QCOMPARE(timer->interval(), DbNavigator::RepeatIntervalMs);

    QTRY_VERIFY_WITH_TIMEOUT(stepTimes.size() >= 4, 10000);
    const qint64 held = clock.elapsed();
    const int steps = stepTimes.size();
    for (int k = 1; k < steps; ++k)
        QVERIFY2(stepTimes.at(k) - stepTimes.at(0) >= k * DbNavigator::RepeatIntervalMs - 10,
                 qPrintable(QStringLiteral("step %1 after %2 ms").arg(k).arg(stepTimes.at(k))));
    QVERIFY(steps <= 1 + (held - DbNavigator::RepeatDelayMs) / DbNavigator::RepeatIntervalMs + 1);
    QCOMPARE(m_records->recNo(), start + direction * steps);

    // Release over the button: the ordinary click adds exactly one step, then nothing more.
    QTest::mouseRelease(b, Qt::LeftButton);
    QCOMPARE(stepTimes.size(), steps + 1);
    QVERIFY(!timer->isActive());
    QTest::qWait(3 * DbNavigator::RepeatIntervalMs + 50);
    QCOMPARE(stepTimes.size(), steps + 1);
    QCOMPARE(m_records->recNo(), start + direction * (steps + 1));
}

void tst_DbNavigator::shortClickStepsOnce_data()
{
    holdingRepeats_data();
}

void tst_DbNavigator::shortClickStepsOnce()
{
    QFETCH(QString, name);
    QFETCH(int, start);
    QFETCH(int, direction);

    openQuery(89);
    m_records->setRecNo(start);
    showNavigator();
    QSignalSpy moves(&m_records->cursor, &RecordCursor::changed);

    QTest::mouseClick(button(name), Qt::LeftButton);
    QCOMPARE(moves.count(), 1);
    QTest::qWait(DbNavigator::RepeatDelayMs + 2 * DbNavigator::RepeatIntervalMs);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(m_records->recNo(), start + direction);

    // A double click is two clicks: press, release, double-click press, release.
    QTest::mouseClick(button(name), Qt::LeftButton);
    QTest::mouseDClick(button(name), Qt::LeftButton);
    QTest::mouseRelease(button(name), Qt::LeftButton);
    QCOMPARE(moves.count(), 3);
    QCOMPARE(m_records->recNo(), start + 3 * direction);
}

void tst_DbNavigator::repeatingStopsAtTheEnd_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("recNo");

    // Three rows: two moves, then the stopped move that sets the flag and disables the button.
    QTest::newRow("Next down to EOF") << "Next" << "" << 3;
    QTest::newRow("Prior up to BOF") << "Prior" << "L" << 1;
}

void tst_DbNavigator::repeatingStopsAtTheEnd()
{
    QFETCH(QString, name);
    QFETCH(QString, steps);
    QFETCH(int, recNo);

    openQuery(3);
    apply(*m_records, steps);
    showNavigator();
    QPushButton *b = button(name);
    QSignalSpy moves(&m_records->cursor, &RecordCursor::changed);

    QTest::mousePress(b, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!b->isEnabled(), 10000);
    QTest::qWait(3 * DbNavigator::RepeatIntervalMs);
    QTest::mouseRelease(b, Qt::LeftButton);

    QCOMPARE(moves.count(), 3);
    QCOMPARE(m_records->recNo(), recNo);
    QVERIFY(!m_navigator->findChild<QTimer *>()->isActive());
}

void tst_DbNavigator::repeatingPausesWhileThePointerIsOff()
{
    openQuery(89);
    m_records->setRecNo(20);
    showNavigator();
    QPushButton *next = m_navigator->findChild<QPushButton *>(QStringLiteral("Next"));
    QSignalSpy moves(&m_records->cursor, &RecordCursor::changed);
    const QPoint off(next->width() / 2, -20);

    QTest::mousePress(next, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(moves.count() >= 1, 10000);

    QTest::mouseMove(next, off);
    int count = moves.count();
    QTest::qWait(3 * DbNavigator::RepeatIntervalMs + 50);
    QCOMPARE(moves.count(), count);
    // The timer keeps its 100 ms pace meanwhile, so stepping resumes within one interval.
    auto *timer = m_navigator->findChild<QTimer *>();
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), DbNavigator::RepeatIntervalMs);

    QTest::mouseMove(next, next->rect().center());
    QTRY_VERIFY_WITH_TIMEOUT(moves.count() > count, 10000);

    // Released away from the button: no click.
    QTest::mouseMove(next, off);
    count = moves.count();
    QTest::mouseRelease(next, Qt::LeftButton, {}, off);
    QTest::qWait(3 * DbNavigator::RepeatIntervalMs + 50);
    QCOMPARE(moves.count(), count);
    QCOMPARE(m_records->recNo(), 20 + count);
}

// A statement whose rows beyond the first batch fail to fetch: every move that needs them fails.
void tst_DbNavigator::failedStepIsReportedOncePerHold()
{
    m_records->query.clearSql();
    m_records->query.addSql(QStringLiteral("Select *, case when rowid > 60 then abs(-9223372036854775808) else 0 end "
                                           "as X from tbl_Data"));
    QVERIFY(m_records->open(database(90)));
    m_records->setRecNo(PoemQuery::BatchSize);
    const QStringList &reports = m_reports;
    showNavigator();

    QPushButton *next = m_navigator->findChild<QPushButton *>(QStringLiteral("Next"));
    QTest::mousePress(next, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!reports.isEmpty(), 10000);
    QTest::qWait(DbNavigator::RepeatDelayMs);
    QTest::mouseRelease(next, Qt::LeftButton);
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.at(0).contains(QLatin1String("overflow")), qPrintable(reports.at(0)));
    QCOMPARE(m_records->recNo(), PoemQuery::BatchSize);

    // The failed fetch ended the result: Last goes to the last row that could be read.
    QTest::mouseClick(m_navigator->findChild<QPushButton *>(QStringLiteral("Last")), Qt::LeftButton);
    QCOMPARE(reports.size(), 1);
    QVERIFY(m_records->query.isOpen());
    QCOMPARE(m_records->recNo(), 60);
    QVERIFY(m_records->cursor.eof());
}

// A form creates the navigator first and hands it the query afterwards; a new query replaces the old.
void tst_DbNavigator::followsOnlyTheQueryItIsGiven()
{
    openQuery(89);
    PoemRecordsWithCursor other;
    QVERIFY(other.open(database(3)));
    other.cursor.last();
    QCOMPARE(enabledButtons(), QStringLiteral("--NL"));

    m_navigator->setRecordCursor(&other.cursor);
    // The buttons now follow the new query.
    other.cursor.first();
    QCOMPARE(enabledButtons(), QStringLiteral("--NL"));
    other.cursor.last();
    QCOMPARE(enabledButtons(), QStringLiteral("FP--"));

    // The first query's notices no longer reach the buttons, nor do the buttons move it.
    m_records->setRecNo(40);
    m_records->query.close();
    QCOMPARE(enabledButtons(), QStringLiteral("FP--"));
    m_records->query.open();
    QSignalSpy firstMoves(&m_records->cursor, &RecordCursor::changed);
    showNavigator();
    QTest::mouseClick(m_navigator->findChild<QPushButton *>(QStringLiteral("Prior")), Qt::LeftButton);
    QCOMPARE(other.recNo(), 2);
    QCOMPARE(enabledButtons(), QStringLiteral("FPNL"));
    QCOMPARE(firstMoves.count(), 0);
    QCOMPARE(m_records->recNo(), 1);

    // Handing it the query it already has changes nothing.
    m_navigator->setRecordCursor(&other.cursor);
    QTest::mouseClick(m_navigator->findChild<QPushButton *>(QStringLiteral("First")), Qt::LeftButton);
    QCOMPARE(other.recNo(), 1);
    QCOMPARE(enabledButtons(), QStringLiteral("--NL"));
}

void tst_DbNavigator::withoutQueryEveryButtonIsOff_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("never given one") << "never";
    QTest::newRow("taken away") << "taken";
    QTest::newRow("its query destroyed") << "destroyed";
}

void tst_DbNavigator::withoutQueryEveryButtonIsOff()
{
    QFETCH(QString, how);

    openQuery(89);
    m_records->setRecNo(40);
    DbNavigator navigator;
    if (how != QLatin1String("never")) {
        navigator.setRecordCursor(&m_records->cursor);
        QCOMPARE(navigator.findChild<QPushButton *>(QStringLiteral("First"))->isEnabled(), true);
    }
    if (how == QLatin1String("taken"))
        navigator.setRecordCursor(nullptr);
    else if (how == QLatin1String("destroyed"))
        m_records.reset();

    // It follows no query: a move to the middle of the one it had lights none of its buttons.
    if (m_records)
        m_records->setRecNo(20);
    for (QPushButton *b : {navigator.findChild<QPushButton *>(QStringLiteral("First")), navigator.findChild<QPushButton *>(QStringLiteral("Prior")), navigator.findChild<QPushButton *>(QStringLiteral("Next")),
                           navigator.findChild<QPushButton *>(QStringLiteral("Last"))})
        QVERIFY(!b->isEnabled());
    if (m_records) {
        m_records->cursor.last();
        QVERIFY(!navigator.findChild<QPushButton *>(QStringLiteral("First"))->isEnabled());
        QCOMPARE(m_records->recNo(), 89);
    }
}

QTEST_MAIN(tst_DbNavigator)
#include "tst_DbNavigator.moc"
