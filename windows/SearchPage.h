#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class PoemStore;

namespace Ui {
class SearchPage;
}

// The "Keresés" page: the search phrase, the search and reset buttons and the hit counter.
// Both buttons ask the store for a new result; the hits are the poem query's rows.
class SearchPage : public QWidget
{
    Q_OBJECT
public:
    explicit SearchPage(QWidget *parent = nullptr);
    ~SearchPage() override;

    // The controls are made the first time the page is shown or anything needs them, or when
    // this is called; the hit count and a cleared phrase given before then are shown on them.
    void makeContents();
    void setVisible(bool visible) override;

    void setStore(PoemStore *store);

    void clearPhrase();
    void showHitCount(int count);   // the counter's width follows its digits

    void BitBtn1Click();   // search
    void BitBtn2Click();   // back to every poem

signals:
    void listPageWanted();   // the hits are to be shown: the list page comes to the front
    // The store refused the search or the reset; the message is SQLite's or the store's own.
    void requestFailed(const QString &message);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitLabels();
    void applyGlyphs();
    void connectButtons();
    // Runs a search or a reset on the store and shows its hits: the count, then the list page.
    enum class Phrase { Keep, Clear };
    void ask(const std::function<bool()> &request, Phrase phrase);

    std::unique_ptr<Ui::SearchPage> ui;
    bool m_made = false;
    bool m_phraseCleared = false;
    int m_hitCount = -1;
    QPointer<PoemStore> m_store;
};
