#include "tests/support/postgres/temp_postgres.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kBin = "/usr/lib/postgresql/15/bin/";

bool Alive(pid_t pid) { return pid > 0 && kill(pid, 0) == 0; }

// The kernel's list of the server's children (its one thread's).
std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::ifstream list("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children");
  return {std::istream_iterator<pid_t>(list), std::istream_iterator<pid_t>()};
}

}  // namespace

TempPostgres::TempPostgres(bool fsync) : fsync_(fsync) {
  reason_ = Create();
  available_ = reason_.empty();
}

std::string TempPostgres::Create() {
  if (access((std::string(kBin) + "initdb").c_str(), X_OK) != 0)
    return "Debian's PostgreSQL 15 is not installed (postgresql-15; scripts/setup.sh test)";
  asRoot_ = geteuid() == 0;
  char pattern[] = "/tmp/waga-pg-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return "no temporary folder";
  dir_ = pattern;
  const passwd* user = asRoot_ ? getpwnam("postgres") : nullptr;
  if (asRoot_ && (user == nullptr || chown(dir_.c_str(), user->pw_uid, user->pw_gid) != 0))
    return "no user postgres to run the server as";
  if (Run(std::string(kBin) + "initdb -D " + dir_ + "/data -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >" +
          dir_ + "/initdb.log 2>&1") != 0)
    return "initdb failed (" + dir_ + "/initdb.log)";
  // The password role is checked; everyone else is trusted.
  const std::string hba = dir_ + "/data/pg_hba.conf";
  std::ofstream(hba, std::ios::trunc) << "local all waga_haslo scram-sha-256\nlocal all all trust\n";
  if (!Start()) return "the server did not start (" + dir_ + "/log)";
  Query("CREATE ROLE waga_haslo LOGIN SUPERUSER PASSWORD 'dobre'");
  return {};
}

TempPostgres::~TempPostgres() {
  if (!dir_.empty()) {
    if (std::filesystem::exists(dir_ + "/data/postmaster.pid")) Stop();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
}

int TempPostgres::Run(const std::string& command) const {
  return std::system(((asRoot_ ? "runuser -u postgres -- " : "") + command).c_str());
}

std::string TempPostgres::Connection(const std::string& database, const std::string& user) const {
  return "host=" + dir_ + " port=" + std::to_string(port_) + " dbname=" + database + " user=" + user;
}

bool TempPostgres::Start() {
  return Run(std::string(kBin) + "pg_ctl -D " + dir_ + "/data -l " + dir_ + "/log -w -t 60 -o \"-k " + dir_ +
             " -p " + std::to_string(port_) + " -c listen_addresses='' -c fsync=" + (fsync_ ? "on" : "off") +
             "\" start >/dev/null") == 0;
}

bool TempPostgres::Stop() {
  return Run(std::string(kBin) + "pg_ctl -D " + dir_ + "/data -w -t 60 -m fast stop >/dev/null 2>&1") == 0;
}

void TempPostgres::Kill() {
  std::ifstream pidFile(dir_ + "/data/postmaster.pid");
  pid_t pid = 0;
  pidFile >> pid;
  if (pid <= 0) return;
  const std::vector<pid_t> children = ChildrenOf(pid);
  kill(pid, SIGKILL);
  for (const pid_t child : children) kill(child, SIGKILL);
  WaitUntil([&] { return !Alive(pid) && std::none_of(children.begin(), children.end(), Alive); },
            std::chrono::seconds(20));
}

void TempPostgres::CreateDatabase(const std::string& name) const {
  Query("DROP DATABASE IF EXISTS " + name);
  Query("CREATE DATABASE " + name);
}
