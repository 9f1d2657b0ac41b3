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

QCursor DbWaitCursor::cursor()
{
    const QPixmap image = PngResource::pixmap(QStringLiteral(":/cursors/dbwait.png"));
    if (image.isNull())
        return QCursor(Qt::WaitCursor);
    return QCursor(image, 0, 0);
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
