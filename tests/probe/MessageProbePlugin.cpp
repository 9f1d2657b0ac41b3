#include "MessageProbe.h"

#include <QGenericPlugin>

class MessageProbePlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "messageprobe.json")
public:
    QObject *create(const QString &key, const QString &) override
    {
        return key.compare(QLatin1String("messageprobe"), Qt::CaseInsensitive) == 0 ? new MessageProbe : nullptr;
    }
};

#include "MessageProbePlugin.moc"
