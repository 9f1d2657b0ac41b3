#pragma once

#include <QAbstractNativeEventFilter>

#include <functional>

// Windows only: calls back when the system announces changed regional settings
// (WM_SETTINGCHANGE with "intl"), which Qt does not pass on to its cached system locale.
class IntlSettingsFilter : public QAbstractNativeEventFilter
{
public:
    explicit IntlSettingsFilter(std::function<void()> changed);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    std::function<void()> m_changed;
};
