// COM, just enough: apartment bookkeeping for the calls the system makes around shell and
// component use. Creation of components arrives with the editor component.
#pragma once

#include "types.h"

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_DISABLE_OLE1DDE 0x4
#define RPC_E_CHANGED_MODE ((HRESULT)0x80010106L)

extern "C" {
// S_OK for the first initialisation on a thread, S_FALSE for a nested one,
// RPC_E_CHANGED_MODE when the thread is already in the other concurrency model.
WIN32_API HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
WIN32_API HRESULT WINAPI CoInitialize(LPVOID pvReserved);
WIN32_API void WINAPI CoUninitialize();
WIN32_API HRESULT WINAPI OleInitialize(LPVOID pvReserved);
WIN32_API void WINAPI OleUninitialize();
}

extern "C" {
WIN32_API LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
WIN32_API void WINAPI CoTaskMemFree(LPVOID pv);
}
