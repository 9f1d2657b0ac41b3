#include "CurrentRecord.h"
#include "DbGrid.h"
#include "FixtureDb.h"
#include "MessageProbe.h"
#include "PoemQuery.h"
#include "ProgramInFreshDirectory.h"
#include "SqliteConnection.h"
#include "TorneviApplication.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>

#include <sqlite3.h>

#include <limits>

using namespace Qt::StringLiterals;

// The search page in the running main window: what a phrase finds, the statement that reaches
// SQLite, the engine's pattern limit, and the reset.
class tst_SearchPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void layout_data();
    void layout();
    void tabOrderAndHints();
    void phrases_data();
    void phrases();
    void statementReachesSqliteVerbatim();
    void patternLengthLimit_data();
    void patternLengthLimit();
    void nulInPhraseChangesNothing();
    void waitPointer_data();
    void waitPointer();
    void keys_data();
    void keys();

private:
    template<typename T> T *child(const char *name) const;
    QTabWidget *pages() const { return child<QTabWidget>("PageControl1"); }
    QLineEdit *phraseBox() const { return child<QLineEdit>("Edit1"); }
    QString counter() const { return child<QLabel>("Label12")->text(); }
    void showSearchPage();
    void search(const QString &phrase);
    void reset();
    QList<int> shownKeys() const;
    static QList<int> expectedKeys(const QString &pattern);

    std::unique_ptr<ProgramInFreshDirectory> m_program;
    TForm1 *m_form = nullptr;
    MessageProbe *m_probe = nullptr;
};

template<typename T> T *tst_SearchPage::child(const char *name) const
{
    return m_form->findChild<T *>(QLatin1String(name));
}

void tst_SearchPage::initTestCase()
{
    m_probe = new MessageProbe(this);
    m_program = std::make_unique<ProgramInFreshDirectory>();
    m_form = &m_program->windows().form1();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QCOMPARE(counter(), QStringLiteral("89"));
    QCOMPARE(m_probe->messages(), QStringList());
}

void tst_SearchPage::cleanupTestCase()
{
    m_program.reset();
}

void tst_SearchPage::showSearchPage()
{
    pages()->setCurrentIndex(1);
    QCOMPARE(pages()->currentWidget()->objectName(), QStringLiteral("TabSheet2"));
}

void tst_SearchPage::search(const QString &phrase)
{
    showSearchPage();
    // Set directly: typing characters outside Latin-1 is beyond QTest's key simulation.
    phraseBox()->setText(phrase);
    QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
}

void tst_SearchPage::reset()
{
    showSearchPage();
    QTest::mouseClick(child<QPushButton>("BitBtn2"), Qt::LeftButton);
}

QList<int> tst_SearchPage::shownKeys() const
{
    QList<int> keys;
    const auto query = currentRecordOf(*m_form);
    for (int position = 1; position <= query->recordCount(); ++position)
        keys << query->value(position, QStringLiteral("AZ")).toInt();
    return keys;
}

// The same search asked of the committed file directly, with the pattern bound as a parameter.
QList<int> tst_SearchPage::expectedKeys(const QString &pattern)
{
    QList<int> keys;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(FixtureDb::shippedDatabase().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT AZ FROM tbl_Data WHERE CIM LIKE ?1 OR DATUM LIKE ?1 OR VERS LIKE ?1", -1,
                           &st, nullptr);
        const QByteArray bound = pattern.toUtf8();
        sqlite3_bind_text(st, 1, bound.constData(), int(bound.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW)
            keys << sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return keys;
}

void tst_SearchPage::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("bounds");   // an empty size: the control takes the size of its text
    QTest::addColumn<bool>("bold");

    QTest::newRow("Label10") << "Label10" << QRect(48, 80, 0, 0) << true;
    QTest::newRow("Edit1") << "Edit1" << QRect(48, 99, 569, 21) << true;
    QTest::newRow("BitBtn1") << "BitBtn1" << QRect(48, 144, 569, 25) << false;
    QTest::newRow("Panel1") << "Panel1" << QRect(48, 192, 569, 3) << false;
    QTest::newRow("Label11") << "Label11" << QRect(48, 256, 0, 0) << true;
    QTest::newRow("Label12") << "Label12" << QRect(240, 256, 0, 0) << true;
    QTest::newRow("Panel2") << "Panel2" << QRect(48, 336, 569, 3) << false;
    QTest::newRow("BitBtn2") << "BitBtn2" << QRect(48, 400, 569, 25) << false;
}

void tst_SearchPage::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, bounds);
    QFETCH(bool, bold);
    auto *page = child<QWidget>("TabSheet2");
    auto *w = page->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget(), page);
    QCOMPARE(w->pos(), bounds.topLeft());
    if (auto *label = qobject_cast<QLabel *>(w))
        QCOMPARE(label->size(), label->sizeHint());
    else
        QCOMPARE(w->size(), bounds.size());
    QCOMPARE(w->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(w->font().pixelSize(), 11);
    QCOMPARE(w->font().bold(), bold);
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        QVERIFY(!button->isDefault());
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->iconSize(), QSize(16, 16));
    }
}

void tst_SearchPage::tabOrderAndHints()
{
    auto *edit = child<QWidget>("Edit1");
    auto *search = child<QWidget>("BitBtn1");
    auto *resetButton = child<QWidget>("BitBtn2");
    showSearchPage();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), search);
    QTest::keyClick(search, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), resetButton);
    for (const char *panel : {"Panel1", "Panel2"})
        QCOMPARE(child<QWidget>(panel)->focusPolicy(), Qt::NoFocus);
    const QString hint = QStringLiteral("Keresés indítása !");
    for (QWidget *button : {search, resetButton}) {
        QCOMPARE(button->toolTip(), hint);
        QCOMPARE(button->statusTip(), hint);
    }
    for (QWidget *w : child<QWidget>("TabSheet2")->findChildren<QWidget *>())
        if (w != search && w != resetButton)
            QVERIFY2(w->toolTip().isEmpty() && w->statusTip().isEmpty(), qPrintable(w->objectName()));
    QCOMPARE(qobject_cast<QLineEdit *>(edit)->maxLength(), std::numeric_limits<int>::max());
}

void tst_SearchPage::phrases_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<int>("hits");   // -1: only as many as the independent query finds

    QTest::newRow("empty phrase finds every poem") << "" << 89;
    QTest::newRow("blanks only") << "  " << -1;
    QTest::newRow("apostrophe") << "ab'c" << 0;
    QTest::newRow("lone apostrophe") << "'" << -1;
    QTest::newRow("percent is a wildcard") << "%" << 89;
    QTest::newRow("underscore is one character") << "_" << 89;
    QTest::newRow("two words across a line break") << QStringLiteral("halad%míg") << -1;
    QTest::newRow("small ASCII letters") << "tavasz" << 53;
    QTest::newRow("capital ASCII letters fold") << "TAVASZ" << 53;
    QTest::newRow("small accented letter") << QStringLiteral("ő") << 89;
    QTest::newRow("capital accented letter does not fold") << QStringLiteral("Ő") << 8;
    QTest::newRow("accented capitals inside a word") << QStringLiteral("SZÍV") << 0;
    QTest::newRow("punctuation taken literally") << "!&:?{}\\" << 0;
    QTest::newRow("no hits") << "xyzzy" << 0;
    QTest::newRow("blanks at the ends are kept") << " tavasz " << -1;
}

void tst_SearchPage::phrases()
{
    QFETCH(QString, phrase);
    QFETCH(int, hits);
    reset();
    search(phrase);

    const QList<int> expected = expectedKeys(QLatin1Char('%') + phrase + QLatin1Char('%'));
    if (hits >= 0)
        QCOMPARE(expected.size(), hits);
    QCOMPARE(shownKeys(), expected);
    QCOMPARE(counter(), QString::number(expected.size()));
    QCOMPARE(pages()->currentIndex(), 0);
    QCOMPARE(phraseBox()->text(), phrase);
    const auto query = currentRecordOf(*m_form);
    QVERIFY(query->isOpen());
    QCOMPARE(query->recNo(), expected.isEmpty() ? 0 : 1);
    QVERIFY(query->bof());
    QCOMPARE(m_probe->messages(), QStringList());

    // Each search starts again from the whole table.
    search(phrase);
    QCOMPARE(shownKeys(), expected);
}

namespace {
int collectStatements(unsigned type, void *context, void *, void *text)
{
    if (type == SQLITE_TRACE_STMT)
        static_cast<QStringList *>(context)->append(QString::fromUtf8(static_cast<const char *>(text)));
    return 0;
}
} // namespace

void tst_SearchPage::statementReachesSqliteVerbatim()
{
    QStringList statements;
    sqlite3 *db = m_form->findChild<SqliteConnection *>(QStringLiteral("FDConnection1"))->handle();
    QCOMPARE(sqlite3_trace_v2(db, SQLITE_TRACE_STMT, collectStatements, &statements), SQLITE_OK);
    search(QStringLiteral("ab'c"));
    sqlite3_trace_v2(db, 0, nullptr, nullptr);

    const QString expected = QStringLiteral(
        "Select * FROM tbl_Data WHERE CIM like '%ab''c%' or DATUM like '%ab''c%' or VERS like '%ab''c%'");
    QCOMPARE(statements, (QStringList{expected, QStringLiteral("SELECT COUNT(*) FROM (\r\n") + expected
                                                    + QStringLiteral("\r\n) A")}));
}

void tst_SearchPage::patternLengthLimit_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<bool>("searched");

    // The pattern adds one "%" at each end; the engine's limit is 50,000 bytes of UTF-8.
    QTest::newRow("50,000 bytes of one-byte letters") << QString(49998, QLatin1Char('a')) << true;
    QTest::newRow("50,001 bytes of one-byte letters") << QString(49999, QLatin1Char('a')) << false;
    QTest::newRow("50,000 bytes of two-byte letters") << QString(24999, QChar(0x0151)) << true;
    QTest::newRow("50,002 bytes of two-byte letters") << QString(25000, QChar(0x0151)) << false;
}

void tst_SearchPage::patternLengthLimit()
{
    QFETCH(QString, phrase);
    QFETCH(bool, searched);
    reset();
    m_probe->clear();
    search(phrase);

    const auto query = currentRecordOf(*m_form);
    if (searched) {
        QCOMPARE(m_probe->messages(), QStringList());
        QVERIFY(query->isOpen());
        QCOMPARE(counter(), QStringLiteral("0"));
        QCOMPARE(pages()->currentIndex(), 0);
        return;
    }
    QCOMPARE(m_probe->messages(),
             QStringList{QStringLiteral("%1|LIKE or GLOB pattern too complex.|icon=%2|buttons=OK|default=OK")
                             .arg(TorneviApplication::instance()->title())
                             .arg(int(QMessageBox::Critical))});
    // The handler stopped where the engine refused: the list shows no poems, the rest stays.
    QVERIFY(!query->isOpen());
    auto *grid = child<DbGrid>("DBGrid1");
    QCOMPARE(grid->drawnLineCount(), 1);
    QCOMPARE(grid->currentLine(), -1);
    QCOMPARE(counter(), QStringLiteral("89"));
    QCOMPARE(pages()->currentIndex(), 1);
    QCOMPARE(phraseBox()->text(), phrase);
    QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::overrideCursor(), 2000);

    // A reset afterwards brings every poem back and empties the phrase box.
    reset();
    QVERIFY(query->isOpen());
    QCOMPARE(counter(), QStringLiteral("89"));
    QCOMPARE(phraseBox()->text(), QString());
    QCOMPARE(pages()->currentIndex(), 0);
    QCOMPARE(m_probe->messages().size(), 1);
}

// Pasted text may hold a NUL; it is refused before the query is touched.
void tst_SearchPage::nulInPhraseChangesNothing()
{
    search(QStringLiteral("tavasz"));
    m_probe->clear();
    const QString phrase = QStringLiteral("tav") + QChar(0) + QStringLiteral("asz");
    const auto query = currentRecordOf(*m_form);
    const QString statement = query->statementText();
    search(phrase);

    QCOMPARE(m_probe->messages().size(), 1);
    QVERIFY2(m_probe->messages().constFirst().contains(QLatin1String("U+0000")), qPrintable(m_probe->messages().constFirst()));
    QVERIFY(m_probe->messages().constFirst().contains(QLatin1String("|icon=3|")));
    QVERIFY(query->isOpen());
    QCOMPARE(query->statementText(), statement);
    QCOMPARE(query->recordCount(), 53);
    QCOMPARE(counter(), QStringLiteral("53"));
    QCOMPARE(pages()->currentIndex(), 1);
    QCOMPARE(phraseBox()->text(), phrase);
    QVERIFY(!QGuiApplication::overrideCursor());
}

namespace {
QString pointerNow()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    if (!cursor)
        return QStringLiteral("default");
    const bool wait = cursor->pixmap().size() == QSize(32, 32) && cursor->hotSpot() == QPoint(0, 0);
    return wait ? QStringLiteral("wait") : QStringLiteral("other");
}

// The pointer when an error box comes up, and once the box has stayed up long enough for the
// timed reset; the box is then left to the message probe to answer.
class ReportWatch : public QObject
{
public:
    QStringList seen;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox *>(watched)) {
            seen << pointerNow();
            QElapsedTimer shown;
            shown.start();
            while (QGuiApplication::overrideCursor() && shown.elapsed() < 2000)
                QTest::qWait(10);
            seen << pointerNow();
        }
        return false;
    }
};
} // namespace

void tst_SearchPage::waitPointer_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QStringList>("atListPage");   // pointer when the list page comes to the front
    QTest::addColumn<QStringList>("atReport");     // pointer as the error box comes up, then while it stays
    QTest::addColumn<QString>("afterClick");       // before the event loop runs again

    const QStringList none;
    QTest::newRow("search with hits: cleared as soon as the list is in front")
        << u"BitBtn1"_s << u"tavasz"_s << QStringList{u"wait"_s} << none << u"default"_s;
    QTest::newRow("search without hits") << u"BitBtn1"_s << u"xyzzy"_s << QStringList{u"wait"_s} << none << u"default"_s;
    QTest::newRow("reset") << u"BitBtn2"_s << u"tavasz"_s << QStringList{u"wait"_s} << none << u"default"_s;
    QTest::newRow("search SQLite refuses: up with the report, cleared by the timed reset while it shows")
        << u"BitBtn1"_s << QString(49999, QLatin1Char('a')) << none << QStringList{u"wait"_s, u"default"_s} << u"default"_s;
    QTest::newRow("phrase holding NUL: no database work, so no pointer with the report")
        << QStringLiteral("BitBtn1") << (QStringLiteral("tav") + QChar(0) + QStringLiteral("asz")) << none
        << QStringList{QStringLiteral("default"), QStringLiteral("default")} << QStringLiteral("default");
}

void tst_SearchPage::waitPointer()
{
    QFETCH(QString, button);
    QFETCH(QString, phrase);
    QFETCH(QStringList, atListPage);
    QFETCH(QStringList, atReport);
    QFETCH(QString, afterClick);
    reset();
    showSearchPage();
    phraseBox()->setText(phrase);
    QTRY_COMPARE_WITH_TIMEOUT(pointerNow(), QStringLiteral("default"), 2000);

    QStringList seenAtListPage;
    QObject context;
    connect(pages(), &QTabWidget::currentChanged, &context, [&] { seenAtListPage << pointerNow(); });
    ReportWatch reports;
    qApp->installEventFilter(&reports);
    QTest::mouseClick(child<QPushButton>(qPrintable(button)), Qt::LeftButton);
    const QString seenAfterClick = pointerNow();
    qApp->removeEventFilter(&reports);

    QCOMPARE(seenAtListPage, atListPage);
    QCOMPARE(reports.seen, atReport);
    QCOMPARE(seenAfterClick, afterClick);
    QTRY_COMPARE_WITH_TIMEOUT(pointerNow(), QStringLiteral("default"), 2000);
}

void tst_SearchPage::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("counterAfter");   // the phrase "tavasz" finds 53

    QTest::newRow("Enter in the phrase box starts nothing") << "Edit1" << int(Qt::Key_Return) << "89";
    QTest::newRow("keypad Enter in the phrase box starts nothing") << "Edit1" << int(Qt::Key_Enter) << "89";
    QTest::newRow("Space on the search button searches") << "BitBtn1" << int(Qt::Key_Space) << "53";
    QTest::newRow("Enter on the search button searches") << "BitBtn1" << int(Qt::Key_Return) << "53";
    QTest::newRow("keypad Enter on the search button searches") << "BitBtn1" << int(Qt::Key_Enter) << "53";
    QTest::newRow("Enter on the reset button resets") << "BitBtn2" << int(Qt::Key_Return) << "89";
    QTest::newRow("Space on the reset button resets") << "BitBtn2" << int(Qt::Key_Space) << "89";
}

void tst_SearchPage::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, counterAfter);
    reset();
    showSearchPage();
    phraseBox()->setText(QStringLiteral("tavasz"));
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QWidget *target = m_form->findChild<QWidget *>(focus);
    target->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), target);

    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(counter(), counterAfter);
    if (counterAfter == QLatin1String("89") && focus == QLatin1String("Edit1")) {
        QCOMPARE(pages()->currentIndex(), 1);
        return;
    }
    // The list comes to the front, and the focus leaves the button for the grid.
    QCOMPARE(pages()->currentIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), child<QWidget>("DBGrid1"));
}

int main(int argc, char *argv[])
{
    TorneviApplication app(argc, argv);
    tst_SearchPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SearchPage.moc"
