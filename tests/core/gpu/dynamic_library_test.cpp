#include "platform/dynamic_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>

#include "fake_nvapi_fixture.h"

namespace qnc {
namespace {

using ::testing::ElementsAre;

using DynamicLibraryTest = test::FakeNvapiTest;

TEST_F(DynamicLibraryTest, FindsExportedSymbolsAndUnloadsOnClose) {
  DynamicLibrary library = DynamicLibrary::Open(test::kFakeNvapi);
  ASSERT_TRUE(library.IsOpen()) << library.Error();
  EXPECT_NE(library.Symbol("nvapi_QueryInterface"), nullptr);
  EXPECT_EQ(library.Symbol("nvapi_NoSuchFunction"), nullptr);
  EXPECT_EQ(library.Symbol("OnLoad"), nullptr);  // internal functions are not exported
  EXPECT_THAT(Log(), ElementsAre("load"));

  library.Close();
  EXPECT_FALSE(library.IsOpen());
  EXPECT_EQ(library.Symbol("nvapi_QueryInterface"), nullptr);
  EXPECT_THAT(Log(), ElementsAre("load", "unload"));
  library.Close();  // closing twice is harmless
}

TEST_F(DynamicLibraryTest, MissingLibraryIsClosedWithAReason) {
  const DynamicLibrary library = DynamicLibrary::Open(test::kNoSuchLibrary);
  EXPECT_FALSE(library);
  EXPECT_THAT(library.Error(), ::testing::HasSubstr("libnvidia-api.so.1"));
  EXPECT_EQ(library.Symbol("nvapi_QueryInterface"), nullptr);
}

TEST_F(DynamicLibraryTest, OwnershipMovesAndIsReleasedOnce) {
  {
    DynamicLibrary first = DynamicLibrary::Open(test::kFakeNvapi);
    DynamicLibrary second = std::move(first);
    EXPECT_FALSE(first.IsOpen());  // NOLINT(bugprone-use-after-move): moved-from state is defined
    EXPECT_TRUE(second.IsOpen());
    EXPECT_THAT(Log(), ElementsAre("load"));

    // Taking over another library lets go of the one held before.
    second = DynamicLibrary::Open(test::kLibraryWithoutEntry);
    EXPECT_THAT(Log(), ElementsAre("load", "load", "unload"));
  }
  EXPECT_THAT(Log(), ElementsAre("load", "load", "unload", "unload"));
}

}  // namespace
}  // namespace qnc
