#include "DbActivity.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

DbActivity::DbActivity(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(ResetMs);
    connect(&m_timer, &QTimer::timeout, this, &DbActivity::tick);
}

DbActivity *DbActivity::instance()
{
    static QPointer<DbActivity> activity;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return nullptr;
    if (!activity)
        activity = new DbActivity(app);
    return activity;
}

DbActivity::Scope::Scope()
{
    if (DbActivity *a = instance())
        a->begin();
}

DbActivity::Scope::~Scope()
{
    if (DbActivity *a = instance())
        a->end();
}

void DbActivity::begin()
{
    if (m_depth++ == 0) {
        emit workStarted();
        m_timer.start();
    }
}

void DbActivity::end()
{
    if (m_depth > 0 && --m_depth == 0)
        m_sinceEnd.start();
}

void DbActivity::tick()
{
    if (m_depth == 0 && m_sinceEnd.isValid() && m_sinceEnd.elapsed() >= ResetMs) {
        m_timer.stop();
        emit idle();
    }
}
