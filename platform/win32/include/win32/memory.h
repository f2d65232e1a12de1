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
HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
// Returns null on success, as Windows does.
HLOCAL WINAPI LocalFree(HLOCAL hMem);
// Blocks are never moved: the handle is the address, and GlobalLock returns it.
HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
LPVOID WINAPI GlobalLock(HGLOBAL hMem);
BOOL WINAPI GlobalUnlock(HGLOBAL hMem);
SIZE_T WINAPI GlobalSize(HGLOBAL hMem);
}
