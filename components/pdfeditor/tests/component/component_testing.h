// How the component's tests reach it: exactly as a host does — created through the test
// program's manifest, called by table position — plus a stand-in for the person who answers
// the component's dialogs.
#pragma once

#include "editor_interfaces.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace pdftest {

// Calls the method at a position of an object's table, as a host that knows positions only.
template <class... Args>
HRESULT CallAt(void* object, int position, Args... args) {
    using Method = HRESULT (*)(void*, Args...);
    return reinterpret_cast<Method>((*static_cast<void***>(object))[position])(object, args...);
}

// Gets an object from a method at a position that hands one out.
template <class... Args>
void* ObjectAt(void* object, int position, Args... args) {
    void* out = nullptr;
    CallAt(object, position, args..., &out);
    return out;
}

inline ULONG ReleaseObject(void* object) {
    return static_cast<IUnknown*>(object)->Release();
}

// The component's count of its live COM objects.
long LiveObjects();

// The control, created through the manifest (the first class id unless told otherwise); null on
// failure, with the HRESULT in *hr when given.
IPXV_Control* CreateControl(HRESULT* hr = nullptr, const CLSID& clsid = CLSID_PXV_Control);

// A path as a host passes it.
std::wstring WindowsPath(const std::string& hostPath);
std::wstring FromBstr(BSTR text); // and frees it

// Answers modal dialogs while alive: each answer, in turn, fills the dialog's text field (when
// given) and accepts, or rejects when the answer is `Reject`. Dialogs beyond the answers given
// are rejected. What each dialog said is kept.
class DialogAnswerer {
public:
    static constexpr const char* kReject = "\x01reject";
    explicit DialogAnswerer(std::vector<std::string> answers = {});
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    int Seen() const { return static_cast<int>(m_texts.size()); }
    const std::vector<std::string>& Texts() const { return m_texts; }

private:
    void Poll();

    std::vector<std::string> m_answers;
    std::vector<std::string> m_texts;
    QTimer m_timer;
};

} // namespace pdftest
