// Pieces of the system-facts area that its source files share. Not part of the Windows API.
#pragma once

#include "win32/types.h"

namespace win32 {

// Runs the processor identification instruction; out receives EAX, EBX, ECX, EDX. Lives in a
// file of its own because <cpuid.h> defines macros named like the intrinsics the layer exports.
void ReadProcessorId(int out[4], int leaf, int subLeaf);

// The pseudo handle GetCurrentProcess returns.
inline HANDLE CurrentProcessPseudoHandle() {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

} // namespace win32
