#pragma once

#include <string>

class QListWidgetItem;

namespace tivora {

// A clock line of the options dialog's list keeps the clock line's own text; its zone
// (empty for a fixed-offset clock) lives in the item and shows as its tool tip.
std::string lineZone(const QListWidgetItem *item);
void setLineZone(QListWidgetItem *item, const std::string &zone);

} // namespace tivora
