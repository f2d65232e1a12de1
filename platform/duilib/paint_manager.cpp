// CPaintManagerUI: the skin settings of the process and the control tree of one window.
#include "duilib/UIControl.h"
#include "duilib/UIContainer.h"
#include "hosted_widgets.h"
#include "skin_settings.h"
#include "window_host.h"
#include "win32/host.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>

namespace duilib {

SkinSettings& Skin() {
    static SkinSettings settings;
    return settings;
}

} // namespace duilib

namespace DuiLib {

using duilib::Skin;

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
    // The window may outlive its manager for a moment (a window object being deleted).
    if (m_hWnd) {
        duilib::AttachManager(m_hWnd, nullptr);
    }
    CControlUI* root = m_root;
    m_root = nullptr;
    delete root;
}

void CPaintManagerUI::Init(HWND hWnd) {
    m_hWnd = hWnd;
    duilib::AttachManager(hWnd, this);
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (root == m_root) {
        return root != nullptr;
    }
    delete m_root;
    m_root = root;
    if (!root) {
        return false;
    }
    root->SetOwner(this, nullptr);
    NeedUpdate();
    return true;
}

CControlUI* CPaintManagerUI::FindControl(LPCWSTR name) const {
    if (!m_root || !name) {
        return nullptr;
    }
    return m_root->FindByName(name);
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    return m_root ? m_root->FindAt(pt) : nullptr;
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (!notifier ||
        std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end()) {
        return false;
    }
    m_notifiers.push_back(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    auto it = std::find(m_notifiers.begin(), m_notifiers.end(), notifier);
    if (it == m_notifiers.end()) {
        return false;
    }
    m_notifiers.erase(it);
    return true;
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool /*async*/) {
    if (msg.dwTimestamp == 0) {
        msg.dwTimestamp = GetTickCount();
    }
    // A notifier may remove itself (or close the window) while being notified.
    const auto notifiers = m_notifiers;
    m_inFlight.push_back(&msg);
    for (INotifyUI* notifier : notifiers) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end()) {
            notifier->Notify(msg);
        }
    }
    m_inFlight.pop_back();
}

void CPaintManagerUI::SendNotify(CControlUI* control, LPCWSTR type, WPARAM wParam, LPARAM lParam,
                                 bool async) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = control;
    msg.wParam = wParam;
    msg.lParam = lParam;
    GetCursorPos(&msg.ptMouse);
    SendNotify(msg, async);
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    m_initSize = {cx, cy};
    if (m_hWnd && cx > 0 && cy > 0) {
        SetWindowPos(m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CPaintManagerUI::AddDefaultAttributeList(LPCWSTR controlName, LPCWSTR attributes) {
    if (controlName && attributes) {
        m_defaults[controlName] = attributes;
    }
}

LPCWSTR CPaintManagerUI::GetDefaultAttributeList(LPCWSTR controlName) const {
    auto it = controlName ? m_defaults.find(controlName) : m_defaults.end();
    return it == m_defaults.end() ? nullptr : it->second.c_str();
}

void CPaintManagerUI::AddFont(int id, const FontInfo& font, bool isDefault) {
    m_fonts[id] = font;
    if (isDefault || m_defaultFont < 0) {
        m_defaultFont = id;
    }
}

const CPaintManagerUI::FontInfo* CPaintManagerUI::GetFont(int id) const {
    auto it = m_fonts.find(id < 0 ? m_defaultFont : id);
    return it == m_fonts.end() ? nullptr : &it->second;
}

void CPaintManagerUI::ReapControl(CControlUI* control) {
    for (TNotifyUI* msg : m_inFlight) {
        if (msg->pSender == control) {
            msg->pSender = nullptr;
        }
    }
    if (m_hot == control) {
        m_hot = nullptr;
    }
    if (m_pressed == control) {
        m_pressed = nullptr;
    }
    if (m_focus == control) {
        m_focus = nullptr;
    }
}

bool CPaintManagerUI::MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (msg) {
    case WM_KEYDOWN:
        if (HandleKeyDown(wParam, lParam)) {
            result = 0;
            return true;
        }
        break;
    case WM_MOUSEMOVE: {
        CControlUI* hot = FindControl(pt);
        if (hot != m_hot) {
            m_hot = hot;
            Invalidate();
        }
        break;
    }
    case WM_MOUSELEAVE:
        if (m_hot) {
            m_hot = nullptr;
            Invalidate();
        }
        break;
    case WM_LBUTTONDOWN:
        m_pressed = FindControl(pt);
        Invalidate();
        break;
    case WM_LBUTTONUP: {
        CControlUI* pressed = m_pressed;
        m_pressed = nullptr;
        Invalidate();
        // Only a control found again under the pointer is known to be alive.
        CControlUI* control = FindControl(pt);
        if (control && control == pressed && control->IsEnabled()) {
            control->DoClick();
        }
        break;
    }
    default:
        break;
    }
    return false;
}

void CPaintManagerUI::Invalidate() {
    if (m_hWnd) {
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CPaintManagerUI::NeedUpdate() {
    if (!m_root) {
        return;
    }
    RECT client{};
    if (m_hWnd && GetClientRect(m_hWnd, &client) && client.right > 0 && client.bottom > 0) {
        m_root->SetPos(client);
    } else if (m_initSize.cx > 0 && m_initSize.cy > 0) {
        m_root->SetPos({0, 0, m_initSize.cx, m_initSize.cy});
    }
    duilib::UpdateHostedWidgets(m_root);
    if (m_hWnd) {
        duilib::ShapeWindow(m_hWnd, m_roundCorner);
    }
    Invalidate();
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst) {
    Skin().instance = hInst;
}

HINSTANCE CPaintManagerUI::GetInstance() {
    return Skin().instance;
}

CDuiString CPaintManagerUI::GetInstancePath() {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length =
        GetModuleFileNameW(Skin().instance, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    const size_t slash = path.find_last_of(L'\\');
    return CDuiString(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1));
}

void CPaintManagerUI::SetResourceType(int type) {
    Skin().resourceType = type;
}

int CPaintManagerUI::GetResourceType() {
    return Skin().resourceType;
}

void CPaintManagerUI::SetResourcePath(LPCWSTR path) {
    std::wstring value = path ? path : L"";
    if (!value.empty() && value.back() != L'\\' && value.back() != L'/') {
        value += L'\\';
    }
    Skin().resourcePath = value;
}

const CDuiString& CPaintManagerUI::GetResourcePath() {
    static CDuiString path;
    path = Skin().resourcePath;
    return path;
}

HINSTANCE CPaintManagerUI::GetResourceDll() {
    return Skin().resourceDll ? Skin().resourceDll : Skin().instance;
}

void CPaintManagerUI::SetResourceDll(HINSTANCE hInst) {
    Skin().resourceDll = hInst;
}

void CPaintManagerUI::SetResourceZip(LPVOID data, unsigned int size, LPCWSTR password) {
    Skin().archive.reset();
    if (!data || size == 0) {
        return;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    Skin().archive = duilib::ZipArchive::Open(std::vector<unsigned char>(bytes, bytes + size),
                                              password ? win32::host::WideToUtf8(password) : "");
}

void CPaintManagerUI::SetResourceZip(LPCWSTR zipPath, bool /*cached*/, LPCWSTR password) {
    Skin().archive.reset();
    if (!zipPath || !*zipPath) {
        return;
    }
    std::wstring path = zipPath;
    const bool absolute = path.size() > 1 && (path[1] == L':' || path[0] == L'\\');
    if (!absolute) {
        path = Skin().resourcePath + path;
    }
    QFile file(QString::fromStdString(win32::host::ToHostPath(path)));
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.readAll();
    SetResourceZip(const_cast<char*>(bytes.constData()), static_cast<unsigned int>(bytes.size()),
                   password);
}

bool CPaintManagerUI::IsResourceZipSet() {
    return Skin().archive != nullptr;
}

bool CPaintManagerUI::LoadSkinFile(LPCWSTR name, std::string* bytes) {
    if (!name || !*name || !bytes) {
        return false;
    }
    if (Skin().archive) {
        return Skin().archive->Read(name, bytes);
    }
    std::wstring path = name;
    const bool absolute = path.size() > 1 && (path[1] == L':' || path[0] == L'\\');
    if (!absolute) {
        path = Skin().resourcePath + path;
    }
    QFile file(QString::fromStdString(win32::host::ToHostPath(path)));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray data = file.readAll();
    bytes->assign(data.constData(), static_cast<size_t>(data.size()));
    return true;
}

void CPaintManagerUI::ReleaseResourceZip() {
    Skin().archive.reset();
}

void CPaintManagerUI::MessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void CPaintManagerUI::DeletePtr(void* ptr) {
    std::free(ptr);
}

} // namespace DuiLib
