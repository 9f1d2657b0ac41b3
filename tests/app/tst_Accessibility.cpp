#include "CurrentRecord.h"
#include "GridGeometry.h"
#include "DbGrid.h"
#include "LinkLabel.h"
#include "PoemQuery.h"
#include "ProgramInFreshDirectory.h"
#include "StatusBar.h"
#include "TorneviApplication.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {
// What the program told assistive tools, as the platform bridge would have received it.
struct SeenEvent
{
    QAccessible::Event type;
    QObject *object;
    int child;
    int modelChange;   // QAccessibleTableModelChangeEvent::ModelChangeType, -1 for other events
};
QList<SeenEvent> seenEvents;

void collectEvent(QAccessibleEvent *event)
{
    int change = -1;
    if (event->type() == QAccessible::TableModelChanged)
        change = static_cast<QAccessibleTableModelChangeEvent *>(event)->modelChangeType();
    seenEvents.append({event->type(), event->object(), event->child(), change});
}

// The last focus notice decides where a screen reader stands.
const SeenEvent *lastFocusEvent()
{
    for (auto e = seenEvents.crbegin(); e != seenEvents.crend(); ++e)
        if (e->type == QAccessible::Focus)
            return &*e;
    return nullptr;
}

// Runs `act` once a modal window of the given kind is up and has taken the focus.
template<typename Window>
void onceModalIsUp(QObject *context, const std::function<void(Window *)> &act)
{
    QTimer::singleShot(0, context, [context, act] {
        auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
        if (!window || !window->isVisible() || QApplication::activeWindow() != window)
            return onceModalIsUp<Window>(context, act);
        act(window);
    });
}

bool sawEvent(QAccessible::Event type, QObject *object, int child = -1)
{
    for (const SeenEvent &e : std::as_const(seenEvents))
        if (e.type == type && e.object == object && (child < 0 || e.child == child))
            return true;
    return false;
}

class AddressCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void take(const QUrl &url) { opened << url.toString(); }
};

// Every interface reachable from `root` by walking its children, as a screen reader does.
void walk(QAccessibleInterface *root, QList<QAccessibleInterface *> &seen, int depth = 0)
{
    if (!root || seen.contains(root) || depth > 40)
        return;
    seen << root;
    for (int i = 0; i < root->childCount(); ++i)
        walk(root->child(i), seen, depth + 1);
}
} // namespace

// What a screen reader finds in both windows: roles, Hungarian names from captions and hints,
// the list grid as a table that follows the current record, and the status bar's panels.
class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void controlsHaveRolesAndNames_data();
    void controlsHaveRolesAndNames();
    void tabsAreNamedByTheirCaptions();
    void hitCounterSaysWhatItCounts();
    void noButtonStaysTheDefault();
    void aboutPageTakesTheFocusByItsName();
    void linksOpenTheirTargetThroughTheirAction_data();
    void linksOpenTheirTargetThroughTheirAction();
    void gridIsATableOfEveryRecord();
    void gridFollowsTheCurrentRecord_data();
    void gridFollowsTheCurrentRecord();
    void gridFocusGoesToTheCurrentCell();
    void focusArrivingInTheListSaysTheCurrentTitle_data();
    void focusArrivingInTheListSaysTheCurrentTitle();
    void gridCellsOfAnEarlierResultGoStale();
    void cellPressActionOpensThePoem_data();
    void cellPressActionOpensThePoem();
    void navigatorButtonsShowWithTheirWindow();
    void aStepInTheOpenWindowIsAnnounced();
    void gridCellsOnScreenHaveTheirPlace();
    void statusBarPanels();

private:
    QWidget *control(const QString &window, const QString &name) const;
    DbGrid *grid() const { return m_form->findChild<DbGrid *>(QStringLiteral("DBGrid1")); }
    QAccessibleTableInterface *table() const;
    void search(const QString &phrase);

    std::unique_ptr<ProgramInFreshDirectory> m_program;
    TForm1 *m_form = nullptr;
    TForm2 *m_form2 = nullptr;
    AddressCatcher m_catcher;
};

void tst_Accessibility::initTestCase()
{
    QAccessible::installUpdateHandler(collectEvent);
    for (const char *scheme : {"mailto", "http", "https"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_catcher, "take");
    m_program = std::make_unique<ProgramInFreshDirectory>();
    m_form = &m_program->windows().form1();
    m_form2 = &m_program->windows().form2();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QVERIFY(m_form->findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->isOpen());
    // The desktop's accessibility bus switches the bridge on once it has answered.
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
}

void tst_Accessibility::cleanupTestCase()
{
    QAccessible::installUpdateHandler(nullptr);
    for (const char *scheme : {"mailto", "http", "https"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    m_program.reset();
}

void tst_Accessibility::init()
{
    seenEvents.clear();
}

QWidget *tst_Accessibility::control(const QString &window, const QString &name) const
{
    QWidget *top = window == QLatin1String("detail") ? static_cast<QWidget *>(m_form2) : m_form;
    if (name.isEmpty())
        return top;
    // The detail window is a child of the main window; both have a Label1, BitBtn1 and BitBtn2.
    for (QWidget *w : top->findChildren<QWidget *>(name))
        if (w->window() == top)
            return w;
    return nullptr;
}

QAccessibleTableInterface *tst_Accessibility::table() const
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid());
    return iface ? iface->tableInterface() : nullptr;
}

void tst_Accessibility::search(const QString &phrase)
{
    m_form->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(phrase);
    m_form->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
}

void tst_Accessibility::controlsHaveRolesAndNames_data()
{
    QTest::addColumn<QString>("window");   // "main" or "detail"
    QTest::addColumn<QString>("name");     // object name; empty for the window itself
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<QString>("description");

    const QString searchHint = QStringLiteral("Keresés indítása !");
    const QString linkHint = QStringLiteral("Cím behívása Internet programba !");
    QTest::newRow("main window by its caption") << "main" << "" << int(QAccessible::Window)
                                                << "Tornevi Ubrel összes költeménye:" << "";
    QTest::newRow("page control") << "main" << "PageControl1" << int(QAccessible::Client) << "" << "";
    QTest::newRow("search box by the label above it") << "main" << "Edit1" << int(QAccessible::EditableText)
                                                       << "Keresendő kifejezés:" << "";
    QTest::newRow("search button: caption, then hint") << "main" << "BitBtn1" << int(QAccessible::Button)
                                                       << "Keresés indítása" << searchHint;
    QTest::newRow("reset button: caption, then hint") << "main" << "BitBtn2" << int(QAccessible::Button)
                                                      << "Korábbi keresés törlése /alaphelyzet/" << searchHint;
    // Named for what it holds, not by the mouse instruction of its hint's short part.
    QTest::newRow("list grid: what it holds, then its hint") << "main" << "DBGrid1" << int(QAccessible::Table)
                                                             << "Versek" << "Dupla klikk: aktuális tétel megtekintése.";
    // With no control that takes the focus, the page itself takes it, and is read by its name.
    QTest::newRow("about page by its tab's caption") << "main" << "TabSheet3" << int(QAccessible::Client)
                                                     << "Bemutatkozás" << "";
    QTest::newRow("about page heading") << "main" << "Label1" << int(QAccessible::StaticText)
                                        << "Tornevi Ubrel összes költeménye" << "";
    QTest::newRow("maker line") << "main" << "Label2" << int(QAccessible::StaticText)
                                << "Készítette: Pelmos Daruvin." << "";
    QTest::newRow("e-mail link") << "main" << "Label5" << int(QAccessible::Link)
                                 << "E-mail: pelmos.daruvin@pelmosdaruvin.hu" << "E-mail küldése a készítőnek !";
    QTest::newRow("home page link") << "main" << "Label6" << int(QAccessible::Link)
                                    << "http://www.pelmosdaruvin.hu/" << linkHint;
    QTest::newRow("store link by its caption") << "main" << "Label9" << int(QAccessible::Link)
                                               << "Android alkalmazások - Google Play " << linkHint;
    QTest::newRow("closing line is no link") << "main" << "Label13" << int(QAccessible::StaticText)
                                             << "Nyilvántartó programok fejlesztése Windows és Android eszközökre !"
                                             << "";
    QTest::newRow("status bar") << "main" << "StatusBar1" << int(QAccessible::StatusBar) << "" << "";

    QTest::newRow("detail window by its caption") << "detail" << "" << int(QAccessible::Dialog) << " Találat:" << "";
    QTest::newRow("photo button") << "detail" << "BitBtn1" << int(QAccessible::Button) << "Fotó" << "";
    QTest::newRow("read-aloud button") << "detail" << "BitBtn2" << int(QAccessible::Button) << "Felolvas" << "";
    QTest::newRow("navigator: first") << "detail" << "First" << int(QAccessible::Button) << "Első rekord"
                                      << "Első rekord !";
    QTest::newRow("navigator: prior") << "detail" << "Prior" << int(QAccessible::Button) << "Előző rekord"
                                      << "Előző rekord !";
    QTest::newRow("navigator: next") << "detail" << "Next" << int(QAccessible::Button) << "Következő rekord"
                                     << "Következő rekord !";
    QTest::newRow("navigator: last") << "detail" << "Last" << int(QAccessible::Button) << "Utolsó rekord"
                                     << "Utolsó rekord !";
}

// Each control answers with its role and names, and a walk from its window's root reaches it.
void tst_Accessibility::controlsHaveRolesAndNames()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(int, role);
    QFETCH(QString, accessibleName);
    QFETCH(QString, description);
    QWidget *w = control(window, name);
    QVERIFY2(w, qPrintable(name));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    QVERIFY(iface && iface->isValid());
    QCOMPARE(int(iface->role()), role);
    QCOMPARE(iface->text(QAccessible::Name), accessibleName);
    QCOMPARE(iface->text(QAccessible::Description), description);

    QList<QAccessibleInterface *> reached;
    walk(QAccessible::queryAccessibleInterface(w->window()), reached);
    QVERIFY2(reached.contains(iface), "not reachable from its window");
}

void tst_Accessibility::tabsAreNamedByTheirCaptions()
{
    auto *pages = m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(pages->tabBar());
    QVERIFY(tabs);
    QStringList names;
    for (int i = 0; i < tabs->childCount(); ++i)
        if (tabs->child(i)->role() == QAccessible::PageTab)
            names << tabs->child(i)->text(QAccessible::Name);
    QCOMPARE(names, (QStringList{QStringLiteral("Lexikon"), QStringLiteral("Keresés"), QStringLiteral("Bemutatkozás")}));
}

// The about page has no control that takes the focus: the page takes it, and the screen reader
// says its name; the links below it stay there for its review of the screen.
void tst_Accessibility::aboutPageTakesTheFocusByItsName()
{
    auto *pages = m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(0);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    grid()->setFocus(Qt::TabFocusReason);
    seenEvents.clear();
    m_form->findChild<QAction *>(QStringLiteral("Bemutatkozs1"))->trigger();
    QWidget *page = pages->widget(2);
    QCOMPARE(QApplication::focusWidget(), page);
    QTRY_VERIFY(lastFocusEvent());
    QCOMPARE(lastFocusEvent()->object, page);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(page);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Bemutatkozás"));

    QList<QAccessibleInterface *> reached;
    walk(iface, reached);
    QStringList links;
    for (QAccessibleInterface *each : std::as_const(reached))
        if (each->role() == QAccessible::Link && !each->state().invisible)
            links << each->object()->objectName();
    QCOMPARE(links, (QStringList{QStringLiteral("Label5"), QStringLiteral("Label6"), QStringLiteral("Label7"),
                                 QStringLiteral("Label8"), QStringLiteral("Label9")}));
    pages->setCurrentIndex(0);
}

// Qt never tells assistive tools that a button stopped being the default; a button that said so
// once, while it had the focus, would be read as the window's default button from then on.
void tst_Accessibility::noButtonStaysTheDefault()
{
    auto *pages = m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    auto *edit = m_form->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    auto *button = m_form->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    pages->setCurrentIndex(1);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    edit->setFocus(Qt::TabFocusReason);
    edit->setText(QStringLiteral("tavasz"));
    const auto everyPoem = qScopeGuard([this] { m_form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click(); });
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
    QList<bool> saidDefault;
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button);
    saidDefault << iface->state().defaultButton;
    QTest::keyClick(button, Qt::Key_Return);   // Enter still presses it
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), grid());
    saidDefault << iface->state().defaultButton;
    QCOMPARE(saidDefault, (QList<bool>{false, false}));

    QList<QAccessibleInterface *> reached;
    walk(QAccessible::queryAccessibleInterface(m_form), reached);
    for (QAccessibleInterface *each : std::as_const(reached))
        QVERIFY2(!each->state().defaultButton, qPrintable(each->text(QAccessible::Name)));
}

// The bare number would be read out alone; the counter carries its label's words, and the
// screen reader hears each new count.
void tst_Accessibility::hitCounterSaysWhatItCounts()
{
    QWidget *counter = control(QStringLiteral("main"), QStringLiteral("Label12"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(counter);
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Keresés eredménye /találat/: 89"));

    search(QStringLiteral("nincs-ilyen-szo-a-versekben"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Keresés eredménye /találat/: 0"));
    QVERIFY(sawEvent(QAccessible::NameChanged, counter));
    m_form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Keresés eredménye /találat/: 89"));
}

void tst_Accessibility::linksOpenTheirTargetThroughTheirAction_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("target");
    QTest::newRow("e-mail") << "Label5" << "mailto:pelmos.daruvin@pelmosdaruvin.hu";
    QTest::newRow("second web site") << "Label7" << "http://tornevi.pelmosdaruvin.hu/";
    QTest::newRow("store page") << "Label9" << "https://play.store.example/store/apps/developer?id=Pelmos+Daruvin";
}

void tst_Accessibility::linksOpenTheirTargetThroughTheirAction()
{
    QFETCH(QString, name);
    QFETCH(QString, target);
    auto *link = m_form->findChild<LinkLabel *>(name);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(link);
    QVERIFY(iface->state().linked);
    QAccessibleActionInterface *actions = iface->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames().value(0), QAccessibleActionInterface::pressAction());
    m_catcher.opened.clear();
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_catcher.opened, QStringList{target});

    // Why the link labels keep an accessible interface of their own: Qt reads a label that holds
    // a link as plain text, with no action that opens it.
    QLabel qtLink(QStringLiteral("<a href=\"mailto:pelmos.daruvin@pelmosdaruvin.hu\">E-mail</a>"), m_form);
    qtLink.setTextInteractionFlags(Qt::TextBrowserInteraction);
    QAccessibleInterface *qtIface = QAccessible::queryAccessibleInterface(&qtLink);
    QCOMPARE(qtIface->role(), QAccessible::StaticText);
    QVERIFY(!qtIface->state().linked);
    QVERIFY(!qtIface->actionInterface() || !qtIface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));

    // Plain lines have no action that opens anything.
    QAccessibleInterface *plain = QAccessible::queryAccessibleInterface(m_form->findChild<QWidget *>(QStringLiteral("Label4")));
    QVERIFY(!plain->state().linked);
    QVERIFY(!plain->actionInterface() || !plain->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
}

void tst_Accessibility::gridIsATableOfEveryRecord()
{
    QAccessibleTableInterface *t = table();
    QVERIFY(t);
    const auto query = currentRecordOf(*m_form);
    query->first();
    QCOMPARE(t->rowCount(), 89);
    QCOMPARE(t->columnCount(), 1);
    QCOMPARE(t->columnDescription(0), QStringLiteral("Cím"));

    // Qt's table: the title cell and one cell per record, besides the indicator column's row
    // headers and the corner where the two meet.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid());
    QList<QAccessibleInterface *> titles;
    int cells = 0;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        QVERIFY(child);
        if (child->role() == QAccessible::ColumnHeader)
            titles << child;
        cells += child->role() == QAccessible::Cell;
    }
    QCOMPARE(cells, 89);
    QCOMPARE(titles.size(), 1);
    QAccessibleInterface *header = titles.first();
    QCOMPARE(header->text(QAccessible::Name), QStringLiteral("Cím"));

    // Rows beyond the window on screen are there too, read from the query.
    for (int row : {0, 1, 40, 88}) {
        QAccessibleInterface *cell = t->cellAt(row, 0);
        QVERIFY(cell);
        QCOMPARE(cell->role(), QAccessible::Cell);
        QCOMPARE(cell->text(QAccessible::Name), query->value(row + 1, QStringLiteral("CIM")).toString());
        QCOMPARE(cell->parent(), iface);
        QCOMPARE(iface->child(iface->indexOfChild(cell)), cell);
        QVERIFY(!cell->state().editable);
        QAccessibleTableCellInterface *c = cell->tableCellInterface();
        QVERIFY(c);
        QCOMPARE(c->rowIndex(), row);
        QCOMPARE(c->columnIndex(), 0);
        // Qt hands out a title cell of its own, made for the call and left to the caller.
        const QList<QAccessibleInterface *> titlesOfCell = c->columnHeaderCells();
        const auto freeTitles = qScopeGuard([&] {
            for (QAccessibleInterface *title : titlesOfCell)
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(title));
        });
        QCOMPARE(titlesOfCell.size(), 1);
        QVERIFY(titlesOfCell.first() != header);
        QCOMPARE(titlesOfCell.first()->role(), QAccessible::ColumnHeader);
        QCOMPARE(titlesOfCell.first()->text(QAccessible::Name), header->text(QAccessible::Name));
        QCOMPARE(c->table(), iface);
    }
    QVERIFY(!t->cellAt(89, 0));
    QVERIFY(!t->cellAt(0, 1));
}

void tst_Accessibility::gridFollowsTheCurrentRecord_data()
{
    QTest::addColumn<QString>("action");   // "setRecNo n", "last", "search <phrase>", "close", "reset"
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selectedRow");  // -1: nothing selected
    QTest::addColumn<bool>("reset");       // a model reset was announced

    QTest::newRow("a move inside the window") << "setRecNo 5" << 89 << 4 << false;
    QTest::newRow("a move past the window") << "setRecNo 60" << 89 << 59 << false;
    QTest::newRow("last record") << "last" << 89 << 88 << false;
    QTest::newRow("search without hits: no rows") << "search nincs-ilyen-szo-a-versekben" << 0 << -1 << true;
    QTest::newRow("query closed: no rows") << "close" << 0 << -1 << true;
    QTest::newRow("reset: every poem, the first current") << "reset" << 89 << 0 << true;
}

void tst_Accessibility::gridFollowsTheCurrentRecord()
{
    QFETCH(QString, action);
    QFETCH(int, rows);
    QFETCH(int, selectedRow);
    QFETCH(bool, reset);
    const auto query = currentRecordOf(*m_form);
    if (!query->isOpen())
        query->open();
    query->first();
    seenEvents.clear();

    const QString argument = action.section(QLatin1Char(' '), 1);
    if (action.startsWith(QLatin1String("setRecNo")))
        query->setRecNo(argument.toInt());
    else if (action == QLatin1String("last"))
        query->last();
    else if (action.startsWith(QLatin1String("search")))
        search(argument);
    else if (action == QLatin1String("close"))
        query->close();
    else if (action == QLatin1String("reset"))
        m_form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();

    QAccessibleTableInterface *t = table();
    QCOMPARE(t->rowCount(), rows);
    QCOMPARE(t->selectedRows(), selectedRow < 0 ? QList<int>{} : QList<int>{selectedRow});
    QCOMPARE(t->selectedCellCount(), selectedRow < 0 ? 0 : 1);
    if (selectedRow >= 0) {
        QAccessibleInterface *current = t->cellAt(selectedRow, 0);
        QVERIFY(current->state().selected);
        QCOMPARE(t->selectedCells(), QList<QAccessibleInterface *>{current});
        QCOMPARE(current->text(QAccessible::Name), query->fieldText(QStringLiteral("CIM")));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid());
        QVERIFY(sawEvent(QAccessible::SelectionAdd, grid(), iface->indexOfChild(current)));
        if (selectedRow > 0)
            QVERIFY(!t->cellAt(0, 0)->state().selected);
    }
    bool sawReset = false;
    for (const SeenEvent &e : std::as_const(seenEvents))
        sawReset |= e.type == QAccessible::TableModelChanged && e.object == grid()
                    && e.modelChange == QAccessibleTableModelChangeEvent::ModelReset;
    QCOMPARE(sawReset, reset);

    if (!query->isOpen())
        query->open();
}

void tst_Accessibility::gridFocusGoesToTheCurrentCell()
{
    const auto query = currentRecordOf(*m_form);
    query->first();
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid());
    const auto indexOfRow = [&](int row) { return iface->indexOfChild(table()->cellAt(row, 0)); };
    // The focus is on the tabs: moves announce no focus in the grid.
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->tabBar()->setFocus();
    seenEvents.clear();
    query->setRecNo(3);
    query->first();
    QVERIFY(!sawEvent(QAccessible::Focus, grid()));

    seenEvents.clear();
    grid()->setFocus(Qt::TabFocusReason);
    QVERIFY(grid()->hasFocus());
    QTRY_VERIFY(sawEvent(QAccessible::Focus, grid(), indexOfRow(0)));
    QCOMPARE(iface->focusChild(), table()->cellAt(0, 0));
    QVERIFY(table()->cellAt(0, 0)->state().focused);

    seenEvents.clear();
    QTest::keyClick(grid(), Qt::Key_Down);
    QCOMPARE(query->recNo(), 2);
    QVERIFY(sawEvent(QAccessible::Focus, grid(), indexOfRow(1)));
    QCOMPARE(iface->focusChild(), table()->cellAt(1, 0));
    QVERIFY(!table()->cellAt(0, 0)->state().focused);

    // Without the focus, a move is a change of selection only.
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->tabBar()->setFocus();
    seenEvents.clear();
    query->setRecNo(7);
    QVERIFY(sawEvent(QAccessible::SelectionAdd, grid(), indexOfRow(6)));
    QVERIFY(!sawEvent(QAccessible::Focus, grid()));
}

void tst_Accessibility::focusArrivingInTheListSaysTheCurrentTitle_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Tab from the page tabs") << "tab";
    QTest::newRow("a search from its button") << "search";
    QTest::newRow("the detail window closed") << "detail";
    QTest::newRow("No to the exit question") << "no";
}

// Qt tells assistive tools that the grid took the focus; the current cell's notice must come
// after that one, or the screen reader stays on the table and never reads the title.
void tst_Accessibility::focusArrivingInTheListSaysTheCurrentTitle()
{
    QFETCH(QString, way);
    const auto query = currentRecordOf(*m_form);
    auto *pages = m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    m_form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();   // every poem
    query->setRecNo(3);
    pages->setCurrentIndex(0);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));

    if (way == QLatin1String("tab")) {
        pages->tabBar()->setFocus(Qt::OtherFocusReason);
        seenEvents.clear();
        QTest::keyClick(pages->tabBar(), Qt::Key_Tab);
    } else if (way == QLatin1String("search")) {
        pages->setCurrentIndex(1);
        auto *button = m_form->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
        m_form->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("Tél"));
        button->setFocus(Qt::TabFocusReason);
        seenEvents.clear();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(query->recordCount() < 89);
    } else {
        grid()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(grid()->hasFocus() && lastFocusEvent() && lastFocusEvent()->child >= 0);
        seenEvents.clear();
        if (way == QLatin1String("detail")) {
            onceModalIsUp<TForm2>(this, [](TForm2 *form2) { form2->close(); });
            QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->currentIndex()).center());
            QVERIFY(!m_form2->isVisible());
        } else {
            onceModalIsUp<QMessageBox>(this, [](QMessageBox *box) { box->button(QMessageBox::No)->click(); });
            m_form->findChild<QAction *>(QStringLiteral("Kilps1"))->trigger();
        }
        QVERIFY(query->isOpen());
    }
    QTRY_VERIFY(grid()->hasFocus());
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid());
    QAccessibleInterface *current = table()->cellAt(query->recNo() - 1, 0);
    QVERIFY(current);
    QCOMPARE(current->text(QAccessible::Name), query->fieldText(QStringLiteral("CIM")));
    // The last notice is the current cell's, after Qt's own for the grid.
    QTRY_VERIFY(lastFocusEvent() && lastFocusEvent()->object == grid() && lastFocusEvent()->child >= 0);
    QCOMPARE(lastFocusEvent()->child, iface->indexOfChild(current));
}

void tst_Accessibility::cellPressActionOpensThePoem_data()
{
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<int>("pressedRow");
    QTest::newRow("the current cell") << 2 << 2;
    QTest::newRow("another row's cell, as a double click on it") << 2 << 6;
    QTest::newRow("a cell below the window of rows") << 0 << 40;
}

// Enter, Space and letters do nothing in the grid; tools that invoke actions (a screen reader's,
// voice control, switch access) open the poem through the cell's press action instead.
void tst_Accessibility::cellPressActionOpensThePoem()
{
    QFETCH(int, currentRow);
    QFETCH(int, pressedRow);
    const auto query = currentRecordOf(*m_form);
    m_form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();   // every poem
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    query->setRecNo(currentRow + 1);
    QAccessibleInterface *cell = table()->cellAt(pressedRow, 0);
    QAccessibleActionInterface *actions = cell->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    const QString title = cell->text(QAccessible::Name);

    QString shown;
    int recordWhileShown = 0;
    onceModalIsUp<TForm2>(this, [&](TForm2 *form2) {
        shown = form2->findChild<QLabel *>(QStringLiteral("Label1"))->text();
        recordWhileShown = query->recNo();
        form2->close();
    });
    actions->doAction(QAccessibleActionInterface::pressAction());
    // The tool has its answer at once; the modal window comes up afterwards.
    QVERIFY(!m_form2->isVisible());
    QTRY_COMPARE(shown, title);
    QCOMPARE(recordWhileShown, pressedRow + 1);
    QTRY_VERIFY(!m_form2->isVisible());
    QCOMPARE(query->recNo(), pressedRow + 1);
    QVERIFY(!m_form2->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->isEnabled());
}

// The navigator's buttons change state while the window is hidden, and a screen reader keeps what
// it read then: not visible, not showing. Qt announces only the window's showing; once the window
// is up, each button must come to the reader as a new object, whose state it reads afresh.
void tst_Accessibility::navigatorButtonsShowWithTheirWindow()
{
    const auto query = currentRecordOf(*m_form);
    m_form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();   // every poem
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    query->first();
    QVERIFY(!m_form2->isVisible());
    const QList<QPushButton *> buttons = m_form2->findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 6);   // Fotó, Felolvas and the navigator's four
    seenEvents.clear();
    query->setRecNo(3);   // First and Prior are enabled now, in the hidden window
    QHash<QPushButton *, QAccessible::Id> readWhileHidden;
    for (QPushButton *button : buttons) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
        QVERIFY(iface->state().invisible);
        readWhileHidden.insert(button, QAccessible::uniqueId(iface));
    }
    QVERIFY(sawEvent(QAccessible::StateChanged, m_form2->findChild<QPushButton *>(QStringLiteral("First"))));

    bool checked = false;
    onceModalIsUp<TForm2>(this, [&](TForm2 *form2) {
        const auto closing = qScopeGuard([form2] { form2->close(); });
        for (QPushButton *button : buttons) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
            // As the bridge tells it: visible unless invisible, showing unless offscreen too.
            QVERIFY2(!iface->state().invisible && !iface->state().offscreen, qPrintable(button->objectName()));
            QVERIFY2(QAccessible::uniqueId(iface) != readWhileHidden.value(button), qPrintable(button->objectName()));
            QVERIFY2(!QAccessible::accessibleInterface(readWhileHidden.value(button)), qPrintable(button->objectName()));
            QVERIFY(sawEvent(QAccessible::ObjectCreated, button));
            // Its parent lists it, so a walk from the window reaches the new object.
            QList<QAccessibleInterface *> reached;
            walk(QAccessible::queryAccessibleInterface(form2), reached);
            QVERIFY2(reached.contains(iface), qPrintable(button->objectName()));
        }
        checked = true;
    });
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->currentIndex()).center());
    QVERIFY(checked);
    QCOMPARE(query->recNo(), 3);
}

// A step moves no focus: the focused text box only changes its text and name, of which Qt 6.4
// tells a screen reader nothing it reads out. The new title comes as a notification instead.
void tst_Accessibility::aStepInTheOpenWindowIsAnnounced()
{
    const auto query = currentRecordOf(*m_form);
    m_form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();   // every poem
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    query->first();
    const auto announcements = [] {
        QStringList said;
        for (const SeenEvent &e : std::as_const(seenEvents)) {
            QAccessibleInterface *iface = e.type == QAccessible::ObjectShow ? QAccessible::queryAccessibleInterface(e.object) : nullptr;
            if (iface && iface->role() == QAccessible::Notification)
                said << iface->text(QAccessible::Name);
        }
        return said;
    };
    seenEvents.clear();
    query->next();   // the window is hidden: nothing to announce
    QCOMPARE(announcements(), QStringList{});

    QStringList saidOnSteps;
    QStringList saidOnOpening{QStringLiteral("(not opened)")};
    QString secondTitle;
    QString lastTitle;
    onceModalIsUp<TForm2>(this, [&](TForm2 *form2) {
        const auto closing = qScopeGuard([form2] {
            seenEvents.clear();
            form2->close();
        });
        saidOnOpening = announcements();
        // Each announcement is read as it comes, before the next step renames the notification.
        seenEvents.clear();
        form2->findChild<QPushButton *>(QStringLiteral("Next"))->click();
        secondTitle = query->fieldText(QStringLiteral("CIM"));
        saidOnSteps << announcements();
        seenEvents.clear();
        form2->findChild<QPushButton *>(QStringLiteral("Last"))->click();
        lastTitle = query->fieldText(QStringLiteral("CIM"));
        saidOnSteps << announcements();
    });
    seenEvents.clear();
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->currentIndex()).center());
    QCOMPARE(saidOnSteps, (QStringList{secondTitle, lastTitle}));
    QVERIFY(!secondTitle.isEmpty() && secondTitle != lastTitle);
    // Opening and closing announce nothing: the focus says the title then.
    QCOMPARE(saidOnOpening, QStringList{});
    QCOMPARE(announcements(), QStringList{});
}

// A cell a screen reader still holds from before a search must not read a record it no longer has.
void tst_Accessibility::gridCellsOfAnEarlierResultGoStale()
{
    QAccessibleInterface *cell = table()->cellAt(50, 0);
    QVERIFY(cell && cell->isValid());
    const QAccessible::Id id = QAccessible::uniqueId(cell);
    search(QStringLiteral("nincs-ilyen-szo-a-versekben"));
    // The reset took the cells of the old result away; the id leads nowhere.
    QVERIFY(!QAccessible::accessibleInterface(id));
    QVERIFY(!table()->cellAt(50, 0));
    m_form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
    QVERIFY(table()->cellAt(50, 0));
    QCOMPARE(table()->cellAt(50, 0)->text(QAccessible::Name), currentRecordOf(*m_form)->value(51, QStringLiteral("CIM")).toString());
}

void tst_Accessibility::gridCellsOnScreenHaveTheirPlace()
{
    const auto query = currentRecordOf(*m_form);
    query->first();
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    QAccessibleTableInterface *t = table();
    QCOMPARE(t->rowCount(), 89);
    // The grid's cells are in the coordinates of its client area, title row included.
    const auto toScreen = [&](const QPoint &client) { return grid()->mapToGlobal(GridGeometry::clientRect(grid()).topLeft() + client); };
    const auto onScreen = [&](int row) { return QRect(toScreen(GridGeometry::cellRect(grid(), row).topLeft()), GridGeometry::cellRect(grid(), row).size()); };
    // What the desktop's bridge reports as showing.
    const auto showing = [](QAccessibleInterface *cell) { return !cell->state().invisible && !cell->state().offscreen; };
    QCOMPARE(t->cellAt(0, 0)->rect(), onScreen(0));
    QCOMPARE(t->cellAt(23, 0)->rect(), onScreen(23));
    QVERIFY(showing(t->cellAt(0, 0)));
    // Below the bottom row: there, but not on screen.
    QVERIFY(!showing(t->cellAt(24, 0)));
    QVERIFY(t->cellAt(24, 0)->rect().isEmpty());

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid());
    const QPoint inThirdRow = toScreen(GridGeometry::cellRect(grid(), 2).center());
    QCOMPARE(iface->childAt(inThirdRow.x(), inThirdRow.y()), t->cellAt(2, 0));
    const QPoint inTitle = toScreen(GridGeometry::cellRect(grid(), GridGeometry::TitleRow).center());
    // Qt's table looks for cells only below its title row: there no record's cell answers.
    QAccessibleInterface *atTitle = iface->childAt(inTitle.x(), inTitle.y());
    QVERIFY(!atTitle || atTitle->role() != QAccessible::Cell);

    // After scrolling, the rows on screen are other records.
    query->setRecNo(60);
    QVERIFY(!showing(t->cellAt(0, 0)));
    QCOMPARE(t->cellAt(59, 0)->rect(), onScreen(grid()->currentLine()));
}

void tst_Accessibility::statusBarPanels()
{
    auto *bar = m_form->findChild<StatusBar *>(QStringLiteral("StatusBar1"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(bar);
    QCOMPARE(iface->childCount(), 2);
    QAccessibleInterface *hints = iface->child(0);
    QAccessibleInterface *clock = iface->child(1);
    QCOMPARE(hints->role(), QAccessible::StaticText);
    QCOMPARE(clock->role(), QAccessible::StaticText);
    QCOMPARE(hints->text(QAccessible::Description), QStringLiteral("Súgó"));
    QCOMPARE(clock->text(QAccessible::Description), QStringLiteral("Dátum és idő"));
    QCOMPARE(hints->parent(), iface);
    QCOMPARE(iface->indexOfChild(clock), 1);
    QCOMPARE(hints->rect(), QRect(bar->mapToGlobal(QPoint(0, 0)), QSize(500, 19)));
    QCOMPARE(clock->rect(), QRect(bar->mapToGlobal(QPoint(500, 0)), QSize(202, 19)));
    const QPoint inClock = bar->mapToGlobal(QPoint(600, 9));
    QCOMPARE(iface->childAt(inClock.x(), inClock.y()), clock);

    const QString before = bar->findChild<QLabel *>(QStringLiteral("StatusPanel0"))->text();
    seenEvents.clear();
    bar->setPanelText(0, QStringLiteral("Program használatásan befejezése ?"));
    QCOMPARE(hints->text(QAccessible::Name), QStringLiteral("Program használatásan befejezése ?"));
    QVERIFY(sawEvent(QAccessible::NameChanged, hints->object()));
    bar->setPanelText(1, QStringLiteral("2026. 12. 10. 14:30:00"));
    QCOMPARE(clock->text(QAccessible::Name), QStringLiteral("2026. 12. 10. 14:30:00"));
    QVERIFY(sawEvent(QAccessible::NameChanged, clock->object()));
    bar->setPanelText(0, before);
}

int main(int argc, char *argv[])
{
    TorneviApplication::prepare();
    TorneviApplication app(argc, argv);
    tst_Accessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Accessibility.moc"
