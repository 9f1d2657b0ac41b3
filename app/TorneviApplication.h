#pragma once

#include <QApplication>

// The application object: derives the title from the executable's name, shows the start-up
// messages, takes requests to end, and reports every error a handler lets through.
class TorneviApplication : public QApplication
{
    Q_OBJECT
public:
    TorneviApplication(int &argc, char **argv);
    ~TorneviApplication() override;

    // Settings that must be made before the application object exists.
    static void prepare();

    static TorneviApplication *instance();

    // "Tornevi" from ".../TORNEVI.EXE.bak": file name up to its first dot, then lower case after the first letter.
    static QString titleFromPath(const QString &executablePath);
    QString title() const { return m_title; }

    // Modal box: the title as caption, no icon, one OK button.
    void showStartupMessage(const QString &text);
    // The default error report, for every error a handler lets through: the message (with the
    // full-stop rule), error icon, OK.
    void showError(const QString &message);
    static QString withFullStop(const QString &message);

    // Returns at once; the program ends when the main event loop next takes control.
    void requestEnd();

    // The desktop session is ending (log-off, shutdown): the program ends at once, asking nothing
    // and leaving everything as it is.
    void endSession();
    bool isSessionEnding() const { return m_sessionEnding; }

    int run();   // the main event loop

    bool notify(QObject *receiver, QEvent *event) override;

signals:
    void endRequested();

protected:
    bool event(QEvent *event) override;

private:
    void loadTranslations();
    void postEnd();

    QString m_title;
    bool m_endRequested = false;
    bool m_endPosted = false;
    bool m_inMainLoop = false;
    bool m_sessionEnding = false;
};
