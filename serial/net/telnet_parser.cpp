#include "serial/net/telnet_parser.h"

void TelnetParser::Command(std::uint8_t byte, TelnetSink& sink) {
  switch (byte) {
    case telnet::IAC: {
      const char data = static_cast<char>(telnet::IAC);
      afterCr_ = false;
      sink.TelnetData(&data, 1);
      state_ = State::Data;
      return;
    }
    case telnet::WILL:
    case telnet::WONT:
    case telnet::DO:
    case telnet::DONT:
      verb_ = byte;
      state_ = State::Option;
      return;
    case telnet::SB:
      state_ = State::SubOption;
      return;
    default:  // NOP, data mark, break, go ahead and the rest carry nothing here
      state_ = State::Data;
      return;
  }
}

void TelnetParser::Feed(const char* bytes, std::size_t size, TelnetSink& sink) {
  std::size_t i = 0;
  while (i < size) {
    const auto byte = static_cast<std::uint8_t>(bytes[i]);
    switch (state_) {
      case State::Data: {
        if (byte == telnet::IAC) {
          state_ = State::Command;
          ++i;
          break;
        }
        if (byte == 0 && afterCr_ && !binary_) {
          afterCr_ = false;
          ++i;
          break;
        }
        // The longest run that needs no further look.
        std::size_t end = i;
        while (end < size && static_cast<std::uint8_t>(bytes[end]) != telnet::IAC &&
               !(bytes[end] == '\r' && !binary_)) {
          ++end;
        }
        if (end < size && bytes[end] == '\r') ++end;
        afterCr_ = bytes[end - 1] == '\r' && !binary_;
        sink.TelnetData(bytes + i, end - i);
        i = end;
        break;
      }
      case State::Command:
        Command(byte, sink);
        ++i;
        break;
      case State::Option:
        sink.TelnetOption(verb_, byte);
        state_ = State::Data;
        ++i;
        break;
      case State::SubOption:
        subOption_ = byte;
        subSize_ = 0;
        subOverflow_ = false;
        state_ = State::SubData;
        ++i;
        break;
      case State::SubData:
        if (byte == telnet::IAC) {
          state_ = State::SubCommand;
        } else if (subSize_ < sub_.size()) {
          sub_[subSize_++] = byte;
        } else {
          subOverflow_ = true;
        }
        ++i;
        break;
      case State::SubCommand:
        if (byte == telnet::IAC) {
          if (subSize_ < sub_.size()) {
            sub_[subSize_++] = byte;
          } else {
            subOverflow_ = true;
          }
          state_ = State::SubData;
          ++i;
        } else if (byte == telnet::SE) {
          if (!subOverflow_) sink.TelnetSubnegotiation(subOption_, sub_.data(), subSize_);
          state_ = State::Data;
          ++i;
        } else {
          // A subnegotiation cut short by another command: dropped, and the
          // command taken as it stands.
          afterCr_ = false;
          Command(byte, sink);
          ++i;
        }
        break;
    }
  }
}
