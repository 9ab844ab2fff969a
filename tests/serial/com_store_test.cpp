#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "serial/ini_file.h"
#include "serial/memory_registry.h"
#include "tests/serial/com_test_port.h"

namespace {

const TStoredGroups kAllGroups = {sgBasic, sgFlowControl, sgBuffer, sgTimeouts, sgParity, sgMisc};

// Every setting the store keeps, away from its default.
void SetEverything(TCustomComPort& port) {
  port.SetStoredGroups(kAllGroups);
  port.SetPort("COM7");
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(7200);
  port.SetStopBits(sbOne5StopBits);
  port.SetDataBits(dbSix);
  port.SetEventChar('\r');
  port.SetDiscardNull(true);
  port.Parity().SetBits(prOdd);
  port.Parity().SetCheck(true);
  port.Parity().SetReplace(true);
  port.Parity().SetReplaceChar('=');
  port.Buffer().SetInputSize(4096);
  port.Buffer().SetOutputSize(2048);
  port.Timeouts().SetReadInterval(11);
  port.Timeouts().SetReadTotalMultiplier(12);
  port.Timeouts().SetReadTotalConstant(13);
  port.Timeouts().SetWriteTotalMultiplier(14);
  port.Timeouts().SetWriteTotalConstant(-1);
  TComFlowControl& f = port.FlowControl();
  f.SetOutCTSFlow(true);
  f.SetOutDSRFlow(true);
  f.SetControlDTR(dtrEnable);
  f.SetControlRTS(rtsToggle);
  f.SetXonXoffOut(true);
  f.SetDSRSensitivity(true);
  f.SetTxContinueOnXoff(true);
  f.SetXonChar('a');
  f.SetXoffChar(static_cast<char>(200));
}

// Every stored setting, read independently of the store: the device records
// carry all line, flow-control, parity and timeout settings and the input size.
std::string Settings(const TCustomComPort& port) {
  const DeviceControlBlock b = port.MakeDeviceControlBlock();
  const DeviceTimeouts t = port.MakeDeviceTimeouts();
  std::ostringstream out;
  out << port.Port() << ' ' << b.BaudRate << ' ' << std::hex << b.Flags << std::dec << ' '
      << b.XonLim << ' ' << int(b.ByteSize) << ' ' << int(b.Parity) << ' ' << int(b.StopBits)
      << ' ' << int(b.XonChar) << ' ' << int(b.XoffChar) << ' ' << int(b.ErrorChar) << ' '
      << int(b.EvtChar) << ' ' << port.Buffer().OutputSize() << ' ' << t.ReadIntervalTimeout
      << ' ' << t.ReadTotalTimeoutMultiplier << ' ' << t.ReadTotalTimeoutConstant << ' '
      << t.WriteTotalTimeoutMultiplier << ' ' << t.WriteTotalTimeoutConstant;
  return out.str();
}

class TempFile {
 public:
  TempFile()
      : path_((std::filesystem::temp_directory_path() /
               ("waga_ini_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                  .string()) {
    std::remove(path_.c_str());
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& Path() const { return path_; }
  void Write(const std::string& content) const { std::ofstream(path_, std::ios::binary) << content; }
  std::string Read() const {
    std::ostringstream out;
    out << std::ifstream(path_, std::ios::binary).rdbuf();
    return out.str();
  }

 private:
  std::string path_;
};

}  // namespace

TEST(ComStore, IniFileKeepsEveryGroup) {
  TempFile file;
  TComPort stored("ComPortDriver_in");
  SetEverything(stored);
  {
    TIniFile ini(file.Path());
    stored.StoreToIniFile(ini);
  }
  TComPort loaded("ComPortDriver_in");
  loaded.SetStoredGroups(kAllGroups);
  TIniFile ini(file.Path());
  loaded.LoadFromIniFile(ini);
  EXPECT_EQ(Settings(loaded), Settings(stored));
  EXPECT_EQ(ini.ReadString("ComPortDriver_in", "BaudRate", ""), "Custom");
  EXPECT_EQ(ini.ReadString("ComPortDriver_in", "FlowControl.XoffChar", ""), "#200");
}

TEST(ComStore, RegistryKeepsEveryGroup) {
  TMemoryRegistry key;
  TComPort stored;
  SetEverything(stored);
  stored.StoreToRegistry(key);
  TComPort loaded;
  loaded.SetStoredGroups(kAllGroups);
  loaded.LoadFromRegistry(key);
  EXPECT_EQ(Settings(loaded), Settings(stored));
  EXPECT_EQ(key.ReadInteger("CustomBaudRate"), 7200);
  EXPECT_EQ(key.ReadString("Parity.ReplaceChar"), "=");
}

TEST(ComStore, DefaultGroupWritesTheBasicKeysOnly) {
  TMemoryRegistry key;
  TComPort port;
  port.StoreToRegistry(key);
  EXPECT_EQ(key.Count(), 6u);
  EXPECT_EQ(key.ReadString("Port"), "COM1");
  EXPECT_EQ(key.ReadString("BaudRate"), "9600");
  EXPECT_EQ(key.ReadString("StopBits"), "1");
  EXPECT_EQ(key.ReadString("DataBits"), "8");
  EXPECT_EQ(key.ReadString("Parity"), "None");
  EXPECT_EQ(key.ReadString("FlowControl"), "None");
  EXPECT_FALSE(key.Contains("CustomBaudRate"));
}

TEST(ComStore, MissingIniKeysChangeNothingButTheCustomRate) {
  TempFile file;
  file.Write("[ComPort]\r\nBaudRate = custom\r\n");
  TComPort port;
  SetEverything(port);
  port.SetBaudRate(br110);
  port.SetCustomBaudRate(5);
  TComPort before;
  SetEverything(before);
  before.SetCustomBaudRate(9600);
  TIniFile ini(file.Path());
  port.LoadFromIniFile(ini);
  EXPECT_EQ(port.BaudRate(), brCustom);
  EXPECT_EQ(Settings(port), Settings(before));
}

TEST(ComStore, LoadedPresetAndDetailedKeys) {
  TMemoryRegistry key;
  key.WriteString("FlowControl", "Hardware");
  key.WriteString("Port", "com2");
  key.WriteString("BaudRate", "1200");
  TComPort port;
  port.FlowControl().SetXonXoffIn(true);
  port.LoadFromRegistry(key);
  EXPECT_EQ(port.Port(), "COM2");
  EXPECT_EQ(port.BaudRate(), br1200);
  EXPECT_EQ(port.FlowControl().FlowControl(), fcHardware);
  EXPECT_EQ(port.DataBits(), dbEight);  // missing text: the no-match value

  // With the detailed keys selected they override the preset.
  key.WriteString("FlowControl.XonXoffIn", "YES");
  key.WriteString("FlowControl.XonChar", "Q");
  key.WriteString("FlowControl.XoffChar", "#17");
  key.WriteInteger("Buffer.InputSize", 0);
  port.SetStoredGroups({sgBasic, sgFlowControl});
  port.LoadFromRegistry(key);
  EXPECT_TRUE(port.FlowControl().XonXoffIn());
  EXPECT_EQ(port.FlowControl().ControlRTS(), rtsDisable);  // missing: no-match value
  EXPECT_EQ(port.FlowControl().XonChar(), 'Q');
  EXPECT_EQ(port.FlowControl().XoffChar(), 17);
}

TEST(ComStore, RegistryFailuresNameTheValue) {
  TMemoryRegistry key;
  TComPort port;
  port.SetStoredGroups({sgBuffer});
  try {
    port.LoadFromRegistry(key);
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to get data for 'Buffer.OutputSize'");
  }
  key.WriteString("Buffer.OutputSize", "64");
  try {
    port.LoadFromRegistry(key);
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Buffer.OutputSize'");
  }
  key.SetReadOnly(true);
  try {
    port.StoreToRegistry(key);
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Buffer.OutputSize'");
  }
}

TEST(ComStore, LoadingANewPortIntoAnOpenPortReopensIt) {
  PortOnFake f;
  f.port->Open();
  TMemoryRegistry key;
  key.WriteString("Port", "COM2");
  key.WriteString("BaudRate", "9600");
  f.device->ClearCalls();
  f.port->LoadFromRegistry(key);
  EXPECT_EQ(f.device->CallsOf("Open").at(0).text, "COM2");
  EXPECT_TRUE(f.port->Connected());
}

TEST(IniFile, ReadsWhatOthersWroteAndKeepsTheRest) {
  TempFile file;
  file.Write("; settings\n[Other]\nkey=1\n\n[ComPort]\r\n  Port  =  COM4 \r\nbroken line\r\n");
  TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadString("comport", "PORT", "x"), "COM4");
  EXPECT_EQ(ini.ReadString("Missing", "Port", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Other", "key", 5), 1);
  EXPECT_EQ(ini.ReadInteger("ComPort", "Port", 5), 5);

  ini.WriteInteger("Other", "second", -2);
  ini.WriteString("New", "a", "b");
  EXPECT_EQ(file.Read(),
            "; settings\n[Other]\nkey=1\nsecond=-2\n\n[ComPort]\nPort=COM4\nbroken line\n"
            "[New]\na=b\n");
  EXPECT_EQ(TIniFile(file.Path()).ReadInteger("Other", "second", 0), -2);
  EXPECT_THROW(ini.WriteString("New", "a", "two\nlines"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("New", "a=b", "x"), std::invalid_argument);
}
