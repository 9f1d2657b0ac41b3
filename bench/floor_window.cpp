// The floor for start-up timing: what any program with the main window's shape has to do before
// its first frame. The same window flags and size, a menu bar, a three-tab page control with a
// sunken box where the grid sits with as many rows of text as the grid shows, a status bar with
// the date and time, all in the default font, so the platform's fonts and text drawing are paid
// here as well. Its client is named ClientArea, as the main window's is, so the probe ends both
// runs after the first painted frame.
#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QTabWidget>

namespace {
// A sunken box that draws a bold title row and as many rows of title-length text as the grid shows
// on its first page, the plainest way: one drawText per row.
class TextBox : public QFrame
{
public:
    using QFrame::QFrame;

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
        for (int row = 1; row * pitch < height(); ++row)
            painter.drawText(14, 4 + row * pitch + fontMetrics().ascent(),
                             QStringLiteral("%1. Ének a régi dalok és versek közül").arg(row));
    }
};
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
    grid->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    grid->setGeometry(3, 3, 667, 470);
    pages->addTab(list, QStringLiteral("Lexikon"));
    pages->addTab(new QWidget, QStringLiteral("Keresés"));
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
