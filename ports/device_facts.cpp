#include "ports/device_facts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool PermissionFor(const struct stat& st, const UserIdentity& user, mode_t ownerBit,
                   mode_t groupBit, mode_t otherBit) {
  if (user.uid == 0) return true;
  if (st.st_uid == user.uid) return (st.st_mode & ownerBit) != 0;
  if (InSession(user, st.st_gid)) return (st.st_mode & groupBit) != 0;
  return (st.st_mode & otherBit) != 0;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && text.size() < 10 && text.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<DeviceHolder> Holders(const SystemRoots& roots, const struct stat& device,
                                  pid_t self, bool& complete) {
  std::vector<DeviceHolder> holders;
  std::error_code ec;
  for (fs::directory_iterator process(roots.proc, ec), end; !ec && process != end;
       process.increment(ec)) {
    const std::string pidText = process->path().filename().string();
    if (!AllDigits(pidText)) continue;
    const pid_t pid = static_cast<pid_t>(std::stoi(pidText));
    if (pid == self) continue;
    std::error_code fdError;
    fs::directory_iterator fd(process->path() / "fd", fdError);
    if (fdError) {
      complete = false;
      continue;
    }
    for (const fs::directory_iterator last; !fdError && fd != last; fd.increment(fdError)) {
      struct stat open {};
      if (::stat(fd->path().c_str(), &open) != 0) continue;
      if (open.st_dev == device.st_dev && open.st_ino == device.st_ino) {
        holders.push_back({pid, ProcessName(roots, pid)});
        break;
      }
    }
  }
  return holders;
}

std::vector<LockFile> Locks(const SystemRoots& roots, const std::string& deviceName) {
  std::vector<LockFile> locks;
  for (const std::string& dir : roots.lockDirs) {
    const std::string path = dir + "/LCK.." + deviceName;
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    // A lock of the same folder seen again through /var/lock -> /run/lock.
    std::error_code ec;
    bool seen = false;
    for (const LockFile& lock : locks) seen = seen || fs::equivalent(lock.path, path, ec);
    if (seen) continue;
    LockFile lock;
    lock.path = path;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Either ten ASCII digits or, from old programs, a binary int.
    const auto digits = content.find_first_of("0123456789");
    if (digits != std::string::npos && content.find_first_not_of(" \n", 0) == digits) {
      lock.pid = static_cast<pid_t>(std::stol(content.substr(digits, 9)));
    } else if (content.size() == sizeof(int)) {
      int binary = 0;
      content.copy(reinterpret_cast<char*>(&binary), sizeof binary);
      lock.pid = binary;
    }
    if (lock.pid > 0) {
      std::error_code exists;
      lock.alive = fs::exists(fs::path(roots.proc) / std::to_string(lock.pid), exists);
      if (lock.alive) lock.name = ProcessName(roots, lock.pid);
    }
    locks.push_back(lock);
  }
  return locks;
}

}  // namespace

std::string ModeText(mode_t mode) {
  std::string text = S_ISCHR(mode) ? "c" : S_ISDIR(mode) ? "d" : S_ISLNK(mode) ? "l" : "-";
  const char* letters = "rwxrwxrwx";
  for (int bit = 0; bit < 9; ++bit) text += (mode & (0400 >> bit)) ? letters[bit] : '-';
  return text;
}

std::string ProcessName(const SystemRoots& roots, pid_t pid) {
  std::ifstream in(roots.proc + "/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

DeviceFacts GatherDeviceFacts(const std::string& path, const SystemRoots& roots,
                              const UserIdentity& user, bool findHolders) {
  DeviceFacts facts;
  facts.path = path;
  const std::string rooted = Rooted(roots, path);
  facts.target = LinkTarget(roots, path);
  struct stat st {};
  if (::stat(rooted.c_str(), &st) != 0) return facts;
  facts.exists = true;
  facts.characterDevice = S_ISCHR(st.st_mode);
  facts.mode = st.st_mode;
  facts.owner = st.st_uid;
  facts.group = st.st_gid;
  const GroupEntry group = FindGroup(roots.groupFile, st.st_gid);
  facts.groupName = group.found ? group.name : std::to_string(st.st_gid);
  facts.userInGroup = InGroupFile(user, st.st_gid, group);
  facts.groupInSession = InSession(user, st.st_gid);
  facts.readable = PermissionFor(st, user, S_IRUSR, S_IRGRP, S_IROTH);
  facts.writable = PermissionFor(st, user, S_IWUSR, S_IWGRP, S_IWOTH);
  if (findHolders) facts.holders = Holders(roots, st, user.pid, facts.holdersComplete);
  const std::string deviceName =
      fs::path(facts.target.empty() ? path : facts.target).filename().string();
  facts.locks = Locks(roots, deviceName);
  return facts;
}
