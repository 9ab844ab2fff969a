#pragma once

// The serial server's end of Telnet with the COM port control option: it
// takes what a client sends, answers the option requests and every port
// command with the server's code, and escapes the scale's bytes for the
// wire. It holds no socket: replies collect until taken.

#include <cstdint>
#include <string>
#include <string_view>

#include "serial/net/telnet_options.h"
#include "serial/net/telnet_parser.h"

class ComPortServer : private TelnetSink {
 public:
  ComPortServer();

  void Feed(const char* bytes, std::size_t size);
  // What is due to the client: answers and notifications, in order.
  std::string TakeReplies();
  // The client's data bytes (what the program wrote to its port), unescaped.
  std::string TakeData();
  // The scale's bytes as the client must receive them.
  static std::string Encode(std::string_view data);
  // A modem state notification (the line bits of the protocol), sent when
  // the client has asked for modem state notifications.
  void NotifyModemState(std::uint8_t state);

  bool ComPortEnabled() const { return options_.Theirs(telnet::kComPortOption); }
  std::uint32_t Rate() const { return rate_; }
  std::uint8_t DataSize() const { return dataSize_; }
  std::uint8_t Parity() const { return parity_; }
  std::uint8_t StopSize() const { return stopSize_; }
  int Purges() const { return purges_; }

 private:
  void TelnetData(const char* bytes, std::size_t size) override { data_.append(bytes, size); }
  void TelnetOption(std::uint8_t verb, std::uint8_t option) override;
  void TelnetSubnegotiation(std::uint8_t option, const std::uint8_t* data, std::size_t size) override;
  void Reply(std::uint8_t command, const std::uint8_t* value, std::size_t size);
  std::uint8_t Control(std::uint8_t value);
  // A setting: 0 asks for the present value, anything else sets it; the
  // answer is the value in force.
  void ReplySetting(std::uint8_t command, std::uint8_t& setting, std::uint8_t value);

  TelnetParser parser_;
  TelnetOptions options_;
  std::string replies_;
  std::string data_;
  std::uint32_t rate_ = 9600;
  std::uint8_t dataSize_ = 8, parity_ = 1, stopSize_ = 1;
  std::uint8_t flow_ = 1, dtr_ = 8, rts_ = 11;
  std::uint8_t modemMask_ = 0;
  // A scale on its cable: clear to send, data set ready, carrier.
  std::uint8_t modemState_ = 0xB0;
  int purges_ = 0;
};
