#pragma once

// The settings objects of the serial port component. Each one belongs to a
// component (set once at creation) and asks it to re-apply its group after a
// changed field; an object created without a component only holds values,
// for example as the source of a whole-object assignment.

#include <cstdint>
#include <string>

#include "serial/com_types.h"

class TCustomComPort;

class TComSettingsObject {
 public:
  explicit TComSettingsObject(TCustomComPort* comPort) : comPort_(comPort) {}
  virtual ~TComSettingsObject() = default;
  TComSettingsObject(const TComSettingsObject&) = delete;
  TComSettingsObject& operator=(const TComSettingsObject&) = delete;

  // Copies every field of an object of the same class, without re-applying
  // anything; an object of another class throws std::invalid_argument.
  virtual void Assign(const TComSettingsObject& source) = 0;
  virtual const char* ClassName() const = 0;

  TCustomComPort* ComPort() const { return comPort_; }

 protected:
  // Throws unless `source` is of this object's class.
  void CheckAssignable(const TComSettingsObject& source) const;

 private:
  TCustomComPort* const comPort_;
};

class TComParity : public TComSettingsObject {
 public:
  explicit TComParity(TCustomComPort* comPort = nullptr) : TComSettingsObject(comPort) {}

  void Assign(const TComSettingsObject& source) override;
  const char* ClassName() const override { return "TComParity"; }

  TParityBits Bits() const { return bits_; }
  void SetBits(TParityBits value);
  // The device checks the parity of received characters.
  bool Check() const { return check_; }
  void SetCheck(bool value);
  // A character with a parity error is replaced by ReplaceChar.
  bool Replace() const { return replace_; }
  void SetReplace(bool value);
  char ReplaceChar() const { return replaceChar_; }
  void SetReplaceChar(char value);

 private:
  void Changed();

  TParityBits bits_ = prNone;
  bool check_ = false;
  bool replace_ = false;
  char replaceChar_ = 0;
};

class TComFlowControl : public TComSettingsObject {
 public:
  explicit TComFlowControl(TCustomComPort* comPort = nullptr) : TComSettingsObject(comPort) {}

  void Assign(const TComSettingsObject& source) override;
  const char* ClassName() const override { return "TComFlowControl"; }

  bool OutCTSFlow() const { return outCTSFlow_; }
  void SetOutCTSFlow(bool value);
  bool OutDSRFlow() const { return outDSRFlow_; }
  void SetOutDSRFlow(bool value);
  TDTRFlowControl ControlDTR() const { return controlDTR_; }
  void SetControlDTR(TDTRFlowControl value);
  TRTSFlowControl ControlRTS() const { return controlRTS_; }
  void SetControlRTS(TRTSFlowControl value);
  bool XonXoffOut() const { return xonXoffOut_; }
  void SetXonXoffOut(bool value);
  bool XonXoffIn() const { return xonXoffIn_; }
  void SetXonXoffIn(bool value);
  bool DSRSensitivity() const { return dsrSensitivity_; }
  void SetDSRSensitivity(bool value);
  bool TxContinueOnXoff() const { return txContinueOnXoff_; }
  void SetTxContinueOnXoff(bool value);
  char XonChar() const { return xonChar_; }
  void SetXonChar(char value);
  char XoffChar() const { return xoffChar_; }
  void SetXoffChar(char value);

  // The preset that the RTS, CTS and XON/XOFF fields amount to (fcCustom when
  // they match none); DTR, DSR and the characters do not count.
  TFlowControl FlowControl() const;
  // Sets the fields of a preset (fcCustom sets none) and re-applies the line
  // settings once, whatever the preset.
  void SetFlowControl(TFlowControl value);

 private:
  void Changed();

  bool outCTSFlow_ = false;
  bool outDSRFlow_ = false;
  TDTRFlowControl controlDTR_ = dtrDisable;
  TRTSFlowControl controlRTS_ = rtsDisable;
  bool xonXoffOut_ = false;
  bool xonXoffIn_ = false;
  bool dsrSensitivity_ = false;
  bool txContinueOnXoff_ = false;
  char xonChar_ = 17;
  char xoffChar_ = 19;
};

// Milliseconds; -1 stands for the device's maximum (0xFFFFFFFF).
class TComTimeouts : public TComSettingsObject {
 public:
  explicit TComTimeouts(TCustomComPort* comPort = nullptr) : TComSettingsObject(comPort) {}

  void Assign(const TComSettingsObject& source) override;
  const char* ClassName() const override { return "TComTimeouts"; }

  std::int32_t ReadInterval() const { return readInterval_; }
  void SetReadInterval(std::int32_t value);
  std::int32_t ReadTotalMultiplier() const { return readTotalMultiplier_; }
  void SetReadTotalMultiplier(std::int32_t value);
  std::int32_t ReadTotalConstant() const { return readTotalConstant_; }
  void SetReadTotalConstant(std::int32_t value);
  std::int32_t WriteTotalMultiplier() const { return writeTotalMultiplier_; }
  void SetWriteTotalMultiplier(std::int32_t value);
  std::int32_t WriteTotalConstant() const { return writeTotalConstant_; }
  void SetWriteTotalConstant(std::int32_t value);

 private:
  void Set(std::int32_t& field, std::int32_t value);

  std::int32_t readInterval_ = -1;
  std::int32_t readTotalMultiplier_ = 0;
  std::int32_t readTotalConstant_ = 0;
  std::int32_t writeTotalMultiplier_ = 100;
  std::int32_t writeTotalConstant_ = 1000;
};

// Device queue sizes in bytes; an odd positive size is lowered to the even
// one below it.
class TComBuffer : public TComSettingsObject {
 public:
  explicit TComBuffer(TCustomComPort* comPort = nullptr) : TComSettingsObject(comPort) {}

  void Assign(const TComSettingsObject& source) override;
  const char* ClassName() const override { return "TComBuffer"; }

  std::int32_t InputSize() const { return inputSize_; }
  void SetInputSize(std::int32_t value);
  std::int32_t OutputSize() const { return outputSize_; }
  void SetOutputSize(std::int32_t value);

 private:
  void Set(std::int32_t& field, std::int32_t value);

  std::int32_t inputSize_ = 1024;
  std::int32_t outputSize_ = 1024;
};
