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
HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
HRESULT WINAPI CoInitialize(LPVOID pvReserved);
void WINAPI CoUninitialize();
HRESULT WINAPI OleInitialize(LPVOID pvReserved);
void WINAPI OleUninitialize();
}

extern "C" {
LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
void WINAPI CoTaskMemFree(LPVOID pv);
}
