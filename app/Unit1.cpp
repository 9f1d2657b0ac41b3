#include "Unit1.h"

#include "DeferredIconEngine.h"
#include "PoemQuery.h"
#include "PoemTableModel.h"
#include "RecordCursor.h"
#include "RegionalClock.h"
#include "StatusBar.h"
#include "Tahoma.h"
#include "TitledMessageBox.h"
#include "TorneviApplication.h"
#include "Unit2.h"
#include "WindowCentring.h"
#include "ui_Unit1.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QCloseEvent>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace {
// Sizes are decoded only when the platform asks for them. The files go to the engine before the
// icon takes it: QIcon drops an engine that is still empty.
QIcon programIcon()
{
    auto *engine = new DeferredIconEngine;
    for (int size : {16, 32, 48, 64, 128, 256})
        engine->addFile(QStringLiteral(":/icons/mainicon_%1.png").arg(size), QSize(size, size), QIcon::Normal, QIcon::Off);
    return QIcon(engine);
}

const QString ExitStatusText = QStringLiteral("Program használatásan befejezése ?");

// What the user reads when a start-up step fails; the store's own message is not shown.
QString startupMessage(PoemStore::Step step)
{
    switch (step) {
    case PoemStore::Step::TakeItem:
        return QStringLiteral("Hiba történt - 1 !");
    case PoemStore::Step::WriteCopy:
        return QStringLiteral("Hiba történt - 2 !");
    case PoemStore::Step::FindCopy:
        return QStringLiteral("Nem található az adatállomány !");
    case PoemStore::Step::OpenConnection:
        return QStringLiteral("Adatállomány nem nyitható meg !");
    case PoemStore::Step::OpenQuery:
        return QStringLiteral("Lekérdezés nem hajtható végre !");
    }
    return {};
}
} // namespace

TForm1::TForm1(PoemStore &store, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()), m_store(store)
{
    applyFonts();
    setupWindow();
    // The start-up brings the list page to the front; in front from the start, it spares the
    // page the form leaves in front being made only to be hidden again.
    selectPage(ListPageIndex);
    bindViews();
    connectMenu();
    startClock();
}

TForm1::~TForm1() = default;

void TForm1::setupWindow()
{
    ui->setupUi(this);
    // A form cannot name a separator; the menu's one is N1.
    ui->Lehetsgek1->insertSeparator(ui->Kilps1)->setObjectName(QStringLiteral("N1"));
    // The menu is the platform's: the bar and its drop-down in the platform's menu font, fully
    // resolved so that the window's Tahoma is not inherited over it.
    QFont menuFont = QApplication::font("QMenu");
    menuFont.setResolveMask(QFont::AllPropertiesResolved);
    ui->MainMenu1->setFont(menuFont);
    ui->Lehetsgek1->setFont(menuFont);
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setBackgroundRole(QPalette::Button);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    new WindowCentring(this);
}

// Tahoma is registered when the program starts, so its pixel sizes are set here, not in the form.
// Set before the form makes the children, so none of them is laid out in the default font first.
void TForm1::applyFonts()
{
    setFont(Tahoma::font(11));
}

void TForm1::completePages()
{
    ui->TabSheet2->makeContents();
    ui->TabSheet3->makeContents();
}

void TForm1::bindViews()
{
    m_poemModel = new PoemTableModel(m_store.query(), this);
    // As in Qt's own examples, the grid's selection model is the one current record: the cursor
    // over it comes after the grid has taken the model, and the detail window follows it too.
    ui->DBGrid1->setModel(m_poemModel);
    m_cursor = new RecordCursor(m_poemModel, ui->DBGrid1->selectionModel(), this);
    ui->DBGrid1->setRecordCursor(m_cursor);
    connect(ui->DBGrid1, &DbGrid::doubleClickedAnywhere, this, &TForm1::DBGrid1DblClick);
    ui->TabSheet2->setStore(&m_store);
    connect(ui->TabSheet2, &SearchPage::listPageWanted, this, &TForm1::Lexikon1Click);
    // A move that cannot fetch its rows, or a search the store refuses, goes to the default
    // error report; the views report nothing themselves.
    connect(m_cursor, &RecordCursor::errorOccurred, this, &TForm1::reportError);
    connect(ui->TabSheet2, &SearchPage::requestFailed, this, &TForm1::reportError);
}

void TForm1::reportError(const QString &message)
{
    if (TorneviApplication *app = TorneviApplication::instance())
        app->showError(message);
    else
        qWarning().noquote() << "Error:" << message;
}

void TForm1::connectMenu()
{
    connect(ui->Lexikon1, &QAction::triggered, this, &TForm1::Lexikon1Click);
    connect(ui->Keress1, &QAction::triggered, this, &TForm1::Keress1Click);
    connect(ui->Bemutatkozs1, &QAction::triggered, this, &TForm1::Bemutatkozs1Click);
    connect(ui->Kilps1, &QAction::triggered, this, &TForm1::Kilps1Click);
    // Beside Alt, F10 is the platform's key to the menu bar (on Windows and on GNOME desktops);
    // as there, it opens the first menu. No caption carries an accelerator letter for it.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] { ui->MainMenu1->setActiveAction(ui->Lehetsgek1->menuAction()); });
    // However a page comes to the front (menu, tab, Ctrl+Tab, a search), the focus follows one rule.
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &TForm1::focusFirstControlOfPage);
}

void TForm1::selectPage(int index)
{
    ui->PageControl1->setCurrentIndex(index);
}

// The page control has already taken focus that was on the page left into the new page; there
// it goes to the first control in tab order, or to the page itself when it has none. Focus
// anywhere else (the row of tabs) stays where it is.
void TForm1::focusFirstControlOfPage()
{
    QWidget *page = ui->PageControl1->currentWidget();
    const QWidget *focus = QApplication::focusWidget();
    if (!page || !focus || (focus != page && !page->isAncestorOf(focus)))
        return;
    for (QWidget *w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(page)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    page->setFocus(Qt::OtherFocusReason);
}

void TForm1::Lexikon1Click()
{
    selectPage(ListPageIndex);
}

void TForm1::Keress1Click()
{
    selectPage(SearchPageIndex);
}

void TForm1::Bemutatkozs1Click()
{
    selectPage(AboutPageIndex);
}

bool TForm1::confirmExit()
{
    TitledMessageBox question(QMessageBox::NoIcon, QStringLiteral("Figyelem:"),
                              QStringLiteral("Biztosan be kívánja fejezni a program használatát ?"),
                              QMessageBox::Yes | QMessageBox::No, this);
    question.setDefaultButton(QMessageBox::Yes);
    return question.exec() == QMessageBox::Yes;
}

// Both exit flows ask the same question and, on Yes, close the store and ask the program to end.
// The detail window is modal: while it is up, no flow may start. False on No and then.
bool TForm1::askAndEnd()
{
    if (QApplication::activeModalWidget())
        return false;
    ui->StatusBar1->setPanelText(0, ExitStatusText);
    const bool yes = confirmExit();
    ui->StatusBar1->setPanelText(0, QString());
    if (!yes) {
        takeBackActivation();
        return false;
    }
    m_store.close();
    // From the menu no close handler runs after this, so the question is not asked again; from
    // the close box the main window is closing, which ends the program as well.
    if (TorneviApplication *app = TorneviApplication::instance())
        app->requestEnd();
    return true;
}

// A window manager gives the activation back to the window a closed modal window belonged to,
// but not always (seen with openbox on a loaded machine); asked for here, the focus returns to
// the control that had it in every case.
void TForm1::takeBackActivation()
{
    if (isVisible() && !isActiveWindow())
        activateWindow();
}

void TForm1::Kilps1Click()
{
    askAndEnd();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose(event);
}

void TForm1::FormClose(QCloseEvent *event)
{
    // At the end of the desktop session the program goes at once and leaves everything as it is.
    if (TorneviApplication *app = TorneviApplication::instance(); app && app->isSessionEnding())
        return;
    if (!askAndEnd())
        event->ignore();
}

// Armed with the window; panel 1 stays empty until the first tick, a second later.
void TForm1::startClock()
{
    m_clock = new RegionalClock(this);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1->start();
}

void TForm1::Timer1Timer()
{
    ui->StatusBar1->setPanelText(1, m_clock->text());
}

void TForm1::showApplicationHint(const QString &text)
{
    ui->StatusBar1->setPanelText(0, text);
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
    QMainWindow::showEvent(event);
}

void TForm1::startupFailure(const QString &message)
{
    TorneviApplication *app = TorneviApplication::instance();
    if (!app)
        return;
    app->showStartupMessage(message);
    app->requestEnd();
}

// A failed step shows its message and asks the program to end; the sequence always goes on.
void TForm1::startupStep(PoemStore::Step step)
{
    if (!m_store.perform(step))
        startupFailure(startupMessage(step));
}

void TForm1::FormShow()
{
    v_prdir = m_store.captureWorkingDirectory();

    startupStep(PoemStore::Step::TakeItem);
    startupStep(PoemStore::Step::WriteCopy);
    m_store.releaseItem();
    startupStep(PoemStore::Step::FindCopy);
    startupStep(PoemStore::Step::OpenConnection);
    startupStep(PoemStore::Step::OpenQuery);

    ui->TabSheet2->clearPhrase();
    ui->TabSheet2->showHitCount(0);
    ui->TabSheet2->showHitCount(m_store.query()->recordCount());

    ui->PageControl1->setCurrentIndex(ListPageIndex);
}

void TForm1::DBGrid1DblClick()
{
    TForm2 *form2 = Form2 ? Form2() : nullptr;
    if (!form2)
        return;
    form2->photoButton()->setEnabled(false);
    form2->readAloudButton()->setEnabled(false);
    form2->exec();
    takeBackActivation();
}
