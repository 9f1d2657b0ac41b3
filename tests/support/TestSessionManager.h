#pragma once

#include <QObject>
#include <QString>

#include <memory>

// A minimal X session manager (XSMP, over libSM and libICE) inside a test: it listens on a local
// ICE socket, takes its clients' registrations as a desktop's session manager does, and sends
// them what a user's logout sends: "save yourself" (with or without the shutdown) and "die".
// It works in the test's own event loop.
class TestSessionManager : public QObject
{
    Q_OBJECT
public:
    TestSessionManager();
    ~TestSessionManager() override;

    // False when no ICE socket could be opened; error() says why.
    bool listen();
    QString error() const { return m_error; }
    // The value of SESSION_MANAGER that leads a client here.
    QString address() const { return m_address; }

    int registeredClients() const { return m_registered; }
    int savesDone() const { return m_savesDone; }
    int closedConnections() const { return m_closed; }

    // To every registered client.
    void saveYourself(bool shutdown);
    void die();

    struct Private;

private:
    std::unique_ptr<Private> d;
    QString m_error;
    QString m_address;
    int m_registered = 0;
    int m_savesDone = 0;
    int m_closed = 0;
};
