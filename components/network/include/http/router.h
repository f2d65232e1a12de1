// The one entry point for transfers. Requests run concurrently on one worker thread; nothing is
// queued behind another request, deduplicated or retried.
//
// Transport rules: an address without a scheme is fetched over https; only http and https are
// allowed (redirects too, at most 10); TLS certificates and host names are verified. A
// connection that cannot be made within HTTP_CONNECT_TIMEOUT seconds (default 10), or a
// transfer that moves less than HTTP_LOW_SPEED_LIMIT bytes/s (default 1) for
// HTTP_LOW_SPEED_TIME seconds (default 30), ends as a transport error. A body larger than
// HTTP_MAX_BODY bytes (default 1 GiB) ends as a failure. The environment is read at each Get.
#pragma once

#include "http/action.h"
#include "http/base.h"
#include "http/export.h"
#include "http/task.h"
#include "http/url.h"

#include <memory>

namespace Http {

class Engine;

class HTTP_API Router {
public:
    // The process's router, created on first use. Its worker stops at process exit: transfers
    // still running then end with CURLE_ABORTED_BY_CALLBACK (Do is still called).
    static Router& GetInstance();

    // Starts a GET and returns at once. From this call on the component owns userData (may be
    // null): it is destroyed after action->Do has returned. action may be null (the reply is
    // then dropped). After the router has stopped, the request ends at once on the calling
    // thread with CURLE_FAILED_INIT.
    void Get(const URL& url, Action* action, Base* userData);

    Router(const Router&) = delete;
    Router& operator=(const Router&) = delete;

private:
    Router();
    ~Router();
    static void StopAtExit();

    std::unique_ptr<Engine> m_engine;
};

} // namespace Http
