// The link server's serial line on Windows (the opener is declared with the
// POSIX one, which the program includes by that name): the COM device
// opened directly, line settings through the DCB and every wait through the
// driver's time-outs, so nothing here sleeps.

#include <windows.h>

#include <memory>
#include <string>

#include "link/server/posix_serial.h"

namespace velmora::link::server {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;
// A write that the driver cannot hand to the line within this counts as failed.
constexpr DWORD kWriteTimeoutMs = 1000;
// Waits longer than this are cut into several reads.
constexpr std::int64_t kLongestWaitMs = 0x7FFFFFFE;

class Win32SerialPort final : public SerialPort {
 public:
  explicit Win32SerialPort(HANDLE h) : h_(h) {}
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;
  ~Win32SerialPort() override { CloseHandle(h_); }

  IoResult Configure(const LineSettings& s) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (s.data_bits < 5 || s.data_bits > 8 || !GetCommState(h_, &dcb)) {
      return IoResult::kError;
    }
    dcb.BaudRate = static_cast<DWORD>(s.baud);
    dcb.ByteSize = static_cast<BYTE>(s.data_bits);
    dcb.Parity = s.parity == 'E' ? EVENPARITY : s.parity == 'O' ? ODDPARITY : NOPARITY;
    dcb.fParity = s.parity != 'N';
    dcb.StopBits = s.stop_bits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    // No flow control of any kind: the ECU line has three wires.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    return SetCommState(h_, &dcb) ? IoResult::kOk : IoResult::kError;
  }

  IoResult DiscardInput() override {
    return PurgeComm(h_, PURGE_RXCLEAR) ? IoResult::kOk : IoResult::kError;
  }

  IoResult Write(std::span<const std::uint8_t> bytes) override {
    if (!WriteTimeouts()) {
      return IoResult::kError;
    }
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      DWORD n = 0;
      if (!WriteFile(h_, bytes.data() + sent, static_cast<DWORD>(bytes.size() - sent), &n,
                     nullptr)) {
        return GetLastError() == ERROR_DEVICE_REMOVED ? IoResult::kClosed : IoResult::kError;
      }
      if (n == 0) {
        return IoResult::kError;  // the write time-out passed with nothing taken
      }
      sent += n;
    }
    return IoResult::kOk;
  }

  // What is there at once; otherwise one byte with the full wait, then the
  // rest that came with it. Every step uses a time-out combination whose
  // meaning all drivers agree on (Wine's does not return early from the
  // MAXDWORD/MAXDWORD/constant one, which would make every answer wait out
  // its whole time-out).
  ReadResult Read(std::span<std::uint8_t> buffer, std::int64_t timeout_us) override {
    if (buffer.empty()) {
      return {IoResult::kOk, 0};
    }
    ReadResult now = ReadWith(buffer, kImmediate);
    if (now.result != IoResult::kOk || now.count > 0) {
      return now;
    }
    // Rounded up, so a wait never ends before its time.
    std::int64_t ms = (timeout_us + kMicrosPerMilli - 1) / kMicrosPerMilli;
    ms = ms < 1 ? 1 : (ms > kLongestWaitMs ? kLongestWaitMs : ms);
    const ReadResult first = ReadWith(buffer.first(1), static_cast<DWORD>(ms));
    if (first.result != IoResult::kOk || first.count == 0) {
      return first.result == IoResult::kOk ? ReadResult{IoResult::kTimeout, 0} : first;
    }
    const ReadResult rest = ReadWith(buffer.subspan(1), kImmediate);
    return {IoResult::kOk, 1 + (rest.result == IoResult::kOk ? rest.count : 0)};
  }

 private:
  // `kImmediate`: return with what the driver holds, possibly nothing.
  // Otherwise: return when the buffer is full or after `total_ms`.
  static constexpr DWORD kImmediate = MAXDWORD;

  ReadResult ReadWith(std::span<std::uint8_t> buffer, DWORD total_ms) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = total_ms == kImmediate ? MAXDWORD : 0;
    t.ReadTotalTimeoutConstant = total_ms == kImmediate ? 0 : total_ms;
    t.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (SetCommTimeouts(h_, &t) == 0) {
      return {IoResult::kError, 0};
    }
    DWORD n = 0;
    if (!ReadFile(h_, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
      return {GetLastError() == ERROR_DEVICE_REMOVED ? IoResult::kClosed : IoResult::kError, 0};
    }
    return {IoResult::kOk, n};
  }

  bool WriteTimeouts() {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    return SetCommTimeouts(h_, &t) != 0;
  }

  HANDLE h_;
};

// "COM12" and the like are opened through the device namespace, which
// ports above COM9 need.
std::string DevicePath(const std::string& device) {
  if (device.rfind("\\\\.\\", 0) == 0 || device.rfind("COM", 0) != 0) {
    return device;
  }
  return "\\\\.\\" + device;
}

}  // namespace

OpenResult PosixSerialOpener::Open(const std::string& device) {
  const HANDLE h = CreateFileA(DevicePath(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return {};
  }
  OpenResult r;
  r.result = IoResult::kOk;
  r.port = std::make_unique<Win32SerialPort>(h);
  return r;
}

}  // namespace velmora::link::server
