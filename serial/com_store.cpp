// Storing the settings to, and loading them from, a registry key or an INI
// section. One routine walks the groups and keys for both stores; the
// reader and writer adapters give each store its own behaviour.

#include "serial/com_port.h"

class TComSettingsWriter {
 public:
  virtual ~TComSettingsWriter() = default;
  virtual void Text(std::string_view key, const std::string& value) = 0;
  virtual void Integer(std::string_view key, std::int32_t value) = 0;
};

// Reads get the current value in its stored form as the default; a store
// without defaults ignores it.
class TComSettingsReader {
 public:
  virtual ~TComSettingsReader() = default;
  virtual std::string Text(std::string_view key, const std::string& current) = 0;
  virtual std::int32_t Integer(std::string_view key, std::int32_t current) = 0;
};

namespace {

class RegistryWriter : public TComSettingsWriter {
 public:
  explicit RegistryWriter(TRegistryStore& key) : key_(key) {}
  void Text(std::string_view key, const std::string& value) override {
    key_.WriteString(key, value);
  }
  void Integer(std::string_view key, std::int32_t value) override { key_.WriteInteger(key, value); }

 private:
  TRegistryStore& key_;
};

class RegistryReader : public TComSettingsReader {
 public:
  explicit RegistryReader(TRegistryStore& key) : key_(key) {}
  std::string Text(std::string_view key, const std::string&) override {
    return key_.ReadString(key);
  }
  std::int32_t Integer(std::string_view key, std::int32_t) override {
    return key_.ReadInteger(key);
  }

 private:
  TRegistryStore& key_;
};

class IniWriter : public TComSettingsWriter {
 public:
  IniWriter(TCustomIniFile& file, std::string_view section) : file_(file), section_(section) {}
  void Text(std::string_view key, const std::string& value) override {
    file_.WriteString(section_, key, value);
  }
  void Integer(std::string_view key, std::int32_t value) override {
    file_.WriteInteger(section_, key, value);
  }

 private:
  TCustomIniFile& file_;
  std::string_view section_;
};

class IniReader : public TComSettingsReader {
 public:
  IniReader(TCustomIniFile& file, std::string_view section) : file_(file), section_(section) {}
  std::string Text(std::string_view key, const std::string& current) override {
    return file_.ReadString(section_, key, current);
  }
  std::int32_t Integer(std::string_view key, std::int32_t current) override {
    return file_.ReadInteger(section_, key, current);
  }

 private:
  TCustomIniFile& file_;
  std::string_view section_;
};

}  // namespace

void TCustomComPort::StoreToRegistry(TRegistryStore& key) {
  RegistryWriter writer(key);
  StoreSettings(writer);
}

void TCustomComPort::StoreToIniFile(TCustomIniFile& iniFile) {
  IniWriter writer(iniFile, name_);
  StoreSettings(writer);
}

void TCustomComPort::LoadFromRegistry(TRegistryStore& key) {
  RegistryReader reader(key);
  LoadSettings(reader);
}

void TCustomComPort::LoadFromIniFile(TCustomIniFile& iniFile) {
  IniReader reader(iniFile, name_);
  LoadSettings(reader);
}

void TCustomComPort::StoreSettings(TComSettingsWriter& out) const {
  const TStoredGroups groups = storedGroups_;
  if (groups.Contains(sgBasic)) {
    out.Text("Port", port_);
    out.Text("BaudRate", BaudRateToText(baudRate_));
    if (baudRate_ == brCustom) out.Integer("CustomBaudRate", customBaudRate_);
    out.Text("StopBits", StopBitsToText(stopBits_));
    out.Text("DataBits", DataBitsToText(dataBits_));
    out.Text("Parity", ParityToText(parity_->Bits()));
    out.Text("FlowControl", FlowControlToText(flowControl_->FlowControl()));
  }
  if (groups.Contains(sgMisc)) {
    out.Text("EventChar", CharToText(eventChar_));
    out.Text("DiscardNull", BoolToText(discardNull_));
  }
  if (groups.Contains(sgParity)) {
    out.Text("Parity.Check", BoolToText(parity_->Check()));
    out.Text("Parity.Replace", BoolToText(parity_->Replace()));
    out.Text("Parity.ReplaceChar", CharToText(parity_->ReplaceChar()));
  }
  if (groups.Contains(sgBuffer)) {
    out.Integer("Buffer.OutputSize", buffer_->OutputSize());
    out.Integer("Buffer.InputSize", buffer_->InputSize());
  }
  if (groups.Contains(sgTimeouts)) {
    const TComTimeouts& t = *timeouts_;
    out.Integer("Timeouts.ReadInterval", t.ReadInterval());
    out.Integer("Timeouts.ReadTotalConstant", t.ReadTotalConstant());
    out.Integer("Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier());
    out.Integer("Timeouts.WriteTotalConstant", t.WriteTotalConstant());
    out.Integer("Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier());
  }
  if (groups.Contains(sgFlowControl)) {
    const TComFlowControl& f = *flowControl_;
    out.Text("FlowControl.ControlRTS", RTSControlToText(f.ControlRTS()));
    out.Text("FlowControl.ControlDTR", DTRControlToText(f.ControlDTR()));
    out.Text("FlowControl.DSRSensitivity", BoolToText(f.DSRSensitivity()));
    out.Text("FlowControl.OutCTSFlow", BoolToText(f.OutCTSFlow()));
    out.Text("FlowControl.OutDSRFlow", BoolToText(f.OutDSRFlow()));
    out.Text("FlowControl.TxContinueOnXoff", BoolToText(f.TxContinueOnXoff()));
    out.Text("FlowControl.XonXoffIn", BoolToText(f.XonXoffIn()));
    out.Text("FlowControl.XonXoffOut", BoolToText(f.XonXoffOut()));
    out.Text("FlowControl.XoffChar", CharToText(f.XoffChar()));
    out.Text("FlowControl.XonChar", CharToText(f.XonChar()));
  }
}

// Every value goes through its own setter, so that on an open port each
// change reaches the device at once and a changed port reopens it.
void TCustomComPort::LoadSettings(TComSettingsReader& in) {
  const TStoredGroups groups = storedGroups_;
  if (groups.Contains(sgBasic)) {
    SetPort(in.Text("Port", port_));
    SetBaudRate(TextToBaudRate(in.Text("BaudRate", BaudRateToText(baudRate_))));
    // A missing custom rate falls back to 9600, not to the current value.
    if (baudRate_ == brCustom) SetCustomBaudRate(in.Integer("CustomBaudRate", 9600));
    SetStopBits(TextToStopBits(in.Text("StopBits", StopBitsToText(stopBits_))));
    SetDataBits(TextToDataBits(in.Text("DataBits", DataBitsToText(dataBits_))));
    parity_->SetBits(TextToParity(in.Text("Parity", ParityToText(parity_->Bits()))));
    flowControl_->SetFlowControl(TextToFlowControl(
        in.Text("FlowControl", FlowControlToText(flowControl_->FlowControl()))));
  }
  if (groups.Contains(sgMisc)) {
    SetEventChar(TextToChar(in.Text("EventChar", CharToText(eventChar_))));
    SetDiscardNull(TextToBool(in.Text("DiscardNull", BoolToText(discardNull_))));
  }
  if (groups.Contains(sgParity)) {
    TComParity& p = *parity_;
    p.SetCheck(TextToBool(in.Text("Parity.Check", BoolToText(p.Check()))));
    p.SetReplace(TextToBool(in.Text("Parity.Replace", BoolToText(p.Replace()))));
    p.SetReplaceChar(TextToChar(in.Text("Parity.ReplaceChar", CharToText(p.ReplaceChar()))));
  }
  if (groups.Contains(sgBuffer)) {
    TComBuffer& b = *buffer_;
    b.SetOutputSize(in.Integer("Buffer.OutputSize", b.OutputSize()));
    b.SetInputSize(in.Integer("Buffer.InputSize", b.InputSize()));
  }
  if (groups.Contains(sgTimeouts)) {
    TComTimeouts& t = *timeouts_;
    t.SetReadInterval(in.Integer("Timeouts.ReadInterval", t.ReadInterval()));
    t.SetReadTotalConstant(in.Integer("Timeouts.ReadTotalConstant", t.ReadTotalConstant()));
    t.SetReadTotalMultiplier(in.Integer("Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier()));
    t.SetWriteTotalConstant(in.Integer("Timeouts.WriteTotalConstant", t.WriteTotalConstant()));
    t.SetWriteTotalMultiplier(
        in.Integer("Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier()));
  }
  if (groups.Contains(sgFlowControl)) {
    TComFlowControl& f = *flowControl_;
    f.SetControlRTS(TextToRTSControl(
        in.Text("FlowControl.ControlRTS", RTSControlToText(f.ControlRTS()))));
    f.SetControlDTR(TextToDTRControl(
        in.Text("FlowControl.ControlDTR", DTRControlToText(f.ControlDTR()))));
    f.SetDSRSensitivity(
        TextToBool(in.Text("FlowControl.DSRSensitivity", BoolToText(f.DSRSensitivity()))));
    f.SetOutCTSFlow(TextToBool(in.Text("FlowControl.OutCTSFlow", BoolToText(f.OutCTSFlow()))));
    f.SetOutDSRFlow(TextToBool(in.Text("FlowControl.OutDSRFlow", BoolToText(f.OutDSRFlow()))));
    f.SetTxContinueOnXoff(
        TextToBool(in.Text("FlowControl.TxContinueOnXoff", BoolToText(f.TxContinueOnXoff()))));
    f.SetXonXoffIn(TextToBool(in.Text("FlowControl.XonXoffIn", BoolToText(f.XonXoffIn()))));
    f.SetXonXoffOut(TextToBool(in.Text("FlowControl.XonXoffOut", BoolToText(f.XonXoffOut()))));
    f.SetXoffChar(TextToChar(in.Text("FlowControl.XoffChar", CharToText(f.XoffChar()))));
    f.SetXonChar(TextToChar(in.Text("FlowControl.XonChar", CharToText(f.XonChar()))));
  }
}
