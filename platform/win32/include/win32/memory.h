// Local and global memory blocks, as handed out by the calls that return them.
#pragma once

#include "types.h"

#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

extern "C" {
WIN32_API HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
// Returns null on success, as Windows does.
WIN32_API HLOCAL WINAPI LocalFree(HLOCAL hMem);
// Blocks are never moved: the handle is the address, and GlobalLock returns it.
WIN32_API HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
WIN32_API HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
WIN32_API LPVOID WINAPI GlobalLock(HGLOBAL hMem);
WIN32_API BOOL WINAPI GlobalUnlock(HGLOBAL hMem);
WIN32_API SIZE_T WINAPI GlobalSize(HGLOBAL hMem);
}
