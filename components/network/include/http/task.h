// A running request: its address, its action, the user data given to Router::Get and, once the
// transfer has ended, its response. The task owns the user data and destroys it with itself.
#pragma once

#include "http/base.h"
#include "http/export.h"
#include "http/response.h"
#include "http/url.h"

#include <memory>

namespace Http {

class Action;

class HTTP_API Request {
public:
    // Takes ownership of userData (may be null).
    Request(const URL& url, Action* action, Base* userData);
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;
    virtual ~Request();

    // The record given to Router::Get; null when none was given.
    Base* UserData() const { return m_userData.get(); }
    const URL& Url() const { return m_url; }
    Action* GetAction() const { return m_action; }

private:
    URL m_url;
    Action* m_action;
    // Last, so that the record is owned only once everything before it has been built: if
    // construction fails, the caller still holds the record.
    std::unique_ptr<Base> m_userData;
};

class HTTP_API Task : public Request {
public:
    Task(const URL& url, Action* action, Base* userData);
    ~Task() override;

    // Empty and successful while the transfer runs; the outcome once it has ended.
    const Http::Response& GetResponse() const { return m_response; }
    // Set by the component when the transfer ends (tests may set one to drive an action).
    void SetResponse(Http::Response response) { m_response = std::move(response); }

private:
    Http::Response m_response;
};

} // namespace Http
