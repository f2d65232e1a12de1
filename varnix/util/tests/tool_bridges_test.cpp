// The tool bridges against the real tool and module built beside the test program: the QR
// picture and its message, the scanned-document check, and starting companion applications or
// their web pages, with the addresses from the service held to http and https.
#include <varnix/util/tool_bridges.h>

#include "qr_check.h"
#include "sample_pdf.h"
#include "temp_prefix.h"

#include <varnix/util/file.h>
#include <varnix/util/utf8.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using samplepdf::Page;

constexpr int kQrMessage = WM_USER + 77;

// The drive path under which the library sees a host path (UTF-8).
std::wstring Windows(const std::string& hostPath) {
    std::wstring path = L"Z:" + Utf8(hostPath, true).ToUtf16String();
    for (wchar_t& ch : path) {
        ch = ch == L'/' ? L'\\' : ch;
    }
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A message-only window of the test's thread; posted messages are taken with PeekMessageW.
class QrWindow {
public:
    QrWindow() {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = DefWindowProcW;
            wc.lpszClassName = L"ToolBridgesTestWindow";
            return RegisterClassExW(&wc);
        }();
        EXPECT_NE(atom, 0);
        m_hwnd = CreateWindowExW(0, L"ToolBridgesTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, nullptr, nullptr);
        EXPECT_NE(m_hwnd, nullptr);
    }
    ~QrWindow() {
        if (IsWindow(m_hwnd)) {
            DestroyWindow(m_hwnd);
        }
    }
    operator HWND() const { return m_hwnd; }

    // The one QR message waiting for the window (CreateQrcode posts before it returns); the
    // path it carries is taken over and freed.
    bool TakeResult(WPARAM* made, std::wstring* path) {
        MSG msg{};
        if (!PeekMessageW(&msg, m_hwnd, kQrMessage, kQrMessage, PM_REMOVE)) {
            return false;
        }
        auto* carried = reinterpret_cast<std::wstring*>(msg.lParam);
        *made = msg.wParam;
        *path = *carried;
        delete carried;
        return !PeekMessageW(&msg, m_hwnd, kQrMessage, kQrMessage, PM_NOREMOVE);
    }

private:
    HWND m_hwnd = nullptr;
};

class CreateQrcodeBridge : public testing::Test {
protected:
    // Pictures go to a folder of the test's own.
    testsupport::TempDir m_tmp;
    testsupport::ScopedEnv m_tmpEnv{"TMPDIR", m_tmp.Path()};
    QrWindow m_window;
};

TEST_F(CreateQrcodeBridge, PostsOneAndThePathOfAPictureNamedAfterTheTime) {
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    CreateQrcode(m_window, kQrMessage, L"abc");
    const int64_t after = static_cast<int64_t>(std::time(nullptr));

    WPARAM made = 0;
    std::wstring path;
    ASSERT_TRUE(m_window.TakeResult(&made, &path));
    EXPECT_EQ(made, 1u);
    const std::wstring folder = Windows(m_tmp.Path()) + L"\\";
    ASSERT_EQ(path.substr(0, folder.size()), folder);
    ASSERT_EQ(File::Extension(path), L"png");
    const int64_t seconds = std::stoll(File::Basename(path));
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);

    const std::string host = m_tmp.Path() + "/" + std::to_string(seconds) + ".png";
    EXPECT_TRUE(qrtest::ShowsCodeOf(host, "abc", 10));
}

TEST_F(CreateQrcodeBridge, TextFromTheServiceReachesTheToolAsOneArgument) {
    // Quotes, backslashes before quotes and at the end, and what would be options: under the
    // Windows command-line rules an unquoted text would split into several arguments.
    const std::wstring texts[] = {
        L"https://example.com/login?a=1&b=two words",
        L"say \"hi\" -o C:\\evil.png -s 99",
        L"back\\\\\"slash\\",
        L"扫码 登录",
    };
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(testing::PrintToString(text));
        CreateQrcode(m_window, kQrMessage, text);
        WPARAM made = 0;
        std::wstring path;
        ASSERT_TRUE(m_window.TakeResult(&made, &path));
        ASSERT_EQ(made, 1u);
        const std::string host = m_tmp.Path() + "/" + Utf8(File::Basename(path)) + ".png";
        const std::string utf8 = Utf8(text); // the tool receives its argument as UTF-8
        EXPECT_TRUE(qrtest::ShowsCodeOf(host, utf8, 10));
        bool decoded = false;
        std::string read;
        if (qrtest::DecodeWithZbar(host, &decoded, &read)) {
            EXPECT_TRUE(decoded);
            EXPECT_EQ(read, utf8);
        }
        EXPECT_FALSE(File::Exist(L"C:\\evil.png"));
    }
}

TEST_F(CreateQrcodeBridge, PostsZeroAndTheWouldBePathWhenTheToolIsMissing) {
    testsupport::TempDir emptyFolder;
    toolbridges::CreateQrcodeWithToolIn(Windows(emptyFolder.Path()), m_window, kQrMessage, L"abc");
    WPARAM made = 1;
    std::wstring path;
    ASSERT_TRUE(m_window.TakeResult(&made, &path));
    EXPECT_EQ(made, 0u);
    EXPECT_EQ(path.substr(0, Windows(m_tmp.Path()).size()), Windows(m_tmp.Path()));
    EXPECT_EQ(File::Extension(path), L"png");
    EXPECT_FALSE(File::Exist(path));
}

TEST_F(CreateQrcodeBridge, PostsZeroWhenTheToolMakesNoPicture) {
    CreateQrcode(m_window, kQrMessage, L""); // nothing to encode
    WPARAM made = 1;
    std::wstring path;
    ASSERT_TRUE(m_window.TakeResult(&made, &path));
    EXPECT_EQ(made, 0u);
    EXPECT_FALSE(File::Exist(path));
}

TEST_F(CreateQrcodeBridge, AWindowThatIsGoneGetsNothingAndThePathIsFreed) {
    HWND gone = nullptr;
    {
        QrWindow window;
        gone = window;
    }
    // The leak checker of the sanitizer build sees the string if it is not freed.
    CreateQrcode(gone, kQrMessage, L"abc");
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, kQrMessage, kQrMessage, PM_REMOVE));
}

class ScannedFile : public testing::Test {
protected:
    std::wstring Write(const std::string& name, const std::vector<Page>& pages) {
        const std::string path = m_dir.Path() + "/" + name;
        EXPECT_TRUE(samplepdf::WriteFile(path, samplepdf::MakePdf(pages)));
        return Windows(path);
    }
    testsupport::TempDir m_dir;
};

TEST_F(ScannedFile, TheModuleBesideTheProgramTellsScansFromTextDocuments) {
    EXPECT_TRUE(IsScannedFile(Write("scan.pdf", {Page::Image, Page::Image})));
    EXPECT_TRUE(IsScannedFile(Write("扫描.pdf", {Page::Image})));
    EXPECT_FALSE(IsScannedFile(Write("text.pdf", {Page::Text})));
    EXPECT_FALSE(IsScannedFile(Write("layer.pdf", {Page::ImageAndText})));
    // Only the first three pages are asked about.
    EXPECT_TRUE(
        IsScannedFile(Write("late-text.pdf", {Page::Image, Page::Image, Page::Image, Page::Text})));
    EXPECT_FALSE(IsScannedFile(Windows(m_dir.Path() + "/missing.pdf")));
}

TEST_F(ScannedFile, AMissingOrIncompleteModuleAnswersFalse) {
    const std::wstring scan = Write("scan.pdf", {Page::Image});
    EXPECT_FALSE(toolbridges::IsScannedFileWith(Windows(m_dir.Path()) + L"\\xml.dll", scan));
    // A shared object that is not the module: it loads, but has none of the three names.
    EXPECT_FALSE(toolbridges::IsScannedFileWith(File::Directory(L"") + L"\\win32.dll", scan));
}

// Companion applications: a registered program and the desktop's handler are both played by a
// script that appends its arguments, one per line and then "--", to a log beside itself.
class OpenRcmdAppBridge : public testing::Test {
protected:
    void SetUp() override {
        m_script = m_dir.Path() + "/record.sh";
        std::ofstream(m_script) << "#!/bin/sh\n"
                                   "log=\"$(dirname \"$0\")/record.log\"\n"
                                   "{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; echo --; } "
                                   ">> \"$log\"\n";
        fs::permissions(m_script, fs::perms::owner_all);
    }

    void Register(const std::wstring& key, const std::wstring& displayIcon) {
        HKEY handle = nullptr;
        const std::wstring path =
            L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(handle, L"DisplayIcon", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(displayIcon.c_str()),
                                 static_cast<DWORD>((displayIcon.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
    }

    // The log once it holds `runs` runs; what it holds when that does not happen within a
    // generous bound.
    std::string Log(int runs) {
        const std::string log = m_dir.Path() + "/record.log";
        std::string text;
        for (int i = 0; i < 2000; ++i) {
            text = ReadAll(log);
            int ended = 0;
            for (size_t at = text.find("--\n"); at != std::string::npos;
                 at = text.find("--\n", at + 3)) {
                ++ended;
            }
            if (ended >= runs) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return text;
    }

    testsupport::TempPrefix m_prefix;
    testsupport::TempDir m_dir;
    std::string m_script;
    testsupport::ScopedEnv m_handler{"WIN32_OPEN_HANDLER", m_dir.Path() + "/record.sh"};
};

TEST_F(OpenRcmdAppBridge, ARegisteredApplicationStartsWithTheArgumentAsItsOneParameter) {
    Register(L"Companion", Windows(m_script));
    OpenRcmdApp(L"Companion", L"https://example.com/companion", L"x");
    EXPECT_EQ(Log(1), "x\n--\n");
}

TEST_F(OpenRcmdAppBridge, AnArgumentWithSpacesAndQuotesStaysOneParameter) {
    Register(L"Companion", Windows(m_script));
    OpenRcmdApp(L"Companion", L"https://example.com/companion", L"a \"b\" c\\");
    EXPECT_EQ(Log(1), "a \"b\" c\\\n--\n");
}

TEST_F(OpenRcmdAppBridge, AnEmptyArgumentStartsTheApplicationWithoutParameters) {
    Register(L"Companion", Windows(m_script));
    OpenRcmdApp(L"Companion", L"https://example.com/companion", L"");
    EXPECT_EQ(Log(1), "--\n");
}

TEST_F(OpenRcmdAppBridge, WithoutAUsableRegistrationTheAddressIsOpened) {
    Register(L"IconIndex", Windows(m_script) + L",0");
    Register(L"Gone", Windows(m_dir.Path() + "/gone.exe"));
    Register(L"TooLong", Windows(m_script) + L"\\" + std::wstring(300, L'a'));
    OpenRcmdApp(L"NotInstalled", L"https://example.com/a", L"x");
    EXPECT_EQ(Log(1), "https://example.com/a\n--\n");
    OpenRcmdApp(L"IconIndex", L"http://example.com/b", L"x");
    EXPECT_EQ(Log(2), "https://example.com/a\n--\nhttp://example.com/b\n--\n");
    OpenRcmdApp(L"Gone", L"HTTPS://example.com/c", L"x");
    // The handler runs detached: wait for each record so that the order is the calls' order.
    EXPECT_EQ(Log(3), "https://example.com/a\n--\nhttp://example.com/b\n--\n"
                      "HTTPS://example.com/c\n--\n");
    OpenRcmdApp(L"TooLong", L"https://example.com/d", L"x");
    EXPECT_EQ(Log(4), "https://example.com/a\n--\nhttp://example.com/b\n--\n"
                      "HTTPS://example.com/c\n--\nhttps://example.com/d\n--\n");
}

TEST_F(OpenRcmdAppBridge, AddressesThatAreNotWebAddressesAreNeverOpened) {
    for (const wchar_t* address :
         {L"file:///etc/passwd", L"javascript:alert(1)", L"/usr/bin/xterm", L"Z:\\etc\\passwd",
          L"ftp://example.com/", L"https:///etc/passwd", L"https://", L"http:example.com",
          L"https://example.com/a b", L"https://example.com/\nfile:///etc/passwd", L""}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(address)));
        EXPECT_FALSE(IsWebAddress(address));
        OpenRcmdApp(L"NotInstalled", address, L"");
    }
    // A web address opened afterwards is the only thing the handler ever saw.
    OpenRcmdApp(L"NotInstalled", L"https://example.com/after", L"");
    EXPECT_EQ(Log(1), "https://example.com/after\n--\n");
}

} // namespace
