#include "Unit1.h"

#include "PoemQuery.h"
#include "RegionalClock.h"
#include "StatusBar.h"
#include "Tahoma.h"
#include "TorneviApplication.h"
#include "Unit2.h"
#include "WindowCentring.h"
#include "ui_Unit1.h"

#include <QDir>
#include <QIcon>
#include <QLayout>
#include <QPushButton>
#include <QTimer>

namespace {
QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/mainicon_%1.png").arg(size), QSize(size, size));
    return icon;
}

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

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()), m_store(new PoemStore(this))
{
    setupWindow();
    applyFonts();
    bindViews();
    startClock();
}

TForm1::~TForm1() = default;

void TForm1::setupWindow()
{
    ui->setupUi(this);
    // A form cannot name a separator; the menu's one is N1.
    ui->Lehetsgek1->insertSeparator(ui->Kilps1)->setObjectName(QStringLiteral("N1"));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setBackgroundRole(QPalette::Button);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    new WindowCentring(this);
}

// Tahoma is registered when the program starts, so its pixel sizes are set here, not in the form.
void TForm1::applyFonts()
{
    setFont(Tahoma::font(11));
}

void TForm1::bindViews()
{
    ui->DBGrid1->setQuery(m_store->query());
    connect(ui->DBGrid1, &DbGrid::doubleClicked, this, &TForm1::DBGrid1DblClick);
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

PoemQuery *TForm1::query() const
{
    return m_store->query();
}

SqliteConnection *TForm1::connection() const
{
    return m_store->connection();
}

QString TForm1::workingCopyPath() const
{
    return m_store->workingCopyPath();
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
    if (!m_store->perform(step))
        startupFailure(startupMessage(step));
}

void TForm1::FormShow()
{
    v_prdir = QDir::toNativeSeparators(QDir::currentPath());
    m_store->setWorkingDirectory(v_prdir);

    startupStep(PoemStore::Step::TakeItem);
    startupStep(PoemStore::Step::WriteCopy);
    m_store->releaseItem();
    startupStep(PoemStore::Step::FindCopy);
    startupStep(PoemStore::Step::OpenConnection);
    startupStep(PoemStore::Step::OpenQuery);

    ui->TabSheet2->clearPhrase();
    ui->TabSheet2->showHitCount(0);
    ui->TabSheet2->showHitCount(m_store->query()->recordCount());

    ui->PageControl1->setCurrentIndex(0);
}

void TForm1::DBGrid1DblClick()
{
    if (!Form2)
        return;
    Form2->photoButton()->setEnabled(false);
    Form2->readAloudButton()->setEnabled(false);
    Form2->exec();
}
