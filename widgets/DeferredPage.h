#pragma once

#include <QWidget>

// A page whose controls are made the first time it is shown or asked for, not with its window:
// what no one sees in the window's first frame costs nothing before that frame.
class DeferredPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Makes the controls now, if they are not made yet.
    void makeContents();
    bool hasContents() const { return m_made; }

    void setVisible(bool visible) override;

protected:
    // Sets the page's form up on it, with everything that belongs to its controls.
    virtual void createContents() = 0;
    void showEvent(QShowEvent *event) override;

private:
    bool m_made = false;
};
