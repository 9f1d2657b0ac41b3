#include "DbWaitCursor.h"

#include "DbActivity.h"
#include "PngResource.h"

#include <QGuiApplication>
#include <QPixmap>

DbWaitCursor::DbWaitCursor(QObject *parent) : QObject(parent)
{
    if (DbActivity *activity = DbActivity::instance()) {
        connect(activity, &DbActivity::workStarted, this, &DbWaitCursor::set);
        connect(activity, &DbActivity::idle, this, &DbWaitCursor::reset);
    }
}

const QCursor &DbWaitCursor::cursor()
{
    if (!m_cursor) {
        const QPixmap image = PngResource::pixmap(QStringLiteral(":/cursors/dbwait.png"));
        m_cursor = image.isNull() ? QCursor(Qt::WaitCursor) : QCursor(image, 0, 0);
    }
    return *m_cursor;
}

void DbWaitCursor::set()
{
    if (!QGuiApplication::overrideCursor())
        QGuiApplication::setOverrideCursor(cursor());
}

void DbWaitCursor::reset()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}
