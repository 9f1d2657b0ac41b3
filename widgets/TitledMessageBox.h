#pragma once

#include <QMessageBox>

// A message box at least as wide as its caption needs, as the platform's own boxes are on
// Windows: a narrow box would have its frame cut the caption short ("To…vi").
class TitledMessageBox : public QMessageBox
{
    Q_OBJECT
public:
    using QMessageBox::QMessageBox;

    // Client width at which a frame shows the whole caption: the caption in the title-bar font,
    // bold as most frames draw it, beside room for the frame's icon, its three buttons and the
    // caption's padding, each a title bar's height.
    int captionWidth() const;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fitCaption();
};
