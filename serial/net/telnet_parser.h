#pragma once

// Splits a Telnet byte stream from the network into data, option requests
// and subnegotiations. The input is untrusted: every byte is looked at once,
// nothing is allocated, and a subnegotiation longer than kMaxSubnegotiation
// is dropped whole while the stream goes on.

#include <array>
#include <cstddef>
#include <cstdint>

namespace telnet {
inline constexpr std::uint8_t SE = 240;
inline constexpr std::uint8_t SB = 250;
inline constexpr std::uint8_t WILL = 251;
inline constexpr std::uint8_t WONT = 252;
inline constexpr std::uint8_t DO = 253;
inline constexpr std::uint8_t DONT = 254;
inline constexpr std::uint8_t IAC = 255;

inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPortOption = 44;
}  // namespace telnet

class TelnetSink {
 public:
  virtual ~TelnetSink() = default;
  // A run of data bytes, escapes removed.
  virtual void TelnetData(const char* data, std::size_t size) = 0;
  // WILL, WONT, DO or DONT for an option.
  virtual void TelnetOption(std::uint8_t verb, std::uint8_t option) = 0;
  // The bytes between IAC SB <option> and IAC SE, escapes removed.
  virtual void TelnetSubnegotiation(std::uint8_t option, const std::uint8_t* data,
                                    std::size_t size) = 0;
};

class TelnetParser {
 public:
  static constexpr std::size_t kMaxSubnegotiation = 64;

  // In binary mode CR is data like any byte; otherwise the NUL that follows
  // a CR is padding and is dropped.
  void SetBinary(bool binary) { binary_ = binary; }

  void Feed(const char* bytes, std::size_t size, TelnetSink& sink);

 private:
  enum class State { Data, Command, Option, SubOption, SubData, SubCommand };

  void Command(std::uint8_t byte, TelnetSink& sink);

  State state_ = State::Data;
  bool binary_ = false;
  bool afterCr_ = false;
  std::uint8_t verb_ = 0;
  std::uint8_t subOption_ = 0;
  std::size_t subSize_ = 0;
  bool subOverflow_ = false;
  std::array<std::uint8_t, kMaxSubnegotiation> sub_{};
};
