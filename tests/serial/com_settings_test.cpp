#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>

#include "tests/serial/com_test_port.h"

// Settings that the device records below do not show.
TEST(ComSettings, Defaults) {
  TComPort port;
  EXPECT_EQ(port.Name(), "ComPort");
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.Device(), nullptr);
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.CustomBaudRate(), 9600);
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.Events(), AllComEvents);
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
  EXPECT_EQ(port.StoredGroups(), TStoredGroups{sgBasic});
  EXPECT_FALSE(port.Parity().Replace());
  EXPECT_EQ(port.Parity().ReplaceChar(), 0);
  EXPECT_EQ(port.Parity().ComPort(), &port);
  EXPECT_EQ(port.FlowControl().ControlDTR(), dtrDisable);
  EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
  EXPECT_EQ(port.Buffer().OutputSize(), 1024);
}

TEST(ComSettings, DeviceRecordsAtTheDefaults) {
  TComPort port;
  const DeviceControlBlock b = port.MakeDeviceControlBlock();
  EXPECT_EQ(b.DCBlength, 28u);
  EXPECT_EQ(b.BaudRate, 9600u);
  EXPECT_EQ(b.Flags, 0x0001u);
  EXPECT_EQ(b.XonLim, 256);
  EXPECT_EQ(b.XoffLim, 256);
  EXPECT_EQ(b.ByteSize, 8);
  EXPECT_EQ(b.Parity, 0);
  EXPECT_EQ(b.StopBits, 0);
  EXPECT_EQ(b.XonChar, 17);
  EXPECT_EQ(b.XoffChar, 19);
  EXPECT_EQ(b.ErrorChar | b.EofChar | b.EvtChar | b.wReserved | b.wReserved1, 0);

  const DeviceTimeouts t = port.MakeDeviceTimeouts();
  EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 1000u);
}

TEST(ComSettings, DeviceControlBlockFollowsEverySetting) {
  TComPort port;
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(7200);
  port.SetDataBits(dbSeven);
  port.SetStopBits(sbTwoStopBits);
  port.SetDiscardNull(true);
  port.SetEventChar('\n');
  port.Parity().SetBits(prMark);
  port.Parity().SetReplace(true);
  port.Parity().SetReplaceChar('?');
  TComFlowControl& f = port.FlowControl();
  f.SetOutCTSFlow(true);
  f.SetOutDSRFlow(true);
  f.SetControlDTR(dtrHandshake);
  f.SetControlRTS(rtsToggle);
  f.SetDSRSensitivity(true);
  f.SetTxContinueOnXoff(true);
  f.SetXonXoffOut(true);
  f.SetXonXoffIn(true);
  port.Buffer().SetInputSize(4098);

  DeviceControlBlock b = port.MakeDeviceControlBlock();
  EXPECT_EQ(b.BaudRate, 7200u);
  // Replace without Check sets neither the parity nor the error-char flag.
  EXPECT_EQ(b.Flags, 0x3BEDu);
  EXPECT_EQ(b.ErrorChar, 0);
  EXPECT_EQ(b.ByteSize, 7);
  EXPECT_EQ(b.Parity, 3);
  EXPECT_EQ(b.StopBits, 2);
  EXPECT_EQ(b.EvtChar, '\n');
  EXPECT_EQ(b.XonLim, 1024);

  port.Parity().SetCheck(true);
  b = port.MakeDeviceControlBlock();
  EXPECT_EQ(b.Flags, 0x3FEFu);
  EXPECT_EQ(b.ErrorChar, '?');

  port.SetBaudRate(br115200);
  EXPECT_EQ(port.MakeDeviceControlBlock().BaudRate, 115200u);
}

TEST(ComSettings, FlowControlPresetIsDerivedFromRtsCtsAndXonXoff) {
  TComFlowControl f;
  f.SetControlDTR(dtrEnable);
  f.SetOutDSRFlow(true);
  EXPECT_EQ(f.FlowControl(), fcNone);
  f.SetXonXoffIn(true);
  EXPECT_EQ(f.FlowControl(), fcCustom);
  f.SetXonXoffOut(true);
  EXPECT_EQ(f.FlowControl(), fcSoftware);

  f.SetFlowControl(fcHardware);
  EXPECT_EQ(f.ControlRTS(), rtsHandshake);
  EXPECT_TRUE(f.OutCTSFlow());
  EXPECT_FALSE(f.XonXoffIn() || f.XonXoffOut());
  EXPECT_EQ(f.ControlDTR(), dtrEnable);  // not part of any preset
  EXPECT_EQ(f.FlowControl(), fcHardware);

  f.SetFlowControl(fcCustom);
  EXPECT_EQ(f.FlowControl(), fcHardware);
  f.SetFlowControl(fcSoftware);
  EXPECT_EQ(f.ControlRTS(), rtsDisable);
  EXPECT_FALSE(f.OutCTSFlow());
  EXPECT_EQ(f.FlowControl(), fcSoftware);
  f.SetFlowControl(fcNone);
  EXPECT_EQ(f.FlowControl(), fcNone);
  f.SetControlRTS(rtsEnable);
  EXPECT_EQ(f.FlowControl(), fcCustom);
}

TEST(ComSettings, OddPositiveBufferSizesAreLoweredToEven) {
  TComBuffer b;
  b.SetInputSize(1025);
  EXPECT_EQ(b.InputSize(), 1024);
  b.SetOutputSize(4096);
  EXPECT_EQ(b.OutputSize(), 4096);
  b.SetOutputSize(1);
  EXPECT_EQ(b.OutputSize(), 0);
  b.SetInputSize(-3);
  EXPECT_EQ(b.InputSize(), -3);
}

TEST(ComSettings, AssignmentCopiesOnlyFromTheSameClass) {
  TComPort port;
  TComTimeouts t;
  t.SetReadInterval(5);
  t.SetWriteTotalConstant(7);
  port.SetTimeouts(t);
  EXPECT_EQ(port.Timeouts().ReadInterval(), 5);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 7);
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 100);
  EXPECT_EQ(port.Timeouts().ComPort(), &port);

  try {
    port.Parity().Assign(t);
    FAIL() << "assignment across classes must fail";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TComTimeouts to a TComParity");
  }
  EXPECT_THROW(port.Buffer().Assign(port.FlowControl()), std::invalid_argument);
}

TEST(ComSettings, ChangesWhileClosedOnlyStore) {
  PortOnFake f;
  f.port->SetBaudRate(br1200);
  f.port->Parity().SetBits(prEven);
  f.port->Timeouts().SetReadTotalConstant(50);
  f.port->Buffer().SetInputSize(2048);
  f.port->FlowControl().SetFlowControl(fcHardware);
  f.port->SetParity(TComParity());
  f.port->SetEvents({evRxChar});
  f.port->SetSyncMethod(smNone);
  f.port->SetPort("COM2");
  EXPECT_TRUE(f.device->Calls().empty());
  EXPECT_EQ(f.port->BaudRate(), br1200);
  EXPECT_EQ(f.port->Port(), "COM2");
  EXPECT_EQ(f.port->SyncMethod(), smNone);

  f.port->Open();
  const auto lines = f.device->CallsOf("SetLineParameters");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].block.BaudRate, 1200u);
  EXPECT_EQ(f.device->CallsOf("Open").at(0).text, "COM2");
  EXPECT_EQ(f.device->CallsOf("SetQueueSizes").at(0).args,
            (std::vector<std::uint32_t>{2048, 1024}));
}

TEST(ComSettings, ChangesWhileOpenReapplyTheirGroupOnlyWhenChanged) {
  PortOnFake f;
  f.port->SetEvents({});  // no event thread among the recorded calls
  f.port->Open();
  f.device->ClearCalls();

  f.port->SetBaudRate(br9600);
  f.port->SetPort("com1");
  f.port->Parity().SetBits(prNone);
  f.port->FlowControl().SetXonChar(17);
  f.port->Timeouts().SetReadInterval(-1);
  f.port->Buffer().SetInputSize(1025);
  f.port->SetEvents({});
  f.port->SetSyncMethod(smThreadSync);
  EXPECT_TRUE(f.device->Calls().empty());

  f.port->SetBaudRate(br19200);
  f.port->Parity().SetCheck(true);
  f.port->Timeouts().SetReadTotalConstant(10);
  f.port->Buffer().SetOutputSize(512);
  EXPECT_EQ(f.device->CallNames(),
            (std::vector<std::string>{"SetLineParameters", "SetLineParameters", "SetTimeouts",
                                      "SetQueueSizes"}));
  EXPECT_EQ(f.device->CallsOf("SetLineParameters").at(0).block.BaudRate, 19200u);
  EXPECT_EQ(f.device->CallsOf("SetTimeouts").at(0).timeouts.ReadTotalTimeoutConstant, 10u);

  // Whole-object assignment and a preset write re-apply even without change.
  f.device->ClearCalls();
  f.port->SetFlowControl(f.port->FlowControl());
  f.port->FlowControl().SetFlowControl(fcCustom);
  f.port->SetTimeouts(f.port->Timeouts());
  f.port->SetBuffer(f.port->Buffer());
  EXPECT_EQ(f.device->CallNames(),
            (std::vector<std::string>{"SetLineParameters", "SetLineParameters", "SetTimeouts",
                                      "SetQueueSizes"}));
}

TEST(ComSettings, RefusedChangeKeepsTheValueAndTheConnection) {
  PortOnFake f;
  f.port->Open();
  f.device->Fail("SetLineParameters", EINVAL);
  try {
    f.port->SetBaudRate(br256000);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecSetStateFailed);
    EXPECT_EQ(e.SystemError(), EINVAL);
  }
  EXPECT_EQ(f.port->BaudRate(), br256000);
  EXPECT_TRUE(f.port->Connected());

  f.device->Fail("SetTimeouts", EIO);
  EXPECT_THROW(f.port->Timeouts().SetWriteTotalConstant(1), EComPort);
  EXPECT_EQ(f.port->Timeouts().WriteTotalConstant(), 1);
  f.device->Fail("SetQueueSizes", ENOMEM);
  try {
    f.port->Buffer().SetInputSize(64);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecSetupFailed);
  }
}

TEST(ComSettings, SyncMethodIsRefusedWhileConnected) {
  PortOnFake f;
  f.port->Open();
  try {
    f.port->SetSyncMethod(smWindowSync);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecSyncMethodWhileOpen);
    EXPECT_EQ(e.SystemError(), -1);
  }
  EXPECT_EQ(f.port->SyncMethod(), smThreadSync);
  f.port->Close();
  f.port->SetSyncMethod(smWindowSync);
  EXPECT_EQ(f.port->SyncMethod(), smWindowSync);
}
