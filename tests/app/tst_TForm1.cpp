#include "CurrentRecord.h"
#include "GridGeometry.h"
#include "DbActivity.h"
#include "FixtureDb.h"
#include "PoemQuery.h"
#include "ProgramInFreshDirectory.h"
#include "SqliteConnection.h"
#include "StatusBar.h"
#include "TorneviApplication.h"
#include "DbGrid.h"
#include "DbNavigator.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QDataWidgetMapper>
#include <QHeaderView>
#include <QDir>
#include <stdexcept>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextDocument>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTest>
#include <QTimer>

namespace {
// Wayland lets no client place its own windows: there the compositor centres them, or not.
bool placesItsOwnWindows()
{
    return QGuiApplication::platformName() != QLatin1String("wayland");
}
} // namespace

// The main window as the user first meets it, the default error report and the wait pointer.
class tst_TForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowSettings();
    void programIconSizes_data();
    void programIconSizes();
    void pagesAndStatusBar_data();
    void pagesAndStatusBar();
    void startupShowsTheListWithEveryPoem();
    void pageSwitching_data();
    void pageSwitching();
    void listGridIsBoundToTheTitles();
    void errorsAHandlerLetsThroughAreReported_data();
    void errorsAHandlerLetsThroughAreReported();
    void waitPointerDuringDatabaseWork();
    void doubleClickOpensTheRowsPoem_data();
    void doubleClickOpensTheRowsPoem();
    void listFollowsTheNavigator();
    void oneCurrentRecordEverywhere_data();
    void oneCurrentRecordEverywhere();
    void framesAreCentredInTheWorkArea();
    void menuBarAndDropDownInThePlatformsMenuFont();
    void windowsAreCompleteBeforeTheFirstInput_data();
    void windowsAreCompleteBeforeTheFirstInput();
    void exitFlows_data();
    void exitFlows();
    void exitChosenInTheOpenMenu_data();
    void exitChosenInTheOpenMenu();
    void noExitWhileTheDetailWindowIsOpen();
    void screenshotOfTheListPage();
    void sessionEndEndsAtOnce();   // last: the application stays in its ending state

private:
    // Answers the next message box and returns its text, icon and caption.
    void answerNextMessage();
    QString m_lastMessage;
    QString m_lastCaption;
    QMessageBox::Icon m_lastIcon = QMessageBox::NoIcon;
    std::unique_ptr<ProgramInFreshDirectory> m_program;
    // Every request to end since the suite's program was made.
    std::unique_ptr<QSignalSpy> m_ends;
    TForm1 *m_form = nullptr;
    TForm2 *m_form2 = nullptr;
};

void tst_TForm1::initTestCase()
{
    m_ends = std::make_unique<QSignalSpy>(TorneviApplication::instance(), &TorneviApplication::endRequested);
    m_program = std::make_unique<ProgramInFreshDirectory>();
    m_form = &m_program->windows().form1();
    m_form2 = &m_program->windows().form2();
}

void tst_TForm1::cleanupTestCase()
{
    m_program.reset();
}

void tst_TForm1::answerNextMessage()
{
    QTimer::singleShot(0, this, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return answerNextMessage();
        m_lastMessage = box->text();
        m_lastCaption = box->windowTitle();
        m_lastIcon = box->icon();
        box->defaultButton()->click();
    });
}

// The icon decodes its files only when a size is asked for; what it hands out is still the
// image of the best fitting file, scaled down where no file has the size.
void tst_TForm1::programIconSizes_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<int>("file");
    QTest::addColumn<QSize>("given");
    QTest::newRow("exact 16") << QSize(16, 16) << 16 << QSize(16, 16);
    QTest::newRow("exact 256") << QSize(256, 256) << 256 << QSize(256, 256);
    QTest::newRow("between sizes: next larger, scaled down") << QSize(24, 24) << 32 << QSize(24, 24);
    QTest::newRow("above the largest: largest, not enlarged") << QSize(512, 512) << 256 << QSize(256, 256);
}

void tst_TForm1::programIconSizes()
{
    QFETCH(QSize, asked);
    QFETCH(int, file);
    QFETCH(QSize, given);
    const QIcon icon = m_form->windowIcon();
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    QCOMPARE(icon.actualSize(asked), given);
    const QImage image = icon.pixmap(asked).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), given);
    const QImage source = QImage(QStringLiteral(":/icons/mainicon_%1.png").arg(file)).convertToFormat(QImage::Format_ARGB32);
    // A scaled image is compared by its middle pixel only: the scaling filter is Qt's business.
    if (source.size() == given)
        QCOMPARE(image, source);
    else
        QCOMPARE(QColor(image.pixel(given.width() / 2, given.height() / 2)).alpha() > 0,
                 QColor(source.pixel(source.width() / 2, source.height() / 2)).alpha() > 0);
}

void tst_TForm1::windowSettings()
{
    TForm1 &f = *m_form;
    QCOMPARE(f.objectName(), QStringLiteral("Form1"));
    QCOMPARE(f.windowTitle(), QStringLiteral("Tornevi Ubrel összes költeménye:"));
    // The client area: the pages' area with the window's status bar under it.
    QCOMPARE(f.centralWidget()->size() + QSize(0, f.statusBar()->height()), QSize(702, 549));
    f.show(); // runs the start-up sequence once
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(f.minimumSize(), f.maximumSize()); // fixed border
    QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(f.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(f.font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(f.font().pixelSize(), 11);
    QVERIFY(!f.windowIcon().isNull());
    QCOMPARE(f.windowIcon().availableSizes().size(), 6);

    if (placesItsOwnWindows()) {
        const QRect area = f.screen()->availableGeometry();
        const QRect frame = f.frameGeometry();
        QVERIFY(frame.left() >= area.left() && frame.top() >= area.top());
        QVERIFY(qAbs((frame.center() - area.center()).x()) <= 1);
    }
}

namespace {
// Runs `inspect` once the modal detail window is up, then closes it.
void whileDetailWindowIsOpen(TForm2 *form2, const std::function<void()> &inspect)
{
    QTimer::singleShot(0, form2, [form2, inspect] {
        if (!form2->isVisible() || QApplication::activeModalWidget() != form2)
            return whileDetailWindowIsOpen(form2, inspect);
        inspect();
        form2->close();
    });
}
} // namespace

namespace {
// Largest distance, either way, between the frame's centre and the work area's centre.
int offCentre(const QWidget *window)
{
    const QRect area = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    // Twice the centres, so odd and even sizes compare exactly.
    const int dx = (frame.left() + frame.right()) - (area.left() + area.right());
    const int dy = (frame.top() + frame.bottom()) - (area.top() + area.bottom());
    return (std::max(std::abs(dx), std::abs(dy)) + 1) / 2;
}
} // namespace

// Under a window manager the frame, title bar included, is what must sit in the middle.
void tst_TForm1::framesAreCentredInTheWorkArea()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    for (int showing = 1; showing <= 2; ++showing) {
        if (showing == 2) {
            m_form->hide();
            m_form->move(m_form->screen()->availableGeometry().topLeft());
            m_form->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_form));
        }
        QTRY_VERIFY2_WITH_TIMEOUT(offCentre(m_form) <= 1, qPrintable(QStringLiteral("main window, showing %1: %2 px off")
                                                                        .arg(showing).arg(offCentre(m_form))), 3000);
    }
    for (int showing = 1; showing <= 2; ++showing) {
        int off = -1;
        whileDetailWindowIsOpen(m_form2, [&] {
            static_cast<void>(QTest::qWaitFor([&] { return offCentre(m_form2) <= 1; }, 3000));
            off = offCentre(m_form2);
            m_form2->move(m_form2->screen()->availableGeometry().topLeft()); // the user drags it aside
        });
        m_form->DBGrid1DblClick();
        QVERIFY2(off >= 0 && off <= 1, qPrintable(QStringLiteral("detail window, showing %1: %2 px off").arg(showing).arg(off)));
    }
}

// The menu is the platform's, not part of the form: the bar and the open drop-down draw their
// captions in one font, the platform's menu font, not the window's Tahoma.
void tst_TForm1::menuBarAndDropDownInThePlatformsMenuFont()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QMenuBar *bar = m_form->menuBar();
    auto *menu = m_form->findChild<QMenu *>(QStringLiteral("Lehetsgek1"));
    const QPoint title = bar->actionGeometry(menu->menuAction()).center();
    QTest::mouseClick(bar, Qt::LeftButton, {}, title);
    QTRY_VERIFY(menu->isVisible());
    const QFontInfo inBar(bar->font());
    const QFontInfo inMenu(menu->font());
    const QFontInfo platform(QApplication::font("QMenu"));
    menu->close();
    QTRY_VERIFY(!menu->isVisible());
    if (bar->activeAction())
        QTest::keyClick(bar, Qt::Key_Escape);

    QCOMPARE(inBar.family(), inMenu.family());
    QCOMPARE(inBar.pixelSize(), inMenu.pixelSize());
    QCOMPARE(inBar.bold(), inMenu.bold());
    QCOMPARE(inMenu.family(), platform.family());
    QCOMPARE(inMenu.pixelSize(), platform.pixelSize());
    QVERIFY(inBar.family() != QStringLiteral("Tahoma") || inBar.pixelSize() != 11);
    // The captions are laid out in it: the bar's item is as wide as its caption in that font.
    QVERIFY(bar->actionGeometry(menu->menuAction()).width()
            > QFontMetrics(bar->font()).horizontalAdvance(menu->title()));
}

namespace {
// What panel 0 of a status bar shows.
QString hintPanelText(const StatusBar *bar)
{
    return bar->findChild<QLabel *>(QStringLiteral("StatusPanel0"))->text();
}

// Where a control lies in its parent; the main window's own status bar is placed in the client
// area under the menu bar, as the other controls are.
QRect placement(const QWidget *w)
{
    const auto *window = qobject_cast<const QMainWindow *>(w->parentWidget());
    return window ? w->geometry().translated(0, -window->menuWidget()->height()) : w->geometry();
}
} // namespace

void tst_TForm1::pagesAndStatusBar_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("page control") << "PageControl1" << QRect(8, 8, 681, 514);
    QTest::newRow("status bar") << "StatusBar1" << QRect(0, 530, 702, 19);
    QTest::newRow("phrase box") << "Edit1" << QRect(48, 99, 569, 21);
    QTest::newRow("search button") << "BitBtn1" << QRect(48, 144, 569, 25);
    QTest::newRow("reset button") << "BitBtn2" << QRect(48, 400, 569, 25);
}

void tst_TForm1::pagesAndStatusBar()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    auto *w = m_form->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(placement(w), geometry);

    auto *pages = m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QCOMPARE(pages->count(), 3);
    const QStringList captions = {QStringLiteral("Lexikon"), QStringLiteral("Keresés"), QStringLiteral("Bemutatkozás")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(pages->tabText(i), captions.at(i));
        QCOMPARE(pages->widget(i)->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
        QVERIFY(pages->tabIcon(i).isNull());
    }
    auto *status = m_form->findChild<StatusBar *>(QStringLiteral("StatusBar1"));
    QCOMPARE(hintPanelText(status), QString());
}

void tst_TForm1::startupShowsTheListWithEveryPoem()
{
    TForm1 &f = *m_form;
    QVERIFY(f.isVisible());
    QCOMPARE(f.findChild<PoemStore *>()->workingDirectory(), QDir::toNativeSeparators(m_program->directory().path()));
    QVERIFY(QFile::exists(m_program->directory().filePath(QStringLiteral("Tornevi.db"))));
    QCOMPARE(f.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), 0);
    QCOMPARE(f.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), QString());
    QCOMPARE(f.findChild<QLabel *>(QStringLiteral("Label12"))->text(), QStringLiteral("89"));
    QVERIFY(f.findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->isOpen());
    QCOMPARE(currentRecordOf(f)->fieldValue(QStringLiteral("AZ")).toInt(), 782);
    QVERIFY(f.recordCursor()->bof());
    QVERIFY(!f.recordCursor()->eof());
    QCOMPARE(m_ends->count(), 0);

    // The user meets the row of tabs first, so no grid cell is highlighted yet.
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QVERIFY2(qobject_cast<QTabBar *>(QApplication::focusWidget()),
             QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
}

// The window, not the grid, names the column's field and title and the grid's hint.
void tst_TForm1::listGridIsBoundToTheTitles()
{
    auto *grid = m_form->findChild<DbGrid *>(QStringLiteral("DBGrid1"));
    QVERIFY(grid);
    // Its rows are the poem query's records, and its selection is the window's current record.
    QCOMPARE(grid->recordCursor(), m_form->recordCursor());
    QCOMPARE(grid->selectionModel(), m_form->recordCursor()->selectionModel());
    QCOMPARE(grid->fieldName(), QStringLiteral("CIM"));
    QCOMPARE(grid->titleText(), QStringLiteral("Cím"));
    QCOMPARE(grid->toolTip(), QStringLiteral("Dupla klikk: megtekintés."));
    QCOMPARE(grid->statusTip(), QStringLiteral("Dupla klikk: aktuális tétel megtekintése."));
}

namespace {
class Thrower : public QObject
{
public:
    QString message;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error(message.toStdString());
        return QObject::event(e);
    }
};
} // namespace

void tst_TForm1::errorsAHandlerLetsThroughAreReported_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("event handler") << "no such table: tbl_Data" << "no such table: tbl_Data.";
    QTest::newRow("message ending in a stop") << "LIKE or GLOB pattern too complex."
                                              << "LIKE or GLOB pattern too complex.";
}

void tst_TForm1::errorsAHandlerLetsThroughAreReported()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    m_lastMessage.clear();
    Thrower thrower;
    thrower.message = message;
    answerNextMessage();
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTRY_COMPARE(m_lastMessage, shown);
    QCOMPARE(m_lastCaption, TorneviApplication::instance()->title());
    QCOMPARE(m_lastIcon, QMessageBox::Critical);
}

void tst_TForm1::waitPointerDuringDatabaseWork()
{
    const auto query = currentRecordOf(*m_form);
    QTRY_VERIFY(!QGuiApplication::overrideCursor());

    query->close();
    query->open();
    // Still set when the work is over: it goes only once the event loop has run 50 ms later.
    const QCursor *cursor = QGuiApplication::overrideCursor();
    QVERIFY(cursor);
    QCOMPARE(cursor->pixmap().size(), QSize(32, 32));
    QCOMPARE(cursor->hotSpot(), QPoint(0, 0));
    QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::overrideCursor(), 2000);

    // A pointer that is already set is left alone, and the reset clears it.
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    query->last();
    query->close();
    query->open();
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::overrideCursor(), 2000);
}


void tst_TForm1::doubleClickOpensTheRowsPoem_data()
{
    QTest::addColumn<int>("startRecord");
    QTest::addColumn<int>("clickRow");   // grid row index, or GridGeometry::TitleRow
    QTest::addColumn<int>("shownRecord");
    QTest::newRow("third row") << 1 << 2 << 3;
    QTest::newRow("bottom row after scrolling") << 40 << 23 << 40;
    QTest::newRow("title row keeps the current record") << 10 << int(GridGeometry::TitleRow) << 10;
}

void tst_TForm1::doubleClickOpensTheRowsPoem()
{
    QFETCH(int, startRecord);
    QFETCH(int, clickRow);
    QFETCH(int, shownRecord);
    auto *grid = m_form->findChild<DbGrid *>(QStringLiteral("DBGrid1"));
    // The pointer reaches the grid only with the list page in front.
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->findChild<QAction *>(QStringLiteral("Lexikon1"))->trigger();
    const auto query = currentRecordOf(*m_form);
    query->first();
    query->setRecNo(startRecord);
    QApplication::processEvents();

    const QPoint at = clickRow == GridGeometry::TitleRow ? GridGeometry::cellRect(grid, GridGeometry::TitleRow).center()
                                                    : GridGeometry::cellRect(grid, clickRow).center();
    QString title, text, caption;
    int line = -1;
    bool photoEnabled = true, readerEnabled = true;
    QRect frame;
    whileDetailWindowIsOpen(m_form2, [&] {
        title = m_form2->findChild<QLabel *>(QStringLiteral("Label1"))->text();
        auto *memo = m_form2->findChild<QTextEdit *>(QStringLiteral("Memo1"));
        // The raw text keeps the no-break spaces that plain-text export turns into blanks.
        text = memo->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        line = memo->verticalScrollBar()->value();
        photoEnabled = m_form2->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->isEnabled();
        readerEnabled = m_form2->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->isEnabled();
        frame = m_form2->frameGeometry();
        caption = m_form2->windowTitle();
    });
    // A double click through the window: press, release, press again (the window opens), release.
    QTest::mouseDClick(m_form->windowHandle(), Qt::LeftButton, {},
                       grid->mapTo(m_form, GridGeometry::clientRect(grid).topLeft() + at));
    QVERIFY(!m_form2->isVisible());

    QCOMPARE(query->recNo(), shownRecord);
    QCOMPARE(title, query->fieldText(QStringLiteral("CIM")));
    QCOMPARE(text, query->fieldText(QStringLiteral("VERS")).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(line, 0);
    QCOMPARE(caption, QStringLiteral(" Találat:"));
    QVERIFY(!photoEnabled);
    QVERIFY(!readerEnabled);
    const QRect area = m_form2->screen()->availableGeometry();
    if (placesItsOwnWindows())
        QVERIFY2(qAbs(frame.center().x() - area.center().x()) <= 1, "not centred at this showing");
    // Moved away between showings: the next showing is centred again (the data rows repeat it).
    m_form2->move(area.topLeft());
}

void tst_TForm1::listFollowsTheNavigator()
{
    auto *grid = m_form->findChild<DbGrid *>(QStringLiteral("DBGrid1"));
    const auto query = currentRecordOf(*m_form);
    query->first();
    QList<int> rows;
    bool mainBlocked = false;
    whileDetailWindowIsOpen(m_form2, [&] {
        auto *nav = m_form2->findChild<DbNavigator *>(QStringLiteral("DBNavigator1"));
        // Application-modal: every other window of the program, the main one included, takes no input.
        mainBlocked = QApplication::activeModalWidget() == m_form2
                      && QGuiApplication::modalWindow() == m_form2->windowHandle()
                      && m_form2->windowModality() == Qt::ApplicationModal;
        for (const char *name : {"Next", "Next", "Last", "Prior", "First"}) {
            QPushButton *button = nav->findChild<QPushButton *>(QLatin1String(name));
            QTest::mouseClick(button, Qt::LeftButton);
            rows << query->recNo() << (grid->topRow() + 1) + grid->currentLine();
        }
    });
    m_form->DBGrid1DblClick();
    QVERIFY(mainBlocked);
    // Each step: the query's position, then the record the grid's indicator stands on.
    QCOMPARE(rows, (QList<int>{2, 2, 3, 3, 89, 89, 88, 88, 1, 1}));
    QCOMPARE((grid->topRow() + 1), 1);
}

void tst_TForm1::oneCurrentRecordEverywhere_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<QString>("buttons");   // the navigator's enabled buttons, "-" for a disabled one

    QTest::newRow("grid: Down key") << "Down" << 2 << "FPNL";
    QTest::newRow("grid: End key") << "End" << 89 << "FP--";
    QTest::newRow("grid: click on the fifth line") << "click" << 5 << "FPNL";
    QTest::newRow("navigator: Next") << "Next" << 2 << "FPNL";
    QTest::newRow("navigator: Last") << "Last" << 89 << "FP--";
    QTest::newRow("navigator: Next, First") << "Next First" << 1 << "--NL";
    QTest::newRow("the selection the detail window follows") << "select 40" << 40 << "FPNL";
}

// The grid, the navigator and the detail window show one current record: moved through any of
// them, it reads the same through the other two.
void tst_TForm1::oneCurrentRecordEverywhere()
{
    QFETCH(QString, how);
    QFETCH(int, recNo);
    QFETCH(QString, buttons);
    auto *grid = m_form->findChild<DbGrid *>(QStringLiteral("DBGrid1"));
    auto *nav = m_form2->findChild<DbNavigator *>(QStringLiteral("DBNavigator1"));
    auto *title = m_form2->findChild<QLabel *>(QStringLiteral("Label1"));
    auto *mapper = m_form2->findChild<QDataWidgetMapper *>(QStringLiteral("BindSourceDB1"));
    QVERIFY(grid && nav && title && mapper);
    // The main window's list page, the first record current, the grid focused.
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QTest::keyClick(grid, Qt::Key_Home);
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    QCOMPARE(grid->currentIndex().row(), 0);

    const QStringList steps = how.split(QLatin1Char(' '));
    if (steps.first() == QLatin1String("Down") || steps.first() == QLatin1String("End")) {
        QTest::keyClick(grid, steps.first() == QLatin1String("Down") ? Qt::Key_Down : Qt::Key_End);
    } else if (steps.first() == QLatin1String("click")) {
        const QRect cell = GridGeometry::cellRect(grid, 4);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          cell.center() - QPoint(grid->verticalHeader()->width(), grid->horizontalHeader()->height()));
    } else if (steps.first() == QLatin1String("select")) {
        grid->selectionModel()->setCurrentIndex(grid->model()->index(steps.last().toInt() - 1, 0),
                                                QItemSelectionModel::ClearAndSelect);
    } else {
        whileDetailWindowIsOpen(m_form2, [&] {
            for (const QString &button : steps)
                QTest::mouseClick(nav->findChild<QPushButton *>(button), Qt::LeftButton);
        });
        m_form->DBGrid1DblClick();
    }

    // The grid: its current cell and the indicator's line.
    QCOMPARE(grid->currentIndex().row() + 1, recNo);
    QCOMPARE(grid->topRow() + grid->currentLine() + 1, recNo);
    // The navigator: its buttons follow the same record's flags.
    QString enabled;
    for (const char *name : {"First", "Prior", "Next", "Last"})
        enabled += nav->findChild<QPushButton *>(QLatin1String(name))->isEnabled() ? QLatin1Char(name[0]) : QLatin1Char('-');
    QCOMPARE(enabled, buttons);
    // The detail window: its mapper's row and the title it shows.
    QCOMPARE(mapper->currentIndex() + 1, recNo);
    QCOMPARE(title->text(), grid->model()->index(recNo - 1, 0).data().toString());
    QVERIFY(!title->text().isEmpty());
}

void tst_TForm1::pageSwitching_data()
{
    QTest::addColumn<int>("startPage");
    QTest::addColumn<QString>("focusBefore");   // object name, "tabs" for the row of tabs
    QTest::addColumn<QString>("how");           // a menu item's name, or "Ctrl+Tab" / "Ctrl+Shift+Tab"
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("focusAfter");    // object name, "tabs", or a page's name

    QTest::newRow("menu from the tabs: focus stays") << 0 << "tabs" << "Keress1" << 1 << "tabs";
    QTest::newRow("menu from the grid: first control of the search page") << 0 << "DBGrid1" << "Keress1" << 1 << "Edit1";
    QTest::newRow("menu from a later control: still the first one") << 1 << "BitBtn2" << "Lexikon1" << 0 << "DBGrid1";
    QTest::newRow("menu to a page without controls: the page itself") << 1 << "BitBtn1" << "Bemutatkozs1" << 2 << "TabSheet3";
    QTest::newRow("menu to the page in front changes nothing") << 1 << "BitBtn2" << "Keress1" << 1 << "BitBtn2";
    QTest::newRow("Ctrl+Tab from the grid") << 0 << "DBGrid1" << "Ctrl+Tab" << 1 << "Edit1";
    QTest::newRow("Ctrl+Tab wraps to the first page") << 2 << "TabSheet3" << "Ctrl+Tab" << 0 << "DBGrid1";
    QTest::newRow("Ctrl+Shift+Tab wraps to the last page") << 0 << "DBGrid1" << "Ctrl+Shift+Tab" << 2 << "TabSheet3";
    QTest::newRow("Ctrl+Tab on the tabs") << 0 << "tabs" << "Ctrl+Tab" << 1 << "tabs";
}

void tst_TForm1::pageSwitching()
{
    QFETCH(int, startPage);
    QFETCH(QString, focusBefore);
    QFETCH(QString, how);
    QFETCH(int, page);
    QFETCH(QString, focusAfter);
    auto *pages = m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    const auto widget = [&](const QString &name) -> QWidget * {
        return name == QLatin1String("tabs") ? pages->findChild<QTabBar *>() : m_form->findChild<QWidget *>(name);
    };
    m_form->show();
    const auto query = currentRecordOf(*m_form);
    query->first();
    query->setRecNo(5);
    // Offscreen, activation stays with the hidden detail window until asked for.
    m_form->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), m_form);
    pages->setCurrentIndex(startPage);
    widget(focusBefore)->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), widget(focusBefore));

    if (how.startsWith(QLatin1String("Ctrl")))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                        how.contains(QLatin1String("Shift")) ? Qt::ControlModifier | Qt::ShiftModifier
                                                              : Qt::ControlModifier);
    else
        m_form->findChild<QAction *>(how)->trigger();

    QCOMPARE(pages->currentIndex(), page);
    QCOMPARE(QApplication::focusWidget(), widget(focusAfter));
    QCOMPARE(query->recNo(), 5);   // switching pages moves no record
}

namespace {
struct ExitQuestion
{
    int asked = 0;
    QString panelWhileAsked;
    QString caption, text, buttons, defaultButton;
    QMessageBox::Icon icon = QMessageBox::Information;
    bool ownedByMainWindow = false;
};

// Answers every message box that comes up with `answer`, noting what it showed. The panel is
// read once the box's own loop has been idle for a while, as a user would read it.
void answerQuestions(ExitQuestion *seen, QMessageBox::StandardButton answer, TForm1 *form, QObject *context)
{
    QTimer::singleShot(0, context, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return answerQuestions(seen, answer, form, context);
        ++seen->asked;
        QEventLoop settle;
        QTimer::singleShot(100, &settle, &QEventLoop::quit);
        settle.exec();
        seen->panelWhileAsked = hintPanelText(form->findChild<StatusBar *>(QStringLiteral("StatusBar1")));
        seen->caption = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        QStringList buttons;
        for (QAbstractButton *b : box->buttons())
            buttons << QString::number(int(box->standardButton(b)), 16);
        seen->buttons = buttons.join(QLatin1Char(','));
        seen->defaultButton = QString::number(int(box->standardButton(box->defaultButton())), 16);
        seen->ownedByMainWindow = box->parentWidget() == form;
        box->button(answer)->click();
    });
}
} // namespace

void tst_TForm1::exitFlows_data()
{
    QTest::addColumn<QString>("flow");   // "menu" (Kilépés) or "close" (the close box)
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("copyGoneBefore");

    QTest::newRow("Kilépés, No") << "menu" << false << false;
    QTest::newRow("Kilépés, Yes") << "menu" << true << false;
    QTest::newRow("Kilépés, Yes, copy already gone") << "menu" << true << true;
    QTest::newRow("close box, No") << "close" << false << false;
    QTest::newRow("close box, Yes") << "close" << true << false;
    QTest::newRow("close box, Yes, copy already gone") << "close" << true << true;
}

void tst_TForm1::windowsAreCompleteBeforeTheFirstInput_data()
{
    QTest::addColumn<QString>("first");
    QTest::newRow("the first frame painted") << "frame";
    QTest::newRow("a key pressed before it") << "key";
    QTest::newRow("a click before it") << "click";
    QTest::newRow("the detail window asked for") << "asked";
}

// What the first frame does not show may come after it, but it is there, hidden, with its object
// names and following the current record, before anything the user does reaches the program.
void tst_TForm1::windowsAreCompleteBeforeTheFirstInput()
{
    QFETCH(QString, first);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    ProgramWindows windows;
    TForm1 &form = windows.form1();
    const auto detail = [&form] { return form.findChild<QDialog *>(QStringLiteral("Form2")); };
    if (first == QLatin1String("frame")) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(detail());
    } else if (first == QLatin1String("key")) {
        QTest::keyClick(&form, Qt::Key_Shift);
    } else if (first == QLatin1String("click")) {
        QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(1, 1));
    } else {
        static_cast<void>(windows.form2());
    }
    QDialog *form2 = detail();
    QVERIFY(form2);
    QVERIFY(!form2->isVisible());
    QVERIFY(form2->isWindow());
    QCOMPARE(&windows.form2(), form2);
    for (const char *name : {"Label1", "Memo1", "BitBtn1", "BitBtn2", "DBNavigator1", "BindSourceDB1"})
        QVERIFY2(form2->findChild<QObject *>(QLatin1String(name)), name);
    // The hidden pages' controls, as the page control's tabs lead to them.
    for (const char *name : {"Label10", "Edit1", "Label11", "Label12", "BitBtn1", "BitBtn2"})
        QVERIFY2(form.findChild<QWidget *>(QStringLiteral("TabSheet2"))->findChild<QWidget *>(QLatin1String(name)), name);
    for (const char *name : {"Label1", "Label2", "Label5", "Label9", "Label13"})
        QVERIFY2(form.findChild<QWidget *>(QStringLiteral("TabSheet3"))->findChild<QWidget *>(QLatin1String(name)), name);
    if (form.isVisible()) {
        const QModelIndex current = form.recordCursor()->selectionModel()->currentIndex();
        QCOMPARE(form2->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
                 current.siblingAtColumn(0).data().toString());
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("Label12"))->text(), QStringLiteral("89"));
        QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), QString());
    }
    QDir::setCurrent(m_program->directory().path());
}

// Each case runs on windows of its own, started in a directory of its own.
void tst_TForm1::exitFlows()
{
    QFETCH(QString, flow);
    QFETCH(bool, yes);
    QFETCH(bool, copyGoneBefore);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    ProgramWindows windows;
    TForm1 &form = windows.form1();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The copy lives where the program started, wherever we are now.
    QDir::setCurrent(m_program->directory().path());
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    QVERIFY(QFile::exists(copy));
    if (copyGoneBefore)
        QVERIFY(QFile::remove(copy));
    auto *pages = form.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(1);
    form.recordCursor()->moveToRow(6);

    QSignalSpy ends(TorneviApplication::instance(), &TorneviApplication::endRequested);
    QSignalSpy queryStates(form.findChild<PoemQuery *>(QStringLiteral("FDQuery1")), &PoemQuery::stateChanged);
    ExitQuestion seen;
    answerQuestions(&seen, yes ? QMessageBox::Yes : QMessageBox::No, &form, &form);
    if (flow == QLatin1String("menu"))
        form.findChild<QAction *>(QStringLiteral("Kilps1"))->trigger();
    else
        QCOMPARE(form.close(), yes);

    QCOMPARE(seen.asked, 1);
    QCOMPARE(seen.panelWhileAsked, QStringLiteral("Program használatásan befejezése ?"));
    QCOMPARE(seen.caption, QStringLiteral("Figyelem:"));
    QCOMPARE(seen.text, QStringLiteral("Biztosan be kívánja fejezni a program használatát ?"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QStringLiteral("%1,%2").arg(int(QMessageBox::Yes), 0, 16).arg(int(QMessageBox::No), 0, 16));
    QCOMPARE(seen.defaultButton, QString::number(int(QMessageBox::Yes), 16));
    QVERIFY(seen.ownedByMainWindow);
    QCOMPARE(hintPanelText(form.findChild<StatusBar *>(QStringLiteral("StatusBar1"))), QString());

    if (yes) {
        QVERIFY(!form.findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->isOpen());
        QCOMPARE(queryStates.count(), 1);
        QVERIFY(!form.findChild<SqliteConnection *>(QStringLiteral("FDConnection1"))->isOpen());
        QVERIFY(!QFile::exists(copy));
        QCOMPARE(ends.count(), 1);
    } else {
        QVERIFY(form.findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->isOpen());
        QCOMPARE((form.recordCursor()->row() + 1), 7);
        QCOMPARE(pages->currentIndex(), 1);
        QVERIFY(form.findChild<SqliteConnection *>(QStringLiteral("FDConnection1"))->isOpen());
        QVERIFY(QFile::exists(copy));
        QCOMPARE(ends.count(), 0);
        QVERIFY(form.isVisible());
    }
    // No second question, whatever comes after.
    QTest::qWait(50);
    QCOMPARE(seen.asked, 1);
}

namespace {
// The application hint follows the menu each time the event loop is about to wait, which
// QTest::qWait never lets it do: this wait runs a real loop.
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Lets the loop idle until `done` holds; false if it never does.
bool idleUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < timeoutMs)
        idle(20);
    return done();
}
} // namespace

void tst_TForm1::exitChosenInTheOpenMenu_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("mouse: open the menu, click Kilépés") << "mouse";
    QTest::newRow("keyboard: Alt, Down opens, Up wraps to Kilépés, Enter") << "keyboard";
    QTest::newRow("keyboard: F10 opens, Up wraps to Kilépés, Enter") << "F10";
}

// Chosen from the open drop-down, as a user does, with the loop idling while the menu is up:
// the menu's closing has taken effect before the question is asked, so the status text stays.
void tst_TForm1::exitChosenInTheOpenMenu()
{
    QFETCH(QString, way);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    ProgramWindows windows;
    TForm1 &form = windows.form1();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QDir::setCurrent(m_program->directory().path());
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto *status = form.findChild<StatusBar *>(QStringLiteral("StatusBar1"));
    QMenuBar *bar = form.menuBar();
    auto *menu = form.findChild<QMenu *>(QStringLiteral("Lehetsgek1"));
    auto *exit = form.findChild<QAction *>(QStringLiteral("Kilps1"));

    ExitQuestion seen;
    answerQuestions(&seen, QMessageBox::No, &form, &form);
    if (way == QLatin1String("mouse")) {
        const QPoint title = bar->actionGeometry(menu->menuAction()).center();
        QTest::mouseMove(bar, title);
        QTest::mouseClick(bar, Qt::LeftButton, {}, title);
        QTRY_VERIFY(menu->isVisible());
        idle(50);
        QTest::mouseMove(menu, menu->actionGeometry(exit).center());
        QVERIFY(idleUntil([&] { return hintPanelText(status) == QStringLiteral("Program hasznáéatának befejezése !"); }));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(exit).center());
    } else {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        if (way == QLatin1String("F10")) {
            QTest::keyClick(focus, Qt::Key_F10);
            QTRY_VERIFY(menu->isVisible());
            QVERIFY(idleUntil([&] { return hintPanelText(status) == QStringLiteral("Kérem válasszon !"); }));
            QCOMPARE(bar->activeAction(), menu->menuAction());
        } else {
            QTest::keyClick(focus, Qt::Key_Alt, Qt::AltModifier);
            QVERIFY(idleUntil([&] { return bar->activeAction() == menu->menuAction(); }));
            QTest::keyClick(bar, Qt::Key_Down);
            QTRY_VERIFY(menu->isVisible());
        }
        idle(50);
        QTest::keyClick(menu, Qt::Key_Up);
        QVERIFY(idleUntil([&] { return hintPanelText(status) == QStringLiteral("Program hasznáéatának befejezése !"); }));
        QCOMPARE(menu->activeAction(), exit);
        QTest::keyClick(menu, Qt::Key_Return);
    }
    QTRY_COMPARE(seen.asked, 1);
    QCOMPARE(seen.panelWhileAsked, QStringLiteral("Program használatásan befejezése ?"));
    QCOMPARE(hintPanelText(status), QString());
    QVERIFY(!menu->isVisible());
    QVERIFY(form.findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->isOpen());
    idle(50);
    QCOMPARE(seen.asked, 1);
    QCOMPARE(hintPanelText(status), QString());
    // Keyboard access needs no accelerator letter: none of the captions carries one.
    QStringList captions{menu->title()};
    for (QAction *item : menu->actions())
        captions << item->text();
    for (const QString &caption : std::as_const(captions)) {
        QVERIFY2(!caption.contains(QLatin1Char('&')), qPrintable(caption));
        QVERIFY2(QKeySequence::mnemonic(caption).isEmpty(), qPrintable(caption));
    }
}

void tst_TForm1::noExitWhileTheDetailWindowIsOpen()
{
    QSignalSpy ends(TorneviApplication::instance(), &TorneviApplication::endRequested);
    int questions = -1;
    whileDetailWindowIsOpen(m_form2, [&] {
        m_form->findChild<QAction *>(QStringLiteral("Kilps1"))->trigger();
        const bool closed = m_form->close();
        questions = closed ? 100 : m_form->findChildren<QMessageBox *>().size();
    });
    m_form->DBGrid1DblClick();
    QCOMPARE(questions, 0);
    QVERIFY(m_form->isVisible());
    QVERIFY(m_form->findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->isOpen());
    QCOMPARE(ends.count(), 0);
}

// Logging off or shutting down: the program goes at once, asks nothing and leaves the copy.
void tst_TForm1::sessionEndEndsAtOnce()
{
    QSignalSpy ends(TorneviApplication::instance(), &TorneviApplication::endRequested);
    TorneviApplication::instance()->endSession();
    QCOMPARE(ends.count(), 1);
    QVERIFY(m_form->close());
    QVERIFY(m_form->findChildren<QMessageBox *>().isEmpty());
    QVERIFY(QFile::exists(m_program->directory().filePath(QStringLiteral("Tornevi.db"))));
    QVERIFY(m_form->findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->isOpen());
}

// Looked at by hand: build/<preset>/test-output/list-page.png (on a real X server only).
void tst_TForm1::screenshotOfTheListPage()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X server (the _xvfb run)");
    m_form->recordCursor()->first();
    m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    m_form->activateWindow();
    QTest::qWait(200);
    QVERIFY(m_form->grab().save(QStringLiteral(TORNEVI_TEST_OUTPUT_DIR "/list-page.png")));

    m_form->recordCursor()->moveToRow(9);
    bool saved = false;
    whileDetailWindowIsOpen(m_form2, [&] {
        QTest::qWait(200);
        saved = m_form2->grab().save(QStringLiteral(TORNEVI_TEST_OUTPUT_DIR "/detail-window.png"));
    });
    m_form->DBGrid1DblClick();
    QVERIFY(saved);
}

int main(int argc, char *argv[])
{
    TorneviApplication app(argc, argv);
    tst_TForm1 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TForm1.moc"
