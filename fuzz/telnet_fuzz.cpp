// Any bytes from the network, cut into any pieces: the Telnet parser gives
// the same data, options and subnegotiations however the stream is cut,
// never more data than it was given, and no subnegotiation longer than its
// limit; a stream without IAC in binary mode is all data. Whatever options
// the stream asks for, the program's end and the simulator's end answer
// each other a few times at most and then fall quiet. The same bytes as
// a porty.ini line format and network address are refused or give values in
// range.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "serial/line_format.h"
#include "serial/net/net_target.h"
#include "serial/net/telnet_options.h"
#include "serial/net/telnet_parser.h"

namespace {

struct Recording : TelnetSink {
  std::string data;
  std::vector<std::string> events;
  void TelnetData(const char* bytes, std::size_t size) override {
    FUZZ_CHECK(size > 0);
    data.append(bytes, size);
  }
  void TelnetOption(std::uint8_t verb, std::uint8_t option) override {
    FUZZ_CHECK(verb >= telnet::WILL && verb <= telnet::DONT);
    events.push_back({'o', static_cast<char>(verb), static_cast<char>(option)});
  }
  void TelnetSubnegotiation(std::uint8_t option, const std::uint8_t* bytes, std::size_t size) override {
    FUZZ_CHECK(size <= TelnetParser::kMaxSubnegotiation);
    events.push_back("s" + std::string(1, static_cast<char>(option)) +
                     std::string(reinterpret_cast<const char*>(bytes), size));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool binary = input.ConsumeBool();
  const auto seed = input.ConsumeIntegral<std::uint32_t>();
  const std::string stream = input.ConsumeRemainingBytesAsString();

  Recording whole;
  TelnetParser one;
  one.SetBinary(binary);
  one.Feed(stream.data(), stream.size(), whole);

  Recording pieces;
  TelnetParser cut;
  cut.SetBinary(binary);
  std::uint32_t state = seed | 1;
  std::size_t at = 0;
  while (at < stream.size()) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const std::size_t length = std::min<std::size_t>(stream.size() - at, state % 9);
    cut.Feed(stream.data() + at, length, pieces);
    at += length;
  }
  FUZZ_CHECK(whole.data == pieces.data);
  FUZZ_CHECK(whole.events == pieces.events);
  FUZZ_CHECK(whole.data.size() <= stream.size());
  if (binary && stream.find('\xFF') == std::string::npos) FUZZ_CHECK(whole.data == stream);

  TelnetOptions client({telnet::kBinary, telnet::kSuppressGoAhead, telnet::kComPortOption},
                       {telnet::kBinary, telnet::kSuppressGoAhead});
  TelnetOptions server({telnet::kBinary, telnet::kSuppressGoAhead},
                       {telnet::kBinary, telnet::kSuppressGoAhead, telnet::kComPortOption});
  for (const std::string& event : whole.events) {
    if (event[0] != 'o') continue;
    std::string reply = client.Answer(static_cast<std::uint8_t>(event[1]), static_cast<std::uint8_t>(event[2]));
    int rounds = 0;
    for (bool toServer = true; !reply.empty(); toServer = !toServer) {
      FUZZ_CHECK(reply.size() == 3 && ++rounds <= 4);
      reply = (toServer ? server : client)
                  .Answer(static_cast<std::uint8_t>(reply[1]), static_cast<std::uint8_t>(reply[2]));
    }
  }

  PortLineFormat format;
  std::string error;
  if (ParseLineFormat(stream, format, error)) {
    FUZZ_CHECK(format.dataBits >= 5 && format.dataBits <= 8);
    FUZZ_CHECK(format.parity <= 4 && format.stopBits <= 2);
  } else {
    FUZZ_CHECK(!error.empty());
  }
  NetTarget target;
  if (ParseNetTarget(stream, target, error)) {
    FUZZ_CHECK(!target.host.empty() && target.host.size() <= 253 && target.port >= 1);
  }
  return 0;
}
