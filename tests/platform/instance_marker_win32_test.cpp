// The marker is the designed kernel object: a named read-only mapping of 32
// bytes of the paging file.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/instance_marker.h"

TEST(InstanceMarkerOnWindows, IsANamedReadOnlyMappingOf32Bytes) {
  EXPECT_EQ(DefaultInstanceMarkerPath(), "ApplicationTestMap");
  const char* name = "waga-marker-test-mapping";
  InstanceMarker marker;
  ASSERT_TRUE(marker.Claim(name));

  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
  ASSERT_NE(mapping, nullptr) << GetLastError();
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr) << GetLastError();
  MEMORY_BASIC_INFORMATION region{};
  ASSERT_NE(VirtualQuery(view, &region, sizeof region), 0u);
  EXPECT_GE(region.RegionSize, 32u);
  EXPECT_EQ(region.Protect, static_cast<DWORD>(PAGE_READONLY));
  // Writing needs more than the mapping grants.
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0), nullptr);
  UnmapViewOfFile(view);
  CloseHandle(mapping);

  marker.Release();
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name), nullptr);
}
