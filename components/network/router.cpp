#include "http/router.h"

#include "debug_log.h"
#include "engine.h"
#include "transfer.h"

#include <cstdlib>
#include <exception>

namespace Http {

Router::Router() : m_engine(std::make_unique<Engine>()) {}

// Never runs: the router lives until the process ends, so that a late Get during shutdown still
// finds a valid object (it then ends its request at once).
Router::~Router() = default;

Router& Router::GetInstance() {
    static Router* instance = [] {
        auto* router = new Router;
        // Registered after everything constructed before the router, so the worker stops (and
        // the last Do calls are made) while those objects, the actions among them, still live.
        std::atexit(&Router::StopAtExit);
        return router;
    }();
    return *instance;
}

void Router::StopAtExit() {
    GetInstance().m_engine->Stop();
}

void Router::Get(const URL& url, Action* action, Base* userData) {
    std::unique_ptr<Task> task;
    try {
        task = std::make_unique<Task>(url, action, userData);
    } catch (const std::exception& e) {
        // The task never took the record, so it is still ours to dispose of.
        DebugLog("cannot start %s: %s", url.Str().c_str(), e.what());
        delete userData;
        return;
    }
    bool submitted = false;
    try {
        submitted = m_engine->Submit(task, Settings::FromEnvironment());
    } catch (const std::exception& e) {
        DebugLog("cannot queue %s: %s", url.Str().c_str(), e.what());
    }
    if (!submitted && task) {
        Transfer::EndAtOnce(*task, CURLE_FAILED_INIT);
    }
}

} // namespace Http
