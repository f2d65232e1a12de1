// The callbacks of a request. Both run on the component's worker thread, never on the thread
// that called Router::Get; an action must outlive every request that names it.
#pragma once

#include "http/export.h"

namespace Http {

class Task;

class HTTP_API Action {
public:
    Action() = default;
    Action(const Action&) = default;
    Action& operator=(const Action&) = default;
    virtual ~Action();

    // Called exactly once per request when its transfer has ended, successfully or not; the
    // task's response says which. The task's user data is destroyed right after this returns.
    virtual void Do(const Task& task);

    // Called while data arrives: seconds since the transfer began, bytes to download in all
    // (0 while unknown), bytes downloaded so far, bytes to upload, bytes uploaded. A non-zero
    // result aborts the transfer, which then ends with CURLE_ABORTED_BY_CALLBACK.
    virtual int Progress(double elapsed, double downloadTotal, double downloadNow,
                         double uploadTotal, double uploadNow, const Task& task);

protected:
    // Kept for the layout the callers were built against; the component reads neither.
    double m_interval = 0.1;
    int m_state = 0;
};

} // namespace Http
