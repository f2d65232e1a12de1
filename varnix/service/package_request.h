// The inside of a download (PullPackage). Library-internal.
//
// The record PullPackage returns must stay valid after its request has ended: a transfer that
// fails posts nothing, so the download window still shows its close button, whose callback sets
// the record's `stop`. The component therefore owns a PackageRequest that shares the record, and
// PullPackage keeps a share of its own until the asking window is gone.
#pragma once

#include "request_records.h"

#include <http/response.h>
#include <http/task.h>

#include <memory>
#include <string>

namespace service {

class PackageRequest : public UserData {
public:
    explicit PackageRequest(std::shared_ptr<DownloadData> shared);
    ~PackageRequest() override;

    const std::shared_ptr<DownloadData> record;
};

// Keeps the record alive while its window exists, and drops the records of windows that are
// gone. User-interface thread.
void RetainDownload(std::shared_ptr<DownloadData> record);

// The record of a task: a download's shared record, or the task's own user data; null when the
// task has none or it is no record of ours.
UserData* RecordOf(const Http::Task& task);

// The last component of a name from the service (after the last "\" or "/", cut at a zero
// byte); empty when that is empty, "." or "..".
std::string PlainFileName(const std::string& name);

// The folder (the temporary folder when `directory` is empty) and the plain file name, joined as
// they stand. Empty when the name is refused or no temporary folder is known.
std::string PackagePath(const DownloadData& record);

// Writes the body to the ANSI path in one piece, in binary mode. When the status is not 2xx or
// the file cannot be written completely, no file is left at the path. Returns whether the file
// was written.
bool WritePackage(const std::string& path, const Http::Response& response);

} // namespace service
