#pragma once

#include <QFile>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QWidget>

// Loaded into a real Tornevi process as a Qt generic plugin (QT_QPA_GENERIC_PLUGINS=messageprobe),
// so the tests can watch the unchanged program: it writes every message box to the log named by
// TORNEVI_PROBE_LOG and answers it with its default button (or No, when TORNEVI_PROBE_ANSWER says so), and it can end a run that started well
// (TORNEVI_PROBE_ACTION=exit once the loop runs, exit-on-paint after the first painted frame of the window's ClientArea).
// At the end it logs the size of the file named by TORNEVI_PROBE_FILE as the program sees it.
// In-process tests make one themselves and read what it saw from messages().
class MessageProbe : public QObject
{
    Q_OBJECT
public:
    explicit MessageProbe(QObject *parent = nullptr);

    // Every box seen so far: "caption|text|icon=..|buttons=..|default=..".
    QStringList messages() const { return m_messages; }
    void clear() { m_messages.clear(); }
    // The button the next boxes are answered with; by default, each box's default button.
    void answerWith(QMessageBox::StandardButton button) { m_answer = button; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void log(const QString &line);
    void mainWindowShown(QWidget *window);
    QString state() const;
    QFile m_log;
    QStringList m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::NoButton;
    QPointer<QWidget> m_main;
    bool m_seenMain = false;
    bool m_exitOnPaint = false;
};
