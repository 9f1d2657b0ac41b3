#pragma once

#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QPushButton;
class RecordCursor;

// Record navigator over a record cursor: First, Prior, Next and Last side by side (buttons named
// so). Its buttons follow the cursor's BOF and EOF on every notice; Prior and Next repeat while
// held. Neither the navigator nor its buttons ever take the keyboard focus.
class DbNavigator : public QWidget
{
    Q_OBJECT
public:
    static constexpr int RepeatDelayMs = 400;
    static constexpr int RepeatIntervalMs = 100;
    static constexpr QSize GlyphSize{14, 13};

    explicit DbNavigator(QWidget *parent = nullptr);

    // Follows the given cursor from now on (none: every button disabled); the old one is let go.
    void setRecordCursor(RecordCursor *cursor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum Glyph { FirstGlyph, PriorGlyph, NextGlyph, LastGlyph };

    void createButtons();
    QPushButton *createButton(const QString &name, Glyph glyph, const QString &hint);
    void createRepeatTimer();
    void layoutButtons();
    void updateButtons();

    bool perform(QPushButton *button);
    void startRepeat(QPushButton *button);
    void stopRepeat();
    void repeatTick();

    QPointer<RecordCursor> m_cursor;
    QPushButton *m_first = nullptr;
    QPushButton *m_prior = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_last = nullptr;
    QTimer *m_repeatTimer = nullptr;
    QPointer<QPushButton> m_repeatButton;
    bool m_performing = false;
};
