#pragma once
// Module services the loader offers a library.
#include "host/sdk/Types.h"

BOOL DisableThreadLibraryCalls(HINSTANCE module);

namespace host {
bool threadNotificationsDisabled(HINSTANCE module);
}
