#include "RegionalClock.h"

#ifdef Q_OS_WIN
#include "IntlSettingsFilter.h"
#endif

#include <QCoreApplication>

#include <utility>

RegionalClock::RegionalClock(QObject *parent)
    : QObject(parent), m_now([] { return QDateTime::currentDateTime(); }), m_localeSource([] { return QLocale::system(); })
{
    rereadFormats();
#ifdef Q_OS_WIN
    // Only Windows tells a running program that the user changed the regional settings.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        m_settingsFilter = std::make_unique<IntlSettingsFilter>([this] { rereadFormats(); });
        app->installNativeEventFilter(m_settingsFilter.get());
    }
#endif
}

RegionalClock::~RegionalClock() // NOLINT(modernize-use-equals-default): empty only off Windows
{
#ifdef Q_OS_WIN
    if (m_settingsFilter && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_settingsFilter.get());
#endif
}

void RegionalClock::setTimeSource(TimeSource source)
{
    m_now = std::move(source);
}

void RegionalClock::setLocaleSource(LocaleSource source)
{
    m_localeSource = std::move(source);
    rereadFormats();
}

void RegionalClock::rereadFormats()
{
    m_locale = m_localeSource ? m_localeSource() : QLocale::system();
    m_dateFormat = m_locale.dateFormat(QLocale::ShortFormat);
    m_timeFormat = withoutTimeZone(m_locale.timeFormat(QLocale::LongFormat));
}

QString RegionalClock::text() const
{
    return format(m_now ? m_now() : QDateTime::currentDateTime(), m_locale, m_dateFormat, m_timeFormat);
}

QString RegionalClock::format(const QDateTime &moment, const QLocale &locale, const QString &dateFormat,
                              const QString &timeFormat)
{
    const QString date = locale.toString(moment.date(), dateFormat);
    const QTime time = moment.time();
    if (time == QTime(0, 0, 0, 0))
        return date;
    return date + QLatin1Char(' ') + locale.toString(time, timeFormat);
}

QString RegionalClock::withoutTimeZone(const QString &timeFormat)
{
    QString out;
    out.reserve(timeFormat.size());
    bool quoted = false;
    for (qsizetype i = 0; i < timeFormat.size(); ++i) {
        const QChar c = timeFormat.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;   // '' inside or outside quotes toggles twice and stays literal
            out += c;
            continue;
        }
        if (quoted || c != QLatin1Char('t')) {
            out += c;
            continue;
        }
        while (i + 1 < timeFormat.size() && timeFormat.at(i + 1) == QLatin1Char('t'))
            ++i;
        // The blank that joined the zone to the time goes with it.
        while (!out.isEmpty() && out.back().isSpace())
            out.chop(1);
        while (i + 1 < timeFormat.size() && timeFormat.at(i + 1).isSpace() && out.isEmpty())
            ++i;
    }
    return out.trimmed();
}
