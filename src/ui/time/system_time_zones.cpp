#include "ui/options/options_dialog.h"

#include "platform/wall_clock.h"

#include <QDateTime>
#include <QTimeZone>

namespace tivora {

TimeZoneSource systemTimeZones()
{
    TimeZoneSource source;
    source.folder = zoneinfoFolder();
    source.standardOffset = [](const std::string &zoneId) -> std::optional<int> {
        const QTimeZone zone(QByteArray::fromStdString(zoneId));
        if (!zone.isValid())
            return std::nullopt;
        return zone.standardTimeOffset(QDateTime::currentDateTimeUtc()) / 60;
    };
    source.localStandardOffset = [] {
        return QTimeZone::systemTimeZone().standardTimeOffset(QDateTime::currentDateTimeUtc()) / 60;
    };
    return source;
}

} // namespace tivora
