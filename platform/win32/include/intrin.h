// The compiler intrinsics the system uses: the processor identification instruction.
#pragma once

extern "C" {
// Runs cpuid with `function_id` in EAX (and sub-leaf 0); cpuInfo receives EAX, EBX, ECX, EDX.
WIN32_API void __cpuid(int cpuInfo[4], int function_id);
// Runs cpuid with `function_id` in EAX and `subfunction_id` in ECX.
WIN32_API void __cpuidex(int cpuInfo[4], int function_id, int subfunction_id);
}
