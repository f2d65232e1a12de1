// The program the process tests start. Its first argument says what to do, so that a test can
// see what a started program received and make it end in a chosen way:
//   echo ARGS...   each argument on a line of its own, as "[argument]"
//   parse ARGS...  the same, but as CommandLineToArgvW(GetCommandLineW()) gives them
//   moved-parse ARGS...  the same, after moving to the root folder
//   program        the program name as CommandLineToArgvW(GetCommandLineW()) gives it
//   exit CODE      ends with that exit code
//   exitprocess CODE     prints "unflushed" without flushing, registers an exit handler that
//                        prints "handler", then ExitProcess(CODE)
//   exitprocess-again CODE  the same, but the handler calls ExitProcess(CODE + 1)
//   cat            copies standard input to standard output
//   flood BYTES    writes that many 'x' to standard output
//   stderr TEXT    writes the text to standard error
//   nul            writes "ab", a zero byte, then "cd"
//   fds            the number of open descriptors above 2
//   cwd            the current folder
//   env NAME       the value of an environment variable
//   wait           waits until it is killed
// Without a mode it ends at once with exit code 0.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace {

int CountDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) {
        return -1;
    }
    int count = 0;
    while (dirent* entry = readdir(dir)) {
        int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd > 2 && fd != dirfd(dir)) {
            ++count;
        }
    }
    closedir(dir);
    return count;
}

void Flood(unsigned long long bytes) {
    char chunk[8192];
    std::memset(chunk, 'x', sizeof chunk);
    while (bytes > 0) {
        size_t size = bytes < sizeof chunk ? static_cast<size_t>(bytes) : sizeof chunk;
        ssize_t wrote = write(1, chunk, size);
        if (wrote <= 0) {
            return;
        }
        bytes -= static_cast<unsigned long long>(wrote);
    }
}

std::string Utf8(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) {
        auto cp = static_cast<unsigned long>(*text);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

int gExitCode = 0;

void PrintHandler() {
    std::printf("handler\n");
}

void ExitAgainHandler() {
    std::printf("handler\n");
    ExitProcess(static_cast<UINT>(gExitCode + 1));
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const char* value = argc > 2 ? argv[2] : "";
    if (mode == "echo") {
        for (int i = 2; i < argc; ++i) {
            std::printf("[%s]\n", argv[i]);
        }
    } else if (mode == "parse" || mode == "moved-parse") {
        if (mode == "moved-parse" && chdir("/") != 0) {
            return 1;
        }
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
        for (int i = 2; args && i < count; ++i) {
            std::printf("[%s]\n", Utf8(args[i]).c_str());
        }
        LocalFree(args);
    } else if (mode == "program") {
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
        std::printf("%s\n", args && count > 0 ? Utf8(args[0]).c_str() : "");
        LocalFree(args);
    } else if (mode == "exitprocess" || mode == "exitprocess-again") {
        gExitCode = std::atoi(value);
        std::atexit(mode == "exitprocess" ? &PrintHandler : &ExitAgainHandler);
        std::printf("unflushed ");
        ExitProcess(static_cast<UINT>(gExitCode));
    } else if (mode == "exit") {
        return std::atoi(value);
    } else if (mode == "cat") {
        char buffer[4096];
        ssize_t got;
        while ((got = read(0, buffer, sizeof buffer)) > 0) {
            if (write(1, buffer, static_cast<size_t>(got)) != got) {
                return 1;
            }
        }
    } else if (mode == "flood") {
        Flood(std::strtoull(value, nullptr, 10));
    } else if (mode == "stderr") {
        std::fputs(value, stderr);
    } else if (mode == "nul") {
        std::fwrite("ab\0cd", 1, 5, stdout);
    } else if (mode == "fds") {
        std::printf("%d\n", CountDescriptors());
    } else if (mode == "cwd") {
        char folder[4096];
        std::printf("%s\n", getcwd(folder, sizeof folder) ? folder : "");
    } else if (mode == "env") {
        const char* text = std::getenv(value);
        std::printf("%s\n", text ? text : "(unset)");
    } else if (mode == "wait") {
        for (;;) {
            pause();
        }
    }
    return 0;
}
