#include "SearchPage.h"

#include "DbWaitCursor.h"
#include "ErrorReport.h"
#include "GlyphStrip.h"
#include "PoemQuery.h"
#include "SearchStatement.h"
#include "Tahoma.h"
#include "ui_SearchPage.h"

#include <stdexcept>

namespace {
// SQLite reads a statement only up to its first NUL, so such a phrase could never be searched
// as typed; it is refused before the query is touched.
const char *const NulInPhrase = "A keresendő kifejezés nem tartalmazhat NUL (U+0000) karaktert.";
}

SearchPage::SearchPage(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::SearchPage>())
{
    // The page is made before the page control takes it in; starting in the window's font spares
    // the phrase box a layout in the default font.
    setFont(Tahoma::font(11));
    ui->setupUi(this);
    applyFonts();
    applyGlyphs();
    connectButtons();
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

void SearchPage::connectButtons()
{
    connect(ui->BitBtn1, &QPushButton::clicked, this, &SearchPage::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &SearchPage::BitBtn2Click);
}

void SearchPage::setQuery(PoemQuery *query)
{
    m_query = query;
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

// A failing step ends the handler at once; the error goes to the default error report and the
// store's timed reset brings the pointer back.
void SearchPage::BitBtn1Click()
{
    if (!m_query)
        return;
    ErrorReport::guard([this] {
        DbWaitCursor::set();
        const QString phrase = ui->Edit1->text();
        if (phrase.contains(QChar::Null)) {
            DbWaitCursor::reset();
            throw std::invalid_argument(NulInPhrase);
        }
        m_query->close();
        m_query->clearSql();
        m_query->addSql(SearchStatement::forPhrase(phrase));
        m_query->open();
        showHitCount(m_query->recordCount());
        emit listPageWanted();
        DbWaitCursor::reset();
    });
}

void SearchPage::BitBtn2Click()
{
    if (!m_query)
        return;
    ErrorReport::guard([this] {
        DbWaitCursor::set();
        m_query->close();
        m_query->clearSql();
        m_query->addSql(PoemQuery::BaseStatement);
        m_query->open();
        // Only once the query is open again: a failed reset keeps the phrase.
        ui->Edit1->clear();
        showHitCount(m_query->recordCount());
        emit listPageWanted();
        DbWaitCursor::reset();
    });
}
