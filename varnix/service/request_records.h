// The records that travel with every request to the service, and the progress record a download
// posts to its window.
//
// Ownership: a record is built on the heap by the service client and belongs to the Network
// component from Http::Router::Get on; the component destroys it through Http::Base after the
// request has ended. Nothing else frees a record that was handed over. PullPackage's caller may
// set `stop` through the pointer it was given (see HttpAction::PullPackage for how long that
// pointer stays valid).
//
// Threading: `stop` is written by the user-interface thread and read by the component's worker;
// it is atomic. Every other member is set before the request starts and only read afterwards.
#pragma once

#include <varnix/util/export.h>

#include <http/base.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// The kind of a request. Only REQUEST_DOWNLOAD changes how a reply is delivered; the others
// only label the request. No other values are used.
enum RequestType : int32_t {
    REQUEST_NEWEST_VERSION = 0,
    REQUEST_DOWNLOAD = 1,
    REQUEST_SOFTWARE_LIST = 5,
    REQUEST_LOGIN_QRCODE = 6,
    REQUEST_LOGIN_STATUS = 7,
    REQUEST_USER_INFO = 8,
    REQUEST_CONFIG = 10,
};

class VARNIX_API UserData : public Http::Base {
public:
    // Sets the type and clears stop.
    explicit UserData(RequestType requestType);
    // Member by member; the stop flag's current value is copied.
    UserData(const UserData& other);
    UserData& operator=(const UserData& other);
    ~UserData() override;

    RequestType type;
    // True asks the component to abort the transfer at its next progress callback.
    std::atomic<bool> stop;
};

class VARNIX_API WindowData : public UserData {
public:
    WindowData(RequestType requestType, HWND window, int replyMessage, int progress,
               UINT storedWParam, LONG replyLParam);
    WindowData(const WindowData&) = default;
    WindowData& operator=(const WindowData&) = default;
    ~WindowData() override;

    // The window that receives the reply (and a download's progress).
    HWND hwnd;
    // The completion (reply) message.
    int message;
    // The progress message; only a download posts it. -1 where a request has none.
    int progressMessage;
    // Stored with the request and never read by delivery: the reply's wParam always carries the
    // result object. The service actions store 0.
    UINT wParam;
    // Copied unchanged into the completion message's lParam; -1 where the caller gives nothing.
    LONG lParam;
};

class VARNIX_API DownloadData : public WindowData {
public:
    // The file name comes before the directory here, although the directory is the earlier
    // member.
    DownloadData(RequestType requestType, HWND window, int replyMessage, std::string file,
                 std::string folder, int progress, UINT storedWParam, LONG replyLParam);
    DownloadData(const DownloadData&) = default;
    DownloadData& operator=(const DownloadData&) = default;
    ~DownloadData() override;

    // The folder to write into, ANSI; empty means the system's temporary folder. A non-empty
    // folder must end with a backslash: the name is appended as it stands.
    std::string directory;
    // The name of the file to create in that folder, ANSI.
    std::string fileName;
};

// One progress report of a download, posted fresh with every UM_DOWNLOAD_PROGRESS; the receiver
// reads it and deletes it.
struct VARNIX_API ProgressInfo {
    // All zero.
    ProgressInfo();
    ProgressInfo(double elapsedSeconds, double downloadedBytes, double totalBytes);

    // Seconds since the transfer began.
    double elapsed;
    // Bytes received so far.
    double downloaded;
    // Bytes expected in all; 0 while unknown.
    double total;
};
