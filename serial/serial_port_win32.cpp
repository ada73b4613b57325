// CSerialPort on Windows: overlapped reads and writes through a COM device,
// each waited for, so callers see blocking calls. Reads and writes have
// their own completion records and events, so a write from one thread can
// proceed while another thread waits in a read.

#include "serial/serial_port.h"

#include <atomic>
#include <string>

#include <windows.h>

#include "serial/port_names.h"

namespace crvl {

struct CSerialPort::Platform {
    COMMTIMEOUTS timeouts{};
    DCB dcb{};
    OVERLAPPED writeOverlapped{};
    OVERLAPPED readOverlapped{};
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Set by WakeReader for a read that has not started yet.
    std::atomic<bool> woken{false};
};

namespace {

constexpr DWORD kQueueSize = 4096;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

std::string LastErrorText() {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, GetLastError(), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr)
        LocalFree(text);
    return result;
}

} // namespace

CSerialPort::CSerialPort(int portNumber, const char* mode, int baudRate, SerialOptions options)
    : CSerialPort(PortDevicePath(portNumber), mode, baudRate, std::move(options)) {
    portNumber_ = portNumber;
}

CSerialPort::CSerialPort(const std::string& name, const char* mode, int baudRate,
                         SerialOptions options)
    : portNumber_(0), baudRate_(baudRate), options_(std::move(options)),
      platform_(std::make_unique<Platform>()) {
    Platform& p = *platform_;
    const std::string text = mode != nullptr ? mode : "";
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD share = 0;
    if (text == "r") {
        access = GENERIC_READ;
        share = FILE_SHARE_WRITE;
    } else if (text == "w") {
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
    }
    // A failed open is not tested here: it shows up as refused line settings.
    p.handle = CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    SetCommMask(p.handle, EV_RXCHAR);
    SetupComm(p.handle, kQueueSize, kQueueSize);
    PurgeComm(p.handle, kPurgeAll);

    p.timeouts.ReadIntervalTimeout = MAXDWORD;
    p.timeouts.ReadTotalTimeoutMultiplier = 0;
    p.timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(options_.readTimeoutMs);
    p.timeouts.WriteTotalTimeoutMultiplier = 0;
    p.timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(options_.writeTimeoutMs);
    SetCommTimeouts(p.handle, &p.timeouts);

    p.dcb.DCBlength = sizeof(DCB);
    GetCommState(p.handle, &p.dcb);
    p.dcb.BaudRate = static_cast<DWORD>(baudRate);
    p.dcb.ByteSize = 8;
    p.dcb.Parity = NOPARITY;
    p.dcb.StopBits =
        options_.twoStopBitsAt56000 && baudRate == kProgrammingBaudRate ? TWOSTOPBITS : ONESTOPBIT;
    p.dcb.fBinary = 1;
    p.dcb.fParity = options_.parityCheck ? 1 : 0;
    p.dcb.fOutxCtsFlow = 0;
    p.dcb.fOutxDsrFlow = 0;
    p.dcb.fDtrControl = DTR_CONTROL_ENABLE;
    p.dcb.fOutX = 0;
    p.dcb.fInX = 0;
    p.dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(p.handle, &p.dcb))
        error_ = true;

    p.writeOverlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    p.readOverlapped.hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (p.writeOverlapped.hEvent == nullptr || p.readOverlapped.hEvent == nullptr)
        error_ = true;
}

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::WriteBytes(const std::uint8_t* data, std::size_t length) {
    Platform& p = *platform_;
    if (p.handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (!WriteFile(p.handle, data, static_cast<DWORD>(length), &written, &p.writeOverlapped) &&
        GetLastError() == ERROR_IO_PENDING)
        GetOverlappedResult(p.handle, &p.writeOverlapped, &written, TRUE);
}

std::uint8_t CSerialPort::ReadByte(bool& ok, bool& got) {
    Platform& p = *platform_;
    ok = false;
    got = false;
    if (p.handle == INVALID_HANDLE_VALUE)
        return 0;
    if (p.woken.exchange(false)) {
        ok = true;
        return 0;
    }
    std::uint8_t byte = 0;
    DWORD read = 0;
    if (!ReadFile(p.handle, &byte, 1, &read, &p.readOverlapped)) {
        if (GetLastError() != ERROR_IO_PENDING)
            return 0;
        Debug(kWaitingForInputLine);
        if (!GetOverlappedResult(p.handle, &p.readOverlapped, &read, TRUE)) {
            // A read cancelled by WakeReader ends as a time-out does.
            if (GetLastError() != ERROR_OPERATION_ABORTED)
                return 0;
            read = 0;
        }
    }
    ok = true;
    got = read == 1;
    return got ? byte : 0;
}

bool CSerialPort::SetBreak(bool on) {
    Platform& p = *platform_;
    if (!(on ? SetCommBreak(p.handle) : ClearCommBreak(p.handle))) {
        Debug(LastErrorText());
        return false;
    }
    return true;
}

void CSerialPort::WakeReader() {
    if (platform_ && platform_->handle != INVALID_HANDLE_VALUE) {
        platform_->woken.store(true);
        CancelIoEx(platform_->handle, &platform_->readOverlapped);
    }
}

void CSerialPort::Close() {
    if (!platform_)
        return;
    Platform& p = *platform_;
    if (p.handle != INVALID_HANDLE_VALUE) {
        PurgeComm(p.handle, kPurgeAll);
        CloseHandle(p.handle);
        p.handle = INVALID_HANDLE_VALUE;
    }
    if (p.writeOverlapped.hEvent != nullptr) {
        CloseHandle(p.writeOverlapped.hEvent);
        p.writeOverlapped.hEvent = nullptr;
    }
    if (p.readOverlapped.hEvent != nullptr) {
        CloseHandle(p.readOverlapped.hEvent);
        p.readOverlapped.hEvent = nullptr;
    }
    SetLastError(ERROR_OPERATION_ABORTED);
}

std::string SerialAccessAdvice(int) {
    return {};
}

} // namespace crvl
