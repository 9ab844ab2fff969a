#pragma once

// The scale behind the simulator's line: what it weighs, its tare and zero,
// the lines it writes in each protocol's shape and its answers to the
// commands it is sent.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocols/scale_protocol.h"
#include "tools/waga-sim/scale_output.h"

struct ScaleBehaviour {
  ProtocolId protocol = ProtocolId::Liczba;
  int motionEvery = 0;      // every Nth reading in motion; 0: none
  bool overload = false;    // every reading over the range
  std::int64_t tare = 0;    // hundredths; the readings are net from the start
  std::string unit = "kg";
};

// One weighing as a line reports it.
struct Weight {
  std::int64_t hundredths = 0;  // gross, or net when `net`
  bool stable = true;
  bool overload = false;
  bool net = false;
  std::string unit = "kg";
};

// The line (without its line end) that reports `weight` in the protocol's
// shape. `command` is the request answered where the shape repeats it
// (ramka's frame; empty: the print key's frame).
std::string WeightLine(ProtocolId protocol, const Weight& weight, std::string_view command = {});

class SimScale {
 public:
  SimScale(const ScaleBehaviour& behaviour, ScaleValues& values);

  // The next reading the scale sends by itself.
  std::string NextLine() { return WeightLine(behaviour_.protocol, NextWeight()); }
  // A line that says the scale is over its range.
  std::string OverloadLine() const;
  // The current gross mass becomes the tare: the following readings are net.
  void Tare();

  // Bytes received from the program; the answers to the commands they
  // complete, without line ends. Bytes that complete no command are kept
  // (a bounded few) until the rest arrives.
  std::vector<std::string> Receive(std::string_view bytes);

 private:
  Weight NextWeight();
  void Answer(const std::string& command, std::vector<std::string>& answers);

  ScaleBehaviour behaviour_;
  ScaleValues& values_;
  std::int64_t lastRaw_;       // the mass on the platform, hundredths
  std::int64_t zero_ = 0;      // what zeroing took away
  bool tared_ = false;
  int count_ = 0;              // readings so far, for the motion pattern
  std::string pending_;        // a command not complete yet
};
