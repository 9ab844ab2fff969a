#pragma once

// The command line of waga-ports.

#include <cstdint>
#include <optional>
#include <string>

enum class PortsCommand { List, Map, Listen, Detect, Help, Version };

struct PortsOptions {
  PortsCommand command = PortsCommand::List;
  std::string dir = ".";     // where porty.ini (and konfig.ini) live
  std::string port;          // "COM2", upper case
  std::string path;          // --map's device
  std::uint32_t speed = 0;   // --listen; 0: the speed of konfig.ini
  int seconds = 10;
  bool apply = false;        // --detect --apply
};

// The options, or nothing with `error` saying what is wrong.
std::optional<PortsOptions> ParsePortsOptions(int argc, const char* const* argv, std::string& error);

// "COM1".."COM16" in any letter case, as upper case; empty otherwise.
std::string PortName(const std::string& text);

extern const char* const kPortsHelp;

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the port or the file could not be used
inline constexpr int kExitUsage = 2;   // bad arguments
