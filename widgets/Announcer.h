#pragma once

#include <QWidget>

// An invisible child through which a window tells assistive tools of a change that no focus
// movement announces, such as another record in a window whose focused box only changed its text.
// A screen reader hears each announcement as a notification; nothing shows on screen.
class Announcer : public QWidget
{
    Q_OBJECT
public:
    explicit Announcer(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void announce(const QString &text);

private:
    QString m_text;
};
