// The instance and what it hands out: documents, their permissions, settings and languages.
#include "core/edit/edit_session.h"
#include "com_object.h"
#include "core/texts.h"
#include "editor_state.h"
#include "objects.h"

#include <win32/host.h>

namespace pdfeditor {

namespace {

constexpr LONG kOptionEmptyHint = 9;
constexpr char kSingleWindow[] = "Docs.SingleWnd";

// What CheckPermission's operations stand for.
enum Operation : LONG { Print = 1, Copy = 2, Change = 4, Notes = 8 };
constexpr LONG kAllOperations = Print | Copy | Change | Notes;

class DocumentObject : public DispatchObject<IPXV_Document> {
public:
    DocumentObject(StatePtr state, std::shared_ptr<const Document> document)
        : m_state(std::move(state)), m_document(std::move(document)) {}

    HRESULT STDMETHODCALLTYPE get_SrcPath(BSTR* path) override {
        if (!path) {
            return E_POINTER;
        }
        *path = ToBstr(win32::host::ToWindowsPath(m_document->Path()));
        return *path ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_PageCount(LONG* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = m_document->PageCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Modified(VARIANT_BOOL* modified) override {
        if (!modified) {
            return E_POINTER;
        }
        *modified = m_document->Edits().Modified() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

private:
    StatePtr m_state;
    std::shared_ptr<const Document> m_document;
};

class DocAccessObject : public DispatchObject<IPXV_DocAccess> {
public:
    explicit DocAccessObject(StatePtr state) : m_state(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE CheckPermission(LONG subject, LONG operations, LONG flags,
                                              LONG* answer) override {
        if (!answer) {
            return E_POINTER;
        }
        *answer = 0;
        if (subject != 1 || flags != 0 || operations == 0 || (operations & ~kAllOperations)) {
            return E_INVALIDARG;
        }
        const auto document = m_state->Documents().Active();
        if (!document) {
            return S_FALSE;
        }
        const bool allowed = (!(operations & Print) || document->okToPrint()) &&
                             (!(operations & Copy) || document->okToCopy()) &&
                             (!(operations & Change) || document->okToChange()) &&
                             (!(operations & Notes) || document->okToAddNotes());
        *answer = allowed ? 1 : 0;
        return S_OK;
    }

private:
    StatePtr m_state;
};

class AccessObject : public DispatchObject<IPXV_Access> {
public:
    explicit AccessObject(StatePtr state) : m_state(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE get_DocAccess(IPXV_DocAccess** access) override {
        return HandOut(new DocAccessObject(m_state), access);
    }

private:
    StatePtr m_state;
};

class SettingsObject : public DispatchObject<IPXV_Settings> {
public:
    explicit SettingsObject(StatePtr state) : m_state(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE GetValue(BSTR name, LONG* value) override {
        if (!value) {
            return E_POINTER;
        }
        if (win32::host::WideToUtf8(FromBstr(name)) != kSingleWindow) {
            return E_INVALIDARG;
        }
        *value = m_state->SingleDocument() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetValue(BSTR name, LONG value) override {
        if (win32::host::WideToUtf8(FromBstr(name)) != kSingleWindow ||
            (value != 0 && value != 1)) {
            return E_INVALIDARG;
        }
        m_state->SetSingleDocument(value == 1);
        return S_OK;
    }

private:
    StatePtr m_state;
};

class LanguagesObject : public DispatchObject<IPXV_Languages> {
public:
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = static_cast<LONG>(Texts::Languages().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetName(LONG index, BSTR* tag) override {
        if (!tag) {
            return E_POINTER;
        }
        *tag = nullptr;
        const auto& languages = Texts::Languages();
        if (index < 0 || static_cast<size_t>(index) >= languages.size()) {
            return E_INVALIDARG;
        }
        *tag = ToBstr(win32::host::Utf8ToWide(languages[index]));
        return *tag ? S_OK : E_OUTOFMEMORY;
    }
};

class InstanceObject : public DispatchObject<IPXV_Inst> {
public:
    explicit InstanceObject(StatePtr state) : m_state(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE get_UiLanguage(BSTR* tag) override {
        if (!tag) {
            return E_POINTER;
        }
        *tag = ToBstr(win32::host::Utf8ToWide(Texts::Instance().Language()));
        return *tag ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetOption(LONG option, LONG* value) override {
        if (!value) {
            return E_POINTER;
        }
        if (option != kOptionEmptyHint) {
            return E_INVALIDARG;
        }
        *value = m_state->EmptyHint() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Access(IPXV_Access** access) override {
        return HandOut(new AccessObject(m_state), access);
    }
    HRESULT STDMETHODCALLTYPE get_DocumentCount(LONG* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = m_state->Documents().Count();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocument(LONG index, IPXV_Document** document) override {
        if (!document) {
            return E_POINTER;
        }
        *document = nullptr;
        auto found = m_state->Documents().At(index);
        if (!found) {
            return E_INVALIDARG;
        }
        return HandOut(MakeDocumentObject(m_state, std::move(found)), document);
    }
    HRESULT STDMETHODCALLTYPE GetNameId(BSTR name, LONG flags, LONG* id) override {
        if (!id) {
            return E_POINTER;
        }
        if (!name || flags != 1) {
            return E_INVALIDARG;
        }
        const Feature* feature = FindFeature(win32::host::WideToUtf8(FromBstr(name)));
        if (!feature) {
            return S_FALSE;
        }
        *id = feature->id;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOption(LONG option, LONG value) override {
        if (option != kOptionEmptyHint || (value != 0 && value != 1)) {
            return E_INVALIDARG;
        }
        m_state->SetEmptyHint(value == 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Settings(IPXV_Settings** settings) override {
        return HandOut(new SettingsObject(m_state), settings);
    }
    HRESULT STDMETHODCALLTYPE get_UiLanguages(IPXV_Languages** languages) override {
        return HandOut(new LanguagesObject, languages);
    }
    HRESULT STDMETHODCALLTYPE SetUiLanguage(BSTR tag) override {
        const std::string wanted = win32::host::WideToUtf8(FromBstr(tag));
        if (wanted == Texts::Instance().Language()) {
            return S_OK;
        }
        EditorState::HostCall call(m_state.get());
        return Texts::Instance().SetLanguage(wanted) ? S_OK : E_INVALIDARG;
    }

private:
    StatePtr m_state;
};

} // namespace

IPXV_Inst* MakeInstance(const StatePtr& state) {
    return new InstanceObject(state);
}

IPXV_Document* MakeDocumentObject(const StatePtr& state, std::shared_ptr<const Document> document) {
    return new DocumentObject(state, std::move(document));
}

BSTR ToBstr(const std::wstring& text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::wstring FromBstr(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

} // namespace pdfeditor
