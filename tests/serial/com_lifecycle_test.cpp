#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/serial/com_test_port.h"

namespace {

// Records the notifications of a component as short texts.
struct Notifications {
  explicit Notifications(TComPort& port) {
    port.OnBeforeOpen = [this](TCustomComPort&) { log.push_back("BeforeOpen"); };
    port.OnAfterOpen = [this](TCustomComPort&) { log.push_back("AfterOpen"); };
    port.OnBeforeClose = [this](TCustomComPort&) { log.push_back("BeforeClose"); };
    port.OnAfterClose = [this](TCustomComPort&) { log.push_back("AfterClose"); };
    port.OnCTSChange = [this](TCustomComPort&, bool on) { log.push_back(on ? "CTS+" : "CTS-"); };
    port.OnDSRChange = [this](TCustomComPort&, bool on) { log.push_back(on ? "DSR+" : "DSR-"); };
    port.OnRLSDChange = [this](TCustomComPort&, bool on) {
      log.push_back(on ? "RLSD+" : "RLSD-");
    };
  }
  std::vector<std::string> log;
};

}  // namespace

TEST(ComLifecycle, OpenConfiguresTheDeviceAndCloseReleasesIt) {
  PortOnFake f;
  Notifications n(*f.port);
  f.port->SetEvents({});  // no event thread
  f.port->Open();
  EXPECT_TRUE(f.port->Connected());
  EXPECT_EQ(f.device->CallNames(),
            (std::vector<std::string>{"Open", "SetQueueSizes", "SetLineParameters", "SetTimeouts",
                                      "ModemStatus", "ModemStatus", "ModemStatus"}));
  EXPECT_EQ(f.device->CallsOf("Open").at(0).text, "COM1");
  EXPECT_EQ(f.device->CallsOf("SetLineParameters").at(0).block.Flags, 0x0001u);

  f.port->Open();  // already open: nothing
  f.port->Close();
  EXPECT_FALSE(f.port->Connected());
  EXPECT_FALSE(f.device->IsOpen());
  f.port->Close();  // already closed: nothing
  EXPECT_EQ(n.log, (std::vector<std::string>{"BeforeOpen", "AfterOpen", "CTS-", "DSR-", "RLSD-",
                                             "BeforeClose", "CTS-", "DSR-", "RLSD-",
                                             "AfterClose"}));
}

TEST(ComLifecycle, FailedOpenLeavesThePortClosed) {
  PortOnFake f;
  Notifications n(*f.port);
  f.device->FailOnce("Open", ENOENT);
  try {
    f.port->Open();
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
    EXPECT_EQ(e.SystemError(), ENOENT);
  }
  EXPECT_FALSE(f.port->Connected());
  EXPECT_EQ(n.log, std::vector<std::string>{"BeforeOpen"});

  f.device->FailOnce("SetLineParameters", EINVAL);
  try {
    f.port->Open();
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecSetStateFailed);
  }
  EXPECT_FALSE(f.port->Connected());
  EXPECT_FALSE(f.device->IsOpen());

  // The same component opens once the device accepts it.
  f.port->Open();
  EXPECT_TRUE(f.port->Connected());
  f.port->Close();
}

TEST(ComLifecycle, PortChangeWhileOpenReopensOnTheNewDevice) {
  PortOnFake f;
  f.port->SetEvents({});  // no event thread
  f.port->Open();
  f.device->ClearCalls();
  f.port->SetPort("COM2");
  EXPECT_EQ(f.device->CallNames(),
            (std::vector<std::string>{"Purge", "Close", "Open", "SetQueueSizes",
                                      "SetLineParameters", "SetTimeouts", "ModemStatus",
                                      "ModemStatus", "ModemStatus"}));
  EXPECT_EQ(f.device->CallsOf("Open").at(0).text, "COM2");

  // A new port that cannot be opened leaves the component closed on the new name.
  f.device->Fail("Open", EACCES);
  EXPECT_THROW(f.port->SetPort("COM3"), EComPort);
  EXPECT_FALSE(f.port->Connected());
  EXPECT_EQ(f.port->Port(), "COM3");
}

TEST(ComLifecycle, LoadingDefersTheDeviceUntilEndLoad) {
  PortOnFake f;
  f.port->BeginLoad();
  f.port->SetConnected(true);
  f.port->SetBaudRate(br2400);
  EXPECT_TRUE(f.device->Calls().empty());
  f.port->EndLoad();
  EXPECT_TRUE(f.port->Connected());
  EXPECT_EQ(f.device->CallsOf("SetLineParameters").at(0).block.BaudRate, 2400u);

  f.port->SetConnected(false);
  EXPECT_FALSE(f.port->Connected());

  // A failed open after loading goes to the handler when there is one.
  std::string reported;
  f.port->OnLoadedOpenError = [&](const std::exception& e) { reported = e.what(); };
  f.device->Fail("Open", EBUSY);
  f.port->BeginLoad();
  f.port->SetConnected(true);
  f.port->EndLoad();
  EXPECT_EQ(reported, "Unable to open com port (win error code: " + std::to_string(EBUSY) + ")");
  EXPECT_FALSE(f.port->Connected());
}

TEST(ComLifecycle, AHandlerFailureBeforeOpenStopsTheOpen) {
  PortOnFake f;
  f.port->OnBeforeOpen = [](TCustomComPort&) { throw std::runtime_error("no"); };
  EXPECT_THROW(f.port->Open(), std::runtime_error);
  EXPECT_FALSE(f.port->Connected());
  EXPECT_TRUE(f.device->Calls().empty());
}
