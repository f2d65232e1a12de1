#include "package_request.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace service {

namespace {

struct Retained {
    std::mutex mutex;
    std::vector<std::shared_ptr<DownloadData>> records;
};

// Never destroyed: a download record may be looked at while the process exits.
Retained& RetainedRecords() {
    static auto* retained = new Retained;
    return *retained;
}

} // namespace

PackageRequest::PackageRequest(std::shared_ptr<DownloadData> shared)
    : UserData(REQUEST_DOWNLOAD), record(std::move(shared)) {}

PackageRequest::~PackageRequest() = default;

void RetainDownload(std::shared_ptr<DownloadData> record) {
    auto& retained = RetainedRecords();
    std::lock_guard lock(retained.mutex);
    // Window handles are never reused, so a record whose window is gone has no reader left; a
    // transfer still running keeps its own share.
    std::erase_if(retained.records,
                  [](const std::shared_ptr<DownloadData>& kept) { return !IsWindow(kept->hwnd); });
    retained.records.push_back(std::move(record));
}

UserData* RecordOf(const Http::Task& task) {
    Http::Base* data = task.UserData();
    if (auto* package = dynamic_cast<PackageRequest*>(data)) {
        return package->record.get();
    }
    return dynamic_cast<UserData*>(data);
}

} // namespace service
