#pragma once

// A pseudo-terminal: the master plays the scale, the slave's path is what the
// code under test opens.

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <string>

struct PtyPair {
  int master = -1, slave = -1;
  std::string path;
  PtyPair() {
    char name[256] = {};
    EXPECT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    path = name;
  }
  void CloseSlave() { slave = slave >= 0 ? ::close(slave), -1 : -1; }
  ~PtyPair() { CloseSlave(), ::close(master); }
};
