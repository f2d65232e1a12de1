// COM, just enough for an in-process component: apartment bookkeeping, IUnknown and class
// factories, and creation of classes without a registry. The automation types (BSTR, VARIANT,
// IDispatch) are in win32/automation.h, connection points in win32/connection_points.h.
//
// Interfaces are abstract classes whose virtual functions follow the Windows order, so a
// caller that reaches a method by its position in the table reaches the same method as on
// Windows. Methods have no calling convention of their own (STDMETHODCALLTYPE is empty).
//
// Activation is registration-free only: the executable carries a manifest resource (RT_MANIFEST,
// id 1; the format is in docs/resources.md) naming each component's file and its class ids, and
// a listed class is created by loading that file from the executable's folder and asking its
// exported DllGetClassObject for the class factory.
#pragma once

#include "guid.h"
#include "types.h"

#define STDMETHODCALLTYPE
#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define PURE = 0

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_DISABLE_OLE1DDE 0x4

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER)

typedef LONG SCODE;

// HRESULTs of COM (winerror.h); the general ones (E_FAIL, E_POINTER, ...) are in types.h.
#define E_ABORT ((HRESULT)0x80004004L)
#define E_PENDING ((HRESULT)0x8000000AL)
#define E_ACCESSDENIED ((HRESULT)0x80070005L)
#define E_HANDLE ((HRESULT)0x80070006L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111L)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0L)
#define CO_E_CLASSSTRING ((HRESULT)0x800401F3L)
#define CO_E_DLLNOTFOUND ((HRESULT)0x800401F8L)
#define CO_E_ERRORINDLL ((HRESULT)0x800401F9L)
#define RPC_E_CHANGED_MODE ((HRESULT)0x80010106L)

// IUnknown {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// IClassFactory {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
    // Success: S_OK and *ppvObject holds a new reference. An interface the object does not
    // have: E_NOINTERFACE and *ppvObject null.
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) PURE;
    // Both return the new count, for diagnostics and tests.
    STDMETHOD_(ULONG, AddRef)() PURE;
    STDMETHOD_(ULONG, Release)() PURE;

protected:
    ~IUnknown() = default; // objects are destroyed by Release, never through an interface
};
typedef IUnknown* LPUNKNOWN;

struct IClassFactory : IUnknown {
    STDMETHOD(CreateInstance)(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) PURE;
    STDMETHOD(LockServer)(BOOL fLock) PURE;

protected:
    ~IClassFactory() = default;
};

// What an in-process component exports, looked up by these names.
typedef HRESULT (*LPFNGETCLASSOBJECT)(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
typedef HRESULT (*LPFNCANUNLOADNOW)();

extern "C" {
// S_OK for the first initialisation on a thread, S_FALSE for a nested one,
// RPC_E_CHANGED_MODE when the thread is already in the other concurrency model.
WIN32_API HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
WIN32_API HRESULT WINAPI CoInitialize(LPVOID pvReserved);
// The last CoUninitialize of the last initialised thread of the process frees every component
// library whose DllCanUnloadNow says S_OK (or that exports none); the others stay loaded until
// the process ends, so that an object still held never loses its code.
WIN32_API void WINAPI CoUninitialize();
WIN32_API HRESULT WINAPI OleInitialize(LPVOID pvReserved);
WIN32_API void WINAPI OleUninitialize();

// The class factory (or the interface riid of it) of a class the manifest lists. Only
// in-process servers exist: dwClsContext must include CLSCTX_INPROC_SERVER. Failures, with
// *ppv null: E_POINTER (null ppv), CO_E_NOTINITIALIZED (no CoInitialize on this thread),
// REGDB_E_CLASSNOTREG (not listed, or no in-process context asked for),
// HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) or HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT) (the file
// is missing or does not load), CO_E_ERRORINDLL (it exports no DllGetClassObject), or what
// DllGetClassObject answers (CLASS_E_CLASSNOTAVAILABLE for a class it does not make).
// pvReserved (COSERVERINFO) must be null (E_INVALIDARG). A loaded file stays loaded for later
// calls; see CoUninitialize.
WIN32_API HRESULT WINAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved,
                                          REFIID riid, LPVOID* ppv);
// CoGetClassObject for IClassFactory, then its CreateInstance(pUnkOuter, riid, ppv); the
// factory is released before returning. Failures are those of CoGetClassObject or of the
// factory (CLASS_E_NOAGGREGATION, E_NOINTERFACE, ...), always with *ppv null.
WIN32_API HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext,
                                          REFIID riid, LPVOID* ppv);
}

extern "C" {
WIN32_API LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
WIN32_API void WINAPI CoTaskMemFree(LPVOID pv);
}
