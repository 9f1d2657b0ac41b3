#pragma once

#include <QFile>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QWidget>

// Loaded into a real Tornevi process as a Qt generic plugin (QT_QPA_GENERIC_PLUGINS=messageprobe),
// so the tests can watch the unchanged program: it writes every message box to the log named by
// TORNEVI_PROBE_LOG and answers it with its default button (or No, when TORNEVI_PROBE_ANSWER says so), and it can end a run that started well
// (TORNEVI_PROBE_ACTION=exit once the loop runs after the window's first frame, exit-on-paint after the first painted frame of the window's ClientArea, ending the process
// there, before the program tears its windows down, so that a start-up benchmark times the start alone).
// With TORNEVI_PROBE_RUSAGE=1 it logs the process's page faults, peak memory and processor time when
// it is loaded, when the main window is shown, at its first paint and at the end (bench/startup_steps.sh).
// At the end it logs the size of the file named by TORNEVI_PROBE_FILE as the program sees it.
// With TORNEVI_PROBE_ANSWER=user it leaves every box to the user and logs the box's window id.
// With TORNEVI_PROBE_COMMANDS it follows the commands appended to that file, one a line:
// "state" logs the windows' state, "where <name>" the screen rectangle of a widget ("Form1/BitBtn1"
// or a bare name), of a menu item or of a tab ("PageControl1:2"), "grab <name> <path>" saves a
// picture of a widget.
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
    void logUsage(const char *point);
    void mainWindowShown(QWidget *window);
    void windowSeen();
    QString state() const;
    QString detailedState() const;
    void readCommands();
    void perform(const QString &command);
    QWidget *widgetNamed(const QString &name) const;
    QRect screenRect(const QString &name) const;
    QFile m_log;
    QFile m_commands;
    qint64 m_commandsRead = 0;
    QByteArray m_pending;
    bool m_userAnswers = false;
    QStringList m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::NoButton;
    QPointer<QWidget> m_main;
    bool m_seenMain = false;
    bool m_awaitingFrame = false;
    bool m_exitOnPaint = false;
    bool m_endAfterFirstFrame = false;
    bool m_logUsage = false;
};
