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

DbActivity::Request::Request()
{
    if (DbActivity *a = instance()) {
        a->begin();
        m_running = true;
        m_workBefore = a->m_begun;
    }
}

DbActivity::Request::~Request()
{
    end(false);
}

void DbActivity::Request::finish()
{
    end(true);
}

void DbActivity::Request::fail()
{
    end(false);
}

void DbActivity::Request::end(bool finished)
{
    if (!m_running)
        return;
    m_running = false;
    DbActivity *a = instance();
    if (!a)
        return;
    // With no statement run there is nothing for the timed reset to wait for.
    if (finished || a->m_begun == m_workBefore)
        a->endAtOnce();
    else
        a->end();
}

void DbActivity::begin()
{
    ++m_begun;
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

void DbActivity::endAtOnce()
{
    if (m_depth > 0 && --m_depth == 0) {
        m_timer.stop();
        m_sinceEnd.invalidate();
        emit idle();
    }
}

void DbActivity::tick()
{
    if (m_depth == 0 && m_sinceEnd.isValid() && m_sinceEnd.elapsed() >= ResetMs) {
        m_timer.stop();
        emit idle();
    }
}
