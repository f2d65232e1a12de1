#include <startpage/start_page.h>

#include "page_test_support.h"

#include <startpage/image_file.h>
#include <startpage/logo_name.h>

#include <varnix/user/user.h>

#include <varnix/util/utf8.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace pagetest;

namespace {

class RecommendedStrip : public PageTest {
protected:
    DuiLib::CButtonUI* Button(int index) {
        DuiLib::CControlUI* control = m_page->Strip()->GetItemAt(index);
        return static_cast<DuiLib::CButtonUI*>(control->GetInterface(L"Button"));
    }

    static std::wstring Logo(const std::wstring& file) {
        return L"file='" + User::GetInstance()->DataDir() + file + L"' dest='21,4,64,47'";
    }

    bool LogosShown(int count) {
        for (int i = 0; i < count; ++i) {
            std::wstring image = Button(i)->GetForeImage();
            if (image.find(L"img/pdfconv_logo.png") != std::wstring::npos) {
                return false;
            }
        }
        return true;
    }

    size_t LogoRequests() {
        size_t count = 0;
        for (const auto& request : Sim().Requests()) {
            count += request.path.rfind("/files/", 0) == 0 ? 1 : 0;
        }
        return count;
    }

    void ServeList(const std::string& list) {
        ASSERT_TRUE(Sim().MergeScript(
            R"({"endpoints": {"/users/moreSoftware": {"reply": {"list": )" + list + "}}}}"));
    }
};

const wchar_t kPlaceholder[] = L"file='img/pdfconv_logo.png' dest='21,4,64,47'";

} // namespace

TEST_F(RecommendedStrip, OneButtonPerProgramWithItsLogoDownloadedOnceAndThenCached) {
    ObservedPage* page = OpenPage();
    ASSERT_TRUE(WaitForSoftwareList());
    ASSERT_EQ(page->Strip()->GetCount(), 3);
    DuiLib::CButtonUI* second = Button(1);
    EXPECT_STREQ(second->GetText().GetData(), L"  PDF转换器");
    EXPECT_STREQ(second->GetToolTip().GetData(), L"PDF与Word、Excel、图片互相转换");
    EXPECT_STREQ(second->GetCustomAttribute(L"regkey"), L"pdfconverter");
    EXPECT_EQ(std::wstring(second->GetCustomAttribute(L"url")),
              Utf8::Utf8ToUtf16(Utf8(Sim().Url("/files/converter.html"), true)));
    EXPECT_EQ(second->GetFixedWidth(), 85);
    EXPECT_EQ(second->GetFixedHeight(), 72);
    EXPECT_STREQ(second->GetHotImage(), L"file='img/border.png' source='0,0,90,72'");
    EXPECT_STREQ(second->GetPushedImage(), L"file='img/border.png' source='90,0,180,72'");

    ASSERT_TRUE(PumpUntil([&] { return page->downloads.size() == 3; }));
    std::vector<LPARAM> ids = page->downloads;
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<LPARAM>{5, 6, 7}));
    EXPECT_STREQ(Button(0)->GetForeImage(), Logo(L"ocr.png").c_str());
    EXPECT_STREQ(Button(1)->GetForeImage(), Logo(L"converter.png").c_str())
        << "the logo of id 6 belongs to the second button";
    EXPECT_STREQ(Button(2)->GetForeImage(), Logo(L"recorder.png").c_str());
    EXPECT_EQ(LogoRequests(), 3u);

    // The next start shows every logo from the cache at once, without the network.
    ClosePage();
    ASSERT_TRUE(Sim().Reset());
    page = OpenPage();
    ASSERT_TRUE(WaitForSoftwareList());
    ASSERT_EQ(page->Strip()->GetCount(), 3);
    EXPECT_TRUE(LogosShown(3));
    EXPECT_STREQ(Button(1)->GetForeImage(), Logo(L"converter.png").c_str());
    EXPECT_EQ(LogoRequests(), 0u);
}

TEST_F(RecommendedStrip, ALogoAddressWithoutASlashIsTheCachedFileName) {
    ASSERT_TRUE(WriteFileBytes(User::GetInstance()->DataDir() + L"solo.png", TinyPng()));
    ServeList(R"([{"regkey": "solo", "literal": "单独", "logo": "solo.png"},
                  {"literal": 5, "logo": ["not", "text"]}])");
    ObservedPage* page = OpenPage();
    ASSERT_TRUE(WaitForSoftwareList());
    ASSERT_EQ(page->Strip()->GetCount(), 2);
    EXPECT_STREQ(Button(0)->GetForeImage(), Logo(L"solo.png").c_str());
    EXPECT_STREQ(Button(1)->GetText().GetData(), L"  ") << "members of another type read empty";
    EXPECT_STREQ(Button(1)->GetForeImage(), kPlaceholder);
}

TEST_F(RecommendedStrip, AnEmptyListOrAFailedReplyLeavesTheStripEmpty) {
    ServeList("[]");
    ObservedPage* page = OpenPage();
    ASSERT_TRUE(WaitForSoftwareList());
    EXPECT_EQ(page->Strip()->GetCount(), 0);
    ClosePage();

    ASSERT_TRUE(Sim().MergeScript(
        R"({"endpoints": {"/users/moreSoftware": {"reply": {"code": 3, "msg": "x", "list": [{}]}}}})"));
    page = OpenPage();
    ASSERT_TRUE(WaitForSoftwareList());
    EXPECT_EQ(page->Strip()->GetCount(), 0);
}

TEST_F(RecommendedStrip, LogoNamesFromTheServiceNeverLeaveTheDataDirectory) {
    const std::string before = ConfigFileText();
    ServeList(R"([{"logo": "${base}/files/.."}, {"logo": "${base}/files/a\\..\\..\\evil.png"},
                  {"logo": "${base}/files/config"}, {"logo": "${base}/files/"}])");
    ObservedPage* page = OpenPage();
    ASSERT_TRUE(WaitForSoftwareList());
    ASSERT_EQ(page->Strip()->GetCount(), 4);
    Pump();
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(Button(i)->GetForeImage(), kPlaceholder) << i;
    }
    EXPECT_EQ(LogoRequests(), 0u);
    EXPECT_EQ(ConfigFileText(), before);
}

TEST_F(RecommendedStrip, ALogoThatIsNoPictureKeepsThePlaceholderAndIsFetchedAgainNextTime) {
    ASSERT_TRUE(Sim().MergeScript(
        R"({"endpoints": {"/files/logos/ocr.png": {"body": "<html>busy</html>"}}})"));
    ObservedPage* page = OpenPage();
    ASSERT_TRUE(PumpUntil([&] { return page->downloads.size() == 3; }));
    EXPECT_STREQ(Button(0)->GetForeImage(), kPlaceholder);
    EXPECT_STREQ(Button(1)->GetForeImage(), Logo(L"converter.png").c_str());
    EXPECT_FALSE(FileExists(User::GetInstance()->DataDir() + L"ocr.png"));
}

TEST(LogoFileName, IsThePlainNameAfterTheLastSlash) {
    using startpage::LogoFileName;
    EXPECT_EQ(LogoFileName("https://host/a/b/logo.png"), "logo.png");
    EXPECT_EQ(LogoFileName("logo.png"), "logo.png");
    EXPECT_EQ(LogoFileName("https://host/../../x.png"), "x.png");
    for (const char* refused : {"", "https://host/", "https://host/..", "https://host/.",
                                "https://host/a\\..\\b.png", "C:evil.png", "https://h/a.png?v=2",
                                "https://h/CONFIG", "https://h/config.bad", "https://h/x.png."}) {
        EXPECT_EQ(LogoFileName(refused), "") << refused;
    }
}

TEST(ImageFile, OnlyCompletePicturesAreReadable) {
    const std::wstring folder = User::GetInstance()->DataDir();
    const std::string png = TinyPng();
    struct Case {
        const wchar_t* name;
        std::string bytes;
        bool readable;
    } cases[] = {
        {L"t-ok.png", png, true},
        {L"t-cut.png", png.substr(0, png.size() - 10), false},
        {L"t-html.png", "<html></html>", false},
        {L"t-empty.png", "", false},
        {L"t-ok.jpg", std::string("\xff\xd8\xff\xe0 jfif \xff\xd9"), true},
        {L"t-ok.gif", std::string("GIF89a....;"), true},
    };
    for (const Case& c : cases) {
        const std::wstring path = folder + c.name;
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        EXPECT_EQ(startpage::IsReadableImageFile(path), c.readable) << Utf8(std::wstring(c.name));
        DeleteFileW(path.c_str());
    }
    EXPECT_FALSE(startpage::IsReadableImageFile(folder + L"missing.png"));
}

TEST_F(RecommendedStrip, AClickOpensOnlyWebAddresses) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("strip-open-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path handler = folder / "record.sh";
    std::ofstream(handler)
        << "#!/bin/sh\nprintf '%s\\n--\\n' \"$1\" >> \"$(dirname \"$0\")/log\"\n";
    fs::permissions(handler, fs::perms::owner_all);
    testsupport::ScopedEnv open("WIN32_OPEN_HANDLER", handler.string());

    ServeList(R"([{"regkey": "nosuchapp", "url": "file:///etc/passwd"},
                  {"regkey": "nosuchapp", "url": "calc.exe"},
                  {"regkey": "nosuchapp", "url": "https://example.com/app"}])");
    ObservedPage* page = OpenPage();
    ASSERT_TRUE(WaitForSoftwareList());
    ASSERT_EQ(page->Strip()->GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        Click(*page, Button(i));
    }
    std::string log;
    ASSERT_TRUE(PumpUntil([&] {
        std::ifstream in(folder / "log");
        log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return log.find("--\n") != std::string::npos;
    }));
    EXPECT_EQ(log, "https://example.com/app\n--\n");
    fs::remove_all(folder);
}
