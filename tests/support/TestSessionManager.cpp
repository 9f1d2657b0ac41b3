#include "TestSessionManager.h"

#include <QList>
#include <QSocketNotifier>

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <cstdlib>

struct TestSessionManager::Private
{
    TestSessionManager *q = nullptr;
    int listenCount = 0;
    IceListenObj *listenObjs = nullptr;
    QList<QSocketNotifier *> listeners;
    struct Client
    {
        IceConn ice = nullptr;
        SmsConn sms = nullptr;
        QSocketNotifier *notifier = nullptr;
        bool registered = false;
    };
    QList<Client *> clients;

    Client *clientOf(SmsConn sms) const
    {
        for (Client *c : clients)
            if (c->sms == sms)
                return c;
        return nullptr;
    }

    void saveDone() { ++q->m_savesDone; }
    void accept(IceListenObj listenObj);
    void process(Client *client);
    void drop(Client *client);
};

namespace {
TestSessionManager::Private *instance = nullptr;

// Every local client is let in: the socket lives in the test's own directory of ICE sockets.
Bool allowHost(char *)
{
    return True;
}

Status registerClient(SmsConn sms, SmPointer, char *)
{
    if (!instance)
        return 0;
    char *id = SmsGenerateClientID(sms);
    const Status ok = SmsRegisterClientReply(sms, id);
    std::free(id);
    if (TestSessionManager::Private::Client *c = instance->clientOf(sms)) {
        c->registered = true;
        // A new client is asked to save itself at once, as the protocol has it.
        SmsSaveYourself(sms, SmSaveLocal, False, SmInteractStyleNone, False);
    }
    return ok;
}

void interactRequest(SmsConn sms, SmPointer, int)
{
    SmsInteract(sms);
}

void interactDone(SmsConn, SmPointer, Bool) {}

void saveYourselfRequest(SmsConn sms, SmPointer, int saveType, Bool shutdown, int interactStyle, Bool fast, Bool)
{
    SmsSaveYourself(sms, saveType, shutdown, interactStyle, fast);
}

void saveYourselfPhase2Request(SmsConn sms, SmPointer)
{
    SmsSaveYourselfPhase2(sms);
}

void saveYourselfDone(SmsConn, SmPointer, Bool);

void closeConnection(SmsConn sms, SmPointer, int count, char **reasons)
{
    SmFreeReasons(count, reasons);
    if (!instance)
        return;
    if (TestSessionManager::Private::Client *c = instance->clientOf(sms))
        instance->drop(c);
}

void setProperties(SmsConn, SmPointer, int count, SmProp **props)
{
    for (int i = 0; i < count; ++i)
        SmFreeProperty(props[i]);
    std::free(props);
}

void deleteProperties(SmsConn, SmPointer, int count, char **names)
{
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void getProperties(SmsConn sms, SmPointer)
{
    SmsReturnProperties(sms, 0, nullptr);
}

// Called while the connection being accepted is set up: it is the last client.
Status newClient(SmsConn sms, SmPointer, unsigned long *mask, SmsCallbacks *callbacks, char **)
{
    if (instance && !instance->clients.isEmpty() && !instance->clients.last()->sms)
        instance->clients.last()->sms = sms;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask
            | SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask
            | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask
            | SmsGetPropertiesProcMask;
    callbacks->register_client.callback = registerClient;
    callbacks->interact_request.callback = interactRequest;
    callbacks->interact_done.callback = interactDone;
    callbacks->save_yourself_request.callback = saveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = saveYourselfPhase2Request;
    callbacks->save_yourself_done.callback = saveYourselfDone;
    callbacks->close_connection.callback = closeConnection;
    callbacks->set_properties.callback = setProperties;
    callbacks->delete_properties.callback = deleteProperties;
    callbacks->get_properties.callback = getProperties;
    return 1;
}

void saveYourselfDone(SmsConn, SmPointer, Bool)
{
    if (instance)
        instance->saveDone();
}
} // namespace

void TestSessionManager::Private::accept(IceListenObj listenObj)
{
    IceAcceptStatus status = IceAcceptFailure;
    IceConn ice = IceAcceptConnection(listenObj, &status);
    if (!ice || status != IceAcceptSuccess)
        return;
    auto *client = new Client;
    client->ice = ice;
    clients << client;
    // The connection is set up by the messages that follow; the client's protocol with it.
    while (IceConnectionStatus(ice) == IceConnectPending) {
        if (IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError)
            break;
    }
    if (IceConnectionStatus(ice) != IceConnectAccepted) {
        IceCloseConnection(ice);
        clients.removeOne(client);
        delete client;
        return;
    }
    client->notifier = new QSocketNotifier(IceConnectionNumber(ice), QSocketNotifier::Read, q);
    QObject::connect(client->notifier, &QSocketNotifier::activated, q, [this, client] { process(client); });
}

void TestSessionManager::Private::process(Client *client)
{
    if (IceProcessMessages(client->ice, nullptr, nullptr) == IceProcessMessagesIOError)
        drop(client);
    // A registration counts once it is answered.
    int registered = 0;
    for (const Client *c : clients)
        registered += c->registered ? 1 : 0;
    q->m_registered = std::max(q->m_registered, registered);
}

void TestSessionManager::Private::drop(Client *client)
{
    if (!clients.removeOne(client))
        return;
    ++q->m_closed;
    if (client->notifier)
        client->notifier->deleteLater();
    if (client->sms)
        SmsCleanUp(client->sms);
    IceSetShutdownNegotiation(client->ice, False);
    IceCloseConnection(client->ice);
    delete client;
}

TestSessionManager::TestSessionManager() : d(std::make_unique<Private>())
{
    d->q = this;
}

TestSessionManager::~TestSessionManager()
{
    while (!d->clients.isEmpty())
        d->drop(d->clients.first());
    if (d->listenObjs)
        IceFreeListenObjs(d->listenCount, d->listenObjs);
    if (instance == d.get())
        instance = nullptr;
}

bool TestSessionManager::listen()
{
    if (instance) {
        m_error = QStringLiteral("one session manager per test");
        return false;
    }
    char error[256] = {};
    if (!SmsInitialize(const_cast<char *>("tornevi-tests"), const_cast<char *>("1.0"), newClient, nullptr, allowHost,
                       sizeof error, error)) {
        m_error = QString::fromLocal8Bit(error);
        return false;
    }
    if (!IceListenForConnections(&d->listenCount, &d->listenObjs, sizeof error, error)) {
        m_error = QString::fromLocal8Bit(error);
        return false;
    }
    instance = d.get();
    for (int i = 0; i < d->listenCount; ++i) {
        IceSetHostBasedAuthProc(d->listenObjs[i], allowHost);
        auto *n = new QSocketNotifier(IceGetListenConnectionNumber(d->listenObjs[i]), QSocketNotifier::Read, this);
        IceListenObj obj = d->listenObjs[i];
        connect(n, &QSocketNotifier::activated, this, [this, obj] { d->accept(obj); });
        d->listeners << n;
    }
    char *ids = IceComposeNetworkIdList(d->listenCount, d->listenObjs);
    m_address = QString::fromLocal8Bit(ids);
    std::free(ids);
    return true;
}

void TestSessionManager::saveYourself(bool shutdown)
{
    for (Private::Client *c : std::as_const(d->clients)) {
        if (c->registered && c->sms)
            SmsSaveYourself(c->sms, SmSaveBoth, shutdown ? True : False, SmInteractStyleAny, False);
    }
}

void TestSessionManager::die()
{
    for (Private::Client *c : std::as_const(d->clients)) {
        if (c->registered && c->sms)
            SmsDie(c->sms);
    }
}
