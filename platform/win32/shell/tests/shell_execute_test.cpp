#include "child_process.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <temp_prefix.h>
#include <thread>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

// Restores an environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        if (old) {
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_had) {
            setenv(m_name, m_old.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

// A handler, program and elevation helper in one: a script that records its arguments, one per
// line, in record.out beside itself. The file appears whole (written aside, then renamed).
class ShellExecute : public testing::Test {
protected:
    void SetUp() override {
        m_recorder = m_dir.Path() + "/record.sh";
        std::ofstream(m_recorder) << "#!/bin/sh\n"
                                     "out=\"$(dirname \"$0\")/record.out\"\n"
                                     "printf '%s\\n' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" "
                                     "\"$out\"\n";
        std::filesystem::permissions(m_recorder, std::filesystem::perms::owner_all);
        m_handler = std::make_unique<ScopedEnv>("WIN32_OPEN_HANDLER", m_recorder);
    }

    // What the recorder received; empty when it did not run within a generous bound.
    std::string Recorded() {
        const std::string out = m_dir.Path() + "/record.out";
        for (int i = 0; i < 1000 && !std::filesystem::exists(out); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream file(out);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::wstring Windows(const std::string& hostPath) { return win32::ToWindowsPath(hostPath); }

    intptr_t Execute(const wchar_t* verb, const std::wstring& file,
                     const wchar_t* parameters = nullptr, const wchar_t* directory = nullptr) {
        return reinterpret_cast<intptr_t>(
            ShellExecuteW(nullptr, verb, file.c_str(), parameters, directory, SW_SHOWNORMAL));
    }

    testsupport::TempDir m_dir;
    std::string m_recorder;
    std::unique_ptr<ScopedEnv> m_handler;
};

TEST_F(ShellExecute, DocumentGoesToTheHandlerAsAHostPath) {
    const std::string document = m_dir.Path() + "/report 1.pdf";
    std::ofstream(document) << "%PDF-1.4\n";
    EXPECT_GT(Execute(L"open", Windows(document)), 32);
    EXPECT_EQ(Recorded(), document + "\n");
}

TEST_F(ShellExecute, AddressGoesToTheHandlerUnchanged) {
    const std::wstring address = L"https://example.com/path?a=1&b=two words";
    EXPECT_GT(Execute(nullptr, address), 32);
    EXPECT_EQ(Recorded(), win32::WideToUtf8(address) + "\n");
}

TEST_F(ShellExecute, DocumentWithTheExecutableBitIsOpenedNotRun) {
    const std::string document = m_dir.Path() + "/data.pdf";
    std::ofstream(document) << "%PDF-1.4\n";
    std::filesystem::permissions(document, std::filesystem::perms::owner_all);
    EXPECT_GT(Execute(nullptr, Windows(document)), 32);
    EXPECT_EQ(Recorded(), document + "\n");
}

TEST_F(ShellExecute, ProgramStartsDirectlyWithItsParametersSplit) {
    EXPECT_GT(Execute(L"open", Windows(m_recorder), LR"("a" "b c" d\"e )"), 32);
    EXPECT_EQ(Recorded(), "a\nb c\nd\"e\n");
}

TEST_F(ShellExecute, MissingFileOrFolderIsReported) {
    SetLastError(kSentinel);
    EXPECT_EQ(Execute(L"open", Windows(m_dir.Path() + "/missing.pdf")), SE_ERR_FNF);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(kSentinel);
    EXPECT_EQ(Execute(L"open", Windows(m_dir.Path() + "/missing/a.pdf")), SE_ERR_PNF);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Execute(L"open", L""), SE_ERR_FNF);
}

TEST_F(ShellExecute, NoHandlerMeansNoAssociation) {
    ScopedEnv none("WIN32_OPEN_HANDLER", m_dir.Path() + "/no-such-handler");
    SetLastError(kSentinel);
    EXPECT_EQ(Execute(nullptr, L"https://example.com/"), SE_ERR_NOASSOC);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
}

TEST_F(ShellExecute, UnknownVerbAndElevatedDocumentsHaveNoAssociation) {
    const std::string document = m_dir.Path() + "/a.pdf";
    std::ofstream(document) << "%PDF-1.4\n";
    EXPECT_EQ(Execute(L"print", Windows(document)), SE_ERR_NOASSOC);
    EXPECT_EQ(Execute(L"runas", Windows(document)), SE_ERR_NOASSOC);
    EXPECT_EQ(Execute(L"runas", L"https://example.com/"), SE_ERR_NOASSOC);
}

TEST_F(ShellExecute, RunasStartsTheProgramThroughTheElevationHelper) {
    ScopedEnv helper("WIN32_ELEVATE_HANDLER", m_recorder);
    const std::string program = testchild::BinFolder() + "/w32_echo_args";
    EXPECT_GT(Execute(L"RunAs", Windows(program), L"/S \"x y\""), 32);
    EXPECT_EQ(Recorded(), program + "\n/S\nx y\n");
}

TEST_F(ShellExecute, RunasWithoutAnElevationHelperIsDenied) {
    ScopedEnv helper("WIN32_ELEVATE_HANDLER", m_dir.Path() + "/no-such-helper");
    const std::string program = testchild::BinFolder() + "/w32_echo_args";
    SetLastError(kSentinel);
    EXPECT_EQ(Execute(L"runas", Windows(program)), SE_ERR_ACCESSDENIED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// The helper holds the call until the user answers, as the elevation prompt does: it either
// becomes the program (agreed) or ends with 126 (dismissed) or 127 (not allowed).
TEST_F(ShellExecute, RunasWaitsForTheElevationHelpersAnswer) {
    const auto helper = [&](const std::string& name, const std::string& body) {
        const std::string path = m_dir.Path() + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    };
    {
        ScopedEnv agreed("WIN32_ELEVATE_HANDLER", helper("agree", "sleep 0.2\nexec \"$@\""));
        EXPECT_GT(Execute(L"runas", Windows(m_recorder), L"ran"), 32);
        EXPECT_EQ(Recorded(), "ran\n");
    }
    for (const auto& [body, error] : {std::pair{"sleep 0.2\nexit 126", ERROR_CANCELLED},
                                      std::pair{"exit 127", ERROR_ACCESS_DENIED}}) {
        ScopedEnv refused("WIN32_ELEVATE_HANDLER", helper("refuse", body));
        SetLastError(kSentinel);
        EXPECT_EQ(Execute(L"runas", Windows(m_recorder), L"ran"), SE_ERR_ACCESSDENIED) << body;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(error)) << body;
    }
}

} // namespace
