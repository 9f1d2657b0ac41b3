#pragma once

#include <QMessageBox>
#include <QPointer>

class QLayout;
class QSpacerItem;
class WindowCentring;

// A message box at least as wide as its caption needs, as the platform's own boxes are on
// Windows: a narrow box would have its frame cut the caption short ("To…vi"). A box without an
// owner window has its frame centred in the work area, as the platform's own boxes have.
class TitledMessageBox : public QMessageBox
{
    Q_OBJECT
public:
    TitledMessageBox(Icon icon, const QString &title, const QString &text, StandardButtons buttons = NoButton,
                     QWidget *parent = nullptr);

    // Client width at which a frame shows the whole caption: the caption in the title-bar font,
    // bold as most frames draw it, beside room for the frame's icon, its three buttons and the
    // caption's padding, each a title bar's height.
    int captionWidth() const;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void makeRoomForCaption();

    WindowCentring *m_centring = nullptr;
    QPointer<QLayout> m_roomLayout;   // the layout that holds m_room
    QSpacerItem *m_room = nullptr;
};
