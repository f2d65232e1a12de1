#include "com_internal.h"
#include "internal.h"

#include "win32/com.h"

#include <atomic>
#include <cstdlib>

namespace {
// Per-thread apartment state: the model of the first successful initialisation and the
// number of initialisations not yet undone.
thread_local int tInitCount = 0;
thread_local DWORD tModel = 0;
// Threads of the process with an open apartment; the last one to close it lets the component
// libraries go.
std::atomic<int> gApartments{0};
} // namespace

namespace win32 {
bool ThreadHasApartment() {
    return tInitCount > 0;
}
} // namespace win32

extern "C" {

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD dwCoInit) {
    DWORD model = dwCoInit & COINIT_APARTMENTTHREADED;
    if (tInitCount > 0) {
        if (model != tModel) {
            return RPC_E_CHANGED_MODE;
        }
        ++tInitCount;
        return S_FALSE;
    }
    tModel = model;
    tInitCount = 1;
    gApartments.fetch_add(1);
    return S_OK;
}

HRESULT WINAPI CoInitialize(LPVOID pvReserved) {
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void WINAPI CoUninitialize() {
    if (tInitCount > 0 && --tInitCount == 0 && gApartments.fetch_sub(1) == 1) {
        win32::FreeUnusedComponentLibraries();
    }
}

HRESULT WINAPI OleInitialize(LPVOID pvReserved) {
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void WINAPI OleUninitialize() {
    CoUninitialize();
}

} // extern "C"

extern "C" {

LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) {
    return std::malloc(cb ? cb : 1);
}

void WINAPI CoTaskMemFree(LPVOID pv) {
    std::free(pv);
}

} // extern "C"
