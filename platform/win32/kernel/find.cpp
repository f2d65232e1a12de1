// FindFirstFileW / FindNextFileW / FindClose and the Windows wildcard rules.
#include "files_internal.h"
#include "internal.h"

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <dirent.h>
#include <locale.h>
#include <mutex>
#include <vector>

namespace win32 {

namespace {

// The pattern as the matcher reads it: Windows turns some wildcards into their DOS forms
// before matching, and so do we.
enum class Token : wchar_t {
    Star = 0x110000,    // '*': any run of characters
    DosStar = 0x110001, // '*' before a '.': any run that does not take the name's last dot
    DosQm = 0x110002,   // '?': one character, or none at a dot or at the end
    DosDot = 0x110003,  // '.' before a wildcard or at the end: a dot, or nothing at the end
};

std::wstring Translate(std::wstring_view pattern) {
    if (pattern == L"*.*") {
        return std::wstring(1, static_cast<wchar_t>(Token::Star));
    }
    std::wstring out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        wchar_t ch = pattern[i];
        wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        if (ch == L'?') {
            out += static_cast<wchar_t>(Token::DosQm);
        } else if (ch == L'*') {
            out += static_cast<wchar_t>(next == L'.' ? Token::DosStar : Token::Star);
        } else if (ch == L'.' && (next == L'?' || next == L'*' || next == L'\0')) {
            out += static_cast<wchar_t>(Token::DosDot);
        } else {
            out += ch;
        }
    }
    return out;
}

// Upper-cases with the Unicode tables of the C.UTF-8 locale, so that non-ASCII names compare
// without regard to case whatever the process's own locale is.
wchar_t Fold(wchar_t ch) {
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8) {
        return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(ch), utf8));
    }
    return ch >= L'a' && ch <= L'z' ? ch - (L'a' - L'A') : ch;
}

class Matcher {
public:
    Matcher(std::wstring_view tokens, std::wstring_view name)
        : m_tokens(tokens), m_name(name), m_lastDot(name.rfind(L'.')),
          m_memo((tokens.size() + 1) * (name.size() + 1), kUnknown) {}

    bool Match(size_t t, size_t n) {
        char& memo = m_memo[t * (m_name.size() + 1) + n];
        if (memo == kUnknown) {
            memo = Compute(t, n) ? kYes : kNo;
        }
        return memo == kYes;
    }

private:
    static constexpr char kUnknown = 0, kYes = 1, kNo = 2;

    bool Compute(size_t t, size_t n) {
        size_t end = m_name.size();
        if (t == m_tokens.size()) {
            return n == end;
        }
        wchar_t token = m_tokens[t];
        switch (static_cast<Token>(token)) {
        case Token::Star:
            for (size_t k = n; k <= end; ++k) {
                if (Match(t + 1, k)) {
                    return true;
                }
            }
            return false;
        case Token::DosStar:
            for (size_t k = n;; ++k) {
                if (Match(t + 1, k)) {
                    return true;
                }
                if (k == end || k == m_lastDot) {
                    return false;
                }
            }
        case Token::DosQm:
            if (n == end || m_name[n] == L'.') {
                return Match(t + 1, n);
            }
            return Match(t + 1, n + 1);
        case Token::DosDot:
            if (n == end) {
                return Match(t + 1, n);
            }
            return m_name[n] == L'.' && Match(t + 1, n + 1);
        }
        return n < end && Fold(m_name[n]) == Fold(token) && Match(t + 1, n + 1);
    }

    std::wstring_view m_tokens;
    std::wstring_view m_name;
    size_t m_lastDot;
    std::vector<char> m_memo;
};

bool FoldedLess(const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return Fold(x) < Fold(y); });
}

class FindSearch : public KernelObject {
public:
    std::mutex mutex;
    std::vector<WIN32_FIND_DATAW> entries;
    size_t next = 0;
};

struct Entry {
    std::wstring name;
    HostFileInfo info;
};

WIN32_FIND_DATAW ToFindData(const Entry& entry) {
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = AttributesOf(entry.info);
    data.ftCreationTime = ToFileTime(entry.info.creationTime);
    data.ftLastAccessTime = ToFileTime(entry.info.accessTime);
    data.ftLastWriteTime = ToFileTime(entry.info.writeTime);
    data.nFileSizeHigh = static_cast<DWORD>(entry.info.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(entry.info.size);
    entry.name.copy(data.cFileName, MAX_PATH - 1);
    return data;
}

// Reads the folder and keeps the entries that match, "." and ".." first as Windows lists them.
// Returns 0 or the errno of opening the folder.
int ReadMatches(const std::string& hostFolder, const std::wstring& pattern,
                std::vector<Entry>& out) {
    DIR* dir = ::opendir(hostFolder.c_str());
    if (!dir) {
        return errno;
    }
    std::wstring tokens = Translate(pattern);
    std::vector<Entry> dots;
    std::vector<Entry> names;
    auto consider = [&](const char* hostName, std::vector<Entry>& into) {
        std::wstring name = Utf8ToWide(hostName);
        if (name.size() >= MAX_PATH || !Matcher(tokens, name).Match(0, 0)) {
            return;
        }
        Entry entry{name, {}};
        if (QueryHostFile(::dirfd(dir), hostName, entry.info) == 0) {
            into.push_back(std::move(entry));
        }
    };
    // A drive's root has no "." and ".." entries on Windows.
    if (!IsDriveRoot(hostFolder)) {
        consider(".", dots);
        consider("..", dots);
    }
    while (struct dirent* item = ::readdir(dir)) {
        std::string_view name = item->d_name;
        if (name != "." && name != "..") {
            consider(item->d_name, names);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const Entry& a, const Entry& b) { return FoldedLess(a.name, b.name); });
    out = std::move(dots);
    for (auto& entry : names) {
        out.push_back(std::move(entry));
    }
    return 0;
}

} // namespace

bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name) {
    std::wstring tokens = Translate(pattern);
    return Matcher(tokens, name).Match(0, 0);
}

} // namespace win32

extern "C" HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    if (!lpFileName || !lpFindFileData) {
        win32::Fail(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring path = lpFileName;
    size_t cut = path.find_last_of(L"\\/");
    std::wstring folder = cut == std::wstring::npos ? L"." : path.substr(0, cut);
    std::wstring pattern = cut == std::wstring::npos ? path : path.substr(cut + 1);
    if (cut == 0 || (folder.size() == 2 && folder[1] == L':')) {
        folder += L'\\'; // "\x" and "C:\x" search the root
    }
    std::string hostFolder = win32::ToHostPath(folder);
    if (hostFolder.empty()) {
        win32::Fail(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (pattern.empty()) {
        win32::Fail(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<win32::Entry> entries;
    if (int err = win32::ReadMatches(hostFolder, pattern, entries); err != 0) {
        win32::Fail(err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                    : win32::ErrorFromErrno(err));
        return INVALID_HANDLE_VALUE;
    }
    if (entries.empty()) {
        win32::Fail(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<win32::FindSearch>();
    for (const auto& entry : entries) {
        search->entries.push_back(win32::ToFindData(entry));
    }
    *lpFindFileData = search->entries[0];
    search->next = 1;
    return win32::RegisterHandle(search);
}

extern "C" BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    auto search = win32::LookupHandleAs<win32::FindSearch>(hFindFile);
    if (!search) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    if (!lpFindFileData) {
        return win32::Fail(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(search->mutex);
    if (search->next >= search->entries.size()) {
        return win32::Fail(ERROR_NO_MORE_FILES);
    }
    *lpFindFileData = search->entries[search->next++];
    return TRUE;
}

extern "C" BOOL WINAPI FindClose(HANDLE hFindFile) {
    if (!win32::LookupHandleAs<win32::FindSearch>(hFindFile)) {
        return win32::Fail(ERROR_INVALID_HANDLE);
    }
    win32::ReleaseHandle(hFindFile);
    return TRUE;
}
