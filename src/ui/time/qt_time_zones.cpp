#include "ui/time/qt_time_zones.h"

#include <QDateTime>

namespace tivora {

std::optional<int> QtTimeZones::utcOffset(const std::string &zone, std::int64_t utcSeconds) const
{
    auto it = m_zones.find(zone);
    if (it == m_zones.end()) {
        QTimeZone found;
        if (isZoneName(zone))
            found = QTimeZone(QByteArray::fromStdString(zone));
        it = m_zones.emplace(zone, found).first;
    }
    if (!it->second.isValid())
        return std::nullopt;
    return it->second.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utcSeconds, Qt::UTC));
}

} // namespace tivora
