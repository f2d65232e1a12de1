#include "system_internal.h"

#include <cpuid.h>

namespace win32 {

void ReadProcessorId(int out[4], int leaf, int subLeaf) {
    unsigned int a = 0;
    unsigned int b = 0;
    unsigned int c = 0;
    unsigned int d = 0;
    __cpuid_count(static_cast<unsigned int>(leaf), static_cast<unsigned int>(subLeaf), a, b, c, d);
    out[0] = static_cast<int>(a);
    out[1] = static_cast<int>(b);
    out[2] = static_cast<int>(c);
    out[3] = static_cast<int>(d);
}

} // namespace win32
