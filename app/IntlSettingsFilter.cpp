#include "IntlSettingsFilter.h"

#include <utility>

#include <qt_windows.h>

IntlSettingsFilter::IntlSettingsFilter(std::function<void()> changed) : m_changed(std::move(changed))
{
}

bool IntlSettingsFilter::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "windows_generic_MSG" || !message)
        return false;
    const MSG *msg = static_cast<const MSG *>(message);
    if (msg->message == WM_SETTINGCHANGE && msg->lParam
        && lstrcmpiW(reinterpret_cast<LPCWSTR>(msg->lParam), L"intl") == 0 && m_changed)
        m_changed();
    return false;   // the windows still get the notice
}
