#pragma once

// Command line of waga-sim.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocols/scale_protocol.h"

enum class StepKind { Readings, Burst, Balance, Silence, Garbage, Text, LineEnd, Overload, Tare };

struct Step {
  StepKind kind = StepKind::Readings;
  int count = 1;     // readings, records, milliseconds or bytes
  std::string text;  // Text: the line; LineEnd: the line end bytes
};

struct SimOptions {
  std::string device;       // a serial device to use instead of a pseudo-terminal
  // Serve on this TCP port instead (0: one the system picks), raw or with
  // COM port control.
  std::optional<std::uint16_t> tcpPort;
  bool comPortControl = false;
  std::string listenAddress = "127.0.0.1";
  std::string portyIniDir;  // where to write porty.ini, or empty
  std::string comName = "COM2";
  int baud = 1200;  // 0: no pacing
  int intervalMs = 1000;
  std::string lineEnd = "\r\n";
  int repeat = 0;  // 0: for ever
  bool exitWhenDone = false;
  std::string logFile;
  std::uint32_t seed = 1;
  std::vector<Step> script;
  ProtocolId protocol = ProtocolId::Liczba;
  // Answers what it is asked instead of running the script.
  bool onRequest = false;
  int motionEvery = 0;        // every Nth reading in motion; 0: none
  bool overload = false;      // every reading over the range
  std::int64_t tare = 0;      // hundredths: the readings are net from the start
  int answerDelayMs = 0;      // before each answer
  int answers = -1;           // answers this many commands, then none; -1: all
  // The frame format ("7E1") the scale sends in at --baud: the bytes reach
  // the program as its receiver would take them. Empty: as they are.
  std::string format;
  bool help = false;
  bool version = false;
};

// Nothing, with `error` set, when the command line is wrong.
std::optional<SimOptions> ParseOptions(int argc, char** argv, std::string& error);
std::optional<std::vector<Step>> ParseScript(const std::string& script, std::string& error);
std::string UsageText();
