#include "AboutPage.h"
#include "SearchPage.h"
#include "CaptionLabel.h"
#include "Unit1.h"

#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

namespace {
const QColor Teal(0, 128, 128);
const QColor Purple(128, 0, 128);
const QString StoreAddress = QStringLiteral("https://play.store.example/store/apps/developer?id=Pelmos+Daruvin");

// Stands in for the desktop: every address the page hands over is kept here instead of opened.
class AddressCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void take(const QUrl &url) { opened << url.toString(QUrl::FullyEncoded); }
};
} // namespace

// The about page: ten fixed lines, five of which hand an address to the desktop when clicked.
class tst_AboutPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void labels_data();
    void labels();
    void hintsAndTooltipSwitch_data();
    void hintsAndTooltipSwitch();
    void pointAnywhereInTheBox_data();
    void pointAnywhereInTheBox();
    void clickGestures_data();
    void clickGestures();
    void linkTargetsKeepTheirForm();
    void targetsAreFixedNotReadFromTheCaptions();
    void overWideTextIsCentredAndClippedAtBothEdges_data();
    void overWideTextIsCentredAndClippedAtBothEdges();
    void mainWindowsThirdPageIsTheAboutPage();
    void pagesAreCompleteWhenFirstShown_data();
    void pagesAreCompleteWhenFirstShown();

private:
    QLabel *label(const QString &name) const { return m_page->findChild<QLabel *>(name); }
    // What each link must open: Label5 its e-mail address, Label6-8 the address they show.
    QString addressOf(const QString &link) const;
    QWindow *window() const { return m_page->windowHandle(); }

    std::unique_ptr<AboutPage> m_page;
    AddressCatcher m_catcher;
};

void tst_AboutPage::initTestCase()
{
    for (const char *scheme : {"mailto", "http", "https"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_catcher, "take");
    m_page = std::make_unique<AboutPage>();
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void tst_AboutPage::cleanupTestCase()
{
    for (const char *scheme : {"mailto", "http", "https"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    m_page.reset();
}

void tst_AboutPage::init()
{
    m_catcher.opened.clear();
}

QString tst_AboutPage::addressOf(const QString &link) const
{
    if (link == QLatin1String("Label5")) {
        const QString caption = label(link)->text();
        const QString prefix = QStringLiteral("E-mail: ");
        return caption.startsWith(prefix) ? QStringLiteral("mailto:") + caption.mid(prefix.size()) : QString();
    }
    if (link == QLatin1String("Label9"))
        return StoreAddress;
    return label(link)->text();
}

void tst_AboutPage::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("top");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<int>("role");        // the palette role the text is drawn in
    QTest::addColumn<QColor>("colour");   // fixed colour of that role, or invalid for the system's

    const int text = QPalette::WindowText;
    QTest::newRow("title") << "Label1" << 32 << "Tornevi Ubrel összes költeménye" << 32 << true << false << false
                           << int(QPalette::Link) << QColor();
    QTest::newRow("maker") << "Label2" << 96 << "Készítette: Pelmos Daruvin." << 24 << true << true << false
                           << int(QPalette::Highlight) << QColor();
    QTest::newRow("postal address") << "Label3" << 160 << "9999 Mintafalva, Példa utca 1." << 21 << false << false
                                    << false << text << Teal;
    QTest::newRow("telephone") << "Label4" << 192 << "Tel.: 06-30-000-0000." << 21 << false << false << false << text
                               << Teal;
    QTest::newRow("e-mail link") << "Label5" << 218 << "E-mail: pelmos.daruvin@pelmosdaruvin.hu" << 21 << false
                                 << false << true << text << Teal;
    QTest::newRow("home page link") << "Label6" << 274 << "http://www.pelmosdaruvin.hu/" << 21 << false << false
                                    << true << text << Teal;
    QTest::newRow("second site link") << "Label7" << 308 << "http://tornevi.pelmosdaruvin.hu/" << 21 << false
                                      << false << true << text << Teal;
    QTest::newRow("third site link") << "Label8" << 342 << "http://programok.pelmosdaruvin.hu/" << 21 << false
                                     << false << true << text << Teal;
    QTest::newRow("store link, trailing blank kept") << "Label9" << 376 << "Android alkalmazások - Google Play " << 21
                                                     << false << false << true << text << Teal;
    QTest::newRow("closing line") << "Label13" << 424
                                  << "Nyilvántartó programok fejlesztése Windows és Android eszközökre !" << 21 << false
                                  << true << false << text << Purple;
}

void tst_AboutPage::labels()
{
    QFETCH(QString, name);
    QFETCH(int, top);
    QFETCH(QString, text);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, underline);
    QFETCH(int, role);
    QFETCH(QColor, colour);

    QLabel *l = label(name);
    QVERIFY(l);
    QCOMPARE(l->geometry(), QRect(12, top, 646, 39));
    QCOMPARE(l->text(), text);
    QCOMPARE(l->textFormat(), Qt::PlainText);
    QCOMPARE(l->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    QVERIFY(!l->wordWrap());
    QVERIFY(!l->autoFillBackground());
    // Our caption draws one line at the target's line height and cuts it at the box.
    QVERIFY(qobject_cast<CaptionLabel *>(l));

    const QFont f = l->font();
    QCOMPARE(f.family(), QStringLiteral("Tahoma"));
    QCOMPARE(f.pixelSize(), pixelSize);
    QCOMPARE(f.bold(), bold);
    QCOMPARE(f.italic(), italic);
    QCOMPARE(f.underline(), underline);

    QCOMPARE(int(l->foregroundRole()), role);
    if (colour.isValid()) {
        for (auto group : {QPalette::Active, QPalette::Inactive})
            QCOMPARE(l->palette().color(group, l->foregroundRole()), colour);
    } else {
        // A system colour: the label follows the program's palette instead of holding its own.
        QVERIFY(!(l->palette().resolveMask() & (quint64(1) << role)));
    }
}

void tst_AboutPage::hintsAndTooltipSwitch_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("link");
    const QString web = QStringLiteral("Cím behívása Internet programba !");
    for (const char *plain : {"Label1", "Label2", "Label3", "Label4", "Label13"})
        QTest::newRow(plain) << plain << QString() << false;
    QTest::newRow("Label5") << "Label5" << "E-mail küldése a készítőnek !" << true;
    for (const char *site : {"Label6", "Label7", "Label8", "Label9"})
        QTest::newRow(site) << site << web << true;
}

void tst_AboutPage::hintsAndTooltipSwitch()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(bool, link);
    QLabel *l = label(name);
    QVERIFY(l);
    // A hint without "|" is its own short and long part: the tooltip and the status tip.
    QCOMPARE(l->toolTip(), hint);
    QCOMPARE(l->statusTip(), hint);
    if (link) {
        QCOMPARE(l->property("showHint").metaType(), QMetaType::fromType<bool>());
        QVERIFY(l->property("showHint").toBool());
    } else {
        // Not set at all: such a label takes its window's setting.
        QVERIFY(!l->property("showHint").isValid());
    }
}

void tst_AboutPage::pointAnywhereInTheBox_data()
{
    QTest::addColumn<QPoint>("at");        // in the page
    QTest::addColumn<QString>("owner");    // the label that takes the mouse there, empty for the page
    QTest::addColumn<bool>("link");

    QTest::newRow("Label5 centre") << QPoint(335, 237) << "Label5" << true;
    QTest::newRow("Label5 blank left of its text") << QPoint(13, 250) << "Label5" << true;
    QTest::newRow("Label5 bottom-right corner") << QPoint(657, 256) << "Label5" << true;
    QTest::newRow("Label5 strip over Label4") << QPoint(335, 219) << "Label5" << true;
    QTest::newRow("Label6 blank right of its text") << QPoint(650, 295) << "Label6" << true;
    QTest::newRow("Label7 strip over Label6") << QPoint(100, 310) << "Label7" << true;
    QTest::newRow("Label8 strip over Label7") << QPoint(600, 343) << "Label8" << true;
    QTest::newRow("Label9 strip over Label8") << QPoint(20, 380) << "Label9" << true;
    QTest::newRow("Label9 centre") << QPoint(335, 395) << "Label9" << true;
    QTest::newRow("Label9 bottom-left corner") << QPoint(12, 414) << "Label9" << true;

    QTest::newRow("Label1 centre") << QPoint(335, 45) << "Label1" << false;
    QTest::newRow("Label2 centre") << QPoint(335, 110) << "Label2" << false;
    QTest::newRow("Label3 centre") << QPoint(335, 175) << "Label3" << false;
    QTest::newRow("Label4 strip over Label3") << QPoint(335, 195) << "Label4" << false;
    QTest::newRow("Label4 just above Label5") << QPoint(335, 217) << "Label4" << false;
    QTest::newRow("Label13 centre") << QPoint(335, 440) << "Label13" << false;
    QTest::newRow("gap between Label5 and Label6") << QPoint(335, 265) << "" << false;
    QTest::newRow("margin beside Label6") << QPoint(8, 290) << "" << false;
    QTest::newRow("just right of Label8") << QPoint(658, 360) << "" << false;
}

// The later label lies on top where boxes overlap; that one shows its pointer and takes the click.
void tst_AboutPage::pointAnywhereInTheBox()
{
    QFETCH(QPoint, at);
    QFETCH(QString, owner);
    QFETCH(bool, link);

    QWidget *under = m_page->childAt(at);
    QCOMPARE(under ? under->objectName() : QString(), owner);
    const QWidget *pointerFrom = under ? under : m_page.get();
    QCOMPARE(pointerFrom->cursor().shape(), link ? Qt::PointingHandCursor : Qt::ArrowCursor);

    QTest::mouseClick(window(), Qt::LeftButton, {}, at);
    QCOMPARE(m_catcher.opened, link ? QStringList{addressOf(owner)} : QStringList());
}

namespace {
enum Gesture { TwoClicks, DoubleClick, ReleasedOutside, PressedOutside, RightClick, DraggedOutAndBack, MiddleClick };
}

void tst_AboutPage::clickGestures_data()
{
    QTest::addColumn<int>("gesture");
    QTest::addColumn<int>("opens");
    QTest::newRow("two clicks open twice") << int(TwoClicks) << 2;
    QTest::newRow("a double click is one click") << int(DoubleClick) << 1;
    QTest::newRow("released outside the box") << int(ReleasedOutside) << 0;
    QTest::newRow("pressed outside, released inside") << int(PressedOutside) << 0;
    QTest::newRow("dragged out and back before release") << int(DraggedOutAndBack) << 1;
    QTest::newRow("right button") << int(RightClick) << 0;
    QTest::newRow("middle button") << int(MiddleClick) << 0;
}

void tst_AboutPage::clickGestures()
{
    QFETCH(int, gesture);
    QFETCH(int, opens);
    const QPoint inside(335, 290);    // Label6
    const QPoint outside(335, 265);   // the page between Label5 and Label6
    QWindow *w = window();
    switch (Gesture(gesture)) {
    case TwoClicks:
        QTest::mouseClick(w, Qt::LeftButton, {}, inside);
        QTest::mouseClick(w, Qt::LeftButton, {}, inside);
        break;
    case DoubleClick:
        QTest::mouseDClick(w, Qt::LeftButton, {}, inside);
        break;
    case ReleasedOutside:
        QTest::mousePress(w, Qt::LeftButton, {}, inside);
        QTest::mouseMove(w, outside);
        QTest::mouseRelease(w, Qt::LeftButton, {}, outside);
        break;
    case PressedOutside:
        QTest::mousePress(w, Qt::LeftButton, {}, outside);
        QTest::mouseMove(w, inside);
        QTest::mouseRelease(w, Qt::LeftButton, {}, inside);
        break;
    case DraggedOutAndBack:
        QTest::mousePress(w, Qt::LeftButton, {}, inside);
        QTest::mouseMove(w, outside);
        QTest::mouseMove(w, inside);
        QTest::mouseRelease(w, Qt::LeftButton, {}, inside);
        break;
    case RightClick:
        QTest::mouseClick(w, Qt::RightButton, {}, inside);
        break;
    case MiddleClick:
        QTest::mouseClick(w, Qt::MiddleButton, {}, inside);
        break;
    }
    QCOMPARE(m_catcher.opened, QStringList(opens, addressOf(QStringLiteral("Label6"))));
}

void tst_AboutPage::linkTargetsKeepTheirForm()
{
    const QUrl mail(addressOf(QStringLiteral("Label5")));
    QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
    QVERIFY(mail.path().contains(QLatin1Char('@')));
    QStringList hosts;
    for (const char *site : {"Label6", "Label7", "Label8"}) {
        const QUrl url(label(QString::fromLatin1(site))->text(), QUrl::StrictMode);
        QVERIFY2(url.isValid(), site);
        QCOMPARE(url.scheme(), QStringLiteral("http"));
        QCOMPARE(url.path(), QStringLiteral("/"));
        QVERIFY(!url.host().isEmpty());
        QVERIFY(!url.hasQuery() && !url.hasFragment());
        hosts << url.host();
    }
    hosts.removeDuplicates();
    QCOMPARE(hosts.size(), 3);
    const QUrl store(StoreAddress);
    QCOMPARE(store.scheme(), QStringLiteral("https"));
    QCOMPARE(store.path(), QStringLiteral("/store/apps/developer"));
    QCOMPARE(store.query(QUrl::FullyEncoded), QStringLiteral("id=Pelmos+Daruvin"));
}

void tst_AboutPage::targetsAreFixedNotReadFromTheCaptions()
{
    const QStringList links = {QStringLiteral("Label5"), QStringLiteral("Label6"), QStringLiteral("Label7"),
                               QStringLiteral("Label8"), QStringLiteral("Label9")};
    QStringList expected;
    QStringList captions;
    for (const QString &link : links) {
        expected << addressOf(link);
        captions << label(link)->text();
        label(link)->setText(QStringLiteral("http://elsewhere.example/"));
    }
    m_page->Label5Click();
    m_page->Label6Click();
    m_page->Label7Click();
    m_page->Label8Click();
    m_page->Label9Click();
    for (int i = 0; i < links.size(); ++i)
        label(links.at(i))->setText(captions.at(i));
    QCOMPARE(m_catcher.opened, expected);
}

void tst_AboutPage::overWideTextIsCentredAndClippedAtBothEdges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("repeat");   // how many times the label's own text is written out
    QTest::newRow("closing line, twice over") << "Label13" << 2;
    QTest::newRow("title, three times over") << "Label1" << 3;
}

// Drawn in a box wide enough for the whole line and cut to the middle 646 pixels, the line must
// look exactly as the label draws it.
void tst_AboutPage::overWideTextIsCentredAndClippedAtBothEdges()
{
    QFETCH(QString, name);
    QFETCH(int, repeat);
    QLabel *l = label(name);
    const QString caption = l->text();
    l->setText(caption.repeated(repeat));
    const int advance = l->fontMetrics().horizontalAdvance(l->text());
    QVERIFY2(advance > l->width() + 40, qPrintable(QString::number(advance)));

    CaptionLabel wide;
    wide.setFont(l->font());
    wide.setPalette(l->palette());
    wide.setForegroundRole(l->foregroundRole());
    wide.setAlignment(l->alignment());
    wide.setText(l->text());
    const int margin = (advance + 100 - l->width()) / 2;   // the same on either side
    wide.resize(l->width() + 2 * margin, l->height());

    const QImage clipped = l->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage whole = wide.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    l->setText(caption);

    QCOMPARE(clipped.size(), QSize(646, 39));
    QCOMPARE(clipped, whole.copy(margin, 0, 646, 39));

    // And there is ink right up to both edges, so the comparison is not between two blanks.
    auto inkIn = [&](int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = 0; y < clipped.height(); ++y)
                if (qAlpha(clipped.pixel(x, y)) > 0)
                    return true;
        return false;
    };
    QVERIFY(inkIn(0, 12));
    QVERIFY(inkIn(634, 646));
}

void tst_AboutPage::mainWindowsThirdPageIsTheAboutPage()
{
    PoemStore store;
    TForm1 form(store);
    form.completePages();
    auto *pages = form.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QVERIFY(pages);
    auto *page = qobject_cast<AboutPage *>(pages->widget(2));
    QVERIFY(page);
    QCOMPARE(page->objectName(), QStringLiteral("TabSheet3"));
    QCOMPARE(pages->tabText(2), QStringLiteral("Bemutatkozás"));
    // The window's own Tahoma does not override the lines' fonts.
    auto *title = page->findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY(title);
    QCOMPARE(title->font().pixelSize(), 32);
    QVERIFY(title->font().bold());
}

void tst_AboutPage::pagesAreCompleteWhenFirstShown_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("frontWhenShown");
    QTest::addColumn<QStringList>("controls");
    const QStringList about = QStringLiteral("Label1 Label2 Label3 Label4 Label5 Label9 Label13").split(QLatin1Char(' '));
    const QStringList search = QStringLiteral("Label10 Edit1 Label11 Label12 BitBtn1 BitBtn2").split(QLatin1Char(' '));
    QTest::newRow("about page in front when the window is shown") << 2 << true << about;
    QTest::newRow("about page brought to the front later") << 2 << false << about;
    QTest::newRow("search page in front when the window is shown") << 1 << true << search;
    QTest::newRow("search page brought to the front later") << 1 << false << search;
}

// A page's controls may be made late, but the first time it is on screen it shows all of them.
void tst_AboutPage::pagesAreCompleteWhenFirstShown()
{
    QFETCH(int, page);
    QFETCH(bool, frontWhenShown);
    QFETCH(QStringList, controls);
    QTabWidget pages;
    pages.addTab(new QWidget, QStringLiteral("Lexikon"));
    pages.addTab(new SearchPage, QStringLiteral("Keresés"));
    pages.addTab(new AboutPage, QStringLiteral("Bemutatkozás"));
    pages.resize(681, 514);
    if (frontWhenShown)
        pages.setCurrentIndex(page);
    pages.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pages));
    pages.setCurrentIndex(page);
    QWidget *shown = pages.widget(page);
    QCOMPARE(shown->size(), pages.currentWidget()->size());
    for (const QString &name : controls) {
        auto *control = shown->findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QVERIFY2(control->isVisible(), qPrintable(name));
        QVERIFY2(shown->rect().contains(control->geometry()), qPrintable(name));
    }
}

QTEST_MAIN(tst_AboutPage)
#include "tst_AboutPage.moc"
