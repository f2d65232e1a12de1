// The delivery rules: how a finished request or a download's progress reaches its window. Runs
// on the Network component's worker thread.
#include "http_action.h"

#include "messages.h"
#include "package_request.h"
#include "reply_body.h"

#include <exception>
#include <new>
#include <string>

namespace {

// Posts a heap object; when the window is gone the message is lost, and so would be the object.
template <typename T>
void PostOwned(HWND hwnd, int message, T* object, LPARAM lParam) {
    if (!PostMessageW(hwnd, static_cast<UINT>(message), reinterpret_cast<WPARAM>(object), lParam)) {
        delete object;
    }
}

void DeliverDownload(const DownloadData& record, const Http::Response& response) {
    std::string path = service::PackagePath(record);
    if (!path.empty()) {
        service::WritePackage(path, response);
    }
    // Posted whatever became of the file: the receiver checks it.
    PostOwned(record.hwnd, record.message, new std::string(std::move(path)), record.lParam);
}

void DeliverReply(const WindowData& record, const Http::Response& response) {
    Json::Value document;
    if (!service::ParseReplyBody(response, document)) {
        PostMessageW(record.hwnd, UM_BAD_REPLY, 0, 0);
        return;
    }
    // The receiver parses again through ParseResponse, which frees this copy.
    PostOwned(record.hwnd, record.message, new (std::nothrow) Http::Response(response),
              record.lParam);
}

} // namespace

void HttpAction::Do(const Http::Task& task) {
    auto* record = dynamic_cast<WindowData*>(service::RecordOf(task));
    const Http::Response& response = task.GetResponse();
    // Statistics carry no record; a transport failure tells nobody.
    if (!record || response.CurlCode() != CURLE_OK) {
        return;
    }
    try {
        if (record->type == REQUEST_DOWNLOAD) {
            if (auto* download = dynamic_cast<DownloadData*>(record)) {
                DeliverDownload(*download, response);
            }
        } else {
            DeliverReply(*record, response);
        }
    } catch (const std::exception& e) {
        OutputDebugStringA((std::string("service reply lost: ") + e.what() + "\n").c_str());
    }
}

void HttpAction::DiscardPosted(HWND hwnd, UINT message, Posted kind) {
    MSG msg{};
    while (PeekMessageW(&msg, hwnd, message, message, PM_REMOVE | PM_NOYIELD)) {
        switch (kind) {
        case Posted::Reply:
            delete reinterpret_cast<Http::Response*>(msg.wParam);
            break;
        case Posted::DownloadedFile:
            delete reinterpret_cast<std::string*>(msg.wParam);
            break;
        case Posted::Progress:
            delete reinterpret_cast<ProgressInfo*>(msg.wParam);
            break;
        }
    }
}

int HttpAction::Progress(double elapsed, double downloadTotal, double downloadNow, double, double,
                         const Http::Task& task) {
    UserData* record = service::RecordOf(task);
    if (!record) {
        return 0;
    }
    if (record->type == REQUEST_DOWNLOAD) {
        if (auto* window = dynamic_cast<WindowData*>(record)) {
            // A fresh record per message: a later callback never writes into one a window reads.
            if (auto* info = new (std::nothrow) ProgressInfo(elapsed, downloadNow, downloadTotal)) {
                PostOwned(window->hwnd, window->progressMessage, info, 0);
            }
        }
    }
    return record->stop ? 1 : 0;
}
