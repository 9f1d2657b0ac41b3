#include "SearchPage.h"

#include "DbActivity.h"
#include "GlyphStrip.h"
#include "PoemQuery.h"
#include "PoemStore.h"
#include "Tahoma.h"
#include "ui_SearchPage.h"

#include <QShowEvent>

#include <QKeyEvent>

SearchPage::SearchPage(QWidget *parent) : DeferredPage(parent), ui(std::make_unique<Ui::SearchPage>())
{
    // The page is made before the page control takes it in; starting in the window's font spares
    // the phrase box a layout in the default font. The form makes the labels and the box bold
    // over it, before their text is laid out; the buttons keep the regular face.
    setFont(Tahoma::font(11));
}

SearchPage::~SearchPage() = default;

void SearchPage::createContents()
{
    ui->setupUi(this);
    fitLabels();
    applyGlyphs();
    connectButtons();
    if (m_phraseCleared)
        ui->Edit1->clear();
    if (m_hitCount >= 0)
        showHitCount(m_hitCount);
}

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
    ui->BitBtn1->installEventFilter(this);
    ui->BitBtn2->installEventFilter(this);
}

// Enter presses the focused button. Qt's auto-default buttons do that too, but they tell assistive
// tools that the focused one is the window's default button and never that it stopped being so: a
// screen reader went on naming the search button the default after the page was left.
bool SearchPage::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == ui->BitBtn1 || watched == ui->BitBtn2) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            static_cast<QPushButton *>(watched)->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SearchPage::setStore(PoemStore *store)
{
    m_store = store;
}

void SearchPage::clearPhrase()
{
    if (!hasContents()) {
        m_phraseCleared = true;
        return;
    }
    ui->Edit1->clear();
}

void SearchPage::showHitCount(int count)
{
    if (!hasContents()) {
        m_hitCount = count;
        return;
    }
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
        emit requestFailed(m_store->errorString());
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
    makeContents();
    if (m_store)
        ask([this] { return m_store->search(ui->Edit1->text()); }, Phrase::Keep);
}

void SearchPage::BitBtn2Click()
{
    if (m_store)
        ask([this] { return m_store->showAll(); }, Phrase::Clear);
}
