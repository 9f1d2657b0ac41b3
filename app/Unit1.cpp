#include "Unit1.h"

#include "DbGrid.h"
#include "EmbeddedResource.h"
#include "PoemQuery.h"
#include "SearchPage.h"
#include "SqliteConnection.h"
#include "StatusBar.h"
#include "Tahoma.h"
#include "TorneviApplication.h"
#include "WorkingCopy.h"

#include <QDialog>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/mainicon_%1.png").arg(size), QSize(size, size));
    return icon;
}
} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tornevi Ubrel összes költeménye:"));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(Tahoma::font(11));
    setBackgroundRole(QPalette::Button);

    createStore();
    createPages();
    createStatusBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TForm1::~TForm1()
{
    // The query's statement goes before the connection that it runs on.
    FDQuery1->close();
    FDConnection1->close();
}

void TForm1::createStore()
{
    FDConnection1 = new SqliteConnection(this);
    FDConnection1->setObjectName(QStringLiteral("FDConnection1"));
    FDQuery1 = new PoemQuery(*FDConnection1, this);
    FDQuery1->setObjectName(QStringLiteral("FDQuery1"));
    FDQuery1->addSql(PoemQuery::BaseStatement);
}

void TForm1::createPages()
{
    m_client = new QWidget(this);
    m_client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(m_client);

    PageControl1 = new QTabWidget(m_client);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(8, 8, 681, 514);

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Lexikon"));
    createListPage();

    TabSheet2 = new SearchPage;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Keresés"));

    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Bemutatkozás"));

    // As designed, the about page is in front until the start-up sequence picks the list.
    PageControl1->setCurrentIndex(2);
}

void TForm1::createListPage()
{
    auto *grid = new DbGrid(TabSheet1);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    grid->setGeometry(3, 3, 667, 470);
    grid->setFieldName(QStringLiteral("CIM"));
    grid->setTitleText(QStringLiteral("Cím"));
    // Tooltips are off for the grid: only the long part reaches the status bar.
    grid->setProperty("hint", QStringLiteral("Dupla klikk: megtekintés.|Dupla klikk: aktuális tétel megtekintése."));
    grid->setQuery(FDQuery1);
    connect(grid, &DbGrid::doubleClicked, this, &TForm1::DBGrid1DblClick);
    DBGrid1 = grid;
}

void TForm1::createStatusBar()
{
    StatusBar1 = new StatusBar(m_client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(0, 530, ClientWidth, 19);
}

QString TForm1::workingCopyPath() const
{
    return WorkingCopy::pathIn(v_prdir);
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
        centreOnWorkArea();
    }
    QMainWindow::showEvent(event);
}

void TForm1::centreOnWorkArea()
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size().expandedTo(size());
    const int left = std::max(area.left(), area.left() + (area.width() - frame.width()) / 2);
    const int top = std::max(area.top(), area.top() + (area.height() - frame.height()) / 2);
    move(left, top);
}

void TForm1::startupFailure(const QString &message)
{
    TorneviApplication *app = TorneviApplication::instance();
    if (!app)
        return;
    app->showStartupMessage(message);
    app->requestEnd();
}

void TForm1::FormShow()
{
    v_prdir = QDir::toNativeSeparators(QDir::currentPath());

    EmbeddedResource item = EmbeddedResource::find(QStringLiteral("Resource_1"));
    if (!item.isValid())
        startupFailure(QStringLiteral("Hiba történt - 1 !"));
    if (!item.isValid() || !WorkingCopy::write(workingCopyPath(), item.bytes()))
        startupFailure(QStringLiteral("Hiba történt - 2 !"));
    item.release();

    if (WorkingCopy::exists(workingCopyPath()))
        FDConnection1->setDatabase(workingCopyPath());
    else
        startupFailure(QStringLiteral("Nem található az adatállomány !"));

    try {
        FDConnection1->open();
    } catch (const std::exception &) {
        startupFailure(QStringLiteral("Adatállomány nem nyitható meg !"));
    }
    try {
        FDQuery1->open();
    } catch (const std::exception &) {
        startupFailure(QStringLiteral("Lekérdezés nem hajtható végre !"));
    }

    TabSheet2->phraseBox()->clear();
    QLabel *counter = TabSheet2->hitCounter();
    counter->setText(QStringLiteral("0"));
    counter->setText(QString::number(FDQuery1->recordCount()));
    counter->adjustSize();

    PageControl1->setCurrentIndex(0);
}

void TForm1::DBGrid1DblClick()
{
    if (!Form2)
        return;
    if (auto *photo = Form2->findChild<QPushButton *>(QStringLiteral("BitBtn1")))
        photo->setEnabled(false);
    if (auto *reader = Form2->findChild<QPushButton *>(QStringLiteral("BitBtn2")))
        reader->setEnabled(false);
    Form2->exec();
}
