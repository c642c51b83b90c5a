#include "plugin/Resources.h"

#include "host/sdk/StringTable.h"
#include "plugin/ClassDescriptors.h"

namespace plugin {

namespace {
// Class names as the parameter blocks and rollouts show them.
const host::StringEntry kLibraryStrings[] = {
    {1, _M("Tessaron Iridel")},
    {20, _M("Tessaron Particle Force")},
    {21, _M("Vortex Force")},
    {39, _M("Tessaron Orb Ink")},
    {64, _M("Tessaron Ink Material")},
};
}  // namespace

void registerResources(HINSTANCE module) {
  host::addResourceStrings(module, kLibraryStrings, static_cast<int>(std::size(kLibraryStrings)));
  host::addResourceStrings(module, orb::kOrbStrings, orb::kOrbStringCount);
  host::addResourceStrings(module, vortex::kStrings, vortex::kStringCount);
  host::addResourceStrings(module, orbforce::kStrings, orbforce::kStringCount);
  host::addResourceStrings(module, ink::inkStrings().data(), static_cast<int>(ink::inkStrings().size()));
  host::addResourceStrings(module, inkmtl::kStrings, inkmtl::kStringCount);
}

}  // namespace plugin
