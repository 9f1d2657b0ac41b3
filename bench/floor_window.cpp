// The floor for start-up timing: what any program with the main window's shape has to do before
// its first frame. The same window flags and size, a menu bar, a three-tab page control with a
// sunken box where the grid sits with as many rows of text as the grid shows, a status bar with
// the date and time, all in the default font, so the platform's fonts and text drawing are paid
// here as well. Its client is named ClientArea, as the main window's is, so the probe ends both
// runs after the first painted frame. Before the window it does the database work the program's
// first frame needs, the plainest way: the embedded database written to the working directory,
// opened with SQLite, the first batch of titles read and the rows counted; the box shows them.
#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QResource>
#include <QStringList>
#include <QTabWidget>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {
// A sunken box that draws a bold title row and as many rows of title-length text as the grid shows
// on its first page, the plainest way: one drawText per row.
class TextBox : public QFrame
{
public:
    using QFrame::QFrame;
    QStringList titles;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QFrame::paintEvent(event);
        QPainter painter(this);
        const int pitch = fontMetrics().height() + 4;
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(14, 4 + fontMetrics().ascent(), QStringLiteral("Cím"));
        painter.setFont(font());
        for (int row = 1; row * pitch < height() && row <= titles.size(); ++row)
            painter.drawText(14, 4 + row * pitch + fontMetrics().ascent(), titles[row - 1]);
    }
};

// The database written out, opened, its first 50 titles read and its rows counted; the count is
// returned, as the program shows it on its search page. Kept out of line, so that
// bench/startup_steps.sh can tell its cost from the window's.
__attribute__((noinline)) int readPoems(QStringList &titles)
{
    const QResource item(QStringLiteral(":/RCDATA/RESOURCE_1"));
    const int fd = ::open("Tornevi.db", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    if (fd < 0 || ::write(fd, item.data(), size_t(item.size())) != item.size() || ::close(fd) != 0)
        return -1;
    sqlite3 *db = nullptr;
    int count = -1;
    if (sqlite3_open_v2("Tornevi.db", &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *rows = nullptr;
        if (sqlite3_prepare_v2(db, "Select * from tbl_Data", -1, &rows, nullptr) == SQLITE_OK) {
            while (titles.size() < 50 && sqlite3_step(rows) == SQLITE_ROW)
                titles << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(rows, 0)));
        }
        sqlite3_finalize(rows);
        sqlite3_stmt *total = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM (Select * from tbl_Data) A", -1, &total, nullptr) == SQLITE_OK
            && sqlite3_step(total) == SQLITE_ROW)
            count = sqlite3_column_int(total, 0);
        sqlite3_finalize(total);
    }
    sqlite3_close(db);
    return count;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName(QStringLiteral("Form1"));
    window.setWindowTitle(QStringLiteral("Tornevi Ubrel összes költeménye:"));
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    window.menuBar()->addMenu(QStringLiteral("Lehetőségek"));

    auto *client = new QWidget;
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(702, 549);
    auto *pages = new QTabWidget(client);
    pages->setGeometry(8, 8, 681, 514);
    auto *list = new QWidget;
    auto *grid = new TextBox(list);
    const int count = readPoems(grid->titles);
    grid->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    grid->setGeometry(3, 3, 667, 470);
    pages->addTab(list, QStringLiteral("Lexikon"));
    pages->addTab(new QLabel(QString::number(count)), QStringLiteral("Keresés"));
    pages->addTab(new QWidget, QStringLiteral("Bemutatkozás"));
    // The status bar shows the date and time from the start, as the program's clock panel does.
    const QDateTime now = QDateTime::currentDateTime();
    auto *status = new QLabel(QLocale().toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
                                  + QLocale().toString(now.time(), QStringLiteral("HH:mm:ss")),
                              client);
    status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status->setGeometry(0, 530, 702, 19);
    window.setCentralWidget(client);

    window.show();
    return app.exec();
}
