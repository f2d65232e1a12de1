// Anonymous pipe ends as kernel objects, shared by the pipe calls and CreateProcessW.
#pragma once

#include "internal.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace win32 {

// One end of an anonymous pipe. Owns its descriptor, which is close-on-exec: a child gets it
// only through CreateProcessW's handle inheritance. The descriptor is closed when the last
// reference goes, so CloseHandle really closes the end once no call is still using it.
class PipeEnd : public KernelObject {
public:
    explicit PipeEnd(int fd);
    ~PipeEnd() override;
    PipeEnd(const PipeEnd&) = delete;
    PipeEnd& operator=(const PipeEnd&) = delete;

    int Fd() const { return m_fd; }

    // Bytes PeekNamedPipe had to take out of the pipe; ReadFile hands them out first.
    std::mutex peekMutex;
    std::string peeked;

private:
    int m_fd;
};

// Calls `use` with the descriptors of every open pipe end marked inheritable. No pipe end is
// closed while `use` runs, so the descriptors stay valid for a child started inside it.
void WithInheritablePipes(const std::function<void(const std::vector<int>&)>& use);

} // namespace win32
