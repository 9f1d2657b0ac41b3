#pragma once

#include <QStatusBar>
#include <QString>

class QLabel;

// The main window's status bar: two sunken text panels, the first 500 pixels wide and
// left-aligned, the second taking the rest and centred. No size grip: the window is fixed.
// The panels are labels, which assistive tools read as the bar's two texts. They sit where the
// target's panels sit, edge to edge, not where QStatusBar's own layout would put its widgets
// (with margins round them and gaps between them).
class StatusBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int FirstPanelWidth = 500;

    explicit StatusBar(QWidget *parent = nullptr);

    QString panelText(int panel) const;
    // Replaces the panel's text at once; the empty text clears it.
    void setPanelText(int panel, const QString &text);
    // Panel 0 follows the application hint.
    void showApplicationHint(const QString &text) { setPanelText(0, text); }
    QRect panelRect(int panel) const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_panels[2] = {};
};
