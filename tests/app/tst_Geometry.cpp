#include "DbGrid.h"
#include "GridGeometry.h"
#include "PoemQuery.h"
#include "ProgramInFreshDirectory.h"
#include "SearchPage.h"
#include "StatusBar.h"
#include "TorneviApplication.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

namespace {
// Every named control of both windows, where the windows' designs put it: left, top, width and
// height within the parent's client area, in pixels at 96 dpi.
struct Placement
{
    const char *window;   // "main" or "detail"
    const char *name;
    QRect rect;
};

const Placement Layout[] = {
    {"main", "PageControl1", {8, 8, 681, 514}},
    {"main", "StatusBar1", {0, 530, 702, 19}},
    {"main", "StatusPanel0", {0, 0, 500, 19}},
    {"main", "StatusPanel1", {500, 0, 202, 19}},
    // The list page.
    {"main", "DBGrid1", {3, 3, 667, 470}},
    // The search page; the three labels take the width of their text (the counter with "0").
    {"main", "Label10", {48, 80, 117, 13}},
    {"main", "Edit1", {48, 99, 569, 21}},
    {"main", "BitBtn1", {48, 144, 569, 25}},
    {"main", "Panel1", {48, 192, 569, 3}},
    {"main", "Label11", {48, 256, 168, 13}},
    {"main", "Label12", {240, 256, 7, 13}},
    {"main", "Panel2", {48, 336, 569, 3}},
    {"main", "BitBtn2", {48, 400, 569, 25}},
    // The about page: ten fixed boxes, one under the other, some overlapping.
    {"main", "Label1", {12, 32, 646, 39}},
    {"main", "Label2", {12, 96, 646, 39}},
    {"main", "Label3", {12, 160, 646, 39}},
    {"main", "Label4", {12, 192, 646, 39}},
    {"main", "Label5", {12, 218, 646, 39}},
    {"main", "Label6", {12, 274, 646, 39}},
    {"main", "Label7", {12, 308, 646, 39}},
    {"main", "Label8", {12, 342, 646, 39}},
    {"main", "Label9", {12, 376, 646, 39}},
    {"main", "Label13", {12, 424, 646, 39}},
    // The detail window.
    {"detail", "Panel1", {0, 0, 410, 73}},
    {"detail", "Label1", {7, 16, 385, 51}},
    {"detail", "Panel2", {0, 73, 410, 417}},
    {"detail", "Panel2InnerBevel", {6, 6, 398, 405}},   // the lowered inner bevel inside the 5-pixel border
    {"detail", "Memo1", {7, 7, 396, 292}},
    {"detail", "BitBtn1", {24, 320, 177, 25}},
    {"detail", "BitBtn2", {215, 320, 178, 25}},
    {"detail", "DBNavigator1", {24, 360, 368, 33}},
    {"detail", "First", {0, 0, 92, 33}},
    {"detail", "Prior", {92, 0, 92, 33}},
    {"detail", "Next", {184, 0, 92, 33}},
    {"detail", "Last", {276, 0, 92, 33}},
};

// Boxes the design lets overlap: the about page's neighbouring lines, and the detail window's
// inner bevel, which lies behind the controls it frames.
bool overlapIsDesigned(const QWidget *a, const QWidget *b)
{
    const QStringList pair{a->objectName(), b->objectName()};
    if (pair.contains(QStringLiteral("Panel2InnerBevel")))
        return true;
    static const QList<QStringList> aboutLines = {
        {QStringLiteral("Label3"), QStringLiteral("Label4")},
        {QStringLiteral("Label4"), QStringLiteral("Label5")},
        {QStringLiteral("Label6"), QStringLiteral("Label7")},
        {QStringLiteral("Label7"), QStringLiteral("Label8")},
        {QStringLiteral("Label8"), QStringLiteral("Label9")},
    };
    const QStringList reversed{pair.at(1), pair.at(0)};
    return aboutLines.contains(pair) || aboutLines.contains(reversed);
}

// Qt's own parts of a widget (viewports, scroll-bar holders, a tab widget's stack) carry "qt_"
// names; a tab bar's scroll buttons stay hidden while the tabs fit. The detail window is a child
// of the main window, so the controls are told apart by the window they lie in.
// Where a control lies in its parent's client area: the main window's own status bar lies in the
// window's client area, under the menu bar.
QRect placeInClientArea(const QWidget *w)
{
    const auto *window = qobject_cast<const QMainWindow *>(w->parentWidget());
    return window ? w->geometry().translated(0, -window->menuWidget()->height()) : w->geometry();
}

bool isNamedControl(const QWidget *w, const QWidget *window)
{
    return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) && !w->isWindow()
           && w->window() == window && !w->isHidden();
}

// Labels that take the width of their text: the table has the width the design's font gives,
// which the free Tahoma clone may miss by a few pixels; their height is the line height exactly.
bool takesTheWidthOfItsText(const QString &name)
{
    return name == QLatin1String("Label10") || name == QLatin1String("Label11") || name == QLatin1String("Label12");
}
constexpr int TextWidthTolerance = 6;

QString scaleTag()
{
    const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
    return factor.isEmpty() || factor == "1" ? QString() : QString::fromLatin1(factor);
}

// The 96-dpi pictures go straight into the test output folder; the scaled ones beside them.
QString picturePath(const QString &name)
{
    const QString tag = scaleTag();
    if (tag.isEmpty())
        return QStringLiteral(TORNEVI_TEST_OUTPUT_DIR "/%1.png").arg(name);
    QDir().mkpath(QStringLiteral(TORNEVI_TEST_OUTPUT_DIR "/scale-%1").arg(tag));
    return QStringLiteral(TORNEVI_TEST_OUTPUT_DIR "/scale-%1/%2.png").arg(tag, name);
}
} // namespace

// Where every named control of both windows sits, at 96 dpi and at whatever scale factor the
// run was given: the layout scales as a whole, nothing is cut off, nothing overlaps that the
// design does not overlap. Pictures of the pages and the detail window go to the test output.
class tst_Geometry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyNamedControlIsInTheTable();
    void placement_data();
    void placement();
    void clientAreasAndPages();
    void gridRowsAndCells();
    void statusBarPanels();
    void controlsLieInsideTheirParents_data();
    void controlsLieInsideTheirParents();
    void noOverlapTheDesignDoesNotHave_data();
    void noOverlapTheDesignDoesNotHave();
    void captionsFitTheirControls_data();
    void captionsFitTheirControls();
    void fixedTextColoursInTheWindow_data();
    void fixedTextColoursInTheWindow();
    void screenshots();

private:
    QWidget *window(const QString &which) const;
    QWidget *control(const QString &which, const QString &name) const;
    void addWindowRows();

    std::unique_ptr<ProgramInFreshDirectory> m_program;
    TForm1 *m_form = nullptr;
    TForm2 *m_form2 = nullptr;
};

void tst_Geometry::initTestCase()
{
    m_program = std::make_unique<ProgramInFreshDirectory>();
    m_form = &m_program->windows().form1();
    m_form2 = &m_program->windows().form2();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QVERIFY(m_form->findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->isOpen());
    // The hit counter as the page's definition holds it; start-up has set it to the poem count.
    m_form->findChild<SearchPage *>(QStringLiteral("TabSheet2"))->showHitCount(0);
    // The detail window is laid out as it is shown, without being opened modally here.
    m_form2->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form2));
    qInfo("scale factor %g", m_form->devicePixelRatioF());
}

void tst_Geometry::cleanupTestCase()
{
    m_program.reset();
}

QWidget *tst_Geometry::window(const QString &which) const
{
    return which == QLatin1String("detail") ? static_cast<QWidget *>(m_form2) : m_form;
}

QWidget *tst_Geometry::control(const QString &which, const QString &name) const
{
    for (QWidget *w : window(which)->findChildren<QWidget *>(name))
        if (w->window() == window(which))
            return w;
    return nullptr;
}

// A control added to a window without a place in the table fails here.
void tst_Geometry::everyNamedControlIsInTheTable()
{
    QStringList missing;
    for (const char *which : {"main", "detail"}) {
        QWidget *top = window(QString::fromLatin1(which));
        for (QWidget *w : top->findChildren<QWidget *>()) {
            if (!isNamedControl(w, top))
                continue;
            bool listed = false;
            for (const Placement &p : Layout)
                listed |= QLatin1String(p.window) == QLatin1String(which) && w->objectName() == QLatin1String(p.name);
            // The main window's frame parts: the client area, its menu bar and the three pages.
            static const QStringList frameParts = {QStringLiteral("ClientArea"), QStringLiteral("MainMenu1"),
                                                   QStringLiteral("TabSheet1"), QStringLiteral("TabSheet2"),
                                                   QStringLiteral("TabSheet3")};
            listed |= QLatin1String(which) == QLatin1String("main") && frameParts.contains(w->objectName());
            if (!listed)
                missing << QStringLiteral("%1/%2").arg(QLatin1String(which), w->objectName());
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String(", "))));
}

void tst_Geometry::placement_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    for (const Placement &p : Layout)
        QTest::addRow("%s %s", p.window, p.name) << QString::fromLatin1(p.window) << QString::fromLatin1(p.name) << p.rect;
}

void tst_Geometry::placement()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QWidget *w = control(window, name);
    QVERIFY2(w, qPrintable(name));
    if (takesTheWidthOfItsText(name)) {
        QCOMPARE(w->pos(), rect.topLeft());
        QCOMPARE(w->height(), rect.height());
        QCOMPARE(w->size(), w->sizeHint());
        QVERIFY2(qAbs(w->width() - rect.width()) <= TextWidthTolerance, qPrintable(QString::number(w->width())));
        return;
    }
    QCOMPARE(placeInClientArea(w), rect);
}

void tst_Geometry::clientAreasAndPages()
{
    // The main window's client area lies under its menu bar; the detail window has no menu.
    // The client area holds the pages' area and, below it, the window's status bar.
    QWidget *client = m_form->centralWidget();
    QCOMPARE(client->size() + QSize(0, m_form->statusBar()->height()), QSize(702, 549));
    QCOMPARE(m_form->statusBar()->geometry().top(), client->geometry().bottom() + 1);
    QCOMPARE(client->y(), m_form->menuWidget()->geometry().bottom() + 1);
    QCOMPARE(m_form->size(), QSize(702, 549 + m_form->menuWidget()->height()));
    QCOMPARE(m_form2->size(), QSize(410, 490));

    // Each page fills the page control's page area when it is in front.
    auto *pages = m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    const QWidget *stack = pages->findChild<QStackedWidget *>();
    const int front = pages->currentIndex();
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QCOMPARE(pages->widget(i)->geometry(), stack->rect());
    }
    pages->setCurrentIndex(front);
}

void tst_Geometry::gridRowsAndCells()
{
    auto *grid = m_form->findChild<DbGrid *>(QStringLiteral("DBGrid1"));
    m_form->recordCursor()->first();
    // Inside the 2-pixel sunken edge; no horizontal bar while the column fits.
    QCOMPARE(GridGeometry::clientRect(grid).height(), 466);
    QCOMPARE(grid->visibleLineCount(), 24);
    QCOMPARE(grid->drawnLineCount(), 24);
    QCOMPARE(grid->linePitch(), 18);
    QCOMPARE(grid->titleRowHeight(), 18);
    QCOMPARE(GridGeometry::indicatorRect(grid, GridGeometry::TitleRow), QRect(0, 0, 11, 17));
    QCOMPARE(GridGeometry::cellRect(grid, GridGeometry::TitleRow), QRect(12, 0, 625, 17));
    QCOMPARE(GridGeometry::indicatorRect(grid, 0), QRect(0, 18, 11, 17));
    QCOMPARE(GridGeometry::cellRect(grid, 0), QRect(12, 18, 625, 17));
    QCOMPARE(GridGeometry::cellRect(grid, 23), QRect(12, 18 + 23 * 18, 625, 17));
    QVERIFY(GridGeometry::cellRect(grid, 23).bottom() < GridGeometry::clientRect(grid).height());
    QVERIFY(GridGeometry::cellRect(grid, 0).right() < GridGeometry::clientRect(grid).width());
}

void tst_Geometry::statusBarPanels()
{
    auto *bar = m_form->findChild<StatusBar *>(QStringLiteral("StatusBar1"));
    QCOMPARE(bar, m_form->statusBar());
    QCOMPARE(bar->findChild<QLabel *>(QStringLiteral("StatusPanel0"))->geometry(), QRect(0, 0, 500, 19));
    QCOMPARE(bar->findChild<QLabel *>(QStringLiteral("StatusPanel1"))->geometry(), QRect(500, 0, 202, 19));
}

void tst_Geometry::addWindowRows()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    for (const char *which : {"main", "detail"})
        for (QWidget *w : window(QString::fromLatin1(which))->findChildren<QWidget *>())
            if (isNamedControl(w, window(QString::fromLatin1(which))) && !qobject_cast<QMenuBar *>(w))
                QTest::addRow("%s %s", which, qPrintable(w->objectName())) << QString::fromLatin1(which) << w->objectName();
}

void tst_Geometry::controlsLieInsideTheirParents_data()
{
    addWindowRows();
}

void tst_Geometry::controlsLieInsideTheirParents()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QWidget *w = control(window, name);
    const QRect parent = w->parentWidget()->rect();
    QVERIFY2(parent.contains(w->geometry()),
             qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 in a parent of %6x%7")
                            .arg(name).arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height())
                            .arg(parent.width()).arg(parent.height())));
}

void tst_Geometry::noOverlapTheDesignDoesNotHave_data()
{
    addWindowRows();
}

void tst_Geometry::noOverlapTheDesignDoesNotHave()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QWidget *w = control(window, name);
    QStringList overlapping;
    for (QWidget *sibling : w->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (sibling == w || !isNamedControl(sibling, w->window()))
            continue;
        if (qobject_cast<QMenuBar *>(sibling) || qobject_cast<QMenuBar *>(w))
            continue;
        if (sibling->geometry().intersects(w->geometry()) && !overlapIsDesigned(w, sibling))
            overlapping << sibling->objectName();
    }
    QVERIFY2(overlapping.isEmpty(), qPrintable(overlapping.join(QLatin1String(", "))));
}

void tst_Geometry::captionsFitTheirControls_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    for (const char *name : {"Label10", "Label11", "Label12", "BitBtn1", "BitBtn2", "Label1", "Label2", "Label3",
                             "Label4", "Label5", "Label6", "Label7", "Label8", "Label9", "Label13"})
        QTest::addRow("main %s", name) << "main" << name;
    for (const char *name : {"BitBtn1", "BitBtn2"})
        QTest::addRow("detail %s", name) << "detail" << name;
}

// The shipped captions all fit: none is cut at its box's edges, at any scale.
void tst_Geometry::captionsFitTheirControls()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QWidget *w = control(window, name);
    QVERIFY(w);
    const QFontMetrics metrics(w->font());
    if (auto *label = qobject_cast<QLabel *>(w)) {
        const int width = metrics.horizontalAdvance(label->text());
        QVERIFY2(width <= label->contentsRect().width(),
                 qPrintable(QStringLiteral("text %1 wide in %2").arg(width).arg(label->contentsRect().width())));
        QVERIFY2(metrics.height() <= label->contentsRect().height() + 1,
                 qPrintable(QStringLiteral("text %1 high in %2").arg(metrics.height()).arg(label->contentsRect().height())));
    } else if (auto *button = qobject_cast<QPushButton *>(w)) {
        // Glyph, gap and caption side by side, with the button's own margins.
        const int needed = button->iconSize().width() + 4 + metrics.horizontalAdvance(button->text());
        QVERIFY2(needed <= button->width(), qPrintable(QStringLiteral("%1 needed of %2").arg(needed).arg(button->width())));
        QVERIFY(metrics.height() <= button->height());
    }
}

void tst_Geometry::fixedTextColoursInTheWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    const QColor teal(0, 128, 128);
    for (const char *name : {"Label3", "Label4", "Label5", "Label6", "Label7", "Label8", "Label9"})
        QTest::addRow("%s teal", name) << name << teal;
    QTest::newRow("Label13 purple") << "Label13" << QColor(128, 0, 128);
}

// The about page's fixed colours hold inside the main window, whose background is the button face.
void tst_Geometry::fixedTextColoursInTheWindow()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QWidget *w = control(QStringLiteral("main"), name);
    QVERIFY(w);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        QCOMPARE(w->palette().color(group, w->foregroundRole()), colour);
}

// Looked at by hand: test-output/*.png at 96 dpi, test-output/scale-*/ at the other factors.
void tst_Geometry::screenshots()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X server (the Xvfb runs)");
    auto *pages = m_form->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    m_form->findChild<SearchPage *>(QStringLiteral("TabSheet2"))->showHitCount(m_form->findChild<PoemQuery *>(QStringLiteral("FDQuery1"))->recordCount());
    m_form->recordCursor()->first();
    m_form->activateWindow();
    const char *const names[] = {"geometry-list-page", "geometry-search-page", "geometry-about-page"};
    for (int i = 0; i < 3; ++i) {
        pages->setCurrentIndex(i);
        QTest::qWait(100);
        const QPixmap shot = m_form->grab();
        QCOMPARE(shot.deviceIndependentSize().toSize(), m_form->size());
        QVERIFY(shot.save(picturePath(QString::fromLatin1(names[i]))));
    }
    m_form->recordCursor()->moveToRow(9);
    m_form2->raise();
    QTest::qWait(100);
    QVERIFY(m_form2->grab().save(picturePath(QStringLiteral("geometry-detail-window"))));
}

int main(int argc, char *argv[])
{
    TorneviApplication::prepare();
    TorneviApplication app(argc, argv);
    tst_Geometry test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Geometry.moc"
