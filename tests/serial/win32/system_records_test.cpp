// The component's line record as the system reads it: the DCB's bit fields
// and members, not just the same bytes.
#include <gtest/gtest.h>

#include "serial/com_port.h"
#include "serial/win32/system_records.h"

TEST(SystemRecords, DefaultSettingsGiveTheDesignedDcb) {
  TComPort port("ComPortDriver_in");
  const DCB dcb = SystemControlBlock(port.MakeDeviceControlBlock());
  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fParity, 0u);
  EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
  EXPECT_EQ(dcb.fAbortOnError, 0u);
  EXPECT_EQ(dcb.XonLim, 256);
  EXPECT_EQ(dcb.XoffLim, 256);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.XonChar, 17);
  EXPECT_EQ(dcb.XoffChar, 19);
  EXPECT_EQ(dcb.ErrorChar, 0);
  EXPECT_EQ(dcb.EvtChar, 0);
}

TEST(SystemRecords, EveryFlagLandsInItsBitField) {
  DeviceControlBlock block;
  block.Flags = dcb::fBinary | dcb::fParity | dcb::fOutxCtsFlow | dcb::fOutxDsrFlow |
                dcb::fDtrControlHandshake | dcb::fDsrSensitivity | dcb::fTXContinueOnXoff |
                dcb::fOutX | dcb::fInX | dcb::fErrorChar | dcb::fNull | dcb::fRtsControlToggle;
  block.Parity = 4;
  block.StopBits = 2;
  block.ErrorChar = '?';
  const DCB system = SystemControlBlock(block);
  EXPECT_EQ(system.fParity, 1u);
  EXPECT_EQ(system.fOutxCtsFlow, 1u);
  EXPECT_EQ(system.fOutxDsrFlow, 1u);
  EXPECT_EQ(system.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
  EXPECT_EQ(system.fDsrSensitivity, 1u);
  EXPECT_EQ(system.fTXContinueOnXoff, 1u);
  EXPECT_EQ(system.fOutX, 1u);
  EXPECT_EQ(system.fInX, 1u);
  EXPECT_EQ(system.fErrorChar, 1u);
  EXPECT_EQ(system.fNull, 1u);
  EXPECT_EQ(system.fRtsControl, static_cast<DWORD>(RTS_CONTROL_TOGGLE));
  EXPECT_EQ(system.fAbortOnError, 0u);
  EXPECT_EQ(system.Parity, SPACEPARITY);
  EXPECT_EQ(system.StopBits, TWOSTOPBITS);
  EXPECT_EQ(system.ErrorChar, '?');
}

TEST(SystemRecords, TimeoutsKeepTheirFieldOrder) {
  TComPort port("ComPortDriver_in");
  const COMMTIMEOUTS timeouts = SystemTimeouts(port.MakeDeviceTimeouts());
  EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
  EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 1000u);
}

TEST(SystemRecords, ReadBackRefusesWhatTheDriverQuietlyLeftOut) {
  TComPort port("ComPortDriver_in");
  port.SetBaudRate(br115200);
  const DCB wanted = SystemControlBlock(port.MakeDeviceControlBlock());
  EXPECT_TRUE(LineSettingsTook(wanted, wanted));

  // The lines' modes and the characters are the driver's to report.
  DCB reported = wanted;
  reported.fRtsControl = RTS_CONTROL_ENABLE;
  reported.fDtrControl = DTR_CONTROL_ENABLE;
  reported.XonLim = 2048;
  reported.EofChar = 26;
  EXPECT_TRUE(LineSettingsTook(wanted, reported));
  reported.BaudRate = 115200 * 103 / 100;  // a UART's nearest divisor
  EXPECT_TRUE(LineSettingsTook(wanted, reported));

  const auto changed = [&](auto change) {
    DCB applied = wanted;
    change(applied);
    return LineSettingsTook(wanted, applied);
  };
  EXPECT_FALSE(changed([](DCB& d) { d.BaudRate = 9600; }));
  EXPECT_FALSE(changed([](DCB& d) { d.BaudRate = 115200 * 104 / 100; }));
  EXPECT_FALSE(changed([](DCB& d) { d.ByteSize = 7; }));
  EXPECT_FALSE(changed([](DCB& d) { d.Parity = EVENPARITY; }));
  EXPECT_FALSE(changed([](DCB& d) { d.StopBits = TWOSTOPBITS; }));
  EXPECT_FALSE(changed([](DCB& d) { d.fParity = 1; }));
  EXPECT_FALSE(changed([](DCB& d) { d.fOutxCtsFlow = 1; }));
  EXPECT_FALSE(changed([](DCB& d) { d.fOutX = 1; }));
  EXPECT_FALSE(changed([](DCB& d) { d.fInX = 1; }));
}
