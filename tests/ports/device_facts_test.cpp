#include "ports/device_facts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ports/port_hint.h"
#include "ports/port_mapping.h"
#include "ports/serial_devices.h"
#include "serial/com_errors.h"
#include "tests/ports/fake_tree.h"
#include "tests/support/serial/pty_pair.h"

namespace {

UserIdentity Jan() {
  UserIdentity user;
  user.uid = 1000;
  user.gid = 1000;
  user.name = "jan";
  user.sessionGroups = {1000};
  user.pid = 1;
  return user;
}

gid_t GroupOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_gid;
}

}  // namespace

TEST(SerialDevices, ListsLinksAdaptersAndUartsThatExist) {
  FakeTree tree;
  tree.Put("dev/ttyUSB10");
  tree.Put("dev/ttyUSB2");
  tree.Put("dev/ttyACM0");
  tree.Put("dev/ttyUSBx");
  tree.Put("dev/ttyS0");
  tree.Put("dev/ttyS1");
  tree.Put("sys/class/tty/ttyS0/type", "4\n");
  tree.Put("sys/class/tty/ttyS1/type", "0\n");
  tree.Link("dev/serial/by-id/usb-FTDI_A50-if00-port0", "../../ttyUSB2");

  const std::vector<SerialDeviceEntry> devices = ListSerialDevices(tree.roots);
  std::vector<std::string> paths;
  for (const auto& device : devices) paths.push_back(device.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"/dev/serial/by-id/usb-FTDI_A50-if00-port0",
                                             "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0",
                                             "/dev/ttyS0"}));
  EXPECT_EQ(devices[0].target, "/dev/ttyUSB2");
  EXPECT_EQ(SuggestedDevice(devices), "/dev/serial/by-id/usb-FTDI_A50-if00-port0");
  EXPECT_EQ(SuggestedDevice({{SerialDeviceKind::Uart, "/dev/ttyS0", ""}}), "");
}

TEST(DeviceFacts, GroupMembershipHoldersAndLocksFromAFakeTree) {
  FakeTree tree;
  const std::string device = tree.Put("dev/ttyUSB0");
  ::chmod(device.c_str(), 0660);
  tree.Link("dev/serial/by-id/usb-FTDI_A50-if00-port0", "../../ttyUSB0");
  const gid_t group = GroupOf(device);
  tree.Put("group", "users:x:100:\ndialout:x:" + std::to_string(group) + ":ola,jan\n");
  tree.Put("proc/4321/comm", "minicom\n");
  tree.Link("proc/4321/fd/3", device);
  tree.Link("proc/4321/fd/4", "/dev/null");
  tree.Put("proc/55/comm", "bash\n");
  tree.Make("proc/55/fd");
  tree.Make("proc/77");  // its open files cannot be looked into
  tree.Put("lock/LCK..ttyUSB0", "      4321\n");

  UserIdentity jan = Jan();
  const DeviceFacts facts =
      GatherDeviceFacts("/dev/serial/by-id/usb-FTDI_A50-if00-port0", tree.roots, jan);
  EXPECT_TRUE(facts.exists);
  EXPECT_FALSE(facts.characterDevice);
  EXPECT_EQ(facts.target, "/dev/ttyUSB0");
  EXPECT_EQ(facts.groupName, "dialout");
  EXPECT_TRUE(facts.userInGroup);
  EXPECT_FALSE(facts.groupInSession);
  EXPECT_FALSE(facts.readable);
  EXPECT_FALSE(facts.writable);
  ASSERT_EQ(facts.holders.size(), 1u);
  EXPECT_EQ(facts.holders[0].pid, 4321);
  EXPECT_EQ(facts.holders[0].name, "minicom");
  EXPECT_FALSE(facts.holdersComplete);
  ASSERT_EQ(facts.locks.size(), 1u);
  EXPECT_EQ(facts.locks[0].pid, 4321);
  EXPECT_TRUE(facts.locks[0].alive);
  EXPECT_EQ(facts.locks[0].name, "minicom");

  jan.sessionGroups.push_back(group);
  const DeviceFacts active = GatherDeviceFacts("/dev/ttyUSB0", tree.roots, jan, false);
  EXPECT_TRUE(active.groupInSession);
  EXPECT_TRUE(active.readable && active.writable);
  EXPECT_TRUE(active.holders.empty());

  EXPECT_FALSE(GatherDeviceFacts("/dev/ttyUSB1", tree.roots, jan).exists);
}

TEST(DeviceFacts, RealPseudoTerminalIsACharacterDeviceHeldByItsOpener) {
  PtyPair pty;
  FakeTree tree;
  tree.Link("dev/ttyUSB0", pty.path);
  tree.Put("group", "");
  // This very process holds the terminal; seen from a stand-in pid.
  tree.Link("proc/900/fd/0", "/proc/self/fd/" + std::to_string(pty.slave));
  tree.Put("proc/900/comm", "socat\n");
  const DeviceFacts facts = GatherDeviceFacts("/dev/ttyUSB0", tree.roots, Jan());
  EXPECT_TRUE(facts.characterDevice);
  EXPECT_EQ(facts.target, pty.path);
  EXPECT_EQ(facts.groupName, std::to_string(GroupOf(pty.path)));
  ASSERT_EQ(facts.holders.size(), 1u);
  EXPECT_EQ(facts.holders[0].name, "socat");

  // The real /proc finds this process unless it is the one asking.
  UserIdentity self = CurrentUser();
  self.pid = 0;
  const DeviceFacts real = GatherDeviceFacts(pty.path, SystemRoots{}, self);
  bool found = false;
  for (const DeviceHolder& holder : real.holders) found = found || holder.pid == ::getpid();
  EXPECT_TRUE(found);
  for (const DeviceHolder& holder : GatherDeviceFacts(pty.path, SystemRoots{}, CurrentUser()).holders) {
    EXPECT_NE(holder.pid, ::getpid()) << "the asking process is left out";
  }
}

TEST(PortMapping, MappingInEffectFollowsPortyIniAndLinks) {
  FakeTree tree;
  tree.Put("dev/ttyUSB0");
  tree.Link("dev/serial/by-id/usb-X", "../../ttyUSB0");
  const std::string dir = tree.Make("work");
  tree.Put("work/porty.ini", "com2 = /dev/serial/by-id/usb-X\r\n");

  const PortMapping mapped = MappingInEffect("COM2", dir, tree.roots);
  EXPECT_TRUE(mapped.fromPortMap);
  EXPECT_EQ(mapped.target, "/dev/ttyUSB0");
  EXPECT_EQ(MappingText(mapped), "COM2 → /dev/serial/by-id/usb-X → /dev/ttyUSB0");
  const PortMapping plain = MappingInEffect("COM5", dir, tree.roots);
  EXPECT_FALSE(plain.fromPortMap);
  EXPECT_EQ(MappingText(plain), "COM5 → /dev/ttyS4");

  // An unreadable porty.ini: nobody can tell which device the port opens.
  std::filesystem::remove(dir + "/porty.ini");
  std::filesystem::create_directory(dir + "/porty.ini");
  EXPECT_NE(MappingInEffect("COM2", dir, tree.roots).portMapError, 0);
}

TEST(PortHint, ObservedSituationOfADeniedDevice) {
  FakeTree tree;
  const std::string device = tree.Put("dev/ttyUSB0");
  ::chmod(device.c_str(), 0660);
  // A group other than root, as udev gives serial devices (as root; else
  // the file has the user's own group).
  [[maybe_unused]] const int chowned = ::chown(device.c_str(), static_cast<uid_t>(-1), 20);
  tree.Put("group", "dialout:x:" + std::to_string(GroupOf(device)) + ":\n");
  const std::string dir = tree.Make("work");
  tree.Put("work/porty.ini", "COM2=/dev/ttyUSB0\n");
  const PortSituation s = ObservePort("COM2", dir, {}, tree.roots, Jan(), false);
  const std::string hint = FailureHint(s, {ecOpenFailed, EACCES, "Unable to open com port"});
  EXPECT_EQ(hint.substr(0, hint.find('\n')), "COM2 → /dev/ttyUSB0 (porty.ini)");
  EXPECT_NE(hint.find("sudo usermod -aG dialout jan"), std::string::npos) << hint;
}
