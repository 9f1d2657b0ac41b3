#pragma once

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class IntlSettingsFilter;

// The status bar's clock text: the local date in the user's short date format, a blank and the
// time in the user's long time format; at exact midnight the date alone. The formats are read at
// start and again when the user changes the regional settings (a notice only Windows sends; on
// Linux they come from the environment and stay for the run). Time and locale can be replaced.
class RegionalClock : public QObject
{
    Q_OBJECT
public:
    using TimeSource = std::function<QDateTime()>;
    using LocaleSource = std::function<QLocale()>;

    explicit RegionalClock(QObject *parent = nullptr);
    ~RegionalClock() override;

    void setTimeSource(TimeSource source);
    // Takes the formats from the new source at once.
    void setLocaleSource(LocaleSource source);

    // The user changed the regional settings: the next text uses the new formats.
    void rereadFormats();

    QString text() const;

    static QString format(const QDateTime &moment, const QLocale &locale, const QString &dateFormat,
                          const QString &timeFormat);
    // Windows' long time format names no time zone; Qt's does on Linux ("t" and its longer forms).
    static QString withoutTimeZone(const QString &timeFormat);

private:
    TimeSource m_now;
    LocaleSource m_localeSource;
    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
#ifdef Q_OS_WIN
    std::unique_ptr<IntlSettingsFilter> m_settingsFilter;
#endif
};
