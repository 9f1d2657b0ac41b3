#pragma once

#include "DeferredPage.h"

#include <QPointer>
#include <functional>
#include <memory>

class PoemStore;

namespace Ui {
class SearchPage;
}

// The "Keresés" page: the search phrase, the search and reset buttons and the hit counter.
// Both buttons ask the store for a new result; the hits are the poem query's rows.
class SearchPage : public DeferredPage
{
    Q_OBJECT
public:
    explicit SearchPage(QWidget *parent = nullptr);
    ~SearchPage() override;

    void setStore(PoemStore *store);

    // Given before the controls are made, they are shown on them once they are.
    void clearPhrase();
    void showHitCount(int count);   // the counter's width follows its digits

    void BitBtn1Click();   // search
    void BitBtn2Click();   // back to every poem

signals:
    void listPageWanted();   // the hits are to be shown: the list page comes to the front
    // The store refused the search or the reset; the message is SQLite's or the store's own.
    void requestFailed(const QString &message);

protected:
    void createContents() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitLabels();
    void applyGlyphs();
    void connectButtons();
    // Runs a search or a reset on the store and shows its hits: the count, then the list page.
    enum class Phrase { Keep, Clear };
    void ask(const std::function<bool()> &request, Phrase phrase);

    std::unique_ptr<Ui::SearchPage> ui;
    bool m_phraseCleared = false;
    int m_hitCount = -1;
    QPointer<PoemStore> m_store;
};
