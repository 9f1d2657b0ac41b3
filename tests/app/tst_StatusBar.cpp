#include "ApplicationHint.h"
#include "DbGrid.h"
#include "DbNavigator.h"
#include "PoemQuery.h"
#include "ProgramInFreshDirectory.h"
#include "RegionalClock.h"
#include "StatusBar.h"
#include "TorneviApplication.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <functional>

#ifdef TORNEVI_HAVE_XCB
#include <xcb/xcb.h>
#endif

// The main window's status bar: the hint of what is under the real mouse pointer or highlighted
// in the menu, the tooltips that the switch allows, and the clock.
class tst_StatusBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void panelsAndFont();
    void onlyThePanelsDrawLines_data();
    void onlyThePanelsDrawLines();
    void everyHintOfTheProgram_data();
    void everyHintOfTheProgram();
    void noOtherObjectCarriesAHint();
    void pointerGivesHintAndTooltip_data();
    void pointerGivesHintAndTooltip();
    void tooltipMovesAtOnceBetweenSwitchedControls();
    void tooltipOfAWindowThatAppearsUnderTheRestingPointer();
    void mainWindowHintsWhileTheDetailWindowIsOpen();
    void panelWrittenDirectlyStaysUntilTheHintChanges();
    void exitStatusTextStandsWhileTheQuestionIsOpen_data();
    void exitStatusTextStandsWhileTheQuestionIsOpen();
    void menuHighlightGivesHint_data();
    void menuHighlightGivesHint();
    void hoveringAMenuItemWithThePointer_data();
    void hoveringAMenuItemWithThePointer();
    void restingOnTheClosedMenuTitle();
    void clockText_data();
    void clockText();
    void timeZoneIsLeftOut_data();
    void timeZoneIsLeftOut();
    void clockIsEmptyUntilTheFirstTick();
    void changedFormatsApplyAtTheNextTick();
    void clockTicksWhileAMessageBoxIsOpen();

private:
    StatusBar *statusBar() const { return m_form->findChild<StatusBar *>(QStringLiteral("StatusBar1")); }
    QString panelText(int panel) const
    {
        return statusBar()->findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(panel))->text();
    }
    QString panel0() const { return panelText(0); }
    QTimer *timer1() const { return m_form->findChild<QTimer *>(QStringLiteral("Timer1")); }
    void showPage(int index);
    void pointAt(QWidget *control);
    QObject *programObject(const QString &name) const;

    std::unique_ptr<ProgramInFreshDirectory> m_program;
    TForm1 *m_form = nullptr;
    TForm2 *m_form2 = nullptr;
};

namespace {
const QString GridHint = QStringLiteral("Dupla klikk: megtekintés.|Dupla klikk: aktuális tétel megtekintése.");
const QString SearchHint = QStringLiteral("Keresés indítása !");

// A hint as one text: the tooltip, then "|" and the status tip where the two differ. A menu
// item's tooltip counts only beside a status tip, since QAction makes one of its text.
QString hintOf(const QObject *o)
{
    QString shortPart, longPart;
    if (auto *w = qobject_cast<const QWidget *>(o)) {
        shortPart = w->toolTip();
        longPart = w->statusTip();
    } else if (auto *a = qobject_cast<const QAction *>(o)) {
        longPart = a->statusTip();
        shortPart = longPart.isEmpty() ? QString() : a->toolTip();
    }
    return shortPart == longPart ? longPart : shortPart + QLatin1Char('|') + longPart;
}

// The tooltip switch: the control's own setting, else its window's.
bool tooltipSwitchedOn(const QWidget *w)
{
    const QVariant own = w->property("showHint");
    return own.isValid() ? own.toBool() : w->window()->property("showHint").toBool();
}

// The hint follows the pointer when the event loop is about to wait, which QTest::qWait never
// lets it do: these waits run a real loop.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool spinUntil(const std::function<bool()> &done, int timeoutMs = 3000)
{
    for (int waited = 0; waited < timeoutMs && !done(); waited += 20)
        spin(20);
    return done();
}

// Sees the moved pointer arrive in one of the program's windows.
class PointerArrival : public QObject
{
public:
    explicit PointerArrival(const QPoint &at) : m_at(at) {}
    bool seen = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched->isWindowType() && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
            && static_cast<QSinglePointEvent *>(event)->globalPosition().toPoint() == m_at)
            seen = true;
        return false;
    }

private:
    QPoint m_at;
};

// Moves the real pointer, waits until the move has reached the program (a window that a modal
// one blocks gets none: there the wait ends after a while) and lets the loop idle once more.
void movePointer(const QPoint &to)
{
    if (QCursor::pos() != to) {
        PointerArrival arrival(to);
        qApp->installEventFilter(&arrival);
        QCursor::setPos(to);
        static_cast<void>(spinUntil([&] { return arrival.seen; }, 1000));
        qApp->removeEventFilter(&arrival);
    }
    spin(20);
}

// Runs `inspect` once the modal detail window is up and active, then closes it. A window that
// becomes active later would hide a tooltip that is already showing.
void whileDetailWindowIsOpen(TForm2 *form2, const std::function<void()> &inspect)
{
    QTimer::singleShot(0, form2, [form2, inspect] {
        if (!form2->isVisible() || QApplication::activeModalWidget() != form2)
            return whileDetailWindowIsOpen(form2, inspect);
        static_cast<void>(QTest::qWaitForWindowActive(form2));
        inspect();
        form2->close();
    });
}

// Runs `inspect` once one of the program's message boxes is up and waiting for an answer.
void whileMessageBoxIsOpen(QObject *context, const std::function<void(QMessageBox *)> &inspect)
{
    QTimer::singleShot(0, context, [context, inspect] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return whileMessageBoxIsOpen(context, inspect);
        inspect(box);
    });
}

// What the window manager sends when the user clicks a window's close box.
bool clickCloseBox(QWidget *window)
{
#ifdef TORNEVI_HAVE_XCB
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t *c = x11->connection();
    auto atom = [c](const char *name) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    };
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, message.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
    xcb_flush(c);
    return true;
#else
    Q_UNUSED(window);
    return false;
#endif
}

QDateTime at(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

const QLocale Hungarian(QLocale::Hungarian, QLocale::Hungary);
const QLocale English(QLocale::English, QLocale::UnitedStates);

// Gives the clock back its real time and locale however the test ends.
auto restoredAtExit(RegionalClock *clock)
{
    return qScopeGuard([clock] {
        clock->setLocaleSource([] { return QLocale::system(); });
        clock->setTimeSource([] { return QDateTime::currentDateTime(); });
    });
}
} // namespace

void tst_StatusBar::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("moves the real pointer: runs on Xvfb");
    m_program = std::make_unique<ProgramInFreshDirectory>();
    m_form = &m_program->windows().form1();
    m_form2 = &m_program->windows().form2();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void tst_StatusBar::cleanupTestCase()
{
    m_program.reset();
}

void tst_StatusBar::showPage(int index)
{
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(index);
}

void tst_StatusBar::pointAt(QWidget *control)
{
    movePointer(control->mapToGlobal(control->rect().center()));
}

QObject *tst_StatusBar::programObject(const QString &name) const
{
    if (QObject *o = m_form->findChild<QObject *>(name))
        return o;
    return m_form2->findChild<QObject *>(name);
}

void tst_StatusBar::panelsAndFont()
{
    StatusBar *bar = statusBar();
    QVERIFY(bar);
    // In the client area under the menu bar.
    QCOMPARE(bar->geometry().translated(0, -m_form->menuWidget()->height()), QRect(0, 530, 702, 19));
    QVERIFY(!bar->findChild<QSizeGrip *>());
    // The window's own status bar: asking for it makes no second one, and a message shown on it
    // hides neither panel.
    QCOMPARE(m_form->statusBar(), bar);
    bar->showMessage(QStringLiteral("Üzenet"));
    QCOMPARE(m_form->findChildren<QStatusBar *>().size(), 1);
    for (const char *name : {"StatusPanel0", "StatusPanel1"})
        QVERIFY(bar->findChild<QLabel *>(QLatin1String(name))->isVisible());
    bar->clearMessage();
    // The system's status-bar font, which the window's Tahoma does not override.
    QCOMPARE(bar->font(), QApplication::font("QStatusBar"));
    QVERIFY(bar->font() != m_form->font());
    QTimer *timer = timer1();
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 1000);
    QVERIFY(timer->isActive());
}

void tst_StatusBar::onlyThePanelsDrawLines_data()
{
    QTest::addColumn<QString>("style");
    QTest::newRow("Fusion") << "fusion";
    // Draws a frame round each of a status bar's widgets.
    QTest::newRow("Windows") << "windows";
}

// Between the panels, above them and just inside the second one's bevel the bar shows its bare
// face, as it does right of the second panel's bevel: no line but the panels' own bevels.
void tst_StatusBar::onlyThePanelsDrawLines()
{
    QFETCH(QString, style);
    std::unique_ptr<QStyle> look(QStyleFactory::create(style));
    QVERIFY(look);
    StatusBar bar;
    bar.setStyle(look.get());
    bar.setFixedSize(702, 19);
    bar.setPanelText(0, QStringLiteral("Dupla klikk: aktuális tétel megtekintése."));
    bar.setPanelText(1, QStringLiteral("2024. 03. 05. 14:07:09"));
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QTRY_COMPARE(bar.findChild<QLabel *>(QStringLiteral("StatusPanel1"))->geometry(), QRect(500, 0, 202, 19));
    const QImage shot = bar.grab().toImage();
    QCOMPARE(shot.deviceIndependentSize().toSize(), QSize(702, 19));
    const qreal scale = shot.devicePixelRatio();
    auto at = [&](int x, int y) { return shot.pixelColor(QPoint(int(x * scale), int(y * scale))); };
    QStringList crossed;
    for (int y = 0; y < 19; ++y)
        if (at(499, y) != at(701, y))
            crossed << QStringLiteral("499,%1").arg(y);
    for (int y = 2; y < 18; ++y)
        if (at(501, y) != at(701, y))
            crossed << QStringLiteral("501,%1").arg(y);
    for (int x = 0; x < 702; ++x)
        if (at(x, 0) != at(701, 0))
            crossed << QStringLiteral("%1,0").arg(x);
    QVERIFY2(crossed.isEmpty(), qPrintable(crossed.join(QLatin1Char(' '))));
}

void tst_StatusBar::everyHintOfTheProgram_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("tooltip");

    QTest::newRow("top-level menu item") << "Lehetsgek1" << "Kérem válasszon !" << false;
    QTest::newRow("menu: Lexikon") << "Lexikon1" << "Adatok megtekintése !" << false;
    QTest::newRow("menu: Keresés") << "Keress1" << "Adatok keresése !" << false;
    QTest::newRow("menu: Bemutatkozás") << "Bemutatkozs1" << "Névjegy !" << false;
    QTest::newRow("menu: Kilépés, as it is spelt") << "Kilps1" << "Program hasznáéatának befejezése !" << false;
    QTest::newRow("list grid") << "DBGrid1" << GridHint << false;
    QTest::newRow("search button") << "BitBtn1" << SearchHint << false;
    QTest::newRow("reset button") << "BitBtn2" << SearchHint << false;
    QTest::newRow("e-mail link") << "Label5" << "E-mail küldése a készítőnek !" << true;
    for (const char *label : {"Label6", "Label7", "Label8", "Label9"})
        QTest::newRow(qPrintable(QStringLiteral("web link %1").arg(QLatin1String(label))))
            << label << "Cím behívása Internet programba !" << true;
    QTest::newRow("navigator: first") << "First" << "Első rekord|Első rekord !" << true;
    QTest::newRow("navigator: prior") << "Prior" << "Előző rekord|Előző rekord !" << true;
    QTest::newRow("navigator: next") << "Next" << "Következő rekord|Következő rekord !" << true;
    QTest::newRow("navigator: last") << "Last" << "Utolsó rekord|Utolsó rekord !" << true;
}

void tst_StatusBar::everyHintOfTheProgram()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(bool, tooltip);
    QObject *o = programObject(name);
    if (!o && name.startsWith(QLatin1String("Label")))
        QSKIP("the about page's links are not on this branch");
    QVERIFY(o);
    QCOMPARE(hintOf(o), hint);
    if (auto *w = qobject_cast<QWidget *>(o))
        QCOMPARE(tooltipSwitchedOn(w), tooltip);
}

void tst_StatusBar::noOtherObjectCarriesAHint()
{
    const QStringList known = {QStringLiteral("Lehetsgek1"), QStringLiteral("Lexikon1"), QStringLiteral("Keress1"),
                               QStringLiteral("Bemutatkozs1"), QStringLiteral("Kilps1"), QStringLiteral("DBGrid1"),
                               QStringLiteral("BitBtn1"), QStringLiteral("BitBtn2"), QStringLiteral("Label5"),
                               QStringLiteral("Label6"), QStringLiteral("Label7"), QStringLiteral("Label8"),
                               QStringLiteral("Label9"), QStringLiteral("First"), QStringLiteral("Prior"),
                               QStringLiteral("Next"), QStringLiteral("Last")};
    QStringList others;
    for (QObject *window : {static_cast<QObject *>(m_form), static_cast<QObject *>(m_form2)}) {
        QList<QObject *> objects = window->findChildren<QObject *>();
        objects << window;
        for (QObject *o : objects) {
            if (!hintOf(o).isEmpty() && !known.contains(o->objectName()))
                others << o->objectName() + QLatin1Char(' ') + QLatin1String(o->metaObject()->className());
            auto *w = qobject_cast<QWidget *>(o);
            if (w && tooltipSwitchedOn(w) && !known.contains(o->objectName()))
                others << o->objectName() + QStringLiteral(" (tooltip on)");
        }
    }
    QCOMPARE(others, QStringList());
    // The separator is named and carries nothing.
    QObject *separator = m_form->findChild<QAction *>(QStringLiteral("N1"));
    QVERIFY(separator);
    QVERIFY(hintOf(separator).isEmpty());
}

void tst_StatusBar::pointerGivesHintAndTooltip_data()
{
    QTest::addColumn<bool>("detailWindow");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("tooltip");

    // Each row starts with the pointer on BitBtn1 and its hint in panel 0.
    QTest::newRow("second search button: same text") << false << 1 << "BitBtn2" << SearchHint << QString();
    QTest::newRow("phrase box without hint empties the panel") << false << 1 << "Edit1" << QString() << QString();
    QTest::newRow("label without hint empties the panel") << false << 1 << "Label10" << QString() << QString();
    QTest::newRow("hit counter label without hint") << false << 1 << "Label12" << QString() << QString();
    QTest::newRow("grid: long part, no tooltip") << false << 0 << "DBGrid1"
                                                 << "Dupla klikk: aktuális tétel megtekintése." << QString();
    QTest::newRow("grid's row area takes the grid's hint") << false << 0 << "DBGrid1/viewport"
                                                            << "Dupla klikk: aktuális tétel megtekintése." << QString();
    QTest::newRow("disabled first-record button, detail window") << true << 1 << "First" << "Első rekord !"
                                                                 << "Első rekord";
    QTest::newRow("next-record button, detail window") << true << 1 << "Next" << "Következő rekord !"
                                                       << "Következő rekord";
    QTest::newRow("text box of the detail window") << true << 1 << "Memo1" << QString() << QString();
}

void tst_StatusBar::pointerGivesHintAndTooltip()
{
    QFETCH(bool, detailWindow);
    QFETCH(int, page);
    QFETCH(QString, name);
    QFETCH(QString, panel);
    QFETCH(QString, tooltip);

    m_form->recordCursor()->first();
    showPage(1);
    pointAt(m_form->findChild<QWidget *>(QStringLiteral("BitBtn1")));
    QVERIFY(spinUntil([&] { return panel0() == SearchHint && !QToolTip::isVisible(); }));
    showPage(page);

    QString shownPanel, shownTip, message;
    bool tipVisible = false;
    auto inspect = [&] {
        QWidget *window = detailWindow ? static_cast<QWidget *>(m_form2) : m_form;
        QWidget *target = window->findChild<QWidget *>(name.section(QLatin1Char('/'), 0, 0));
        QVERIFY2(target, qPrintable(name));
        if (name.endsWith(QLatin1String("/viewport")))
            target = static_cast<DbGrid *>(target)->viewport();
        pointAt(target);
        static_cast<void>(spinUntil([&] { return panel0() == panel; }));
        // Resting well beyond the tooltip delay; on a busy machine a tooltip may come late.
        if (tooltip.isEmpty())
            spin(ApplicationHint::ToolTipDelayMs + 500);
        else
            static_cast<void>(spinUntil([] { return QToolTip::isVisible(); }, ApplicationHint::ToolTipDelayMs + 2000));
        shownPanel = panel0();
        message = statusBar()->currentMessage();
        tipVisible = QToolTip::isVisible();
        shownTip = QToolTip::text();
    };
    if (detailWindow) {
        whileDetailWindowIsOpen(m_form2, inspect);
        m_form->DBGrid1DblClick();
    } else {
        inspect();
    }

    QCOMPARE(shownPanel, panel);
    // Qt's own status tip of the control never comes up as a message over the panels.
    QCOMPARE(message, QString());
    QCOMPARE(tipVisible, !tooltip.isEmpty());
    if (tipVisible)
        QCOMPARE(shownTip, tooltip);
}

void tst_StatusBar::tooltipMovesAtOnceBetweenSwitchedControls()
{
    m_form->recordCursor()->moveToRow(9);
    QStringList tips;
    QString panelAtLast;
    whileDetailWindowIsOpen(m_form2, [&] {
        auto *nav = m_form2->findChild<DbNavigator *>(QStringLiteral("DBNavigator1"));
        pointAt(nav->findChild<QPushButton *>(QStringLiteral("Next")));
        static_cast<void>(spinUntil([] { return QToolTip::isVisible(); }));
        tips << QToolTip::text();
        // Inside the rest delay: only the at-once rule can bring the next one up this soon after
        // the move has reached the program.
        pointAt(nav->findChild<QPushButton *>(QStringLiteral("Last")));
        QElapsedTimer arrived;
        arrived.start();
        const auto lastShown = [] { return QToolTip::isVisible() && QToolTip::text() == QStringLiteral("Utolsó rekord"); };
        static_cast<void>(spinUntil(lastShown, ApplicationHint::ToolTipDelayMs));
        tips << (lastShown() && arrived.elapsed() < ApplicationHint::ToolTipDelayMs ? QToolTip::text() : QString());
        panelAtLast = panel0();
    });
    m_form->DBGrid1DblClick();
    QCOMPARE(tips, (QStringList{QStringLiteral("Következő rekord"), QStringLiteral("Utolsó rekord")}));
    QCOMPARE(panelAtLast, QStringLiteral("Utolsó rekord !"));
}

// The pointer rests where the detail window's next-record button is going to be; the window
// appears under it, and after the rest the button's tooltip shows, as if the pointer had moved
// there.
void tst_StatusBar::tooltipOfAWindowThatAppearsUnderTheRestingPointer()
{
    m_form->recordCursor()->moveToRow(9);
    auto *nav = m_form2->findChild<DbNavigator *>(QStringLiteral("DBNavigator1"));
    auto *nextButton = nav->findChild<QPushButton *>(QStringLiteral("Next"));
    QPoint next;
    whileDetailWindowIsOpen(m_form2, [&] {
        static_cast<void>(spinUntil([&] { return nextButton->isVisible(); }));
        next = nextButton->mapToGlobal(nextButton->rect().center());
    });
    m_form->DBGrid1DblClick();
    QVERIFY(!next.isNull());
    movePointer(next);
    QVERIFY(spinUntil([&] { return QApplication::widgetAt(next) && !QApplication::widgetAt(next)->window()->isModal(); }));
    spin(ApplicationHint::ToolTipDelayMs + 200);   // at rest over the main window, whatever is there

    QString tip, panel;
    bool underPointer = false;
    whileDetailWindowIsOpen(m_form2, [&] {
        underPointer = spinUntil([&] { return QApplication::widgetAt(QCursor::pos()) == nextButton; });
        static_cast<void>(spinUntil([] { return QToolTip::isVisible(); }, ApplicationHint::ToolTipDelayMs + 2000));
        tip = QToolTip::isVisible() ? QToolTip::text() : QString();
        panel = panel0();
    });
    m_form->DBGrid1DblClick();
    if (!underPointer)
        QSKIP("the detail window did not come back to the same place");
    QCOMPARE(tip, QStringLiteral("Következő rekord"));
    QCOMPARE(panel, QStringLiteral("Következő rekord !"));
}

// The modal detail window keeps the main window's pointer events away; its controls still count.
void tst_StatusBar::mainWindowHintsWhileTheDetailWindowIsOpen()
{
    showPage(0);
    auto *grid = m_form->findChild<DbGrid *>(QStringLiteral("DBGrid1"));
    const QPoint onGrid = grid->viewport()->mapToGlobal(QPoint(10, grid->viewport()->height() / 2));
    QString panel;
    bool covered = false;
    whileDetailWindowIsOpen(m_form2, [&] {
        covered = m_form2->frameGeometry().contains(onGrid);
        pointAt(m_form2->findChild<QWidget *>(QStringLiteral("Memo1")));
        static_cast<void>(spinUntil([&] { return panel0().isEmpty(); }));
        movePointer(onGrid);
        static_cast<void>(spinUntil([&] { return !panel0().isEmpty(); }));
        panel = panel0();
    });
    m_form->DBGrid1DblClick();
    if (covered)
        QSKIP("the detail window covers the grid on this screen");
    QCOMPARE(panel, QStringLiteral("Dupla klikk: aktuális tétel megtekintése."));
}

// What the exit flows do: they write panel 0 themselves and leave the application hint alone.
void tst_StatusBar::panelWrittenDirectlyStaysUntilTheHintChanges()
{
    showPage(1);
    auto *search = m_form->findChild<QWidget *>(QStringLiteral("BitBtn1"));
    pointAt(search);
    QVERIFY(spinUntil([&] { return panel0() == SearchHint; }));
    statusBar()->setPanelText(0, QStringLiteral("Program használatásan befejezése ?"));
    QCOMPARE(panel0(), QStringLiteral("Program használatásan befejezése ?"));
    // The other search button has the same hint: the same text is not offered again.
    pointAt(m_form->findChild<QWidget *>(QStringLiteral("BitBtn2")));
    spin(300);
    QCOMPARE(panel0(), QStringLiteral("Program használatásan befejezése ?"));
    pointAt(search);
    statusBar()->setPanelText(0, QString());
    movePointer(search->mapToGlobal(QPoint(5, 5)));   // still the same control
    spin(300);
    QCOMPARE(panel0(), QString());
    // Through a control without a hint and back: the hint changes twice and the panel follows.
    pointAt(m_form->findChild<QWidget *>(QStringLiteral("Edit1")));
    pointAt(search);
    QVERIFY(spinUntil([&] { return panel0() == SearchHint; }));
}

void tst_StatusBar::exitStatusTextStandsWhileTheQuestionIsOpen_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("menu: Alt, Down, Up to Kilépés, Enter") << "menu";
    QTest::newRow("close box") << "close box";
}

// While the question waits, the pointer wanders over the box, the disabled grid and the status
// bar: the status text stands. Afterwards the panel stays empty until the pointer reaches
// another control, and then follows it again.
void tst_StatusBar::exitStatusTextStandsWhileTheQuestionIsOpen()
{
    QFETCH(QString, way);
    const QString exitText = QStringLiteral("Program használatásan befejezése ?");
    const QString gridText = GridHint.section(QLatin1Char('|'), 1);
    showPage(0);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    auto *grid = m_form->findChild<DbGrid *>(QStringLiteral("DBGrid1"));
    // Low on the left: beside the box, which stands in the middle of the window.
    const QPoint onGrid = grid->viewport()->mapToGlobal(QPoint(10, grid->viewport()->height() - 10));
    const QPoint onStatusBar = statusBar()->mapToGlobal(statusBar()->rect().center());
    movePointer(onStatusBar);
    QVERIFY(spinUntil([&] { return panel0().isEmpty(); }));
    movePointer(onGrid);
    QVERIFY(spinUntil([&] { return panel0() == gridText; }));

    QStringList whileAsked;
    bool gridCovered = true;
    bool asked = false;
    whileMessageBoxIsOpen(m_form, [&](QMessageBox *box) {
        asked = true;
        spin(300);
        whileAsked << QStringLiteral("open: ") + panel0();
        pointAt(box);
        spin(300);
        whileAsked << QStringLiteral("on the box: ") + panel0();
        movePointer(onGrid);
        gridCovered = box->frameGeometry().contains(onGrid);
        spin(300);
        whileAsked << QStringLiteral("on the grid: ") + panel0();
        movePointer(onStatusBar);
        spin(300);
        whileAsked << QStringLiteral("on the status bar: ") + panel0();
        movePointer(onGrid);
        spin(100);
        box->button(QMessageBox::No)->click();
    });
    if (way == QLatin1String("menu")) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key_Alt, Qt::AltModifier);
        auto *menu = m_form->findChild<QMenu *>(QStringLiteral("Lehetsgek1"));
        QVERIFY(spinUntil([&] { return m_form->menuBar()->activeAction() == menu->menuAction(); }));
        QTest::keyClick(m_form->menuBar(), Qt::Key_Down);
        QVERIFY(spinUntil([&] { return menu->isVisible(); }));
        QTest::keyClick(menu, Qt::Key_Up);
        QVERIFY(spinUntil([&] { return panel0() == QStringLiteral("Program hasznáéatának befejezése !"); }));
        QTest::keyClick(menu, Qt::Key_Return);
    } else if (!clickCloseBox(m_form)) {
        QSKIP("no X11 connection to send the close box's message on");
    }
    QVERIFY(spinUntil([&] { return asked && !QApplication::activeModalWidget(); }, 10000));
    QVERIFY(m_form->isVisible());
    QVERIFY(!gridCovered);
    QCOMPARE(whileAsked, (QStringList{QStringLiteral("open: ") + exitText, QStringLiteral("on the box: ") + exitText,
                                      QStringLiteral("on the grid: ") + exitText,
                                      QStringLiteral("on the status bar: ") + exitText}));

    // Back on the control it rested on before the question: nothing new to show. On another
    // control with a hint, the panel follows the pointer again.
    spin(300);
    QCOMPARE(panel0(), QString());
    showPage(1);
    pointAt(m_form->findChild<QWidget *>(QStringLiteral("BitBtn1")));
    QVERIFY(spinUntil([&] { return panel0() == SearchHint; }));
}

void tst_StatusBar::menuHighlightGivesHint_data()
{
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("panel");
    QTest::newRow("top-level item, drop-down just opened") << 0 << "Kérem válasszon !";
    QTest::newRow("Lexikon") << 1 << "Adatok megtekintése !";
    QTest::newRow("Keresés") << 2 << "Adatok keresése !";
    QTest::newRow("Bemutatkozás") << 3 << "Névjegy !";
    QTest::newRow("Kilépés, past the separator") << 4 << "Program hasznáéatának befejezése !";
}

void tst_StatusBar::menuHighlightGivesHint()
{
    QFETCH(int, downs);
    QFETCH(QString, panel);
    showPage(1);
    // The pointer comes to BitBtn1 from another control: after a closed menu only a new one counts.
    pointAt(m_form->findChild<QWidget *>(QStringLiteral("Edit1")));
    pointAt(m_form->findChild<QWidget *>(QStringLiteral("BitBtn1")));
    QVERIFY(spinUntil([&] { return panel0() == SearchHint; }));

    QMenuBar *bar = m_form->menuBar();
    auto *menu = m_form->findChild<QMenu *>(QStringLiteral("Lehetsgek1"));
    bar->setActiveAction(menu->menuAction());
    QVERIFY(spinUntil([&] { return menu->isVisible(); }));
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(menu, Qt::Key_Down);
    QVERIFY(spinUntil([&] { return panel0() == panel; }));
    QCOMPARE(panel0(), panel);

    // Escape closes the drop-down, then leaves the menu bar; the pointer has stayed on BitBtn1.
    QTest::keyClick(menu, Qt::Key_Escape);
    if (bar->activeAction())
        QTest::keyClick(bar, Qt::Key_Escape);
    QVERIFY(spinUntil([&] { return !menu->isVisible() && !bar->activeAction(); }));
    QVERIFY(spinUntil([&] { return panel0().isEmpty(); }));
    spin(300);
    QCOMPARE(panel0(), QString());
}

void tst_StatusBar::hoveringAMenuItemWithThePointer_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("panel");
    QTest::newRow("Kilépés") << "Kilps1" << "Program hasznáéatának befejezése !";
    QTest::newRow("Lexikon") << "Lexikon1" << "Adatok megtekintése !";
    // The separator is none of the menu's items: nothing is highlighted, so nothing is hinted.
    QTest::newRow("separator N1: empty") << "N1" << QString();
}

void tst_StatusBar::hoveringAMenuItemWithThePointer()
{
    QFETCH(QString, item);
    QFETCH(QString, panel);
    QMenuBar *bar = m_form->menuBar();
    auto *menu = m_form->findChild<QMenu *>(QStringLiteral("Lehetsgek1"));
    auto *action = m_form->findChild<QAction *>(item);
    QVERIFY(action);
    bar->setActiveAction(menu->menuAction());
    QVERIFY(spinUntil([&] { return menu->isVisible(); }));
    QVERIFY(spinUntil([&] { return panel0() == QStringLiteral("Kérem válasszon !"); }));
    movePointer(menu->mapToGlobal(menu->actionGeometry(action).center()));
    QVERIFY(spinUntil([&] { return panel0() == panel; }));
    spin(300);
    QCOMPARE(panel0(), panel);
    QVERIFY(menu->isVisible());
    menu->close();
    if (bar->activeAction())
        QTest::keyClick(bar, Qt::Key_Escape);
    QVERIFY(spinUntil([&] { return !bar->activeAction(); }));
    QVERIFY(spinUntil([&] { return panel0().isEmpty(); }));
    spin(300);
    QCOMPARE(panel0(), QString());
}

// The closed menu's title under a resting pointer is highlighted, but no menu is open and no
// item chosen: the menu bar carries no hint, so the panel empties as for any control without one.
void tst_StatusBar::restingOnTheClosedMenuTitle()
{
    showPage(1);
    QWidget *search = m_form->findChild<QWidget *>(QStringLiteral("BitBtn1"));
    pointAt(m_form->findChild<QWidget *>(QStringLiteral("Edit1")));
    pointAt(search);
    QVERIFY(spinUntil([&] { return panel0() == SearchHint; }));

    QMenuBar *bar = m_form->menuBar();
    auto *menu = m_form->findChild<QMenu *>(QStringLiteral("Lehetsgek1"));
    movePointer(bar->mapToGlobal(bar->actionGeometry(menu->menuAction()).center()));
    QVERIFY(spinUntil([&] { return panel0().isEmpty(); }));
    spin(300);
    QCOMPARE(panel0(), QString());
    QVERIFY(!menu->isVisible());

    // Back on a control with a hint, the panel follows the pointer again.
    pointAt(search);
    QVERIFY(spinUntil([&] { return panel0() == SearchHint; }));
}

void tst_StatusBar::clockText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("text");

    QTest::newRow("Hungarian afternoon") << Hungarian << at(2024, 3, 5, 14, 7, 9, 250) << "2024. 03. 05. 14:07:09";
    QTest::newRow("US afternoon") << English << at(2024, 3, 5, 14, 7, 9, 250) << "3/5/24 2:07:09 PM";
    QTest::newRow("Hungarian midnight: the date alone") << Hungarian << at(2024, 3, 5, 0, 0, 0, 0) << "2024. 03. 05.";
    QTest::newRow("US midnight: the date alone") << English << at(2024, 12, 31, 0, 0, 0, 0) << "12/31/24";
    QTest::newRow("Hungarian, one millisecond after midnight") << Hungarian << at(2024, 3, 5, 0, 0, 0, 1)
                                                               << "2024. 03. 05. 0:00:00";
    QTest::newRow("US, one millisecond after midnight") << English << at(2024, 3, 5, 0, 0, 0, 1)
                                                        << "3/5/24 12:00:00 AM";
    QTest::newRow("one second before midnight") << Hungarian << at(2024, 3, 4, 23, 59, 59, 999)
                                                << "2024. 03. 04. 23:59:59";
}

void tst_StatusBar::clockText()
{
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, moment);
    QFETCH(QString, text);
    RegionalClock clock;
    clock.setLocaleSource([locale] { return locale; });
    clock.setTimeSource([moment] { return moment; });
    QCOMPARE(clock.text(), text);
}

void tst_StatusBar::timeZoneIsLeftOut_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("kept");
    QTest::newRow("Hungarian long time") << "H:mm:ss t" << "H:mm:ss";
    QTest::newRow("US long time") << "h:mm:ss AP t" << "h:mm:ss AP";
    QTest::newRow("long zone name") << "HH:mm:ss tttt" << "HH:mm:ss";
    QTest::newRow("zone in front") << "t HH:mm:ss" << "HH:mm:ss";
    QTest::newRow("quoted t is text") << "HH:mm 'at' t" << "HH:mm 'at'";
    QTest::newRow("Windows format without zone") << "H:mm:ss" << "H:mm:ss";
}

void tst_StatusBar::timeZoneIsLeftOut()
{
    QFETCH(QString, format);
    QFETCH(QString, kept);
    QCOMPARE(RegionalClock::withoutTimeZone(format), kept);
}

void tst_StatusBar::clockIsEmptyUntilTheFirstTick()
{
    PoemStore store;
    TForm1 fresh(store);
    auto *bar = fresh.findChild<StatusBar *>(QStringLiteral("StatusBar1"));
    auto *timer = fresh.findChild<QTimer *>(QStringLiteral("Timer1"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    auto *panel1 = bar->findChild<QLabel *>(QStringLiteral("StatusPanel1"));
    QCOMPARE(panel1->text(), QString());
    RegionalClock *clock = fresh.findChild<RegionalClock *>();
    clock->setLocaleSource([] { return Hungarian; });
    clock->setTimeSource([] { return at(2024, 3, 5, 14, 7, 9, 0); });
    QSignalSpy ticks(timer, &QTimer::timeout);
    QVERIFY(ticks.wait(3000));
    QCOMPARE(panel1->text(), QStringLiteral("2024. 03. 05. 14:07:09"));
}

void tst_StatusBar::changedFormatsApplyAtTheNextTick()
{
    QLocale regional = Hungarian;
    RegionalClock *clock = m_form->findChild<RegionalClock *>();
    const auto restore = restoredAtExit(clock);
    clock->setTimeSource([] { return at(2024, 3, 5, 14, 7, 9, 0); });
    clock->setLocaleSource([&regional] { return regional; });
    QSignalSpy ticks(timer1(), &QTimer::timeout);
    QVERIFY(ticks.wait(3000));
    QCOMPARE(panelText(1), QStringLiteral("2024. 03. 05. 14:07:09"));

    // Without the system's notice the formats read at start stay.
    regional = English;
    QVERIFY(ticks.wait(3000));
    QCOMPARE(panelText(1), QStringLiteral("2024. 03. 05. 14:07:09"));

    clock->rereadFormats();   // what the notice of changed regional settings does
    QCOMPARE(panelText(1), QStringLiteral("2024. 03. 05. 14:07:09"));
    QVERIFY(ticks.wait(3000));
    QCOMPARE(panelText(1), QStringLiteral("3/5/24 2:07:09 PM"));
}

void tst_StatusBar::clockTicksWhileAMessageBoxIsOpen()
{
    int second = 0;
    RegionalClock *clock = m_form->findChild<RegionalClock *>();
    const auto restore = restoredAtExit(clock);
    clock->setLocaleSource([] { return Hungarian; });
    clock->setTimeSource([&second] { return at(2024, 3, 5, 10, 0, second++, 0); });
    QStringList seen;
    bool boxOpen = false;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Figyelem:"), QStringLiteral("..."), QMessageBox::Ok, m_form);
    QTimer::singleShot(0, &box, [&] {
        boxOpen = box.isVisible() && QApplication::activeModalWidget() == &box;
        QSignalSpy ticks(timer1(), &QTimer::timeout);
        for (int i = 0; i < 2 && ticks.wait(3000); ++i)
            seen << panelText(1);
        box.accept();
    });
    box.exec();
    QVERIFY(boxOpen);
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen.at(0).startsWith(QLatin1String("2024. 03. 05. 10:00:")));
    QVERIFY(seen.at(0) != seen.at(1));
}

int main(int argc, char *argv[])
{
    TorneviApplication app(argc, argv);
    tst_StatusBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_StatusBar.moc"
