// Text-mode streams: a FILE* whose bytes on disk have CR LF where the program sees "\n".
//
// The stream is a glibc cookie stream without a stdio buffer; the cookie keeps its own
// read-ahead of raw bytes. Without a stdio buffer, glibc asks the cookie for the position on
// every ftell, so positions are offsets in the file, as the Windows runtime reports them.
#include "files_internal.h"
#include "internal.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace win32 {

namespace {

constexpr size_t kReadAhead = 1 << 16;

struct TextStream {
    int fd = -1;
    std::vector<char> raw; // bytes read from the file and not yet handed out from `next` on
    size_t next = 0;
};

// Reads more of the file behind what is left of the read-ahead. Returns the bytes read, 0 at the
// end of the file, -1 on error.
ssize_t Refill(TextStream& s) {
    s.raw.erase(s.raw.begin(), s.raw.begin() + static_cast<ptrdiff_t>(s.next));
    s.next = 0;
    size_t kept = s.raw.size();
    s.raw.resize(kept + kReadAhead);
    ssize_t got;
    do {
        got = ::read(s.fd, s.raw.data() + kept, kReadAhead);
    } while (got < 0 && errno == EINTR);
    s.raw.resize(kept + static_cast<size_t>(got > 0 ? got : 0));
    return got;
}

// Puts the file position back where the program is, forgetting the read-ahead.
bool DropReadAhead(TextStream& s) {
    off_t unread = static_cast<off_t>(s.raw.size() - s.next);
    s.raw.clear();
    s.next = 0;
    return unread == 0 || ::lseek(s.fd, -unread, SEEK_CUR) >= 0;
}

ssize_t Read(void* cookie, char* out, size_t size) {
    auto& s = *static_cast<TextStream*>(cookie);
    size_t count = 0;
    while (count < size) {
        if (s.next == s.raw.size()) {
            ssize_t got = Refill(s);
            if (got < 0) {
                return count > 0 ? static_cast<ssize_t>(count) : -1;
            }
            if (got == 0) {
                break;
            }
        }
        char ch = s.raw[s.next];
        if (ch == '\r' && s.next + 1 == s.raw.size()) {
            // A CR at the end of the read-ahead: the next byte decides what it is.
            ssize_t got = Refill(s);
            if (got < 0) {
                return count > 0 ? static_cast<ssize_t>(count) : -1;
            }
        }
        if (ch == '\r' && s.next + 1 < s.raw.size() && s.raw[s.next + 1] == '\n') {
            out[count++] = '\n';
            s.next += 2;
        } else {
            out[count++] = ch;
            s.next += 1;
        }
    }
    return static_cast<ssize_t>(count);
}

ssize_t Write(void* cookie, const char* data, size_t size) {
    auto& s = *static_cast<TextStream*>(cookie);
    if (!DropReadAhead(s)) {
        return -1;
    }
    std::string translated;
    translated.reserve(size + size / 8 + 1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            translated += '\r';
        }
        translated += data[i];
    }
    if (!WriteAll(s.fd, translated.data(), translated.size())) {
        return -1;
    }
    return static_cast<ssize_t>(size);
}

int Seek(void* cookie, off64_t* offset, int whence) {
    auto& s = *static_cast<TextStream*>(cookie);
    off64_t unread = static_cast<off64_t>(s.raw.size() - s.next);
    if (whence == SEEK_CUR) {
        // The read-ahead is ahead of the program: count from where the program is.
        *offset -= unread;
    }
    off64_t result = ::lseek64(s.fd, *offset, whence);
    if (result < 0) {
        *offset += whence == SEEK_CUR ? unread : 0;
        return -1;
    }
    s.raw.clear();
    s.next = 0;
    *offset = result;
    return 0;
}

int Close(void* cookie) {
    auto* s = static_cast<TextStream*>(cookie);
    int result = ::close(s->fd);
    delete s;
    return result;
}

} // namespace

FILE* OpenTextStream(int fd, const char* mode) {
    auto* stream = new TextStream;
    stream->fd = fd;
    cookie_io_functions_t functions{Read, Write, Seek, Close};
    FILE* file = ::fopencookie(stream, mode, functions);
    if (!file) {
        delete stream;
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

} // namespace win32
