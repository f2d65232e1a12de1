#include "http/task.h"

#include "http/action.h"

namespace Http {

Base::~Base() = default;

Action::~Action() = default;

void Action::Do(const Task&) {}

int Action::Progress(double, double, double, double, double, const Task&) {
    return 0;
}

Request::Request(const URL& url, Action* action, Base* userData)
    : m_url(url), m_action(action), m_userData(userData) {}

Request::~Request() = default;

Task::Task(const URL& url, Action* action, Base* userData) : Request(url, action, userData) {}

Task::~Task() = default;

} // namespace Http
