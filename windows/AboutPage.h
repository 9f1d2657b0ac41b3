#pragma once

#include "DeferredPage.h"

#include <memory>

namespace Ui {
class AboutPage;
}

// The "Bemutatkozás" page: the collection's title, the maker's lines and five links that the
// desktop opens with the user's own mail program or browser.
class AboutPage : public DeferredPage
{
    Q_OBJECT
public:
    explicit AboutPage(QWidget *parent = nullptr);
    ~AboutPage() override;

    // Each hands its one fixed address to the desktop and returns at once; what the desktop
    // makes of it is the desktop's business.
    void Label5Click();
    void Label6Click();
    void Label7Click();
    void Label8Click();
    void Label9Click();

protected:
    void createContents() override;

private:
    void applyFonts();
    void applyColours();
    void connectLinks();

    std::unique_ptr<Ui::AboutPage> ui;
};
