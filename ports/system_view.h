#pragma once

// Where the facts about serial devices come from. Every path the diagnosis
// reads goes through these roots, so that tests can stand a folder in for
// /dev, /proc, /sys and /etc/group.

#include "system_ids.h"

#include <string>
#include <vector>

struct SystemRoots {
  std::string dev = "/dev";
  std::string proc = "/proc";
  std::string sys = "/sys";
  std::string groupFile = "/etc/group";
  // Where serial lock files (LCK..ttyUSB0) live.
  std::vector<std::string> lockDirs = {"/run/lock", "/var/lock"};
};

// The user the program runs as, and the groups this login session has.
struct UserIdentity {
  uid_t uid = 0;
  gid_t gid = 0;
  std::string name;
  std::vector<gid_t> sessionGroups;  // the primary group included
  pid_t pid = 0;                     // this process, left out of the holders
};

UserIdentity CurrentUser();

// `path` with a leading "/dev" or "/proc" replaced by its root; other paths
// as they are.
std::string Rooted(const SystemRoots& roots, const std::string& path);

// Where a symbolic link leads in the end, named as the system would name it
// (a target inside the stand-in /dev reads /dev/...); empty when `path` is no
// link or leads nowhere.
std::string LinkTarget(const SystemRoots& roots, const std::string& path);

// A group of the group file.
struct GroupEntry {
  bool found = false;
  std::string name;
  std::vector<std::string> members;
};
GroupEntry FindGroup(const std::string& groupFile, gid_t gid);

// Whether the user is a member of the group: the primary group or listed in
// the group file.
bool InGroupFile(const UserIdentity& user, gid_t gid, const GroupEntry& group);
bool InSession(const UserIdentity& user, gid_t gid);
