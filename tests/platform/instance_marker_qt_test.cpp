#include "platform/instance_marker.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

TEST(InstanceMarker, AMarkerHeldByAnotherUserIsNotAnotherInstance) {
  TempDir dir;
  const std::string path = dir.File("ApplicationTestMap");

  // This user's own marker, held: another instance runs.
  const int own = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(own, 0);
  ASSERT_EQ(flock(own, LOCK_EX), 0);
  InstanceMarker second;
  EXPECT_FALSE(second.Claim(path));

  // The same file made another user's (world-writable, as a squatter
  // would leave it) and held: it is not this program's marker.
  if (fchown(own, getuid() + 1, static_cast<gid_t>(-1)) != 0) {
    ::close(own);
    GTEST_SKIP() << "cannot give the file to another user";
  }
  fchmod(own, 0666);
  InstanceMarker third;
  EXPECT_TRUE(third.Claim(path));
  ::close(own);
}
