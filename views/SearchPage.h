#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class PoemQuery;

namespace Ui {
class SearchPage;
}

// The "Keresés" page: the search phrase, the search and reset buttons and the hit counter.
// Both buttons replace the poem query's statement and reopen it; the hits are the query's rows.
class SearchPage : public QWidget
{
    Q_OBJECT
public:
    explicit SearchPage(QWidget *parent = nullptr);
    ~SearchPage() override;

    void setQuery(PoemQuery *query);

    void clearPhrase();
    void showHitCount(int count);   // the counter's width follows its digits

    void BitBtn1Click();   // search
    void BitBtn2Click();   // back to every poem

signals:
    void listPageWanted();   // the hits are to be shown: the list page comes to the front

private:
    void applyFonts();
    void applyGlyphs();
    void connectButtons();

    std::unique_ptr<Ui::SearchPage> ui;
    QPointer<PoemQuery> m_query;
};
