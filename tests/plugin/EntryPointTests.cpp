// The library's entry points, its five class descriptors, the order in
// which loading builds its descriptors, and its string table.
#include <gtest/gtest.h>

#include <set>

#include "host/sdk/LoadLog.h"
#include "host/sdk/Module.h"
#include "host/sdk/ParamBlock2.h"
#include "host/sdk/StringTable.h"
#include "plugin/ClassDescriptors.h"
#include "plugin/EntryPoints.h"
#include "plugin/Module.h"

namespace {
struct ClassRow {
  const wchar_t* name;
  const wchar_t* internal;
  const wchar_t* category;
  SClass_ID super;
  Class_ID id;
  const wchar_t* block;
};

const ClassRow kDirectory[] = {
    {L"Tessaron Iridel", L"TessaronIridel", L"TessaronFX", 0x10, Class_ID(0x5B7E2C91, 0x3FA8D4E6), L"OrbParameters"},
    {L"Tessaron Orb Vortex Force", L"TessaronOrbVortexForce", L"TessaronFX", 0x830, Class_ID(0x2E8B61C4, 0x9F07A5D3),
     L"TessaronOrbVortexParameters"},
    {L"Tessaron Orb Particle Force", L"TessaronOrbParticleForce", L"TessaronFX", 0x830,
     Class_ID(0x7A2E9F44, 0xD1C56B89), L"TessaronOrbForceParameters"},
    {L"Tessaron Orb Ink", L"TessaronOrbInk", L"TessaronFX", 0x10, Class_ID(0x41C7E2B9, 0x6D3A9F15), L"InkParameters"},
    {L"Tessaron Ink Material", L"TessaronInkMaterial", L"TessaronFX Tools", 0xC00, Class_ID(0x5A3E91C7, 0x2F8D4B06),
     L"InkMaterialParameters"},
};
}  // namespace

TEST(EntryPointTest, FixedAnswers) {
  EXPECT_STREQ(LibDescription(), L"Tessaron Iridel 0.3 - glass orb with silk veil (Max 2024)");
  EXPECT_EQ(LibDescription(), LibDescription());
  EXPECT_NE(MSTR(LibDescription()).find(L"0.3"), MSTR::npos);
  EXPECT_EQ(LibNumberClasses(), 5);
  EXPECT_EQ(LibVersion(), 0x65904000ul);
  EXPECT_EQ(CanAutoDefer(), 0ul);
}

TEST(EntryPointTest, DirectoryHandsOutFiveDistinctDescriptorsInOrder) {
  EXPECT_EQ(LibClassDesc(-1), nullptr);
  EXPECT_EQ(LibClassDesc(5), nullptr);
  std::set<ClassDesc*> seen;
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    ClassDesc* cd = LibClassDesc(i);
    ASSERT_NE(cd, nullptr);
    EXPECT_TRUE(seen.insert(cd).second);
    EXPECT_EQ(LibClassDesc(i), cd);
    const ClassRow& row = kDirectory[i];
    EXPECT_STREQ(cd->ClassName(), row.name);
    EXPECT_STREQ(cd->NonLocalizedClassName(), row.internal);
    EXPECT_STREQ(cd->InternalName(), row.internal);
    EXPECT_STREQ(cd->Category(), row.category);
    EXPECT_EQ(cd->SuperClassID(), row.super);
    EXPECT_EQ(cd->ClassID(), row.id);
    EXPECT_EQ(cd->IsPublic(), 1);
    EXPECT_EQ(cd->BeginCreate(nullptr), 0);
    EXPECT_EQ(cd->EndCreate(nullptr), 0);
    EXPECT_EQ(cd->OkToCreate(nullptr), TRUE);
    EXPECT_EQ(cd->NumActionTables(), 0);
    EXPECT_EQ(cd->HasClassParams(), FALSE);
    EXPECT_EQ(cd->NumManipulators(), 0);
    EXPECT_EQ(cd->InitialRollupPageState(), 0x7FFFFFFFu);
    EXPECT_EQ(cd->HInstance(), plugin::moduleHandle());
  }
}

TEST(EntryPointTest, CreateGivesAnObjectOfTheDescriptorsClassWithItsBlock) {
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    auto* cd = static_cast<ClassDesc2*>(LibClassDesc(i));
    auto* obj = static_cast<Animatable*>(cd->Create(FALSE));
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->ClassID(), cd->ClassID());
    EXPECT_EQ(obj->SuperClassID(), cd->SuperClassID());
    ASSERT_EQ(obj->NumParamBlocks(), 1);
    IParamBlock2* pb = obj->GetParamBlockByID(0);
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->GetDesc()->int_name, kDirectory[i].block);
    EXPECT_EQ(pb->GetDesc()->cd, cd);
    EXPECT_EQ(pb->GetOwner(), dynamic_cast<ReferenceMaker*>(obj));
    EXPECT_TRUE(pb->GetDesc()->Validate().empty());
    obj->DeleteThis();
  }
}

TEST(EntryPointTest, LoadingBuildsEachDescriptorBeforeThoseThatRegisterWithIt) {
  using host::LoadItem;
  const auto& log = host::loadRecords();
  struct Expected {
    LoadItem kind;
    const void* object;
    const char* name;
  };
  const Expected expected[] = {
      {LoadItem::ClassDescriptor, GetOrbDesc(), ""},
      {LoadItem::InterfaceDescriptor, nullptr, "iridel"},
      {LoadItem::ParamBlockDescriptor, nullptr, "OrbParameters"},
      {LoadItem::ClassDescriptor, GetVortexDesc(), ""},
      {LoadItem::ParamBlockDescriptor, nullptr, "TessaronOrbVortexParameters"},
      {LoadItem::ClassDescriptor, GetOrbForceDesc(), ""},
      {LoadItem::ParamBlockDescriptor, nullptr, "TessaronOrbForceParameters"},
      {LoadItem::ClassDescriptor, GetInkDesc(), ""},
      {LoadItem::InterfaceDescriptor, nullptr, "orbInk"},
      {LoadItem::ParamBlockDescriptor, nullptr, "InkParameters"},
      {LoadItem::ClassDescriptor, GetInkMtlDesc(), ""},
      {LoadItem::ParamBlockDescriptor, nullptr, "InkMaterialParameters"},
      {LoadItem::KernelModule, nullptr, "orb cloth"},
      {LoadItem::KernelModule, nullptr, "ink"},
  };
  ASSERT_EQ(log.size(), std::size(expected));
  for (std::size_t i = 0; i < log.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(log[i].kind, expected[i].kind);
    EXPECT_EQ(log[i].name, expected[i].name);
    if (expected[i].object) {
      EXPECT_EQ(log[i].object, expected[i].object);
    }
  }
  // Each block and interface registered with the descriptor built just before it.
  EXPECT_EQ(GetOrbDesc()->NumParamBlockDescs(), 1);
  EXPECT_EQ(GetOrbDesc()->NumInterfaces(), 1);
  EXPECT_EQ(GetInkDesc()->NumInterfaces(), 1);
  EXPECT_EQ(GetVortexDesc()->NumInterfaces(), 0);
}

TEST(EntryPointTest, AttachRecordsTheModuleAndSilencesThreadNotifications) {
  ASSERT_NE(plugin::moduleHandle(), nullptr);
  EXPECT_EQ(plugin::moduleHandle(), plugin::loadedModuleHandle());
  EXPECT_TRUE(host::threadNotificationsDisabled(plugin::moduleHandle()));
}

TEST(EntryPointTest, StringTableCarriesClassNamesTitlesAndLabels) {
  EXPECT_STREQ(plugin::GetString(1), L"Tessaron Iridel");
  EXPECT_STREQ(plugin::GetString(20), L"Tessaron Particle Force");
  EXPECT_STREQ(plugin::GetString(21), L"Vortex Force");
  EXPECT_STREQ(plugin::GetString(39), L"Tessaron Orb Ink");
  EXPECT_STREQ(plugin::GetString(64), L"Tessaron Ink Material");
  EXPECT_STREQ(plugin::GetString(10), L"Shape");
  EXPECT_STREQ(plugin::GetString(14), L"Quality / Components");
  EXPECT_STREQ(plugin::GetString(53), L"Ink in Water (fluid simulation)");
  EXPECT_STREQ(plugin::GetString(63), L"Particles and light");
  EXPECT_STREQ(plugin::GetString(99999), L"");
  // Every label a block names is in the table.
  for (int i = 0; i < 5; ++i) {
    auto* cd = static_cast<ClassDesc2*>(LibClassDesc(i));
    ParamBlockDesc2* b = cd->GetParamBlockDesc(0);
    for (int p = 0; p < b->Count(); ++p)
      EXPECT_NE(host::resourceString(cd->HInstance(), b->GetParamDefByIndex(p).labelId), nullptr)
          << host::narrow(b->GetParamDefByIndex(p).internalName);
    for (const RolloutDef& r : b->Rollouts()) EXPECT_NE(host::resourceString(cd->HInstance(), r.titleId), nullptr);
  }
}
