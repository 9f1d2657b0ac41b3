#include "SearchPage.h"

#include "DbActivity.h"
#include "ErrorReport.h"
#include "GlyphStrip.h"
#include "PoemQuery.h"
#include "PoemStore.h"
#include "Tahoma.h"
#include "ui_SearchPage.h"

SearchPage::SearchPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::SearchPage>())
{
    // The page is made before the page control takes it in; starting in the window's font spares
    // the phrase box a layout in the default font. The form makes the labels and the box bold
    // over it, before their text is laid out; the buttons keep the regular face.
    setFont(Tahoma::font(11));
    ui->setupUi(this);
    fitLabels();
    applyGlyphs();
    connectButtons();
}

SearchPage::~SearchPage() = default;

// The labels take the size of their text.
void SearchPage::fitLabels()
{
    ui->Label10->adjustSize();
    ui->Label11->adjustSize();
    ui->Label12->adjustSize();
}

void SearchPage::applyGlyphs()
{
    ui->BitBtn1->setIcon(GlyphStrip::icon(QStringLiteral(":/glyphs/search_hand.png")));
    ui->BitBtn2->setIcon(GlyphStrip::icon(QStringLiteral(":/glyphs/reset_hand.png")));
}

void SearchPage::connectButtons()
{
    connect(ui->BitBtn1, &QPushButton::clicked, this, &SearchPage::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &SearchPage::BitBtn2Click);
}

void SearchPage::setStore(PoemStore *store)
{
    m_store = store;
}

void SearchPage::clearPhrase()
{
    ui->Edit1->clear();
}

void SearchPage::showHitCount(int count)
{
    ui->Label12->setText(QString::number(count));
    ui->Label12->adjustSize();
    // Read out alone, the bare number would not say what it counts.
    ui->Label12->setAccessibleName(ui->Label11->text() + QLatin1Char(' ') + ui->Label12->text());
}

// The wait pointer shows from the click until the page has shown the result. After a failure
// the report comes once the request is over, so the store's timed reset can clear the pointer
// while the report is up.
void SearchPage::ask(const std::function<bool()> &request, Phrase phrase)
{
    DbActivity::Request running;
    if (!request()) {
        running.fail();
        ErrorReport::report(m_store->errorString());
        return;
    }
    // Only once the query is open again: a failed reset keeps the phrase.
    if (phrase == Phrase::Clear)
        clearPhrase();
    showHitCount(m_store->query()->recordCount());
    emit listPageWanted();
    running.finish();
}

void SearchPage::BitBtn1Click()
{
    if (m_store)
        ask([this] { return m_store->search(ui->Edit1->text()); }, Phrase::Keep);
}

void SearchPage::BitBtn2Click()
{
    if (m_store)
        ask([this] { return m_store->showAll(); }, Phrase::Clear);
}
