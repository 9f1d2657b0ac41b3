#pragma once

#include <QString>
#include <QWidget>

// The main window's status bar: two sunken text panels, the first 500 pixels wide and
// left-aligned, the second taking the rest and centred. No size grip: the window is fixed.
class StatusBar : public QWidget
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
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_texts[2];
};
