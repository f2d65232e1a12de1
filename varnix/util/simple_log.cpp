#include "simple_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <mutex>
#include <vector>

CSimpleLog g_simpleLog;

namespace {

constexpr unsigned int kDefaultMaxLogFileSize = 10485760; // 10 MiB
constexpr size_t kFormatBuffer = 1024;
constexpr int kPadColumn = 80;

std::mutex& WriteMutex() {
    static auto* mutex = new std::mutex; // outlives every instance, even static ones
    return *mutex;
}

// The length of a file in bytes, 0 when it cannot be opened.
unsigned long long LengthOf(const std::string& path) {
    FILE* file = nullptr;
    if (fopen_s(&file, path.c_str(), "rb") != 0 || !file) {
        return 0;
    }
    long long length = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        length = std::ftell(file);
    }
    std::fclose(file);
    return length > 0 ? static_cast<unsigned long long>(length) : 0;
}

void Truncate(const std::string& path) {
    FILE* file = nullptr;
    if (fopen_s(&file, path.c_str(), "w") == 0 && file) {
        std::fclose(file);
    }
}

// The Windows runtime's wide printf reads %s and %c as wide and %S and %C as narrow; the C
// library here reads them the other way round. Rewrites a format so that callers written for
// the former get what they mean.
std::wstring ToHostWideFormat(const wchar_t* format) {
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        out.push_back(*p);
        if (*p != L'%') {
            continue;
        }
        ++p;
        while (*p && std::wcschr(L"-+ #0123456789.*", *p)) {
            out.push_back(*p++);
        }
        bool narrow = false;
        bool wide = false;
        if (*p == L'h') {
            narrow = true;
            ++p;
        } else if (*p == L'l' && (p[1] == L's' || p[1] == L'c')) {
            wide = true;
            ++p;
        } else if (*p == L'w') {
            wide = true;
            ++p;
        } else if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            out += L"ll";
            p += 3;
        }
        if (!*p) {
            break;
        }
        wchar_t conversion = *p;
        if (conversion == L's' || conversion == L'c') {
            if (!narrow) {
                out.push_back(L'l');
            }
            out.push_back(conversion);
        } else if (conversion == L'S' || conversion == L'C') {
            if (wide) {
                out.push_back(L'l');
            }
            out.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(conversion))));
        } else {
            if (narrow) {
                out.push_back(L'h');
            }
            if (wide) {
                out.push_back(L'l');
            }
            out.push_back(conversion);
        }
    }
    return out;
}

} // namespace

CSimpleLog::CSimpleLog() : m_maxLogFileSize(kDefaultMaxLogFileSize) {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    module[MAX_PATH - 1] = '\0';
    std::string path = module;
    size_t slash = path.find_last_of('\\');
    m_logPath =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "simple.log";
}

CSimpleLog::CSimpleLog(const CSimpleLog& other) = default;

CSimpleLog& CSimpleLog::operator=(const CSimpleLog& other) = default;

CSimpleLog::~CSimpleLog() = default;

void CSimpleLog::SetPath(const std::string& path) {
    m_logPath = path;
    Init();
}

std::string CSimpleLog::GetPath() const {
    return m_logPath;
}

void CSimpleLog::Init() {
    m_maxLogFileSize = kDefaultMaxLogFileSize;
    if (LengthOf(m_logPath) > m_maxLogFileSize) {
        Truncate(m_logPath);
    }
}

unsigned long long CSimpleLog::GetLogFileSize() {
    return LengthOf(m_logPath);
}

void CSimpleLog::ClearLogFile() {
    Truncate(m_logPath);
}

void CSimpleLog::SetMaxLogFileSize(unsigned int size) {
    m_maxLogFileSize = size;
}

unsigned int CSimpleLog::GetMaxLogFileSize() const {
    return m_maxLogFileSize;
}

void CSimpleLog::Write(const char* file, const char* function, LONG line, const char* message) {
    std::lock_guard lock(WriteMutex());
    if (!message || !*message) {
        return;
    }
    file = file ? file : "";
    function = function ? function : "";
    // Room for any LONG, so that a long line number is never cut or overflows.
    char lineText[16];
    std::snprintf(lineText, sizeof(lineText), "%ld", static_cast<long>(line));
    long pad = kPadColumn - static_cast<long>(std::strlen(lineText)) -
               static_cast<long>(std::strlen(function)) - static_cast<long>(std::strlen(file));

    std::string record = GetTime();
    record += ' ';
    if (*file) {
        record += file;
        if (pad > 0) {
            record.append(static_cast<size_t>(pad), ' ');
        }
    }
    if (*function) {
        record += function;
        record += ' ';
    }
    if (line > 0) {
        record += lineText;
        record += ": ";
    }
    record += message;
    record += '\n';

    FILE* out = nullptr;
    if (fopen_s(&out, m_logPath.c_str(), "a+") != 0 || !out) {
        return;
    }
    std::fwrite(record.data(), 1, record.size(), out);
    std::fclose(out);
}

void CSimpleLog::Write(const char* file, const char* function, LONG line, const wchar_t* message) {
    if (!message) {
        return;
    }
    Write(file, function, line, U2A(message).c_str());
}

void CSimpleLog::ScanfWrite(const char* file, const char* function, LONG line, const char* format,
                            ...) {
    if (!format) {
        return;
    }
    char message[kFormatBuffer] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    Write(file, function, line, message);
}

void CSimpleLog::ScanfWrite(const char* file, const char* function, LONG line,
                            const wchar_t* format, ...) {
    if (!format) {
        return;
    }
    std::wstring hostFormat = ToHostWideFormat(format);
    wchar_t message[kFormatBuffer] = {};
    va_list args;
    va_start(args, format);
    // On overflow the C library fills the buffer without a terminator and returns -1.
    std::vswprintf(message, kFormatBuffer, hostFormat.c_str(), args);
    va_end(args);
    message[kFormatBuffer - 1] = L'\0';
    Write(file, function, line, message);
}

std::string CSimpleLog::GetTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return FormatTime(now);
}

std::string CSimpleLog::FormatTime(const SYSTEMTIME& time) {
    // 25 characters for any real date; the room beyond keeps impossible field values whole.
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d %02d:%02d:%02d %03d  ", time.wYear,
                  time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                  time.wMilliseconds);
    return stamp;
}

std::string CSimpleLog::U2A(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), buffer.data(),
                        length, nullptr, nullptr);
    return buffer.data();
}
