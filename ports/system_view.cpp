#include "ports/system_view.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

UserIdentity CurrentUser() {
  UserIdentity user;
  user.uid = ::getuid();
  user.gid = ::getgid();
  user.pid = ::getpid();
  if (const passwd* entry = ::getpwuid(user.uid)) {
    user.name = entry->pw_name;
  } else {
    user.name = std::to_string(user.uid);
  }
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    user.sessionGroups.resize(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, user.sessionGroups.data());
    user.sessionGroups.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  }
  if (std::find(user.sessionGroups.begin(), user.sessionGroups.end(), user.gid) ==
      user.sessionGroups.end()) {
    user.sessionGroups.push_back(user.gid);
  }
  return user;
}

std::string Rooted(const SystemRoots& roots, const std::string& path) {
  for (const auto& [prefix, root] : {std::pair<std::string, const std::string&>{"/dev", roots.dev},
                                     {"/proc", roots.proc}}) {
    if (path == prefix || path.starts_with(prefix + "/")) return root + path.substr(prefix.size());
  }
  return path;
}

std::string LinkTarget(const SystemRoots& roots, const std::string& path) {
  namespace fs = std::filesystem;
  const std::string rooted = Rooted(roots, path);
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(rooted, ec))) return {};
  std::string target = fs::canonical(rooted, ec).string();
  if (ec) return {};
  if (roots.dev != "/dev" && target.starts_with(roots.dev + "/")) {
    target = "/dev" + target.substr(roots.dev.size());
  }
  return target;
}

GroupEntry FindGroup(const std::string& groupFile, gid_t gid) {
  GroupEntry result;
  std::ifstream in(groupFile);
  std::string line;
  // name:password:gid:member,member
  while (std::getline(in, line)) {
    const auto first = line.find(':');
    const auto second = first == std::string::npos ? first : line.find(':', first + 1);
    const auto third = second == std::string::npos ? second : line.find(':', second + 1);
    if (third == std::string::npos) continue;
    const std::string id = line.substr(second + 1, third - second - 1);
    if (id.empty() || id.size() > 10 || id.find_first_not_of("0123456789") != std::string::npos) continue;
    if (std::stoul(id) != gid) continue;
    result.found = true;
    result.name = line.substr(0, first);
    std::string members = line.substr(third + 1);
    if (!members.empty() && members.back() == '\r') members.pop_back();
    std::size_t start = 0;
    while (start < members.size()) {
      const auto comma = members.find(',', start);
      const auto end = comma == std::string::npos ? members.size() : comma;
      if (end > start) result.members.push_back(members.substr(start, end - start));
      start = end + 1;
    }
    return result;
  }
  return result;
}

bool InGroupFile(const UserIdentity& user, gid_t gid, const GroupEntry& group) {
  if (user.gid == gid) return true;
  return std::find(group.members.begin(), group.members.end(), user.name) != group.members.end();
}

bool InSession(const UserIdentity& user, gid_t gid) {
  return std::find(user.sessionGroups.begin(), user.sessionGroups.end(), gid) !=
         user.sessionGroups.end();
}
