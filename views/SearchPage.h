#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class SearchPage;
}

// The "Keresés" page: the search phrase, the two buttons and the hit counter.
class SearchPage : public QWidget
{
    Q_OBJECT
public:
    explicit SearchPage(QWidget *parent = nullptr);
    ~SearchPage() override;

    void clearPhrase();
    void showHitCount(int count);   // the counter's width follows its digits

private:
    void applyFonts();
    void applyGlyphs();

    std::unique_ptr<Ui::SearchPage> ui;
};
