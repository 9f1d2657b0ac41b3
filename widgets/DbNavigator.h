#pragma once

#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class DataSet;
class QPushButton;

// Record navigator over a data set: First, Prior, Next and Last side by side.
// Its buttons follow the data set's BOF and EOF on every notice; Prior and Next repeat while held.
// Neither the navigator nor its buttons ever take the keyboard focus.
class DbNavigator : public QWidget
{
    Q_OBJECT
public:
    static constexpr int RepeatDelayMs = 400;
    static constexpr int RepeatIntervalMs = 100;
    static constexpr QSize GlyphSize{14, 13};

    explicit DbNavigator(QWidget *parent = nullptr);

    // Follows the given data set from now on (none: every button disabled); the old one is let go.
    void setDataSet(DataSet *dataSet);

    QPushButton *firstButton() const { return m_first; }
    QPushButton *priorButton() const { return m_prior; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *lastButton() const { return m_last; }

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

    QPointer<DataSet> m_dataSet;
    QPushButton *m_first = nullptr;
    QPushButton *m_prior = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_last = nullptr;
    QTimer *m_repeatTimer = nullptr;
    QPointer<QPushButton> m_repeatButton;
    bool m_performing = false;
};
