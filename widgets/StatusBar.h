#pragma once

#include <QStatusBar>
#include <QString>

class QLabel;
class QLayout;

// A window's status bar of two sunken text panels, the first 500 pixels wide and left-aligned,
// the second taking the rest and centred. No size grip: the window it serves is fixed. The panels
// are labels, named "StatusPanel0" and "StatusPanel1", which assistive tools read as the bar's two texts; they
// sit edge to edge and fill the bar, without QStatusBar's own margins and gaps.
class StatusBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int FirstPanelWidth = 500;

    explicit StatusBar(QWidget *parent = nullptr);

    // Replaces the panel's text at once; the empty text clears it.
    void setPanelText(int panel, const QString &text);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void joinPanels();
    static void closeGaps(QLayout *layout);

    QLabel *m_panels[2] = {};
};
