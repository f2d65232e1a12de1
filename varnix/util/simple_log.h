// A plain-text diagnostic log: one line per record with a local time stamp (milliseconds), an
// optional source location and the message, in the ANSI code page. The file is opened and
// closed for every record, so records survive a crash.
//
// Threading: any thread may write. One process-wide mutex serialises Write of every instance,
// so records never interleave; Init, ClearLogFile and GetLogFileSize take no lock.
// Failure: nothing is reported; a record that cannot be written is dropped. A failure to lock
// the mutex raises std::system_error.
#pragma once

#include "export.h"

#include <windows.h>

#include <string>

class VARNIX_API CSimpleLog {
public:
    // The path is "simple.log" in the executable's folder. The file is not touched.
    CSimpleLog();
    CSimpleLog(const CSimpleLog& other);
    CSimpleLog& operator=(const CSimpleLog& other);
    virtual ~CSimpleLog();

    // Sets the path (a Windows path in the ANSI code page), then runs Init.
    void SetPath(const std::string& path);
    std::string GetPath() const;

    // Sets the maximum size to 10 MiB and empties the file when it is larger than that.
    void Init();
    // The file's length in bytes, 0 when it cannot be opened.
    unsigned long long GetLogFileSize();
    // Empties the file, creating it when it is missing.
    void ClearLogFile();
    // Consulted only by Init; writing never checks the size.
    void SetMaxLogFileSize(unsigned int size);
    unsigned int GetMaxLogFileSize() const;

    // Appends one record. Null or empty file and function texts are left out; a line of 0 or
    // less is not written. A null or empty message writes nothing at all.
    void Write(const char* file, const char* function, LONG line, const char* message);
    // The message is converted to the ANSI code page; characters it lacks become its default
    // character.
    void Write(const char* file, const char* function, LONG line, const wchar_t* message);

    // Formats with the C library's printf rules; the message is cut to 1023 characters.
    void ScanfWrite(const char* file, const char* function, LONG line, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    // Formats with the wide printf rules of the Windows runtime (%s and %c take wide
    // arguments, %S and %C narrow ones); the message is cut to 1023 characters.
    void ScanfWrite(const char* file, const char* function, LONG line, const wchar_t* format, ...);

protected:
    // The record's time stamp: the local time as "YYYY-MM-DD hh:mm:ss mmm" and two spaces.
    virtual std::string GetTime();
    // UTF-16 to the ANSI code page; empty for empty or unconvertible text.
    std::string U2A(const std::wstring& text);
    // The time-stamp text for a given time.
    static std::string FormatTime(const SYSTEMTIME& time);

private:
    std::string m_logPath;
    unsigned int m_maxLogFileSize;
};

// The library's own log, created when the library is loaded.
extern VARNIX_API CSimpleLog g_simpleLog;
