// What a write hands the device: the bytes, and how long it may take.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <tuple>

#include "tests/serial/com_test_port.h"

TEST(ComWrite, TheDeviceGetsTheBytesAndTheBoundOfTheWriteFieldsOrCode2) {
  // Multiplier, constant, bytes, the bound in ms: 0/0 takes the defaults,
  // the maximum pattern is capped.
  for (auto [multiplier, constant, count, bound] :
       {std::tuple{100, 1000, 4u, 1400u}, {0, 0, 4u, 1400u}, {10, 0, 3u, 30u}, {0, 250, 1000u, 250u},
        {-1, 0, 2u, 60000u}, {1000, 0x7FFFFFFF, 5u, 60000u}}) {
    PortOnFake f;
    f.port->SetEvents({});
    f.port->Timeouts().SetWriteTotalMultiplier(multiplier);
    f.port->Timeouts().SetWriteTotalConstant(constant);
    f.port->Open();
    const std::string bytes(count, '\xFF');
    EXPECT_EQ(f.port->WriteString(bytes), static_cast<std::int32_t>(count));
    ASSERT_EQ(f.device->CallsOf("Write").size(), 1u);
    EXPECT_EQ(f.device->CallsOf("Write")[0].args, (std::vector<std::uint32_t>{count, bound})) << multiplier;
    EXPECT_EQ(f.device->CallsOf("Write")[0].text, bytes);

    f.device->FailOnce("Write", EIO);
    try {
      f.port->Write("Q\r\n", 3);
      ADD_FAILURE() << "a failed write was taken as done";
    } catch (const EComPort& e) {
      EXPECT_EQ(e.ErrorCode(), ecWriteFailed);
      EXPECT_EQ(std::string(e.what()), "WriteFile function failed (win error code: " + std::to_string(EIO) + ")");
    }
    EXPECT_EQ(f.port->Write("Q", -1), 0);
  }
}
