#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;

// The "Keresés" page: the search phrase, the two buttons and the hit counter.
class SearchPage : public QWidget
{
    Q_OBJECT
public:
    explicit SearchPage(QWidget *parent = nullptr);

    QLineEdit *phraseBox() const { return m_edit1; }
    QLabel *hitCounter() const { return m_label12; }
    QPushButton *searchButton() const { return m_bitBtn1; }
    QPushButton *resetButton() const { return m_bitBtn2; }

private:
    void createLabels();
    void createPhraseBox();
    void createButtons();
    void createSeparators();
    QLabel *boldLabel(const char *name, const QString &text, int left, int top);

    QLabel *m_label10 = nullptr;
    QLineEdit *m_edit1 = nullptr;
    QPushButton *m_bitBtn1 = nullptr;
    QLabel *m_label11 = nullptr;
    QLabel *m_label12 = nullptr;
    QPushButton *m_bitBtn2 = nullptr;
};
