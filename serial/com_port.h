#pragma once

// The serial port component: one serial port with all its line settings,
// opened and closed on the UI thread, with notifications before and after
// each step and handlers for the device events.
//
// A changed setting is stored at once; it reaches the device only while the
// port is connected and the component is not being loaded (BeginLoad ..
// EndLoad). Otherwise the next Open applies every setting.

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "serial/baud_rate.h"
#include "serial/com_errors.h"
#include "serial/com_settings.h"
#include "serial/com_texts.h"
#include "serial/com_types.h"
#include "serial/serial_device.h"
#include "serial/settings_store.h"
#include "serial/ui_handoff.h"

class TCustomComPort;
class TComThread;
class TComSettingsWriter;
class TComSettingsReader;

using TNotifyEvent = std::function<void(TCustomComPort& Sender)>;
using TRxCharEvent = std::function<void(TCustomComPort& Sender, std::int32_t Count)>;
using TComSignalEvent = std::function<void(TCustomComPort& Sender, bool OnOff)>;
using TComErrorEvent = std::function<void(TCustomComPort& Sender, TComErrors Errors)>;

// One device transfer started by StartRead or StartReadString and completed
// by WaitForPendingIo. Device reads return at once with what has arrived, so
// a started read has already completed (a failed one has thrown); the
// record keeps what it transferred.
enum class TPendingIoKind : std::uint8_t { Read, Write };
struct PendingIo {
  TPendingIoKind Kind = TPendingIoKind::Read;
  std::uint32_t Transferred = 0;
};
using PPendingIo = std::unique_ptr<PendingIo>;

// The message that the event thread sends to the sync window under
// smWindowSync, with the event's mask bit as wParam.
inline constexpr std::uint32_t kComEventMessage = 1025;

class TCustomComPort {
 public:
  // Without a device the component asks CreateSystemSerialDevice() for one
  // when it first opens.
  explicit TCustomComPort(std::string name = "ComPort",
                          std::unique_ptr<SerialDevice> device = nullptr);
  // Closes the port; failures of the close are not passed on.
  virtual ~TCustomComPort();
  TCustomComPort(const TCustomComPort&) = delete;
  TCustomComPort& operator=(const TCustomComPort&) = delete;

  // The component's name; the settings store uses it as the INI section.
  const std::string& Name() const { return name_; }

  // Loading from a stored form: while loading, setters only store values
  // and Connected only records the wish. EndLoad opens the port when
  // Connected was recorded as true; a failure of that open goes to
  // OnLoadedOpenError when assigned and is thrown otherwise.
  bool Loading() const { return loading_; }
  void BeginLoad() { loading_ = true; }
  void EndLoad();

  // Lifecycle. Open on an open port and Close on a closed one do nothing;
  // so do both while another Open or Close of this port is under way (a
  // handler that closes from OnBeforeClose, or from a delivery that the
  // closing wait serves). Open starts the event thread when Events is not
  // empty. Close stops it and waits for its end while serving the UI
  // hand-off, so that a delivery under way completes first.
  //
  // Inside one of this port's deliveries (a handler, also in a nested loop
  // of a modal box, and on the event thread under smNone) Close, a Port
  // change, Open and destruction take effect at once, on the calling
  // thread: the thread is released instead of waited for, runs no further
  // handler of that delivery and ends by itself.
  //
  // Connected may be read from any thread. Driving the port from the UI
  // thread and from a handler on the event thread at the same time (smNone)
  // is refused, not waited for: the second Close or Open returns at once.
  void Open();
  void Close();
  bool Connected() const;
  void SetConnected(bool value);
  // True while an event thread started by Open exists (it may have ended
  // after a handler's exception; Close then only collects it).
  bool ThreadCreated() const;
  // True while that thread waits for or delivers events.
  bool EventThreadRunning() const;

  // How deliveries reach the UI thread under smThreadSync and smWindowSync.
  // Not owned; must outlive the open port. A change takes effect at the next
  // Open. Without one the component uses a queue of its own that only Close
  // serves, so events wait in the device until then.
  void SetHandoff(UiHandoff* handoff) { handoff_ = handoff; }
  UiHandoff& Handoff() { return handoff_ ? *handoff_ : ownHandoff_; }

  // The modem input lines that are on (EComPort 11 on failure).
  TModemSignals ReadModemSignals();
  // Cancels outstanding transfers; never fails.
  void AbortPendingIo() noexcept;

  // Data transfer. A negative count reads nothing.
  // Reads what has arrived, at most `count` bytes; the text holds exactly
  // them. EComPort 3 or 10 on failure.
  std::int32_t ReadString(std::string& text, std::int32_t count);
  std::int32_t Read(void* buffer, std::int32_t count);
  void CreatePendingIo(PPendingIo& io);
  void FreePendingIo(PPendingIo& io);
  std::int32_t StartRead(void* buffer, std::int32_t count, PendingIo& io);
  // Sets the text's length to `count` and reads into it.
  std::int32_t StartReadString(std::string& text, std::int32_t count, PendingIo& io);
  // EComPort 4 without a PendingIo; 10, or 3 (read) / 2 (write) on failure.
  std::int32_t WaitForPendingIo(PendingIo* io);
  // Sends all `count` bytes and returns `count`, or raises EComPort 2 with
  // the system error (a closed port, a device that failed, or one that did
  // not take the bytes within WriteTimeoutMs). UI thread.
  std::int32_t Write(const void* buffer, std::int32_t count);
  std::int32_t WriteString(const std::string& text);
  // How long a write of `count` bytes may take: WriteTotalMultiplier per
  // byte plus WriteTotalConstant, at most kMaxWriteTimeoutMs. Where both are
  // 0 (the device would wait without limit) the default write timeouts
  // stand in: 100 ms per byte plus 1000 ms.
  std::uint32_t WriteTimeoutMs(std::uint32_t count) const;
  static constexpr std::uint32_t kMaxWriteTimeoutMs = 60000;
  // Bytes waiting in the input queue; clears the line errors (EComPort 10).
  std::int32_t InputQueueCount();
  // The line errors since the last query, which clears them (EComPort 10).
  TComErrors ReadLineErrors();

  // The device; null until the first open when none was given.
  SerialDevice* Device() const { return device_.get(); }

  // Settings.
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value);
  // The rate used for brCustom.
  std::int32_t CustomBaudRate() const { return customBaudRate_; }
  void SetCustomBaudRate(std::int32_t value);
  // Normalised to "COM1".."COM16"; a change while connected reopens the port.
  const std::string& Port() const { return port_; }
  void SetPort(std::string_view value);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits value);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits value);
  bool DiscardNull() const { return discardNull_; }
  void SetDiscardNull(bool value);
  char EventChar() const { return eventChar_; }
  void SetEventChar(char value);
  // Reaches the device at the next open only.
  TComEvents Events() const { return events_; }
  void SetEvents(TComEvents value);
  // Cannot change while connected (EComPort code 14).
  TSyncMethod SyncMethod() const { return syncMethod_; }
  void SetSyncMethod(TSyncMethod value);
  TStoredGroups StoredGroups() const { return storedGroups_; }
  void SetStoredGroups(TStoredGroups value) { storedGroups_ = value; }

  // The settings objects. Their own setters re-apply their group when a
  // field changes; the Set* here copy a whole object and always re-apply.
  TComParity& Parity() { return *parity_; }
  const TComParity& Parity() const { return *parity_; }
  void SetParity(const TComParity& value);
  TComFlowControl& FlowControl() { return *flowControl_; }
  const TComFlowControl& FlowControl() const { return *flowControl_; }
  void SetFlowControl(const TComFlowControl& value);
  TComTimeouts& Timeouts() { return *timeouts_; }
  const TComTimeouts& Timeouts() const { return *timeouts_; }
  void SetTimeouts(const TComTimeouts& value);
  TComBuffer& Buffer() { return *buffer_; }
  const TComBuffer& Buffer() const { return *buffer_; }
  void SetBuffer(const TComBuffer& value);

  // Settings store: the groups of StoredGroups, in a registry key or in the
  // INI section named after the component.
  virtual void StoreToRegistry(TRegistryStore& key);
  virtual void StoreToIniFile(TCustomIniFile& iniFile);
  virtual void LoadFromRegistry(TRegistryStore& key);
  virtual void LoadFromIniFile(TCustomIniFile& iniFile);

 protected:
  // Opens the device named by Port (EComPort code 1 on failure).
  virtual void OpenDevice();
  virtual void CloseDevice();

 public:
  // Buffer, line and timeout settings, in this order.
  virtual void ApplyAllSettings();

  // Event handlers; an empty one is not called.
  TNotifyEvent OnBeforeOpen;
  TNotifyEvent OnAfterOpen;
  TNotifyEvent OnBeforeClose;
  TNotifyEvent OnAfterClose;
  TRxCharEvent OnRxChar;
  TNotifyEvent OnTxEmpty;
  TNotifyEvent OnBreak;
  TNotifyEvent OnRing;
  TNotifyEvent OnRxFlag;
  TComSignalEvent OnCTSChange;
  TComSignalEvent OnDSRChange;
  TComErrorEvent OnError;
  TComSignalEvent OnRLSDChange;
  TNotifyEvent OnRx80Full;
  // Receives a failure of the open that EndLoad starts.
  std::function<void(const std::exception&)> OnLoadedOpenError;
  // Receives what fails on the UI thread with no caller to return to: a
  // handler under smWindowSync. Unassigned, it is dropped.
  std::function<void(const std::exception&)> OnBackgroundError;

 protected:
  virtual void FireAfterClose();
  virtual void FireAfterOpen();
  virtual void FireBeforeClose();
  virtual void FireBeforeOpen();
  virtual void FireRxChar(std::int32_t count);
  virtual void FireTxEmpty();
  virtual void FireBreak();
  virtual void FireRing();
  virtual void FireRxFlag();
  virtual void FireCTSChange(bool onOff);
  virtual void FireDSRChange(bool onOff);
  virtual void FireError(TComErrors errors);
  virtual void FireRLSDChange(bool onOff);
  virtual void FireRx80Full();

  // One per device event; run by the event thread's delivery.
  virtual void ProcessRxChar();
  virtual void ProcessTxEmpty();
  virtual void ProcessBreak();
  virtual void ProcessRing();
  virtual void ProcessCTSChange();
  virtual void ProcessDSRChange();
  virtual void ProcessRxFlag();
  virtual void ProcessRLSDChange();
  virtual void ProcessError();
  virtual void ProcessRx80Full();
  // The sync window's message handler (smWindowSync: the event thread sends
  // it one message per event): kComEventMessage runs the Process operation
  // of the event bit in wParam; other messages get 0.
  virtual std::intptr_t SyncWindowProc(std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam);

 public:
  // Re-apply one group to the device when connected and not loading; a
  // refusal raises EComPort 7, 8 or 9 with the device's error number.
  virtual void ApplyLineSettings();
  virtual void ApplyTimeoutSettings();
  virtual void ApplyBufferSettings();

  // The device records that the apply steps pass on.
  DeviceControlBlock MakeDeviceControlBlock() const;
  DeviceTimeouts MakeDeviceTimeouts() const;

 protected:
  // True when a changed setting should reach the device now.
  bool CanApply() const { return Connected() && !loading_; }

 private:
  friend class TComThread;

  // Closed -> Opening (BeforeOpen, device open) -> Open -> Closing -> Closed.
  // Only one Open or Close runs at a time: each claims its phase first.
  enum class Phase : std::uint8_t { Closed, Opening, Open, Closing };

  SerialDevice& OpenedDevice();
  // Ends the event thread, if any: waits for it, or releases it when called
  // inside one of its deliveries.
  void StopEventThread();
  std::shared_ptr<TComThread> CurrentThread() const;
  void ReportBackgroundError(std::exception_ptr error);

  void StoreSettings(TComSettingsWriter& writer) const;
  void LoadSettings(TComSettingsReader& reader);

  std::string name_;
  std::unique_ptr<SerialDevice> device_;
  bool loading_ = false;
  std::atomic<Phase> phase_{Phase::Closed};

  UiHandoff* handoff_ = nullptr;
  QueuedUiHandoff ownHandoff_;
  // Under smNone the event thread itself may replace it (a handler closing
  // the port) while the UI thread asks about it.
  mutable std::mutex threadMutex_;
  std::shared_ptr<TComThread> eventThread_;

  TBaudRate baudRate_ = br9600;
  std::int32_t customBaudRate_ = 9600;
  std::string port_ = "COM1";
  TStopBits stopBits_ = sbOneStopBit;
  TDataBits dataBits_ = dbEight;
  bool discardNull_ = false;
  char eventChar_ = 0;
  TComEvents events_ = AllComEvents;
  TSyncMethod syncMethod_ = smThreadSync;
  TStoredGroups storedGroups_ = {sgBasic};

  std::unique_ptr<TComParity> parity_;
  std::unique_ptr<TComFlowControl> flowControl_;
  std::unique_ptr<TComTimeouts> timeouts_;
  std::unique_ptr<TComBuffer> buffer_;
};

// The component as the program uses it; everything is public in the base.
class TComPort : public TCustomComPort {
 public:
  using TCustomComPort::TCustomComPort;
};
