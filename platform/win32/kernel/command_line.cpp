#include "command_line.h"

#include "host_arguments.h"
#include "internal.h"
#include "spawn.h"

#include "win32/memory.h"
#include "win32/shell.h"
#include "win32/text.h"

#include <fstream>
#include <iterator>
#include <mutex>

namespace win32 {

namespace {

bool IsArgumentSpace(wchar_t ch) {
    return ch == L' ' || ch == L'\t';
}

// Reads the next argument after the program name from `line` at `i`.
std::wstring ReadArgument(std::wstring_view line, size_t& i) {
    std::wstring arg;
    bool quoted = false;
    const size_t n = line.size();
    while (i < n) {
        wchar_t ch = line[i];
        if (!quoted && IsArgumentSpace(ch)) {
            break;
        }
        if (ch == L'\\') {
            size_t count = 0;
            while (i < n && line[i] == L'\\') {
                ++count;
                ++i;
            }
            if (i < n && line[i] == L'"') {
                // 2n backslashes: n of them and the quote still opens or closes; 2n+1: n of
                // them and a literal quote.
                arg.append(count / 2, L'\\');
                if (count % 2 == 1) {
                    arg += L'"';
                    ++i;
                }
            } else {
                arg.append(count, L'\\');
            }
            continue;
        }
        if (ch == L'"') {
            if (quoted && i + 1 < n && line[i + 1] == L'"') {
                // A doubled quote inside quotes is one literal quote and ends the quoted part.
                arg += L'"';
                i += 2;
                quoted = false;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        arg += ch;
        ++i;
    }
    return arg;
}

std::wstring QuoteProgram(std::wstring_view program) {
    bool needsQuotes = program.empty();
    for (wchar_t ch : program) {
        if (ch <= L' ') {
            needsQuotes = true;
        }
    }
    std::wstring out;
    if (needsQuotes) {
        out += L'"';
    }
    out += program;
    if (needsQuotes) {
        out += L'"';
    }
    return out;
}

// The process's arguments as the system sees them: the program as the executable's Windows path,
// and every argument that names a host path in Windows form (host_arguments.h).
std::vector<std::wstring> HostArguments() {
    std::vector<std::wstring> argv;
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        const std::string_view arg = std::string_view(bytes).substr(start, end - start);
        if (argv.empty()) {
            const std::string self = ExecutableHostPath();
            argv.push_back(self.empty() ? Utf8ToWide(arg) : ToWindowsPath(self));
        } else {
            argv.push_back(HostArgumentToWindows(arg, StartFolder()));
        }
        start = end + 1;
    }
    return argv;
}

} // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    std::vector<std::wstring> args;
    std::wstring program;
    size_t i = 0;
    const size_t n = line.size();
    if (n > 0 && line[0] == L'"') {
        // The program name runs to the next quote; backslashes are path separators here.
        for (i = 1; i < n && line[i] != L'"'; ++i) {
            program += line[i];
        }
        if (i < n) {
            ++i;
        }
    } else {
        for (; i < n && line[i] > L' '; ++i) {
            program += line[i];
        }
        if (i < n) {
            ++i;
        }
    }
    args.push_back(std::move(program));
    for (;;) {
        while (i < n && IsArgumentSpace(line[i])) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        args.push_back(ReadArgument(line, i));
    }
    return args;
}

std::wstring QuoteArgument(std::wstring_view argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring_view::npos) {
        return std::wstring(argument);
    }
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t ch : argument) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        if (ch == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out += ch;
    }
    // Backslashes before the closing quote are doubled so that they stay backslashes.
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

std::wstring BuildCommandLine(const std::vector<std::wstring>& argv) {
    std::wstring line;
    for (size_t i = 0; i < argv.size(); ++i) {
        if (i == 0) {
            line += QuoteProgram(argv[0]);
        } else {
            line += L' ';
            line += QuoteArgument(argv[i]);
        }
    }
    return line;
}

} // namespace win32

namespace {

struct ProcessCommandLine {
    std::wstring wide;
    std::string ansi;
};

ProcessCommandLine& CommandLine() {
    static ProcessCommandLine line;
    static std::once_flag once;
    std::call_once(once, [] {
        line.wide = win32::BuildCommandLine(win32::HostArguments());
        int size = line.wide.empty() ? 0
                                     : WideCharToMultiByte(CP_ACP, 0, line.wide.c_str(), -1,
                                                           nullptr, 0, nullptr, nullptr);
        if (size > 0) {
            line.ansi.resize(static_cast<size_t>(size));
            WideCharToMultiByte(CP_ACP, 0, line.wide.c_str(), -1, line.ansi.data(), size, nullptr,
                                nullptr);
            line.ansi.resize(static_cast<size_t>(size - 1));
        }
    });
    return line;
}

} // namespace

extern "C" {

LPWSTR WINAPI GetCommandLineW() {
    return CommandLine().wide.data();
}

LPSTR WINAPI GetCommandLineA() {
    return CommandLine().ansi.data();
}

LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR lpCmdLine, int* pNumArgs) {
    if (!pNumArgs) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::wstring> args;
    if (!lpCmdLine || !*lpCmdLine) {
        args.push_back(win32::ToWindowsPath(win32::ExecutableHostPath()));
    } else {
        args = win32::SplitCommandLine(lpCmdLine);
    }
    // One block: the pointer table (with a closing null) followed by the strings.
    size_t characters = 0;
    for (const auto& arg : args) {
        characters += arg.size() + 1;
    }
    const size_t tableBytes = (args.size() + 1) * sizeof(LPWSTR);
    auto* block =
        static_cast<BYTE*>(LocalAlloc(LMEM_FIXED, tableBytes + characters * sizeof(WCHAR)));
    if (!block) {
        return nullptr;
    }
    auto** table = reinterpret_cast<LPWSTR*>(block);
    auto* text = reinterpret_cast<WCHAR*>(block + tableBytes);
    for (size_t i = 0; i < args.size(); ++i) {
        table[i] = text;
        text = std::copy(args[i].begin(), args[i].end(), text);
        *text++ = L'\0';
    }
    table[args.size()] = nullptr;
    *pNumArgs = static_cast<int>(args.size());
    return table;
}

} // extern "C"
