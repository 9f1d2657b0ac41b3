#include "SearchPage.h"

#include "GlyphStrip.h"
#include "Tahoma.h"
#include "ui_SearchPage.h"

SearchPage::SearchPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::SearchPage>())
{
    ui->setupUi(this);
    applyFonts();
    applyGlyphs();
}

SearchPage::~SearchPage() = default;

// The labels and the phrase box are bold; the buttons keep the window's regular Tahoma.
void SearchPage::applyFonts()
{
    const QFont bold = Tahoma::font(11, true);
    for (QWidget *w : {static_cast<QWidget *>(ui->Label10), static_cast<QWidget *>(ui->Label11),
                       static_cast<QWidget *>(ui->Label12), static_cast<QWidget *>(ui->Edit1)})
        w->setFont(bold);
    // These labels take the size of their text.
    ui->Label10->adjustSize();
    ui->Label11->adjustSize();
    ui->Label12->adjustSize();
}

void SearchPage::applyGlyphs()
{
    ui->BitBtn1->setIcon(GlyphStrip::icon(QStringLiteral(":/glyphs/search_hand.png")));
    ui->BitBtn2->setIcon(GlyphStrip::icon(QStringLiteral(":/glyphs/reset_hand.png")));
}

void SearchPage::clearPhrase()
{
    ui->Edit1->clear();
}

void SearchPage::showHitCount(int count)
{
    ui->Label12->setText(QString::number(count));
    ui->Label12->adjustSize();
}
