#pragma once
// The library's string table.
#include "host/sdk/Types.h"

namespace plugin {
// Hands every string of the library to the host under the module's handle.
void registerResources(HINSTANCE module);
}
