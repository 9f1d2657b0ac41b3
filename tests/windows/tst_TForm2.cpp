#include "DbNavigator.h"
#include "FixtureDb.h"
#include "GlyphCells.h"
#include "MemoBox.h"
#include "PoemRecords.h"
#include "PoemTableModel.h"
#include "SqliteConnection.h"
#include "Tahoma.h"
#include "Unit2.h"

#include <QApplication>
#include <QClipboard>
#include <QDataWidgetMapper>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QAbstractTextDocumentLayout>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
const QChar Nbsp(0x00A0);

QString longPoem(const QString &name, int lines)
{
    QStringList text;
    for (int i = 1; i <= lines; ++i)
        text << QStringLiteral("%1, %2. sor").arg(name).arg(i);
    return text.join(QStringLiteral("\r\n"));
}
} // namespace

// The poem detail window: its frame, its one-way bindings to the poem query, the read-only
// text box, and how it is shown and closed.
class tst_TForm2 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowFrame();
    void controlsSitWhereTheyBelong_data();
    void controlsSitWhereTheyBelong();
    void bindingsFollowTheQuery_data();
    void bindingsFollowTheQuery();
    void textLayout();
    void textLinesAreAsTallAsOnWindows();
    void linePitchHoldsHoweverTheTextIsSet_data();
    void linePitchHoldsHoweverTheTextIsSet();
    void longTitleShowsTwoWholeLines();
    void copyKeepsTheTextAsStored_data();
    void copyKeepsTheTextAsStored();
    void tabLeavesTheFocusInTheText_data();
    void tabLeavesTheFocusInTheText();
    void textBoxIgnoresEditing_data();
    void textBoxIgnoresEditing();
    void newTextStartsAtTheTop_data();
    void newTextStartsAtTheTop();
    void dialogKeysDoNotClose_data();
    void dialogKeysDoNotClose();
    void showsCentredEveryTime();
    void opensModallyAsTheListDoes();
    void inertButtonsShowTheirGreyGlyphs_data();
    void inertButtonsShowTheirGreyGlyphs();

private:
    void useDatabase(const QStringList &titles, const QStringList &texts = {});
    template<typename T> T *child(const char *name) const;
    void whileModal(const std::function<void()> &check);

    QTemporaryDir m_dir;
    int m_databases = 0;
    std::unique_ptr<PoemRecordsWithCursor> m_records;
    PoemQuery *m_query = nullptr;
    RecordCursor *m_cursor = nullptr;
    std::unique_ptr<TForm2> m_form;
};

void tst_TForm2::init()
{
    m_form.reset();
    m_records = std::make_unique<PoemRecordsWithCursor>();
    m_query = &m_records->query;
    m_cursor = &m_records->cursor;
    // Made while the query is closed, as at start-up.
    m_form = std::make_unique<TForm2>(m_cursor);
}

void tst_TForm2::cleanup()
{
    m_form.reset();
    m_records.reset();
}

void tst_TForm2::useDatabase(const QStringList &titles, const QStringList &texts)
{
    const QString path = m_dir.filePath(QStringLiteral("poems%1.db").arg(++m_databases));
    FixtureDb::createWithTitles(path, titles, texts);
    m_records->connection.setDatabase(QFile::encodeName(path));
}

template<typename T> T *tst_TForm2::child(const char *name) const
{
    T *widget = m_form->findChild<T *>(QLatin1String(name));
    if (!widget)
        qWarning("no %s", name);
    return widget;
}

// Runs the check inside exec(), then closes the window the way its close button does.
void tst_TForm2::whileModal(const std::function<void()> &check)
{
    bool ran = false;
    QTimer::singleShot(0, m_form.get(), [&] {
        if (QTest::qWaitForWindowExposed(m_form.get()))
            check();
        ran = true;
        m_form->close();
    });
    m_form->exec();
    QVERIFY(ran);
}

void tst_TForm2::windowFrame()
{
    QCOMPARE(m_form->objectName(), QStringLiteral("Form2"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral(" Találat:"));
    QCOMPARE(m_form->minimumSize(), QSize(410, 490));
    QCOMPARE(m_form->maximumSize(), QSize(410, 490));
    const Qt::WindowFlags flags = m_form->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
    QVERIFY(m_form->isModal());
    QVERIFY(m_form->isHidden());
    QCOMPARE(m_form->font().pixelSize(), 11);

    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(m_form->size(), QSize(410, 490));
}

void tst_TForm2::controlsSitWhereTheyBelong_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("bounds");

    QTest::newRow("Panel1") << "Panel1" << "Form2" << QRect(0, 0, 410, 73);
    QTest::newRow("Label1") << "Label1" << "Panel1" << QRect(7, 16, 385, 51);
    QTest::newRow("Panel2") << "Panel2" << "Form2" << QRect(0, 73, 410, 417);
    QTest::newRow("Memo1") << "Memo1" << "Panel2" << QRect(7, 7, 396, 292);
    QTest::newRow("BitBtn1") << "BitBtn1" << "Panel2" << QRect(24, 320, 177, 25);
    QTest::newRow("BitBtn2") << "BitBtn2" << "Panel2" << QRect(215, 320, 178, 25);
    QTest::newRow("DBNavigator1") << "DBNavigator1" << "Panel2" << QRect(24, 360, 368, 33);
}

void tst_TForm2::controlsSitWhereTheyBelong()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, bounds);

    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto *widget = m_form->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), bounds);
    QVERIFY(widget->isVisible());
}

void tst_TForm2::bindingsFollowTheQuery_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    // Steps: open, close, empty (reopen on a statement without hits), F, L, N, P.
    QTest::newRow("closed before start-up") << "" << "" << "";
    QTest::newRow("opened") << "open" << "Első" << "Első vers\r\n második sora";
    QTest::newRow("Next") << "open N" << "Második" << "Második vers";
    QTest::newRow("Last") << "open L" << "Harmadik" << "\r\nHarmadik vers";
    QTest::newRow("Next at the last record") << "open L N" << "Harmadik" << "\r\nHarmadik vers";
    QTest::newRow("Last, Prior") << "open L P" << "Második" << "Második vers";
    QTest::newRow("Last, First") << "open L F" << "Első" << "Első vers\r\n második sora";
    QTest::newRow("closed after use") << "open N close" << "" << "";
    QTest::newRow("reopened after a move") << "open L close open" << "Első" << "Első vers\r\n második sora";
    QTest::newRow("reopened without hits") << "open N close empty" << "" << "";
}

// The window stays hidden throughout: the bindings follow the query all the same.
void tst_TForm2::bindingsFollowTheQuery()
{
    QFETCH(QString, steps);
    QFETCH(QString, title);
    QFETCH(QString, text);

    useDatabase({QStringLiteral("Első"), QStringLiteral("Második"), QStringLiteral("Harmadik")},
                {QStringLiteral("Első vers\r\n második sora"), QStringLiteral("Második vers"),
                 QStringLiteral("\r\nHarmadik vers")});
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("open"))
            m_query->open();
        else if (step == QLatin1String("close"))
            m_query->close();
        else if (step == QLatin1String("empty")) {
            m_query->clearSql();
            m_query->addSql(QStringLiteral("Select * from tbl_Data where CIM = 'nincs ilyen'"));
            m_query->open();
        } else if (step == QLatin1String("F"))
            m_cursor->first();
        else if (step == QLatin1String("L"))
            m_cursor->last();
        else if (step == QLatin1String("N"))
            m_cursor->next();
        else if (step == QLatin1String("P"))
            m_cursor->prior();
    }

    QVERIFY(m_form->isHidden());
    // Through a mapper on the model it was given, one row per record.
    auto *mapper = m_form->findChild<QDataWidgetMapper *>(QStringLiteral("BindSourceDB1"));
    QVERIFY(mapper);
    QCOMPARE(mapper->model(), &m_records->model);
    QCOMPARE(mapper->currentIndex(), m_records->recNo() - 1);
    QCOMPARE(child<QLabel>("Label1")->text(), title);
    QCOMPARE(child<MemoBox>("Memo1")->toPlainText(), QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

void tst_TForm2::textLayout()
{
    const QString wide = QStringLiteral("Hosszú sor, ").repeated(20).trimmed();
    const QString poem = QString(Nbsp).repeated(4) + QStringLiteral("Behúzott\r\n") + QStringLiteral("    Szóközös\r\n")
                         + wide + QStringLiteral("\r\nVége");
    useDatabase({QStringLiteral("Cím")}, {poem});
    m_query->open();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto *memo = child<MemoBox>("Memo1");

    // CR LF breaks lines and nothing else; no-break spaces are kept, not turned into blanks.
    QCOMPARE(memo->document()->blockCount(), 4);
    QCOMPARE(memo->document()->firstBlock().text(), QString(Nbsp).repeated(4) + QStringLiteral("Behúzott"));

    // The indentation by no-break spaces is as wide as the same number of blanks.
    QTextCursor nbspIndented(memo->document()->findBlockByNumber(0));
    QTextCursor blankIndented(memo->document()->findBlockByNumber(1));
    QTextCursor lineStart = nbspIndented;
    nbspIndented.setPosition(nbspIndented.position() + 4);
    blankIndented.setPosition(blankIndented.position() + 4);
    QVERIFY(memo->cursorRect(nbspIndented).left() > memo->cursorRect(lineStart).left());
    QCOMPARE(memo->cursorRect(nbspIndented).left(), memo->cursorRect(blankIndented).left());

    // Long lines wrap within the box; the vertical bar is there even when nothing needs scrolling.
    QVERIFY(memo->document()->findBlockByNumber(2).layout()->lineCount() > 1);
    QVERIFY(!memo->horizontalScrollBar()->isVisible());
    QVERIFY(memo->verticalScrollBar()->isVisible());
    QCOMPARE(memo->verticalScrollBar()->maximum(), 0);
}

// Lines are as far apart as the target platform sets them for Tahoma 15 px (winAscent +
// winDescent, 18 pixels), so the 292-pixel box shows 16 whole lines, not Qt's 19.
void tst_TForm2::textLinesAreAsTallAsOnWindows()
{
    useDatabase({QStringLiteral("Hosszú")}, {longPoem(QStringLiteral("Hosszú"), 40)});
    m_query->open();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto *memo = child<MemoBox>("Memo1");
    QCOMPARE(memo->font().pixelSize(), 15);
    const int pitch = Tahoma::textHeight(memo->font());
    if (QFontInfo(memo->font()).family() == QLatin1String("Tahoma"))
        QCOMPARE(pitch, 18);
    QCOMPARE(memo->lineSpacing(), pitch);

    // Where each line's caret stands: one line per block, the view at its top.
    QList<int> tops;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
        QCOMPARE(block.layout()->lineCount(), 1);
        tops << memo->cursorRect(QTextCursor(block)).top();
    }
    QCOMPARE(tops.size(), 40);
    for (int i = 1; i < tops.size(); ++i)
        QCOMPARE(tops.at(i) - tops.at(i - 1), pitch);

    const int viewHeight = memo->viewport()->height();
    const int firstTop = memo->document()->documentLayout()->blockBoundingRect(memo->document()->begin()).top();
    QCOMPARE(firstTop, 0);
    int whole = 0;
    while ((whole + 1) * pitch <= viewHeight)
        ++whole;
    QCOMPARE(whole, 16);

    // Scrolled to the end, the last line sits at the foot of the box.
    QScrollBar *bar = memo->verticalScrollBar();
    QCOMPARE(bar->maximum(), 40 * pitch - viewHeight);
}

// Whoever replaces the text, and however: a new text's blocks come without the pitch.
void tst_TForm2::linePitchHoldsHoweverTheTextIsSet_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("shownFirst");

    QTest::newRow("through the text box") << "memo" << true;
    QTest::newRow("through QTextEdit's own setPlainText") << "text edit" << true;
    QTest::newRow("through its user property, as a mapper writes it") << "user property" << true;
    QTest::newRow("through its document") << "document" << true;
    QTest::newRow("through its user property while hidden, then shown") << "user property" << false;
}

void tst_TForm2::linePitchHoldsHoweverTheTextIsSet()
{
    QFETCH(QString, how);
    QFETCH(bool, shownFirst);
    auto *memo = child<MemoBox>("Memo1");
    QCOMPARE(memo->metaObject()->userProperty().name(), "plainText");
    if (shownFirst) {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    const QString poem = longPoem(QStringLiteral("Hosszú"), 30).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (how == QLatin1String("memo"))
        memo->setPlainText(poem);
    else if (how == QLatin1String("text edit"))
        static_cast<QTextEdit *>(memo)->setPlainText(poem);
    else if (how == QLatin1String("user property"))
        QVERIFY(memo->setProperty(memo->metaObject()->userProperty().name(), poem));
    else
        memo->document()->setPlainText(poem);
    if (!shownFirst) {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    QCOMPARE(memo->toPlainText(), poem);
    const int pitch = memo->lineSpacing();
    QList<int> tops;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
        tops << memo->cursorRect(QTextCursor(block)).top();
    QCOMPARE(tops.size(), 30);
    for (int i = 1; i < tops.size(); ++i)
        QCOMPARE(tops.at(i) - tops.at(i - 1), pitch);
}

// Bold 16 px lines are 19 pixels apart: two of them fit into the 51-pixel box, the third is cut
// off at its foot (Qt's own spacing would fit three).
void tst_TForm2::longTitleShowsTwoWholeLines()
{
    const QString title = QStringLiteral("Harangjáték ").repeated(8).trimmed();
    useDatabase({title});
    m_query->open();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto *label = child<QLabel>("Label1");
    QCOMPARE(label->text(), title);
    QCOMPARE(label->size(), QSize(385, 51));
    const int pitch = Tahoma::textHeight(label->font());
    if (QFontInfo(label->font()).family() == QLatin1String("Tahoma"))
        QCOMPARE(pitch, 19);

    // Rows holding ink, grouped into bands, one band per line of text.
    const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QList<QPair<int, int>> bands;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = qGray(image.pixel(x, y)) < 100;
        if (!ink)
            continue;
        if (!bands.isEmpty() && bands.last().second == y - 1)
            bands.last().second = y;
        else
            bands.append({y, y});
    }
    QCOMPARE(bands.size(), 3);
    const auto height = [](const QPair<int, int> &band) { return band.second - band.first + 1; };
    QCOMPARE(bands.at(1).first - bands.at(0).first, pitch);
    QCOMPARE(height(bands.at(1)), height(bands.at(0)));
    QCOMPARE(bands.at(2).first - bands.at(1).first, pitch);
    // The third line runs into the box's foot and is cut there.
    QCOMPARE(bands.at(2).second, image.height() - 1);
    QVERIFY(height(bands.at(2)) < height(bands.at(0)));

    // Every line is centred: the first line's ink is as far from both edges, within a pixel or two.
    int left = image.width();
    int right = -1;
    for (int y = bands.at(0).first; y <= bands.at(0).second; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
    QVERIFY2(qAbs(left - (image.width() - 1 - right)) <= 2, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
}

void tst_TForm2::copyKeepsTheTextAsStored_data()
{
    QTest::addColumn<int>("from"); // positions in the text with "\n" line breaks; -1: select all
    QTest::addColumn<int>("to");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("copied");

    const QString nb(Nbsp);
    // The poem: "Első sor" CR LF, two no-break spaces, "behúzott" NBSP "sor" CR LF "vége".
    QTest::newRow("line break into an indented line") << 5 << 16 << QKeySequence(QKeySequence::Copy)
                                                      << QStringLiteral("sor\n") + nb + nb + QStringLiteral("behúz");
    QTest::newRow("inner no-break space") << 11 << 23 << QKeySequence(QKeySequence::Copy)
                                          << QStringLiteral("behúzott") + nb + QStringLiteral("sor");
    QTest::newRow("everything, Ctrl+Insert") << -1 << -1 << QKeySequence(Qt::CTRL | Qt::Key_Insert)
                                             << QStringLiteral("Első sor\n") + nb + nb + QStringLiteral("behúzott") + nb
                                                    + QStringLiteral("sor\nvége");
}

// The clipboard gets the poem as stored: no-break spaces stay, lines end as the platform writes them.
void tst_TForm2::copyKeepsTheTextAsStored()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, copied);

    const QString nb(Nbsp);
    useDatabase({QStringLiteral("Cím")}, {QStringLiteral("Első sor\r\n") + nb + nb + QStringLiteral("behúzott") + nb
                                          + QStringLiteral("sor\r\nvége")});
    m_query->open();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto *memo = child<MemoBox>("Memo1");
    QApplication::clipboard()->setText(QStringLiteral("korábbi"));

    if (from < 0) {
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    } else {
        QTextCursor selection(memo->document());
        selection.setPosition(from);
        selection.setPosition(to, QTextCursor::KeepAnchor);
        memo->setTextCursor(selection);
    }
    QTest::keySequence(memo, keys);

    QCOMPARE(QApplication::clipboard()->text(), copied);
}

void tst_TForm2::tabLeavesTheFocusInTheText_data()
{
    QTest::addColumn<int>("modifiers");

    QTest::newRow("Tab") << int(Qt::NoModifier);
    QTest::newRow("Shift+Tab") << int(Qt::ShiftModifier);
}

void tst_TForm2::tabLeavesTheFocusInTheText()
{
    QFETCH(int, modifiers);

    useDatabase({QStringLiteral("Egy")});
    m_query->open();
    whileModal([&] {
        child<QPushButton>("BitBtn1")->setEnabled(false);
        child<QPushButton>("BitBtn2")->setEnabled(false);
        auto *memo = child<MemoBox>("Memo1");
        QCOMPARE(m_form->focusWidget(), memo);
        const QString before = memo->toPlainText();
        QTest::keyClick(memo, Qt::Key_Tab, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_form->focusWidget(), memo);
        QCOMPARE(memo->toPlainText(), before);
    });
}

void tst_TForm2::textBoxIgnoresEditing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QKeySequence>("keys");

    QTest::newRow("letters") << "abc ÁÉ" << QKeySequence();
    QTest::newRow("Delete") << "" << QKeySequence(Qt::Key_Delete);
    QTest::newRow("Backspace") << "" << QKeySequence(Qt::Key_Backspace);
    QTest::newRow("Enter") << "" << QKeySequence(Qt::Key_Return);
    QTest::newRow("paste") << "" << QKeySequence(QKeySequence::Paste);
    QTest::newRow("Shift+Insert") << "" << QKeySequence(Qt::SHIFT | Qt::Key_Insert);
    QTest::newRow("cut") << "" << QKeySequence(QKeySequence::Cut);
    QTest::newRow("undo") << "" << QKeySequence(QKeySequence::Undo);
}

void tst_TForm2::textBoxIgnoresEditing()
{
    QFETCH(QString, typed);
    QFETCH(QKeySequence, keys);

    useDatabase({QStringLiteral("Egy"), QStringLiteral("Kettő")});
    m_query->open();
    m_cursor->next();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto *memo = child<MemoBox>("Memo1");
    const QString before = memo->toPlainText();
    QApplication::clipboard()->setText(QStringLiteral("beillesztett szöveg"));
    QSignalSpy moves(m_cursor, &RecordCursor::changed);
    QSignalSpy states(m_query, &PoemQuery::stateChanged);

    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier); // select all, so Delete or cut would bite
    if (!typed.isEmpty())
        QTest::keyClicks(memo, typed);
    if (!keys.isEmpty())
        QTest::keySequence(memo, keys);

    QCOMPARE(memo->toPlainText(), before);
    QVERIFY(!memo->document()->isModified());
    QCOMPARE(m_records->recNo(), 2);
    QCOMPARE(moves.count(), 0);
    QCOMPARE(states.count(), 0);
    QVERIFY(m_form->isVisible());
}

void tst_TForm2::newTextStartsAtTheTop_data()
{
    QTest::addColumn<QString>("button"); // a navigator button, or "reopen" for a new search result

    QTest::newRow("Next") << "Next";
    QTest::newRow("Prior") << "Prior";
    QTest::newRow("Last") << "Last";
    QTest::newRow("reopened") << "reopen";
}

void tst_TForm2::newTextStartsAtTheTop()
{
    QFETCH(QString, button);

    useDatabase({QStringLiteral("Első"), QStringLiteral("Második"), QStringLiteral("Harmadik")},
                {longPoem(QStringLiteral("Első"), 300), longPoem(QStringLiteral("Második"), 300),
                 longPoem(QStringLiteral("Harmadik"), 300)});
    m_query->open();
    m_cursor->next();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto *memo = child<MemoBox>("Memo1");
    QScrollBar *bar = memo->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    memo->moveCursor(QTextCursor::End);
    bar->setValue(bar->maximum());
    QVERIFY(bar->value() > 0);

    if (button == QLatin1String("reopen")) {
        m_query->close();
        m_query->open();
    } else {
        QTest::mouseClick(m_form->findChild<QPushButton *>(button), Qt::LeftButton);
    }
    QVERIFY(memo->toPlainText().startsWith(m_records->model.index(m_cursor->row(), PoemTableModel::Title).data().toString()));
    QCOMPARE(bar->value(), 0);
    QCOMPARE(memo->textCursor().position(), 0);
    QVERIFY(!memo->textCursor().hasSelection());
}

void tst_TForm2::dialogKeysDoNotClose_data()
{
    QTest::addColumn<int>("key");

    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
}

void tst_TForm2::dialogKeysDoNotClose()
{
    QFETCH(int, key);

    useDatabase({QStringLiteral("Egy")}, {longPoem(QStringLiteral("Egy"), 100)});
    m_query->open();
    QPointer<TForm2> form = m_form.get();
    QSignalSpy finished(m_form.get(), &QDialog::finished);
    whileModal([&] {
        QWidget *focus = m_form->focusWidget();
        QCOMPARE(focus, child<QWidget>("Memo1"));
        // Nor do they put the text back: it stays where the reader scrolled it.
        QScrollBar *bar = child<MemoBox>("Memo1")->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int scrolled = bar->value();
        QVERIFY(scrolled > 0);
        QTest::keyClick(focus, Qt::Key(key));
        QTest::keyClick(m_form.get(), Qt::Key(key));
        QVERIFY(m_form->isVisible());
        QCOMPARE(finished.count(), 0);
        QCOMPARE(bar->value(), scrolled);
        QCOMPARE(child<MemoBox>("Memo1")->toPlainText(), longPoem(QStringLiteral("Egy"), 100).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    });
    // Closing hides the window; it lives on for the next showing.
    QCOMPARE(finished.count(), 1);
    QVERIFY(form);
    QVERIFY(m_form->isHidden());
}

void tst_TForm2::showsCentredEveryTime()
{
    const QRect area = m_form->screen()->availableGeometry();
    for (int showing = 1; showing <= 2; ++showing) {
        whileModal([&] {
            QVERIFY((m_form->frameGeometry().center() - area.center()).manhattanLength() <= 2);
            m_form->move(area.topLeft() + QPoint(5, 5)); // the user drags it aside
        });
    }
}

// As the list page's double click does: both buttons disabled, then a modal showing.
void tst_TForm2::opensModallyAsTheListDoes()
{
    useDatabase({QStringLiteral("Egy"), QStringLiteral("Kettő"), QStringLiteral("Három")});
    m_query->open();
    auto *foto = child<QPushButton>("BitBtn1");
    auto *felolvas = child<QPushButton>("BitBtn2");
    QCOMPARE(foto->text(), QStringLiteral("Fotó"));
    QCOMPARE(felolvas->text(), QStringLiteral("Felolvas"));
    QSignalSpy moves(m_cursor, &RecordCursor::changed);

    for (int showing = 1; showing <= 2; ++showing) {
        foto->setEnabled(false);
        felolvas->setEnabled(false);
        whileModal([&] {
            QCOMPARE(QApplication::activeModalWidget(), m_form.get());
            QVERIFY(!foto->isEnabled());
            QVERIFY(!felolvas->isEnabled());
            QCOMPARE(m_form->focusWidget(), child<QWidget>("Memo1"));
            QTest::mouseClick(m_form->findChild<QPushButton *>(QStringLiteral("Next")), Qt::LeftButton);
            QCOMPARE(m_form->focusWidget(), child<QWidget>("Memo1"));
        });
    }
    // The window moved the shared record and left it there; showing moved nothing by itself.
    QCOMPARE(moves.count(), 2);
    QCOMPARE(m_records->recNo(), 3);
    QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("Három"));
}

void tst_TForm2::inertButtonsShowTheirGreyGlyphs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("glyph");

    QTest::newRow("Fotó") << "BitBtn1" << "foto";
    QTest::newRow("Felolvas") << "BitBtn2" << "felolvas";
}

void tst_TForm2::inertButtonsShowTheirGreyGlyphs()
{
    QFETCH(QString, name);
    QFETCH(QString, glyph);

    auto *button = m_form->findChild<QPushButton *>(name);
    QVERIFY(button);
    button->setEnabled(false);
    const QSize size(16, 16);
    const auto image = [](const QPixmap &pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32); };
    const QString strip = QStringLiteral(":/glyphs/%1.png").arg(glyph);
    const QImage normal = stripCell(strip, 0);
    const QImage disabled = stripCell(strip, 1);
    QCOMPARE(normal.size(), size);
    QCOMPARE(button->iconSize(), size);
    QCOMPARE(image(button->icon().pixmap(size, QIcon::Normal)), normal);
    QCOMPARE(image(button->icon().pixmap(size, QIcon::Disabled)), disabled);
    QVERIFY(normal != disabled);
}

QTEST_MAIN(tst_TForm2)
#include "tst_TForm2.moc"
