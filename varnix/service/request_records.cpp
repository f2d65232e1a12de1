#include "request_records.h"

#include <utility>

UserData::UserData(RequestType requestType) : type(requestType), stop(false) {}

UserData::UserData(const UserData& other)
    : Http::Base(other), type(other.type), stop(other.stop.load()) {}

UserData& UserData::operator=(const UserData& other) {
    Http::Base::operator=(other);
    type = other.type;
    stop = other.stop.load();
    return *this;
}

UserData::~UserData() = default;

WindowData::WindowData(RequestType requestType, HWND window, int replyMessage, int progress,
                       UINT storedWParam, LONG replyLParam)
    : UserData(requestType), hwnd(window), message(replyMessage), progressMessage(progress),
      wParam(storedWParam), lParam(replyLParam) {}

WindowData::~WindowData() = default;

DownloadData::DownloadData(RequestType requestType, HWND window, int replyMessage, std::string file,
                           std::string folder, int progress, UINT storedWParam, LONG replyLParam)
    : WindowData(requestType, window, replyMessage, progress, storedWParam, replyLParam),
      directory(std::move(folder)), fileName(std::move(file)) {}

DownloadData::~DownloadData() = default;

ProgressInfo::ProgressInfo() : elapsed(0), downloaded(0), total(0) {}

ProgressInfo::ProgressInfo(double elapsedSeconds, double downloadedBytes, double totalBytes)
    : elapsed(elapsedSeconds), downloaded(downloadedBytes), total(totalBytes) {}
