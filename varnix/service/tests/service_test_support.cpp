#include "service_test_support.h"

#include <varnix/user/user.h>

#include <http/url.h>

#include <cstdio>

namespace servicetest {

namespace {

constexpr UINT_PTR kBoundTimer = 0x5E5;
const wchar_t kWindowClass[] = L"ServiceTestWindow";

// The home, documents and temporary folders of the whole run are throw-away folders too, so the
// user store and the downloads never touch the real ones.
class PrivateFolders : public testing::Environment {
public:
    void SetUp() override {
        m_home = std::make_unique<testsupport::TempDir>();
        m_temp = std::make_unique<testsupport::TempDir>();
        m_homeEnv = std::make_unique<testsupport::ScopedEnv>("HOME", m_home->Path());
        m_configEnv = std::make_unique<testsupport::ScopedEnv>("XDG_CONFIG_HOME",
                                                               m_home->Path() + "/.config");
        m_tempEnv = std::make_unique<testsupport::ScopedEnv>("TMPDIR", m_temp->Path());
    }
    void TearDown() override {
        m_tempEnv.reset();
        m_configEnv.reset();
        m_homeEnv.reset();
        m_temp.reset();
        m_home.reset();
    }

private:
    std::unique_ptr<testsupport::TempDir> m_home;
    std::unique_ptr<testsupport::TempDir> m_temp;
    std::unique_ptr<testsupport::ScopedEnv> m_homeEnv;
    std::unique_ptr<testsupport::ScopedEnv> m_configEnv;
    std::unique_ptr<testsupport::ScopedEnv> m_tempEnv;
};

[[maybe_unused]] testing::Environment* const kFolders =
    testing::AddGlobalTestEnvironment(new PrivateFolders);

} // namespace

MessageWindow::MessageWindow() {
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &MessageWindow::Proc;
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc);
    }();
    EXPECT_NE(atom, 0);
    m_hwnd =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, this);
    EXPECT_NE(m_hwnd, nullptr);
}

MessageWindow::~MessageWindow() {
    if (IsWindow(m_hwnd)) {
        DestroyWindow(m_hwnd);
    }
}

LRESULT CALLBACK MessageWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message >= WM_USER) {
        self->Collect(message, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void MessageWindow::Collect(UINT message, WPARAM wParam, LPARAM lParam) {
    Posted posted;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    if (message == UM_DOWNLOAD_DONE) {
        std::unique_ptr<std::string> path(reinterpret_cast<std::string*>(wParam));
        posted.path = path ? *path : "<null>";
    } else if (message == UM_DOWNLOAD_PROGRESS) {
        std::unique_ptr<ProgressInfo> info(reinterpret_cast<ProgressInfo*>(wParam));
        if (info) {
            posted.progress = *info;
        }
    } else if (wParam != 0) {
        posted.reply.reset(reinterpret_cast<Http::Response*>(wParam));
    }
    m_received.push_back(std::move(posted));
}

bool MessageWindow::PumpUntil(const std::function<bool()>& done, UINT boundMs) {
    if (done()) {
        return true;
    }
    SetTimer(m_hwnd, kBoundTimer, boundMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == m_hwnd && msg.wParam == kBoundTimer) {
            break;
        }
        DispatchMessageW(&msg);
        if (done()) {
            break;
        }
    }
    KillTimer(m_hwnd, kBoundTimer);
    return done();
}

bool MessageWindow::WaitFor(UINT message, size_t count, UINT boundMs) {
    return PumpUntil([&] { return Count(message) >= count; }, boundMs);
}

void MessageWindow::PumpFor(UINT ms) {
    PumpUntil([] { return false; }, ms);
}

size_t MessageWindow::Count(UINT message) const {
    size_t count = 0;
    for (const auto& posted : m_received) {
        count += posted.message == message;
    }
    return count;
}

Posted& MessageWindow::First(UINT message) {
    for (auto& posted : m_received) {
        if (posted.message == message) {
            return posted;
        }
    }
    ADD_FAILURE() << "no message " << message;
    static Posted none;
    return none;
}

void ServiceTest::SetUp() {
    simtest::SimFixture::SetUp();
    m_serviceUrl = std::make_unique<testsupport::ScopedEnv>("VELMORA_SERVICE_URL", Sim().BaseUrl());
    m_connectTimeout = std::make_unique<testsupport::ScopedEnv>("HTTP_CONNECT_TIMEOUT", "1");
}

void ServiceTest::TearDown() {
    m_connectTimeout.reset();
    m_serviceUrl.reset();
}

std::string
ServiceTest::CommonQuery(const std::string& type,
                         const std::vector<std::pair<std::string, std::string>>& extra) {
    // Keys in sorted order, as the attribute map lists them.
    std::vector<std::pair<std::string, std::string>> pairs = {
        {"brand", "brivano"},  {"package", "unknown"},
        {"product", "ardevo"}, {"system", Http::URL::Encode(User::GetInstance()->SystemName())},
        {"type", type},        {"version", "2500"},
    };
    pairs.insert(pairs.end(), extra.begin(), extra.end());
    std::sort(pairs.begin(), pairs.end());
    std::string query;
    for (const auto& [key, value] : pairs) {
        query += (query.empty() ? "" : "&") + key + "=" + value;
    }
    return query;
}

bool ServiceTest::WaitForRequests(MessageWindow& window, const std::string& path, size_t count) {
    // The simulator's record is read over the network, so look at it a few times a second.
    constexpr UINT_PTR kPollTimer = 0x5E6;
    SetTimer(window, kPollTimer, 100, nullptr);
    bool seen = window.PumpUntil([&] { return Sim().RequestsTo(path).size() >= count; });
    KillTimer(window, kPollTimer);
    return seen;
}

std::string ReadFile(const std::string& ansiPath) {
    FILE* file = nullptr;
    if (fopen_s(&file, ansiPath.c_str(), "rb") != 0 || !file) {
        return {};
    }
    std::string content;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        content.append(buffer, got);
    }
    std::fclose(file);
    return content;
}

bool FileExists(const std::string& ansiPath) {
    DWORD attributes = GetFileAttributesA(ansiPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TempFolder() {
    char buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(MAX_PATH, buffer);
    return std::string(buffer, length < MAX_PATH ? length : 0);
}

std::string SimPattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

} // namespace servicetest
