#include "serial/com_settings.h"
#include "serial/store_if_changed.h"

#include <stdexcept>
#include <typeinfo>

#include "serial/com_port.h"

void TComSettingsObject::CheckAssignable(const TComSettingsObject& source) const {
  if (typeid(source) != typeid(*this))
    throw std::invalid_argument(std::string("Cannot assign a ") + source.ClassName() + " to a " +
                                ClassName());
}

// TComParity

void TComParity::Assign(const TComSettingsObject& source) {
  CheckAssignable(source);
  const auto& other = static_cast<const TComParity&>(source);
  bits_ = other.bits_;
  check_ = other.check_;
  replace_ = other.replace_;
  replaceChar_ = other.replaceChar_;
}

void TComParity::Changed() {
  if (ComPort()) ComPort()->ApplyLineSettings();
}

void TComParity::SetBits(TParityBits value) {
  if (StoreIfChanged(bits_, value)) Changed();
}

void TComParity::SetCheck(bool value) {
  if (StoreIfChanged(check_, value)) Changed();
}

void TComParity::SetReplace(bool value) {
  if (StoreIfChanged(replace_, value)) Changed();
}

void TComParity::SetReplaceChar(char value) {
  if (StoreIfChanged(replaceChar_, value)) Changed();
}

// TComFlowControl

void TComFlowControl::Assign(const TComSettingsObject& source) {
  CheckAssignable(source);
  const auto& other = static_cast<const TComFlowControl&>(source);
  outCTSFlow_ = other.outCTSFlow_;
  outDSRFlow_ = other.outDSRFlow_;
  controlDTR_ = other.controlDTR_;
  controlRTS_ = other.controlRTS_;
  xonXoffOut_ = other.xonXoffOut_;
  xonXoffIn_ = other.xonXoffIn_;
  dsrSensitivity_ = other.dsrSensitivity_;
  txContinueOnXoff_ = other.txContinueOnXoff_;
  xonChar_ = other.xonChar_;
  xoffChar_ = other.xoffChar_;
}

void TComFlowControl::Changed() {
  if (ComPort()) ComPort()->ApplyLineSettings();
}

void TComFlowControl::SetOutCTSFlow(bool value) {
  if (StoreIfChanged(outCTSFlow_, value)) Changed();
}
void TComFlowControl::SetOutDSRFlow(bool value) {
  if (StoreIfChanged(outDSRFlow_, value)) Changed();
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
  if (StoreIfChanged(controlDTR_, value)) Changed();
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
  if (StoreIfChanged(controlRTS_, value)) Changed();
}
void TComFlowControl::SetXonXoffOut(bool value) {
  if (StoreIfChanged(xonXoffOut_, value)) Changed();
}
void TComFlowControl::SetXonXoffIn(bool value) {
  if (StoreIfChanged(xonXoffIn_, value)) Changed();
}
void TComFlowControl::SetDSRSensitivity(bool value) {
  if (StoreIfChanged(dsrSensitivity_, value)) Changed();
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
  if (StoreIfChanged(txContinueOnXoff_, value)) Changed();
}
void TComFlowControl::SetXonChar(char value) {
  if (StoreIfChanged(xonChar_, value)) Changed();
}
void TComFlowControl::SetXoffChar(char value) {
  if (StoreIfChanged(xoffChar_, value)) Changed();
}

TFlowControl TComFlowControl::FlowControl() const {
  if (controlRTS_ == rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) return fcHardware;
  if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) return fcSoftware;
  if (controlRTS_ == rtsDisable && !outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) return fcNone;
  return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
  if (value != fcCustom) {
    controlRTS_ = rtsDisable;
    outCTSFlow_ = false;
    xonXoffIn_ = false;
    xonXoffOut_ = false;
    if (value == fcHardware) {
      controlRTS_ = rtsHandshake;
      outCTSFlow_ = true;
    } else if (value == fcSoftware) {
      xonXoffIn_ = true;
      xonXoffOut_ = true;
    }
  }
  Changed();
}

// TComTimeouts

void TComTimeouts::Assign(const TComSettingsObject& source) {
  CheckAssignable(source);
  const auto& other = static_cast<const TComTimeouts&>(source);
  readInterval_ = other.readInterval_;
  readTotalMultiplier_ = other.readTotalMultiplier_;
  readTotalConstant_ = other.readTotalConstant_;
  writeTotalMultiplier_ = other.writeTotalMultiplier_;
  writeTotalConstant_ = other.writeTotalConstant_;
}

void TComTimeouts::Set(std::int32_t& field, std::int32_t value) {
  if (!StoreIfChanged(field, value)) return;
  if (ComPort()) ComPort()->ApplyTimeoutSettings();
}

void TComTimeouts::SetReadInterval(std::int32_t value) { Set(readInterval_, value); }
void TComTimeouts::SetReadTotalMultiplier(std::int32_t value) { Set(readTotalMultiplier_, value); }
void TComTimeouts::SetReadTotalConstant(std::int32_t value) { Set(readTotalConstant_, value); }
void TComTimeouts::SetWriteTotalMultiplier(std::int32_t value) {
  Set(writeTotalMultiplier_, value);
}
void TComTimeouts::SetWriteTotalConstant(std::int32_t value) { Set(writeTotalConstant_, value); }

// TComBuffer

void TComBuffer::Assign(const TComSettingsObject& source) {
  CheckAssignable(source);
  const auto& other = static_cast<const TComBuffer&>(source);
  inputSize_ = other.inputSize_;
  outputSize_ = other.outputSize_;
}

void TComBuffer::Set(std::int32_t& field, std::int32_t value) {
  // The size is made even before the comparison, so that 1025 on a buffer of
  // 1024 is no change and makes no device call.
  if (value > 0 && value % 2 == 1) --value;
  if (!StoreIfChanged(field, value)) return;
  if (ComPort()) ComPort()->ApplyBufferSettings();
}

void TComBuffer::SetInputSize(std::int32_t value) { Set(inputSize_, value); }
void TComBuffer::SetOutputSize(std::int32_t value) { Set(outputSize_, value); }
