// The packed skin as the program uses it: the archive opens through the UI layer with the
// program's password (and only with it), every layout the windows load builds and carries the
// controls the windows look up, every image a layout names is in the archive, and the program's
// file carries the archive and the window icon as resources.
#include <UIlib.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace DuiLib;

namespace {

std::vector<unsigned char> ReadArchive() {
    std::ifstream file(SKIN_ARCHIVE, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void UseArchive(std::vector<unsigned char>& bytes, LPCWSTR password) {
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()), password);
}

class SkinArchive : public testing::Test {
protected:
    void SetUp() override {
        m_bytes = ReadArchive();
        ASSERT_FALSE(m_bytes.empty()) << SKIN_ARCHIVE;
    }
    void TearDown() override { CResourceManager::GetInstance()->Release(); }

    std::vector<unsigned char> m_bytes;
};

std::wstring Widen(const char* text) {
    std::string narrow = text;
    return std::wstring(narrow.begin(), narrow.end());
}

// The layouts the windows load by name and the controls each one looks up.
const std::map<std::wstring, std::vector<std::wstring>>& Layouts() {
    static const std::map<std::wstring, std::vector<std::wstring>> layouts = {
        {L"MainUI.xml",
         {L"PDFEditControlAx", L"apptitlelbl", L"closebtn", L"helpbtn", L"gzhbtn",
          L"officialsitebtn"}},
        {L"StartPageUI.xml",
         {L"HistoryList", L"OpenFileBtn", L"ClearHisBtn", L"headimgbtn", L"nicknamelbl",
          L"servicebtn", L"rcmdHor"}},
        {L"HisListItemUI.xml", {L"FileNameLbl", L"DeleteBtn"}},
        {L"WXUserInfo.xml", {L"nicknamelbl", L"exitme", L"updateme", L"qqqueryme"}},
        {L"OfficialAccount.xml", {L"qqqueryme"}},
        {L"gzh.xml", {L"qqqueryme"}},
        {L"Msgbox.xml",
         {L"apptitlelbl", L"msgtab", L"contentlbl", L"updateinfoedit", L"okbtn", L"cancelbtn",
          L"retrybtn", L"closebtn"}},
        {L"MsgBoxUI.xml", {L"apptitlelbl", L"msgtab", L"contentlbl", L"okbtn", L"closebtn"}},
        {L"UpdateUI.xml",
         {L"apptitlelbl", L"closebtn", L"promptLbl", L"progresslbl", L"progressprog"}},
        {L"WxLogin.xml", {L"apptitlelbl", L"closebtn", L"wxpromptlbl", L"loginimgctrl"}},
        {L"Menu.xml", {}},
        {L"SysMenu.xml", {}},
        {L"LoginUI.xml", {L"apptitlelbl", L"closebtn"}},
        {L"ZPDFEdit.xml", {L"PDFEditControlAx"}},
        {L"header.xml", {L"apptitlelbl", L"closebtn"}},
    };
    return layouts;
}

} // namespace

TEST_F(SkinArchive, OpensOnlyWithTheProgramsPassword) {
    std::string bytes;
    UseArchive(m_bytes, nullptr);
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L"MainUI.xml", &bytes));
    EXPECT_EQ(CDialogBuilder().Create(L"MainUI.xml"), nullptr);

    UseArchive(m_bytes, L"kavrentoliz");
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L"MainUI.xml", &bytes));

    UseArchive(m_bytes, Widen(SKIN_PASSWORD).c_str());
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"MainUI.xml", &bytes));
    EXPECT_NE(bytes.find("PDFEditControlAx"), std::string::npos);
}

TEST_F(SkinArchive, EveryLayoutBuildsWithTheControlsItsWindowLooksUp) {
    UseArchive(m_bytes, Widen(SKIN_PASSWORD).c_str());
    for (const auto& [layout, names] : Layouts()) {
        SCOPED_TRACE(std::string(layout.begin(), layout.end()));
        CPaintManagerUI manager;
        std::unique_ptr<CControlUI> root(
            CDialogBuilder().Create(layout.c_str(), nullptr, nullptr, &manager));
        ASSERT_NE(root, nullptr);
        for (const std::wstring& name : names) {
            EXPECT_NE(root->FindByName(name.c_str()), nullptr)
                << std::string(name.begin(), name.end());
        }
    }
}

TEST_F(SkinArchive, ControlsHaveTheKindsTheirWindowsExpect) {
    UseArchive(m_bytes, Widen(SKIN_PASSWORD).c_str());
    CPaintManagerUI manager;
    std::unique_ptr<CControlUI> main(
        CDialogBuilder().Create(L"MainUI.xml", nullptr, nullptr, &manager));
    ASSERT_NE(main, nullptr);
    EXPECT_NE(main->FindByName(L"PDFEditControlAx")->GetInterface(L"ActiveX"), nullptr);

    std::unique_ptr<CControlUI> start(CDialogBuilder().Create(L"StartPageUI.xml"));
    ASSERT_NE(start, nullptr);
    EXPECT_NE(start->FindByName(L"HistoryList")->GetInterface(L"List"), nullptr);
    EXPECT_NE(start->FindByName(L"rcmdHor")->GetInterface(L"Container"), nullptr);

    // The delete button must sit directly in the row: its parent is what the page removes.
    std::unique_ptr<CControlUI> row(CDialogBuilder().Create(L"HisListItemUI.xml"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->FindByName(L"DeleteBtn")->GetParent(), row.get());

    std::unique_ptr<CControlUI> box(CDialogBuilder().Create(L"Msgbox.xml"));
    ASSERT_NE(box, nullptr);
    auto* tab = static_cast<CContainerUI*>(box->FindByName(L"msgtab")->GetInterface(L"TabLayout"));
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(tab->GetCount(), 2);
    EXPECT_EQ(tab->GetItemAt(0), box->FindByName(L"contentlbl"));
    EXPECT_EQ(tab->GetItemAt(1), box->FindByName(L"updateinfoedit"));

    std::unique_ptr<CControlUI> update(CDialogBuilder().Create(L"UpdateUI.xml"));
    ASSERT_NE(update, nullptr);
    EXPECT_NE(update->FindByName(L"progressprog")->GetInterface(L"Progress"), nullptr);
}

TEST_F(SkinArchive, HoldsEveryImageTheLayoutsAndWindowsName) {
    UseArchive(m_bytes, Widen(SKIN_PASSWORD).c_str());
    std::vector<std::wstring> images = {L"img/headimg.png", L"img/pdfconv_logo.png",
                                        L"img/border.png"};
    const std::regex reference(R"(img/[A-Za-z0-9_]+\.png)");
    for (const auto& [layout, names] : Layouts()) {
        std::string text;
        ASSERT_TRUE(CPaintManagerUI::LoadSkinFile(layout.c_str(), &text));
        for (auto it = std::sregex_iterator(text.begin(), text.end(), reference);
             it != std::sregex_iterator(); ++it) {
            images.push_back(Widen(it->str().c_str()));
        }
    }
    for (const std::wstring& image : images) {
        std::string bytes;
        EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(image.c_str(), &bytes))
            << std::string(image.begin(), image.end());
        EXPECT_EQ(bytes.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0)
            << std::string(image.begin(), image.end());
    }
}

TEST(SkinResource, TheProgramCarriesTheArchiveAndItsIcon) {
    // The program's file read as another program would read it: for its resources only.
    std::wstring program = L"Z:" + Widen(VELMORA_PROGRAM);
    std::replace(program.begin(), program.end(), L'/', L'\\');
    HMODULE file = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr) << VELMORA_PROGRAM;

    HRSRC zip = FindResourceExW(file, L"ZIPRES", L"IDR_ZIPRES", 2052);
    ASSERT_NE(zip, nullptr);
    const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(file, zip)));
    ASSERT_NE(data, nullptr);
    std::vector<unsigned char> embedded(data, data + SizeofResource(file, zip));
    // The program carries the archive of this build, which opens with its password.
    EXPECT_EQ(embedded, ReadArchive());
    UseArchive(embedded, Widen(SKIN_PASSWORD).c_str());
    std::string layout;
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"StartPageUI.xml", &layout));
    CResourceManager::GetInstance()->Release();

    EXPECT_NE(FindResourceW(file, MAKEINTRESOURCEW(108), RT_GROUP_ICON), nullptr);
    EXPECT_TRUE(FreeLibrary(file));
}
