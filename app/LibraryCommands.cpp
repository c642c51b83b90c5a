// Commands that ask the library about itself: info, classes, params.
#include <cstdio>
#include <iostream>

#include <nlohmann/json.hpp>

#include "app/Commands.h"
#include "app/ParamTable.h"
#include "gpu/Device.h"
#include "gpu/HostParallel.h"
#include "gpu/KernelStats.h"
#include "gpu/LaneLaunch.h"
#include "host/loader/ClassDirectory.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/sim/GpuContext.h"
#include "plugin/EntryPoints.h"

namespace app {

using json = nlohmann::ordered_json;

int fail(const std::string& message) {
  std::cerr << "orbink: " << message << "\n";
  return 1;
}

void loadLibrary() { host::classDirectory().addLibrary(LibNumberClasses(), LibClassDesc); }

int runInfo(bool verbose) {
  std::string device;
  ink::describeDevice(device);
  std::printf("%s\n%s\n", host::narrow(LibDescription()).c_str(), device.c_str());
  std::printf("capacity: %.1f million particles\n", ink::gpuCapacityMillions());
  std::printf("backend: %s\n", gpu::backendName());
  std::printf("cpu vectors: %s, %d lanes\n", gpu::vectorInstructionSet(), util::lanes::kLanes);
  if (verbose) std::printf("host threads: %d\n", gpu::hostThreadCount());
  return 0;
}

void printKernelStats() {
  for (const gpu::KernelStats& k : gpu::kernelStats())
    std::fprintf(stderr, "kernel %s: %llu launches, %.3f s\n", k.name.c_str(),
                 static_cast<unsigned long long>(k.launches), k.seconds);
}

int runClasses(bool asJson) {
  json list = json::array();
  for (int i = 0; i < LibNumberClasses(); ++i) {
    ClassDesc* cd = LibClassDesc(i);
    list.push_back({{"index", i},
                    {"className", host::narrow(cd->ClassName())},
                    {"internalName", host::narrow(cd->InternalName())},
                    {"category", host::narrow(cd->Category())},
                    {"superClassId", cd->SuperClassID()},
                    {"classId", {cd->ClassID().PartA(), cd->ClassID().PartB()}}});
  }
  if (asJson) {
    std::cout << list.dump(2) << "\n";
    return 0;
  }
  for (const json& c : list) {
    std::printf("%d\t%s\t%s\t%s\t0x%lX\t(0x%08lX, 0x%08lX)\n", c["index"].get<int>(),
                c["className"].get<std::string>().c_str(), c["internalName"].get<std::string>().c_str(),
                c["category"].get<std::string>().c_str(), c["superClassId"].get<unsigned long>(),
                c["classId"][0].get<unsigned long>(), c["classId"][1].get<unsigned long>());
  }
  return 0;
}

int runParams(const std::string& className, bool asJson) {
  auto* cd = dynamic_cast<ClassDesc2*>(host::classDirectory().findByInternalName(host::widen(className).c_str()));
  if (!cd) return fail("unknown class \"" + className + "\"");
  if (cd->NumParamBlockDescs() == 0) return fail(className + " has no parameter block");
  json blocks = json::array();
  std::string text;
  for (int b = 0; b < cd->NumParamBlockDescs(); ++b) {
    blocks.push_back(paramTableJson(*cd, *cd->GetParamBlockDesc(b)));
    text += paramTableText(*cd, *cd->GetParamBlockDesc(b));
  }
  if (asJson)
    std::cout << (blocks.size() == 1 ? blocks[0] : blocks).dump(2) << "\n";
  else
    std::cout << text;
  return 0;
}

}  // namespace app
