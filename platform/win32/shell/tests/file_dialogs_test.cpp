// The pickers and the file manager hand-over: what the driver answers comes back in the
// Windows forms; without a driver, or when the user cancels, nothing is chosen.
#include <windows.h>

#include <win32/host.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <temp_prefix.h>
#include <thread>
#include <tuple>

namespace {

// What the test driver was asked and what it answers.
struct DialogScript {
    bool answer = true;
    std::vector<std::string> files;
    std::string folder;
    std::vector<std::pair<std::wstring, std::wstring>> filters;
    int filterIndex = -1;
    bool multiple = false;
    HWND owner = nullptr;
    std::wstring title;
    // The save dialog: its answers in turn (the last one again after that), what it was asked
    // each time, and the replies to the layer's own question, in turn.
    std::vector<std::string> saves;
    std::vector<std::string> suggestions;
    bool confirmOverwrite = false;
    std::vector<int> replies;
    std::vector<std::wstring> questions;
};

DialogScript* g_script = nullptr;

bool OpenFiles(HWND owner, LPCWSTR title,
               const std::vector<std::pair<std::wstring, std::wstring>>& filters, int filterIndex,
               bool multiple, std::vector<std::string>* files) {
    g_script->owner = owner;
    g_script->title = title ? title : L"";
    g_script->filters = filters;
    g_script->filterIndex = filterIndex;
    g_script->multiple = multiple;
    *files = g_script->files;
    return g_script->answer;
}

bool ChooseFolder(HWND owner, LPCWSTR title, std::string* folder) {
    g_script->owner = owner;
    g_script->title = title ? title : L"";
    *folder = g_script->folder;
    return g_script->answer;
}

bool SaveFile(HWND, LPCWSTR, const std::vector<std::pair<std::wstring, std::wstring>>& filters,
              int filterIndex, const std::string& suggestion, bool confirmOverwrite,
              std::string* file) {
    g_script->filters = filters;
    g_script->filterIndex = filterIndex;
    g_script->confirmOverwrite = confirmOverwrite;
    g_script->suggestions.push_back(suggestion);
    const size_t turn = std::min(g_script->suggestions.size(), g_script->saves.size());
    *file = turn ? g_script->saves[turn - 1] : std::string();
    return g_script->answer;
}

int AskBox(HWND, LPCWSTR text, LPCWSTR, UINT) {
    g_script->questions.push_back(text);
    const size_t turn = g_script->questions.size();
    return turn <= g_script->replies.size() ? g_script->replies[turn - 1] : 0;
}

class FileDialogs : public testing::Test {
protected:
    void SetUp() override {
        m_saved = win32::host::CurrentWindowDriver();
        win32::host::WindowDriver driver = m_saved;
        driver.openFiles = &OpenFiles;
        driver.chooseFolder = &ChooseFolder;
        driver.saveFile = &SaveFile;
        driver.messageBox = &AskBox;
        win32::host::RegisterWindowDriver(&driver);
        g_script = &m_script;
        std::filesystem::create_directories(m_dir.Path() + "/docs");
        for (const char* name : {"a.pdf", "b c.txt"}) {
            std::ofstream(m_dir.Path() + "/docs/" + name) << "x";
        }
    }
    void TearDown() override {
        win32::host::RegisterWindowDriver(&m_saved);
        g_script = nullptr;
    }

    std::string Host(const char* name) { return m_dir.Path() + "/docs/" + name; }

    OPENFILENAMEW Request(DWORD flags) {
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = nullptr;
        ofn.lpstrFilter = L"PDF\0*.pdf\0Text\0*.txt;*.text\0\0";
        ofn.nFilterIndex = 2;
        ofn.lpstrFile = m_buffer;
        ofn.nMaxFile = sizeof m_buffer / sizeof m_buffer[0];
        ofn.Flags = flags;
        std::fill(std::begin(m_buffer), std::end(m_buffer), L'#');
        return ofn;
    }

    testsupport::TempDir m_dir;
    DialogScript m_script;
    win32::host::WindowDriver m_saved;
    WCHAR m_buffer[512];
};

} // namespace

TEST_F(FileDialogs, SeveralFilesComeAsTheFolderThenEachName) {
    m_script.files = {Host("a.pdf"), Host("b c.txt")};
    OPENFILENAMEW ofn = Request(OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST);
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_TRUE(m_script.multiple);
    EXPECT_EQ(m_script.filterIndex, 1) << "the driver counts filters from 0";
    ASSERT_EQ(m_script.filters.size(), 2u);
    EXPECT_EQ(m_script.filters[1].first, L"Text");
    EXPECT_EQ(m_script.filters[1].second, L"*.txt;*.text");

    const std::wstring folder = win32::host::ToWindowsPath(m_dir.Path() + "/docs");
    EXPECT_EQ(std::wstring(m_buffer), folder);
    EXPECT_EQ(ofn.nFileOffset, folder.size() + 1);
    const WCHAR* name = m_buffer + ofn.nFileOffset;
    EXPECT_EQ(std::wstring(name), L"a.pdf");
    name += wcslen(name) + 1;
    EXPECT_EQ(std::wstring(name), L"b c.txt");
    name += wcslen(name) + 1;
    EXPECT_EQ(*name, L'\0') << "the list ends with an empty name";
    EXPECT_EQ(name[1], L'#') << "nothing written past the end";
}

TEST_F(FileDialogs, OneFileComesAsItsFullPath) {
    m_script.files = {Host("a.pdf")};
    OPENFILENAMEW ofn = Request(OFN_EXPLORER | OFN_ALLOWMULTISELECT);
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    const std::wstring path = win32::host::ToWindowsPath(Host("a.pdf"));
    EXPECT_EQ(std::wstring(m_buffer), path);
    EXPECT_EQ(m_buffer[path.size() + 1], L'\0');
    EXPECT_EQ(std::wstring(m_buffer + ofn.nFileOffset), L"a.pdf");
    EXPECT_EQ(std::wstring(m_buffer + ofn.nFileExtension), L"pdf");
    // Without both flags only one file may be picked.
    ofn = Request(OFN_ALLOWMULTISELECT);
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_FALSE(m_script.multiple);
}

TEST_F(FileDialogs, ACancelOrNoScreenChoosesNothing) {
    m_script.answer = false;
    OPENFILENAMEW ofn = Request(OFN_EXPLORER);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    ofn = Request(OFN_OVERWRITEPROMPT);
    EXPECT_FALSE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(m_buffer[0], L'#') << "a cancel leaves the buffer alone";
    BROWSEINFOW info{};
    EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);

    win32::host::RegisterWindowDriver(nullptr);
    m_script.answer = true;
    m_script.files = {Host("a.pdf")};
    m_script.saves = {Host("new.pdf")};
    m_script.folder = m_dir.Path();
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_FALSE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);
}

TEST_F(FileDialogs, AnAnswerTooLongForTheBufferSaysHowMuchIsNeeded) {
    m_script.files = {Host("a.pdf"), Host("b c.txt")};
    OPENFILENAMEW ofn = Request(OFN_EXPLORER | OFN_ALLOWMULTISELECT);
    ofn.nMaxFile = 8;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    const size_t needed = win32::host::ToWindowsPath(m_dir.Path() + "/docs").size() + 1 + 6 + 8 + 1;
    EXPECT_EQ(static_cast<size_t>(m_buffer[0]), needed);
    EXPECT_EQ(m_buffer[8], L'#') << "nothing written past nMaxFile";

    m_script.saves = {Host("new.pdf")};
    ofn = Request(0);
    ofn.nMaxFile = static_cast<DWORD>(win32::host::ToWindowsPath(Host("new.pdf")).size());
    EXPECT_FALSE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_EQ(static_cast<DWORD>(m_buffer[0]), ofn.nMaxFile + 1) << "the path and its NUL";
    EXPECT_EQ(m_buffer[ofn.nMaxFile], L'#');
    ofn.nMaxFile += 1;
    EXPECT_TRUE(GetSaveFileNameW(&ofn)) << "exactly the size needed is enough";

    ofn.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
    EXPECT_FALSE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
    EXPECT_EQ(m_script.suggestions.size(), 2u) << "a bad structure shows no dialog";
}

TEST_F(FileDialogs, TheSavedFileComesAsItsFullPathWithTheDefaultExtensionAdded) {
    m_script.saves = {Host("report")};
    OPENFILENAMEW ofn = Request(OFN_EXPLORER);
    ofn.lpstrDefExt = L"pdf";
    ASSERT_TRUE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    const std::wstring path = win32::host::ToWindowsPath(Host("report.pdf"));
    EXPECT_EQ(std::wstring(m_buffer), path);
    EXPECT_EQ(m_buffer[path.size() + 1], L'#') << "one file ends with one NUL";
    EXPECT_EQ(std::wstring(m_buffer + ofn.nFileOffset), L"report.pdf");
    EXPECT_EQ(std::wstring(m_buffer + ofn.nFileExtension), L"pdf");
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    EXPECT_EQ(m_script.filterIndex, 1);
    ASSERT_EQ(m_script.filters.size(), 2u);
    EXPECT_EQ(m_script.filters[0].second, L"*.pdf");
    EXPECT_FALSE(m_script.confirmOverwrite);

    // A name with an extension keeps it, and so does one that ends with a dot (offset 0);
    // without a default extension the offset is the terminating NUL's, as on Windows.
    const std::tuple<const char*, const WCHAR*, const WCHAR*> kept[] = {
        {"b c.txt", L"pdf", L"txt"}, {"draft.", L"pdf", nullptr}, {"plain", nullptr, L""}};
    for (const auto& [name, defaultExtension, extension] : kept) {
        m_script.saves = {Host(name)};
        m_script.suggestions.clear();
        ofn = Request(0);
        ofn.lpstrDefExt = defaultExtension;
        ASSERT_TRUE(GetSaveFileNameW(&ofn));
        EXPECT_EQ(std::wstring(m_buffer), win32::host::ToWindowsPath(Host(name)));
        if (extension) {
            EXPECT_EQ(std::wstring(m_buffer + ofn.nFileExtension), extension) << name;
        } else {
            EXPECT_EQ(ofn.nFileExtension, 0u);
        }
    }
}

TEST_F(FileDialogs, TheSuggestedNameAndFolderReachThePickerAsAHostPath) {
    m_script.saves = {Host("x.pdf")};
    const std::wstring docs = win32::host::ToWindowsPath(m_dir.Path() + "/docs");
    const std::wstring elsewhere = win32::host::ToWindowsPath(m_dir.Path());
    struct Case {
        std::wstring file;
        const WCHAR* initialDir;
        std::string expected;
    } cases[] = {
        {docs + L"\\a.pdf", elsewhere.c_str(), Host("a.pdf")}, // the path's folder wins
        {L"报告.pdf", docs.c_str(), Host("报告.pdf")},
        {L"", docs.c_str(), m_dir.Path() + "/docs/"},
        {L"name.pdf", nullptr, "name.pdf"},           // the picker chooses the folder
        {L"D:\\away\\name.pdf", nullptr, "name.pdf"}, // no drive D:
    };
    for (const Case& c : cases) {
        OPENFILENAMEW ofn = Request(OFN_OVERWRITEPROMPT);
        std::copy(c.file.begin(), c.file.end(), m_buffer);
        m_buffer[c.file.size()] = L'\0';
        ofn.lpstrInitialDir = c.initialDir;
        m_script.suggestions.clear();
        ASSERT_TRUE(GetSaveFileNameW(&ofn));
        EXPECT_EQ(m_script.suggestions.at(0), c.expected);
        EXPECT_TRUE(m_script.confirmOverwrite);
    }
    // A suggestion without a terminator is read no further than nMaxFile.
    WCHAR unterminated[4] = {L'a', L'b', L'c', L'd'};
    OPENFILENAMEW ofn = Request(0);
    ofn.lpstrFile = unterminated;
    ofn.nMaxFile = 4;
    m_script.suggestions.clear();
    EXPECT_FALSE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(m_script.suggestions.at(0), "abcd");
}

TEST_F(FileDialogs, AnExtensionThatNamesAnExistingFileIsNotReplacedUnasked) {
    // The picker confirmed "a" (no such file); the added extension makes it a.pdf, which exists.
    m_script.saves = {Host("a"), Host("fresh")};
    m_script.replies = {IDNO};
    OPENFILENAMEW ofn = Request(OFN_OVERWRITEPROMPT);
    ofn.lpstrDefExt = L"pdf";
    ASSERT_TRUE(GetSaveFileNameW(&ofn));
    ASSERT_EQ(m_script.questions.size(), 1u);
    EXPECT_NE(m_script.questions[0].find(L"a.pdf"), std::wstring::npos);
    ASSERT_EQ(m_script.suggestions.size(), 2u) << "No goes back to the picker";
    EXPECT_EQ(m_script.suggestions[1], Host("a.pdf"));
    EXPECT_EQ(std::wstring(m_buffer), win32::host::ToWindowsPath(Host("fresh.pdf")));

    m_script = DialogScript{};
    m_script.saves = {Host("a")};
    m_script.replies = {IDYES};
    ASSERT_TRUE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(std::wstring(m_buffer), win32::host::ToWindowsPath(Host("a.pdf")));

    // Where the question cannot be asked, nothing is chosen.
    m_script = DialogScript{};
    m_script.saves = {Host("a")};
    std::fill(std::begin(m_buffer), std::end(m_buffer), L'#');
    EXPECT_FALSE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(m_buffer[0], L'#');

    // Without OFN_OVERWRITEPROMPT nobody is asked.
    m_script = DialogScript{};
    m_script.saves = {Host("a")};
    ofn.Flags = 0;
    ASSERT_TRUE(GetSaveFileNameW(&ofn));
    EXPECT_TRUE(m_script.questions.empty());
}

TEST_F(FileDialogs, TheChosenFolderComesAsAnItemListWithItsPath) {
    m_script.folder = m_dir.Path() + "/docs";
    WCHAR display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.lpszTitle = L"Please, select a folder";
    info.pszDisplayName = display;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info);
    ASSERT_NE(pidl, nullptr);
    EXPECT_EQ(m_script.title, L"Please, select a folder");
    EXPECT_EQ(std::wstring(display), L"docs");
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(pidl, path));
    EXPECT_EQ(std::wstring(path), win32::host::ToWindowsPath(m_dir.Path() + "/docs"));
    ILFree(pidl);
}

TEST(ItemIdLists, OnlyExistingItemsHaveAList) {
    testsupport::TempDir dir;
    std::ofstream(dir.Path() + "/here.txt") << "x";
    const std::wstring here = win32::host::ToWindowsPath(dir.Path() + "/here.txt");
    PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(here.c_str());
    ASSERT_NE(pidl, nullptr);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(pidl, path));
    EXPECT_EQ(std::wstring(path), here);
    ILFree(pidl);

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(ILCreateFromPathW((here + L".gone").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
    EXPECT_EQ(SHOpenFolderAndSelectItems(nullptr, 0, nullptr, 0), E_INVALIDARG);
    ILFree(nullptr);
}

namespace {

// A stand-in for the file manager's bus call and for the desktop's handler: records its
// arguments in <name>.out and exits with the given status.
std::string Recorder(const std::string& folder, const char* name, int status) {
    const std::string script = folder + "/" + name + ".sh";
    std::ofstream(script) << "#!/bin/sh\n"
                             "out=\"$(dirname \"$0\")/"
                          << name
                          << ".out\"\n"
                             "printf '%s\\n' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n"
                             "exit "
                          << status << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    return script;
}

std::string Recorded(const std::string& folder, const char* name) {
    const std::string out = folder + "/" + name + ".out";
    for (int i = 0; i < 1000 && !std::filesystem::exists(out); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream file(out);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST(ShowInFileManager, TheFileManagerIsAskedToShowTheItemSelected) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.Path() + "/my docs");
    std::ofstream(dir.Path() + "/my docs/it's.pdf") << "x";
    testsupport::ScopedEnv bus("WIN32_SHOW_ITEMS_HANDLER", Recorder(dir.Path(), "bus", 0));
    testsupport::ScopedEnv open("WIN32_OPEN_HANDLER", Recorder(dir.Path(), "open", 0));
    PIDLIST_ABSOLUTE pidl =
        ILCreateFromPathW(win32::host::ToWindowsPath(dir.Path() + "/my docs/it's.pdf").c_str());
    ASSERT_NE(pidl, nullptr);
    EXPECT_EQ(SHOpenFolderAndSelectItems(pidl, 0, nullptr, 0), S_OK);
    ILFree(pidl);
    const std::string args = Recorded(dir.Path(), "bus");
    EXPECT_NE(args.find("--method\norg.freedesktop.FileManager1.ShowItems\n"), std::string::npos)
        << args;
    EXPECT_NE(args.find("['file://" + dir.Path() + "/my%20docs/it%27s.pdf']\n"), std::string::npos)
        << args;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/open.out")) << "no fallback needed";
}

TEST(ShowInFileManager, WithoutAFileManagerTheFolderIsOpened) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.Path() + "/docs");
    std::ofstream(dir.Path() + "/docs/a.pdf") << "x";
    testsupport::ScopedEnv bus("WIN32_SHOW_ITEMS_HANDLER", Recorder(dir.Path(), "bus", 1));
    testsupport::ScopedEnv open("WIN32_OPEN_HANDLER", Recorder(dir.Path(), "open", 0));
    PIDLIST_ABSOLUTE pidl =
        ILCreateFromPathW(win32::host::ToWindowsPath(dir.Path() + "/docs/a.pdf").c_str());
    ASSERT_NE(pidl, nullptr);
    EXPECT_EQ(SHOpenFolderAndSelectItems(pidl, 0, nullptr, 0), S_OK);
    ILFree(pidl);
    EXPECT_EQ(Recorded(dir.Path(), "open"), dir.Path() + "/docs\n");
}
