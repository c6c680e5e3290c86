#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/BeckyAPI.h"

namespace vesko {
namespace {

// The table's slots, read in memory order: the 54 pointers come first, in slot order.
static_assert(sizeof(TBeckyAPI) == (kBeckyFunctionCount + 1) * sizeof(void*));
std::vector<void*> Slots(const TBeckyAPI& api) {
  std::vector<void*> slots(kBeckyFunctionCount);
  std::memcpy(slots.data(), &api, kBeckyFunctionCount * sizeof(void*));
  return slots;
}

// A fake module: every name but `missing` resolves to an address that encodes its
// position in the name table, so a slot filled from the wrong name shows.
const char* missing = nullptr;
int lookups = 0;
void* FakeLookup(void*, const char* name) {
  ++lookups;
  if (missing != nullptr && std::strcmp(name, missing) == 0) return nullptr;
  for (int i = 0; i < kBeckyFunctionCount; ++i) {
    if (std::strcmp(name, kBeckyFunctionNames[i]) == 0) {
      return reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x1000 + 16 * i));
    }
  }
  return nullptr;
}
void* const kModule = reinterpret_cast<void*>(0x400000);

TEST(BeckyAPI, NamesAreTheHostsAndDistinct) {
  for (int i = 0; i < kBeckyFunctionCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::string(kBeckyFunctionNames[i]).rfind("BKA_", 0), 0u);
    for (int j = 0; j < i; ++j) EXPECT_STRNE(kBeckyFunctionNames[i], kBeckyFunctionNames[j]);
  }
  EXPECT_STREQ(kBeckyFunctionNames[0], "BKA_GetVersion");
  EXPECT_STREQ(kBeckyFunctionNames[20], "BKA_GetStatus");
  EXPECT_STREQ(kBeckyFunctionNames[51], "BKA_MIMEHeader");
  EXPECT_STREQ(kBeckyFunctionNames[53], "BKA_Connect");
}

TEST(BeckyAPI, BindFillsEverySlotFromItsOwnName) {
  missing = nullptr;
  TBeckyAPI api;
  ASSERT_TRUE(api.Bind(kModule, &FakeLookup));
  EXPECT_TRUE(api.bound());
  const std::vector<void*> slots = Slots(api);
  for (int i = 0; i < kBeckyFunctionCount; ++i) {
    SCOPED_TRACE(kBeckyFunctionNames[i]);
    EXPECT_EQ(slots[i], FakeLookup(nullptr, kBeckyFunctionNames[i]));
  }
  EXPECT_EQ(reinterpret_cast<void*>(api.BKA_GetNextMail), FakeLookup(nullptr, "BKA_GetNextMail"));
  // Bound already: no second look-up.
  lookups = 0;
  EXPECT_TRUE(api.Bind(kModule, &FakeLookup));
  EXPECT_EQ(lookups, 0);
}

TEST(BeckyAPI, OneMissingNameLeavesTheTableUnbound) {
  for (const int gap : {0, 23, kBeckyFunctionCount - 1}) {
    SCOPED_TRACE(kBeckyFunctionNames[gap]);
    missing = kBeckyFunctionNames[gap];
    lookups = 0;
    TBeckyAPI api;
    EXPECT_FALSE(api.Bind(kModule, &FakeLookup));
    EXPECT_FALSE(api.bound());
    EXPECT_EQ(lookups, gap + 1);  // stops at the first missing name
    const std::vector<void*> slots = Slots(api);
    for (int i = 0; i < kBeckyFunctionCount; ++i) {
      EXPECT_EQ(slots[i] != nullptr, i < gap) << kBeckyFunctionNames[i];
    }
    // Binding again retries: once the name is there, the table binds.
    missing = nullptr;
    EXPECT_TRUE(api.Bind(kModule, &FakeLookup));
  }
}

TEST(BeckyAPI, ModuleHandleBelow32Fails) {
  missing = nullptr;
  for (const std::uintptr_t handle : {0u, 1u, 31u}) {
    lookups = 0;
    TBeckyAPI api;
    EXPECT_FALSE(api.Bind(reinterpret_cast<void*>(handle), &FakeLookup));
    EXPECT_EQ(lookups, 0);
  }
}

}  // namespace
}  // namespace vesko
