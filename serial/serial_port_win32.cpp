// CSerialPort on Windows: overlapped reads and writes through a COM device,
// each waited for, so callers see blocking calls. Reads and writes have
// their own completion records and events, so a write from one thread can
// proceed while another thread waits in a read.
// Nothing waits for comm events (WaitCommEvent) or reads the modem lines:
// Wine's ports on a pseudo-terminal refuse both, and the reads need neither.

#include "serial/serial_port.h"

#include <atomic>
#include <string>

#include <windows.h>

#include "serial/port_names.h"

namespace crvl {

struct CSerialPort::Platform {
    OVERLAPPED writeOverlapped{};
    OVERLAPPED readOverlapped{};
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Set by WakeReader; the read that sees it ends at once and clears it.
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

// "COM1".."COM9" open by their names; from COM10 on Windows needs the device
// namespace form ("\\.\COM10"). Any other name (a CRVL_COMn) stays as given.
std::string OpenName(const std::string& name) {
    constexpr std::size_t kOneDigitComName = 4; // "COM9"
    if (name.size() > kOneDigitComName && name.starts_with("COM"))
        return "\\\\.\\" + name;
    return name;
}

// A read that waited its whole time-out without a byte: Windows reports
// success with no byte, Wine fails it with ERROR_TIMEOUT. A read that
// WakeReader cancelled ends the same way.
bool EndedWithoutByte(DWORD error) {
    return error == ERROR_TIMEOUT || error == ERROR_OPERATION_ABORTED;
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
    const std::string device = OpenName(name);
    // A failed open is not tested here: it shows up as refused line settings.
    p.handle = CreateFileA(device.c_str(), access, share, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    SetCommMask(p.handle, EV_RXCHAR);
    SetupComm(p.handle, kQueueSize, kQueueSize);
    PurgeComm(p.handle, kPurgeAll);

    // A one-byte read ends when the byte arrives or after the read time-out.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(options_.readTimeoutMs);
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(options_.writeTimeoutMs);

    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    const bool stateRead = GetCommState(p.handle, &dcb) != 0;
    dcb.BaudRate = static_cast<DWORD>(baudRate);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits =
        options_.twoStopBitsAt56000 && baudRate == kProgrammingBaudRate ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = 1;
    dcb.fParity = options_.parityCheck ? 1 : 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    SetCommTimeouts(p.handle, &timeouts);
    if (!stateRead || !SetCommState(p.handle, &dcb)) {
        Debug(LastErrorText());
        error_ = true;
    }

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
    if (p.handle == INVALID_HANDLE_VALUE || p.writeOverlapped.hEvent == nullptr)
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
    if (p.handle == INVALID_HANDLE_VALUE || p.readOverlapped.hEvent == nullptr)
        return 0;
    if (p.woken.exchange(false)) {
        ok = true;
        return 0;
    }
    std::uint8_t byte = 0;
    DWORD read = 0;
    if (!ReadFile(p.handle, &byte, 1, &read, &p.readOverlapped)) {
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            Debug(kWaitingForInputLine);
            // A wake that came between the check above and the start of the
            // read found nothing to cancel: cancel it here.
            if (p.woken.load())
                CancelIoEx(p.handle, &p.readOverlapped);
            error = GetOverlappedResult(p.handle, &p.readOverlapped, &read, TRUE) != 0
                        ? ERROR_SUCCESS
                        : GetLastError();
        }
        if (error != ERROR_SUCCESS && !EndedWithoutByte(error)) {
            Debug(LastErrorText());
            return 0;
        }
        if (error != ERROR_SUCCESS)
            read = 0;
    }
    if (read == 0)
        p.woken.store(false);
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
