#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/free_space.h"
#include "platform/instance_marker.h"

namespace {

// A marker of its own for each test, never the program's: a plain name is a
// mapping name on Windows and a file in the working directory elsewhere.
struct TestMarkerName {
  std::string name;
  explicit TestMarkerName(const std::string& test) : name("waga-marker-test-" + test) {}
  ~TestMarkerName() {
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
  }
};

}  // namespace

TEST(InstanceMarker, ASecondHolderIsRefusedUntilTheFirstReleases) {
  TestMarkerName marker("second");
  InstanceMarker first;
  ASSERT_TRUE(first.Claim(marker.name));
  EXPECT_TRUE(first.Held());

  InstanceMarker second;
  EXPECT_FALSE(second.Claim(marker.name));
  EXPECT_FALSE(second.Held());

  first.Release();
  EXPECT_FALSE(first.Held());
  EXPECT_TRUE(second.Claim(marker.name));
  EXPECT_TRUE(second.Held());
}

TEST(InstanceMarker, TheMarkerGoesWithItsHolder) {
  TestMarkerName marker("scope");
  {
    InstanceMarker holder;
    ASSERT_TRUE(holder.Claim(marker.name));
  }
  InstanceMarker next;
  EXPECT_TRUE(next.Claim(marker.name));
  // Claiming again while held keeps the marker.
  EXPECT_TRUE(next.Claim(marker.name));
  InstanceMarker other;
  EXPECT_FALSE(other.Claim(marker.name));
}

TEST(FreeDiskSpace, TheWorkingDirectoryHasSomeRoom) {
  EXPECT_GT(FreeDiskSpace(), 0);
}
