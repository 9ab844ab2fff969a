#pragma once

// What the system says about one device file: whether it exists, what it
// links to, who may open it and who holds it open.

#include "system_ids.h"

#include <string>
#include <vector>

#include "ports/system_view.h"

struct DeviceHolder {
  pid_t pid = 0;
  std::string name;  // the program's name (comm), empty when unreadable
};

struct LockFile {
  std::string path;
  pid_t pid = 0;        // 0 when the file names none
  bool alive = false;   // a process with that pid exists
  std::string name;     // its program name, when alive and readable
};

struct DeviceFacts {
  std::string path;    // as the mapping names it (not rooted)
  std::string target;  // where a symbolic link leads in the end; empty when no link
  bool exists = false;
  bool characterDevice = false;
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  std::string groupName;  // the group's number when the group file lacks it
  bool userInGroup = false;       // by the group file (or primary group)
  bool groupInSession = false;    // this login has the group
  bool readable = false;          // by the permission bits, for this user
  bool writable = false;
  std::vector<DeviceHolder> holders;  // other processes that have it open
  bool holdersComplete = true;        // false when some processes could not be looked into
  std::vector<LockFile> locks;
};

// Looking for holders reads every process's open files: ask for it only
// where it is needed.
DeviceFacts GatherDeviceFacts(const std::string& path, const SystemRoots& roots,
                              const UserIdentity& user, bool findHolders = true);

// "crw-rw----" for a mode.
std::string ModeText(mode_t mode);

// The program name of a process, from <proc>/<pid>/comm; empty when unreadable.
std::string ProcessName(const SystemRoots& roots, pid_t pid);
