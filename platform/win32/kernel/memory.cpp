#include "internal.h"

#include "win32/memory.h"

#include <cstdlib>
#include <cstring>

namespace {

// Each block carries its size in front, so that GlobalSize can answer.
struct BlockHeader {
    SIZE_T size;
    SIZE_T pad; // keeps the payload 16-byte aligned
};

void* Allocate(UINT flags, SIZE_T bytes) {
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + bytes));
    if (!header) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    header->size = bytes;
    void* payload = header + 1;
    if (flags & LMEM_ZEROINIT) {
        std::memset(payload, 0, bytes);
    }
    return payload;
}

void Release(void* payload) {
    if (payload) {
        std::free(static_cast<BlockHeader*>(payload) - 1);
    }
}

} // namespace

extern "C" {

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    return Allocate(uFlags, uBytes);
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    Release(hMem);
    return nullptr;
}

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    return Allocate(uFlags, dwBytes);
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    Release(hMem);
    return nullptr;
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
    return hMem;
}

BOOL WINAPI GlobalUnlock(HGLOBAL) {
    return FALSE; // the lock count is zero afterwards, as Windows reports it
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
    return hMem ? (static_cast<BlockHeader*>(hMem) - 1)->size : 0;
}

} // extern "C"
