#include "AboutPage.h"

#include "Tahoma.h"
#include "ui_AboutPage.h"

#include <QShowEvent>

#include <QDesktopServices>
#include <QUrl>

namespace {
void open(const QString &address)
{
    // Nothing of ours to say when no program takes the address.
    static_cast<void>(QDesktopServices::openUrl(QUrl(address)));
}

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    // Left to itself the label would draw in the text colour that goes with its parents'
    // background, which in the main window is the button face's, not this one.
    label->setForegroundRole(QPalette::WindowText);
}

QFont underlined(QFont font)
{
    font.setUnderline(true);
    return font;
}
} // namespace

AboutPage::AboutPage(QWidget *parent) : DeferredPage(parent), ui(std::make_unique<Ui::AboutPage>())
{
}

AboutPage::~AboutPage() = default;

void AboutPage::createContents()
{
    ui->setupUi(this);
    applyFonts();
    applyColours();
    connectLinks();
}

void AboutPage::applyFonts()
{
    ui->Label1->setFont(Tahoma::font(32, true));
    ui->Label2->setFont(Tahoma::font(24, true, true));
    ui->Label3->setFont(Tahoma::font(21));
    ui->Label4->setFont(Tahoma::font(21));
    for (QLabel *link : {ui->Label5, ui->Label6, ui->Label7, ui->Label8, ui->Label9})
        link->setFont(underlined(Tahoma::font(21)));
    ui->Label13->setFont(Tahoma::font(21, false, true));
}

// The heading and the maker's name follow the desktop's colour scheme; the rest is fixed.
void AboutPage::applyColours()
{
    ui->Label1->setForegroundRole(QPalette::Link);
    ui->Label2->setForegroundRole(QPalette::Highlight);
    const QColor teal(0, 128, 128);
    for (QLabel *label : std::initializer_list<QLabel *>{ui->Label3, ui->Label4, ui->Label5, ui->Label6,
                                                          ui->Label7, ui->Label8, ui->Label9})
        setTextColour(label, teal);
    setTextColour(ui->Label13, QColor(128, 0, 128));
}

void AboutPage::connectLinks()
{
    connect(ui->Label5, &LinkLabel::clicked, this, &AboutPage::Label5Click);
    connect(ui->Label6, &LinkLabel::clicked, this, &AboutPage::Label6Click);
    connect(ui->Label7, &LinkLabel::clicked, this, &AboutPage::Label7Click);
    connect(ui->Label8, &LinkLabel::clicked, this, &AboutPage::Label8Click);
    connect(ui->Label9, &LinkLabel::clicked, this, &AboutPage::Label9Click);
}

void AboutPage::Label5Click()
{
    open(QStringLiteral("mailto:pelmos.daruvin@pelmosdaruvin.hu"));
}

void AboutPage::Label6Click()
{
    open(QStringLiteral("http://www.pelmosdaruvin.hu/"));
}

void AboutPage::Label7Click()
{
    open(QStringLiteral("http://tornevi.pelmosdaruvin.hu/"));
}

void AboutPage::Label8Click()
{
    open(QStringLiteral("http://programok.pelmosdaruvin.hu/"));
}

// The store page of the maker's apps; the caption names the store, not the address.
void AboutPage::Label9Click()
{
    open(QStringLiteral("https://play.store.example/store/apps/developer?id=Pelmos+Daruvin"));
}
