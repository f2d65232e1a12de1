#include "event_handle.h"

#include <startpage/app_messages.h>
#include <startpage/start_page.h>

#include <varnix/util/tool_bridges.h>

#include <string>
#include <thread>

namespace {

// Posts a heap copy of the path; the receiver frees it. A window that is gone frees nothing, so
// the copy is freed here then.
void PostPath(HWND hwnd, UINT message, const std::wstring& path) {
    auto* copy = new std::wstring(path);
    if (!PostMessageW(hwnd, message, reinterpret_cast<WPARAM>(copy), 0)) {
        delete copy;
    }
}

template <class T>
void ReleaseInterface(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

} // namespace

CEventHandle::~CEventHandle() {
    Detach();
}

HRESULT CEventHandle::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, DIID_IPXV_ControlEvents) || IsEqualIID(riid, IID_IUnknown) ||
        IsEqualIID(riid, IID_IDispatch)) {
        *ppv = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT CEventHandle::GetTypeInfoCount(UINT* count) {
    if (!count) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

HRESULT CEventHandle::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) {
        *info = nullptr;
    }
    return E_NOTIMPL; // no type library: the event interface is known by position only
}

HRESULT CEventHandle::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

HRESULT CEventHandle::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                             EXCEPINFO*, UINT* argError) {
    if (member != DISPID_PXV_EVENT) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (!params || params->cArgs != 3) {
        return DISP_E_BADPARAMCOUNT;
    }
    const VARIANT* args = params->rgvarg; // the last argument first
    const VARTYPE expected[3] = {VT_UNKNOWN, VT_DISPATCH, VT_I4};
    for (UINT i = 0; i < 3; ++i) {
        if (args[i].vt != expected[i]) {
            if (argError) {
                *argError = i;
            }
            return DISP_E_TYPEMISMATCH;
        }
    }
    if (!m_editor || !m_instance) {
        return E_POINTER;
    }
    OnEvent(args[2].lVal, args[1].pdispVal, args[0].punkVal);
    return S_OK;
}

IConnectionPoint* CEventHandle::FindPoint(IPXV_Control* editor) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(editor->QueryInterface(IID_IConnectionPointContainer,
                                      reinterpret_cast<void**>(&container))) ||
        !container) {
        return nullptr;
    }
    IConnectionPoint* point = nullptr;
    container->FindConnectionPoint(DIID_IPXV_ControlEvents, &point);
    container->Release();
    return point;
}

HRESULT CEventHandle::Attach(IPXV_Control* editor) {
    if (!editor) {
        return E_POINTER;
    }
    if (IsAdvised()) {
        if (!m_editor) {
            return E_FAIL;
        }
        Detach();
    }
    IConnectionPoint* point = FindPoint(editor);
    if (!point) {
        return CONNECT_E_NOCONNECTION;
    }
    DWORD cookie = 0;
    const HRESULT hr = point->Advise(static_cast<IDispatch*>(this), &cookie);
    point->Release();
    if (FAILED(hr)) {
        return hr;
    }
    m_cookie = cookie;
    editor->AddRef();
    ReleaseInterface(m_editor);
    m_editor = editor;
    ReleaseInterface(m_instance);
    m_editor->get_Inst(&m_instance); // position 19
    if (!m_instance) {
        return E_POINTER;
    }
    MapNames();
    return S_OK;
}

void CEventHandle::MapNames() {
    for (int i = 0; i < kEditorNameCount; ++i) {
        const char* name = kEditorNames[i];
        if (name[0] == '_') {
            m_ids[i] = 0;
            continue;
        }
        const std::wstring wide(name, name + std::char_traits<char>::length(name));
        BSTR text = SysAllocString(wide.c_str());
        m_instance->GetNameId(text, 1, &m_ids[i]); // position 45; unknown names keep their id
        SysFreeString(text);
    }
}

void CEventHandle::SwitchOn() {
    if (!m_editor) {
        return;
    }
    for (int i = kEditorNameCount - 1; i >= 0; --i) {
        m_editor->EnableFeature(m_ids[i], 1); // position 64, markers (0) included
    }
}

bool CEventHandle::AnyDocumentModified() {
    if (!m_instance) {
        return false;
    }
    LONG count = 0;
    m_instance->get_DocumentCount(&count); // position 20
    for (LONG i = 0; i < count; ++i) {
        IPXV_Document* document = nullptr;
        m_instance->GetDocument(i, &document); // position 21
        if (!document) {
            continue;
        }
        VARIANT_BOOL modified = VARIANT_FALSE;
        document->get_Modified(&modified); // position 52
        document->Release();
        if (modified == VARIANT_TRUE) {
            return true;
        }
    }
    return false;
}

void CEventHandle::Detach() {
    if (IsAdvised() && m_editor) {
        if (IConnectionPoint* point = FindPoint(m_editor)) {
            point->Unadvise(m_cookie);
            point->Release();
        }
    }
    m_cookie = kNotAdvised;
    ReleaseInterface(m_instance);
    ReleaseInterface(m_editor);
}

void CEventHandle::OnEvent(LONG eventId, IDispatch*, IUnknown*) {
    // Modification-state, source and before-save events need nothing here: saving goes on as
    // the component does it.
    if (eventId != 0 && eventId == m_ids[kNameActiveDocChanged]) {
        OnActiveDocumentChanged();
    }
}

void CEventHandle::OnActiveDocumentChanged() {
    VARIANT_BOOL active = VARIANT_FALSE;
    m_editor->get_HasActiveDoc(&active); // position 27
    if (active != VARIANT_TRUE) {
        if (g_startPage) {
            g_startPage->CenterWindow();
            g_startPage->ShowWindow(true, true);
        }
        return;
    }
    BSTR text = nullptr;
    m_editor->get_ActiveDocPath(&text); // position 7
    const std::wstring path = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);

    if (g_startPage) {
        try {
            g_startPage->AddHistory(path);
        } catch (...) {
            OutputDebugStringW(L"It's a exception!");
        }
        g_startPage->ShowWindow(false, true);
    }

    IPXV_Access* access = nullptr;
    m_instance->get_Access(&access); // position 18
    IPXV_DocAccess* docAccess = nullptr;
    if (access) {
        access->get_DocAccess(&docAccess); // position 13
    }
    if (access && docAccess) {
        LONG answer = 0;
        docAccess->CheckPermission(1, 4, 0, &answer); // position 33
        const HWND target = m_mainWindow;
        std::thread([target, path] {
            if (IsScannedFile(path)) {
                PostPath(target, UM_DOC_SCANNED, path);
            }
        }).detach();
        if (answer == 0) {
            PostPath(m_mainWindow, UM_DOC_RESTRICTED, path);
        }
    }
    ReleaseInterface(docAccess);
    ReleaseInterface(access);
}
