// The main window's listener to the editor component: it advises on the component's event
// interface, has the component turn the program's names into ids, switches them on, and reacts
// to the active document changing (history, start page, permission and scanned checks). It lives
// exactly as long as the main window that embeds it, so its reference count is fixed at 1.
#pragma once

#include "editor_names.h"

#include <windows.h>

#include <editor_interfaces.h>

class CEventHandle : public IDispatch {
public:
    CEventHandle() = default;
    virtual ~CEventHandle();
    CEventHandle(const CEventHandle&) = delete;
    CEventHandle& operator=(const CEventHandle&) = delete;

    // The event interface, IUnknown and IDispatch; E_NOINTERFACE otherwise.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    // DISPID 1 with (event id VT_I4, event object VT_DISPATCH, source VT_UNKNOWN) goes to
    // OnEvent; anything else is DISP_E_MEMBERNOTFOUND (or DISP_E_BADPARAMCOUNT / TYPEMISMATCH).
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT* argError) override;

    // The window the sink posts its prompts to.
    void SetMainWindow(HWND hwnd) { m_mainWindow = hwnd; }
    // Advises on a new editor (unadvising from the one before), keeps it, fetches its instance
    // and maps the names. E_FAIL when already advised without an editor to unadvise from, the
    // advise's own failure otherwise (nothing kept then); E_POINTER for no editor.
    HRESULT Attach(IPXV_Control* editor);
    // Switches every id on, from the last name to the first; results are not looked at.
    void SwitchOn();
    // Any open document with unsaved changes.
    bool AnyDocumentModified();
    // Unadvises and lets go of the editor and its instance (also done on destruction).
    void Detach();

    LONG IdOf(int nameIndex) const { return m_ids[nameIndex]; }
    bool IsAdvised() const { return m_cookie != kNotAdvised; }

protected:
    virtual void OnEvent(LONG eventId, IDispatch* eventObject, IUnknown* source);
    // What happens when the active document changed.
    virtual void OnActiveDocumentChanged();

private:
    static constexpr DWORD kNotAdvised = 0xFEFEFEFE;

    void MapNames();
    IConnectionPoint* FindPoint(IPXV_Control* editor);

    DWORD m_cookie = kNotAdvised;
    IPXV_Control* m_editor = nullptr;
    IPXV_Inst* m_instance = nullptr;
    LONG m_ids[kEditorNameCount] = {};
    HWND m_mainWindow = nullptr;
};
