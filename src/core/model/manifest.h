#pragma once

#include <string>

namespace tivora {

// The application manifest written beside the executable on the first start:
// one line of XML followed by CR LF.
std::string manifestText();

} // namespace tivora
