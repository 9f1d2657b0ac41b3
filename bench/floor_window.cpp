// The floor for start-up timing: what any program with the main window's shape has to do before
// its first frame. The same window flags and size, a menu bar, a three-tab page control with a
// sunken box where the grid sits, drawing its title row, as many rows of titles as the grid shows,
// their lines, the indicator column and a vertical scroll bar, and a status bar of two empty
// sunken panels (the clock's first tick comes a second later). The menu bar and the status bar
// are in the platform's font; the pages, their tabs and the box in Tahoma, registered the plainest
// way (the clone's two files, where the system has none), so the typefaces the window shows are
// paid here as well. Its client is named ClientArea, as the main window's is, so the probe ends
// both runs after the first painted frame. Before the window it does the database work the
// program's first frame needs, the plainest way: the embedded database written to the working
// directory, opened with SQLite, the first batch of titles read and the rows counted; the box
// shows them.
#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QResource>
#include <QScrollBar>
#include <QStringList>
#include <QTabWidget>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {
// A sunken box that draws the grid's first page the plainest way: a bold title row, one drawText
// and one line per row of titles, the indicator column's line and its mark at the first row.
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
        const int pitch = 18, indicator = 12, right = width() - 17;
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(indicator + 4, 4 + fontMetrics().ascent(), QStringLiteral("Cím"));
        painter.setFont(font());
        painter.setPen(Qt::lightGray);
        painter.drawLine(indicator, 2, indicator, height() - 2);
        for (int row = 1; row * pitch < height(); ++row)
            painter.drawLine(2, 2 + row * pitch, right, 2 + row * pitch);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::black);
        const QPoint mark[] = {{5, pitch + 6}, {5, pitch + 14}, {9, pitch + 10}};
        painter.drawPolygon(mark, 3);
        painter.setPen(Qt::blue);
        for (int row = 1; (row + 1) * pitch <= height() - 4 && row <= titles.size(); ++row)
            painter.drawText(indicator + 4, 4 + row * pitch + fontMetrics().ascent(), titles[row - 1]);
    }
};

// Where the system has no Tahoma, the clone's two files: the bold one gives the title row its
// bold widths, as the program's has them (the clone draws it with regular-weight strokes, which
// the program mends in memory before it registers the file).
void registerTahoma()
{
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf"));
}

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
    registerTahoma();
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
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    pages->setFont(tahoma);
    pages->setGeometry(8, 8, 681, 514);
    auto *list = new QWidget;
    auto *grid = new TextBox(list);
    const int count = readPoems(grid->titles);
    grid->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    grid->setGeometry(3, 3, 667, 470);
    auto *bar = new QScrollBar(Qt::Vertical, grid);
    bar->setRange(0, qMax(0, count - 24));
    bar->setPageStep(24);
    bar->setGeometry(grid->width() - 18, 2, 16, grid->height() - 4);
    pages->addTab(list, QStringLiteral("Lexikon"));
    pages->addTab(new QLabel(QString::number(count)), QStringLiteral("Keresés"));
    pages->addTab(new QWidget, QStringLiteral("Bemutatkozás"));
    // The status bar's two panels, empty until the clock's first tick.
    for (const QRect &panel : {QRect(0, 530, 500, 19), QRect(500, 530, 202, 19)}) {
        auto *box = new QFrame(client);
        box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        box->setGeometry(panel);
    }
    window.setCentralWidget(client);

    window.show();
    return app.exec();
}
