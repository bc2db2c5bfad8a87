// TComm32: one serial port with a reader and a writer thread. Everything that happens on the line reaches the
// owner on the thread that created the component (the GUI thread) through posted events, in order:
// OnReceiveData for each received block, OnRequestHangup when a thread has failed.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "serial/posix_port.h"

class QEventLoop;

namespace orvane::serial {

// The enumerations keep the names a window definition stores.
enum TCommPorts : std::uint8_t {
  COM__1 = 0,
  COM__2,
  COM__3,
  COM__4,
  COM__5,
  COM__6,
  COM__7,
  COM__8,
  COM__9,
  COM_10,
  COM_11,
  COM_12,
  COM_13,
  COM_14,
  COM_15,
  COM_16,
  COM_17,
  COM_18,
  COM_19,
  COM_20,
  COM_21,
  COM_22,
  COM_23,
  COM_24,
  COM_25,
  COM_26,
  COM_27,
  COM_28,
  COM_29,
  COM_30,
  COM_31,
  COM_32,
  COM_33,
  COM_34,
  COM_35,
  COM_36,
  COM_37,
  COM_38,
  COM_39,
  COM_40,
  COM_41,
  COM_42,
  COM_43,
  COM_44,
  COM_45,
  COM_46,
  COM_47,
  COM_48,
  COM_49,
  COM_50,
  COM_51,
  COM_52,
  COM_53,
  COM_54,
  COM_55,
  COM_56,
  COM_57,
  COM_58,
  COM_59,
  COM_60,
  COM_61,
  COM_62,
  COM_63,
  COM_64,
  COM_65,
  COM_66,
  COM_67,
  COM_68,
  COM_69,
  COM_70,
  COM_71,
  COM_72,
  COM_73,
  COM_74,
  COM_75,
  COM_76,
  COM_77,
  COM_78,
  COM_79,
  COM_80,
  COM_81,
  COM_82,
  COM_83,
  COM_84,
  COM_85,
  COM_86,
  COM_87,
  COM_88,
  COM_89,
  COM_90,
  COM_91,
  COM_92,
  COM_93,
  COM_94,
  COM_95,
  COM_96,
  COM_97,
  COM_98,
  COM_99,
  COM100,
  COM101,
  COM102,
  COM103,
  COM104,
  COM105,
  COM106,
  COM107,
  COM108,
  COM109,
  COM110,
  COM111,
  COM112,
  COM113,
  COM114,
  COM115,
  COM116,
  COM117,
  COM118,
  COM119,
  COM120,
  COM121,
  COM122,
  COM123,
  COM124,
  COM125,
  COM126,
  COM127,
  COM128,
};
enum TBaudRates : std::uint8_t {
  ____110,
  ____300,
  ____600,
  ___1200,
  ___2400,
  ___4800,
  ___9600,
  __14400,
  __19200,
  __28800,
  __38400,
  __57600,
  _115200,
  _230400,
  _460800,
  _921600,
};
enum TDataBits : std::uint8_t { _4, _5, _6, _7, _8 };
enum TParities : std::uint8_t { None, Odd, Even, Mark, Space };
enum TStopBits : std::uint8_t { _1, _1_5, _2 };
enum TControlCode : std::uint8_t {
  _00_NUL_Null,
  _01_SOH_Start_of_Heading,
  _02_STX_Start_of_Text,
  _03_ETX_End_of_Text,
  _04_EOT_End_of_Transmission,
  _05_ENQ_Enquiry,
  _06_ACK_Acknowledge,
  _07_BEL_Bell,
  _08_BS__Backspace,
  _09_HT__Horizontal_Tab,
  _0A_LF__Line_Feed,
  _0B_VT__Vertical_Tab,
  _0C_FF__Form_Feed,
  _0D_CR__Carriage_Return,
  _0E_SO__Shift_Out,
  _0F_SI__Shift_In,
  _10_DLE_Data_Link_Escape,
  _11_DC1_Device_Control_1,
  _12_DC2_Device_Control_2,
  _13_DC3_Device_Control_3,
  _14_DC4_Device_Control_4,
  _15_NAK_Negative_Acknowledge,
  _16_SYN_Synchronous_Idle,
  _17_ETB_End_of_Transmission_Block,
  _18_CAN_Cancel,
  _19_EM__End_of_Medium,
  _1A_SUB_Substitute,
  _1B_ESC_ESCape,
  _1C_FS__File_Separator,
  _1D_GS__Group_Separator,
  _1E_RS__Record_Separator,
  _1F_US__Unit_Separator,
};

inline constexpr int kReadBlockSize = 16384;          // one read takes at most this many bytes
inline constexpr int kReadIntervalMs = 10;            // a read ends this long after the last byte of a burst
inline constexpr int kThreadStartDeadlineMs = 10000;  // OpenPort gives the threads this long to report ready

// The rate each TBaudRates value programs (bit/s); values outside the list program 9600.
std::uint32_t RateOf(int baudRate);
// "COM1".."COM128" for 0..127, "COM__1" (no device) for anything else.
std::string PortNameOf(int commPort);

class ECommsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kAlreadyOpen = "Already have a comm file open";
inline constexpr const char* kNoReadThread = "Unable to create Read thread";
inline constexpr const char* kNoWriteThread = "Unable to create Write thread";

class TComm32 : public QObject {
 public:
  using TReceiveDataEvent = std::function<void(const std::uint8_t* Buffer, std::uint16_t BufferLength)>;
  using TNotifyEvent = std::function<void(TComm32* Sender)>;

  explicit TComm32(QObject* owner = nullptr);
  // Closes the port if the owner has not: the threads must not outlive the component they post to.
  ~TComm32() override;
  TComm32(const TComm32&) = delete;
  TComm32& operator=(const TComm32&) = delete;

  // Setters take effect at the next opening; an open port is not reprogrammed.
  void SetCommPorts(int value);  // a window passes its list index; -1 (no selection) names no device
  // For the command line: a port name ("COM3") or a device path, instead of a list index.
  void SetPortName(const std::string& name) { portName_ = name; }
  void SetBaudRates(int value);
  void SetDataBits(int value);
  void SetParities(int value);
  void SetStopBits(int value);
  void SetEventChar(int value);
  void SetEndOfChar(int value);
  int CommPorts() const { return commPorts_; }
  int BaudRates() const { return baudRates_; }
  const std::string& PortName() const { return portName_; }
  const LineSettings& Settings() const { return settings_; }

  TReceiveDataEvent OnReceiveData;
  TNotifyEvent OnRequestHangup;

  // True when the port is open and both threads have reported ready; false when the port can't be opened
  // (LastOpenError() says why) or a thread ended before it was ready. Throws ECommsError.
  bool OpenPort();
  void ClosePort();
  // Queues a copy of the bytes for the writer; false when the port is not open.
  bool WriteData(const void* data, std::uint16_t size);
  // Waits up to `timeoutMs` for the blocks handed over so far to leave the driver; ClosePort discards what
  // is still queued, so a last token is flushed first. True when everything went out.
  bool Flush(int timeoutMs);

  bool IsOpen() const { return isOpen_; }
  const std::string& LastOpenError() const { return lastOpenError_; }

  // Counters for tests: threads now running, and blocks handed to the GUI thread and not yet delivered.
  static int LiveThreads();
  static int PendingBlocks();

 protected:
  bool event(QEvent* e) override;

 private:
  struct Threads;
  void HandleReady(int which, unsigned generation);

  int commPorts_ = COM__1;
  int baudRates_ = ___9600;
  int dataBits_ = _8;
  int parities_ = None;
  int stopBits_ = _1;
  int eventChar_ = _0D_CR__Carriage_Return;
  int endOfChar_ = _0D_CR__Carriage_Return;
  std::string portName_ = "COM1";
  LineSettings settings_;

  int portHandle_ = -1;
  std::unique_ptr<Threads> threads_;
  unsigned generation_ = 0;  // events of an earlier opening are dropped
  bool readerReady_ = false;
  bool writerReady_ = false;
  bool threadFailedWhileOpening_ = false;
  bool isOpen_ = false;
  std::string lastOpenError_;
  QEventLoop* openingLoop_ = nullptr;
};

}  // namespace orvane::serial
