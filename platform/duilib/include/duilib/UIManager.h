// CPaintManagerUI: the per-window manager that owns a window's control tree and routes its
// notifications, plus the process-wide skin settings (instance, resource kind, archive).
//
// Threading: every call belongs to the user-interface thread.
// Failure: skin problems (no archive, a missing entry, a bad layout) are silent; the window
// simply has no layout, as the system expects.
#pragma once

#include "duilib/UIString.h"

#include <map>
#include <memory>
#include <vector>

namespace DuiLib {

class CControlUI;

// One notification from a control to the window's listeners.
struct TNotifyUI {
    CDuiString sType;
    CDuiString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class DUILIB_API INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

class DUILIB_API CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // The window this manager paints; the manager never owns it.
    void Init(HWND hWnd);
    HWND GetPaintWindow() const { return m_hWnd; }

    // The root of the control tree; the manager owns it from here on (the previous root is freed).
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return m_root; }
    // Depth-first search by name (case-sensitive, as names in layouts are); null when absent.
    CControlUI* FindControl(LPCWSTR name) const;
    // The deepest visible control under a point of the window's client area; null outside.
    CControlUI* FindControl(POINT pt) const;

    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    // Delivers a notification to every notifier at once (`async` is accepted and ignored: the
    // receivers are always called before this returns).
    void SendNotify(TNotifyUI& msg, bool async = false);
    void SendNotify(CControlUI* control, LPCWSTR type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);

    // The window's size limits and caption area, from the layout's Window element.
    SIZE GetInitSize() const { return m_initSize; }
    void SetInitSize(int cx, int cy);
    SIZE GetMinInfo() const { return m_minInfo; }
    void SetMinInfo(int cx, int cy) { m_minInfo = {cx, cy}; }
    RECT GetCaptionRect() const { return m_caption; }
    void SetCaptionRect(const RECT& rc) { m_caption = rc; }
    SIZE GetRoundCorner() const { return m_roundCorner; }
    void SetRoundCorner(int cx, int cy) { m_roundCorner = {cx, cy}; }

    // Default attributes for every control of a class (the layout's Default element).
    void AddDefaultAttributeList(LPCWSTR controlName, LPCWSTR attributes);
    LPCWSTR GetDefaultAttributeList(LPCWSTR controlName) const;
    // Fonts by id from the layout's Font elements; the default font is the one marked default.
    struct FontInfo {
        std::wstring name;
        int size = 12;
        bool bold = false;
        bool underline = false;
        bool italic = false;
    };
    void AddFont(int id, const FontInfo& font, bool isDefault);
    const FontInfo* GetFont(int id) const;

    // The window's mouse and key messages. A button press and release over the same control
    // clicks it (never consumed: the window's default processing still follows). WM_KEYDOWN:
    // Tab / Shift+Tab move the focus, Space presses the focused button, Enter the focused
    // button or else the default one, Esc the cancel button; a key that did so is consumed
    // (true, `result` 0). Held keys repeat only Tab.
    bool MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Keyboard focus among the window's buttons: Tab and Shift+Tab move it over the enabled,
    // shown buttons in layout order, round the end. Null when no button has it; dropped when
    // its control goes. "killfocus" and "setfocus" notifications tell the old and new holder.
    CControlUI* GetFocus() const { return m_focus; }
    void SetFocus(CControlUI* control);
    // Whether the focus is drawn (a dotted frame on the button): once the keyboard has moved it.
    bool ShowsFocusMark() const { return m_focusMark; }
    // The buttons Enter and Esc press, by name (null or empty: none), looked up at each key, so
    // they may be named before the layout exists and may come and go with it. A named button
    // that is hidden or disabled is not pressed; for Esc the window then acts as if none was
    // named (WindowImplBase closes as a cancel, see WindowImplBase::OnCancel).
    void SetDefaultButton(LPCWSTR name) { m_defaultButton = name ? name : L""; }
    void SetCancelButton(LPCWSTR name) { m_cancelButton = name ? name : L""; }
    // The named default or cancel button when it can be pressed now, else null.
    CControlUI* GetDefaultButton() const { return UsableButton(m_defaultButton); }
    CControlUI* GetCancelButton() const { return UsableButton(m_cancelButton); }

    // A control is going: notifications being delivered lose it as their sender (pSender becomes
    // null), so a listener after the one that removed it never touches it.
    void ReapControl(CControlUI* control);

    // The control under the mouse and the one pressed, for drawing hot and pushed states. For
    // comparison only: either may already be gone.
    const CControlUI* GetHotControl() const { return m_hot; }
    const CControlUI* GetPushedControl() const { return m_pressed; }

    // Asks the window to repaint itself soon.
    void Invalidate();
    // Lays out the tree again over the window's current client size.
    void NeedUpdate();

    // --- Process-wide skin settings ---
    static void SetInstance(HINSTANCE hInst);
    static HINSTANCE GetInstance();
    // The folder of the running program, with a trailing backslash (Windows form).
    static CDuiString GetInstancePath();
    static void SetResourceType(int type);
    static int GetResourceType();
    static void SetResourcePath(LPCWSTR path);
    static const CDuiString& GetResourcePath();
    // The module holding the skin resources: the instance unless one was set.
    static HINSTANCE GetResourceDll();
    static void SetResourceDll(HINSTANCE hInst);
    // The archive from memory: the bytes are copied, so the caller's buffer may go away. A null
    // or empty buffer, or one that is not a readable archive, leaves no archive set.
    static void SetResourceZip(LPVOID data, unsigned int size, LPCWSTR password = nullptr);
    // The archive from a file: a relative path is taken under the resource path. `cached` is
    // accepted for compatibility; the archive is always read once and kept.
    static void SetResourceZip(LPCWSTR zipPath, bool cached = false, LPCWSTR password = nullptr);
    static bool IsResourceZipSet();
    // Reads a skin file: from the archive when one is set, else from the resource path on
    // disk. False when it is not there.
    static bool LoadSkinFile(LPCWSTR name, std::string* bytes);
    // Forgets the archive (the skin release at shutdown).
    static void ReleaseResourceZip();

    // Runs the thread's message loop until WM_QUIT.
    static void MessageLoop();
    // Frees memory handed out by the layer in a message (a menu click's name).
    static void DeletePtr(void* ptr);

private:
    bool HandleKeyDown(WPARAM vk, LPARAM lParam);
    void MoveFocus(bool forward);
    CControlUI* UsableButton(const std::wstring& name) const;

    HWND m_hWnd = nullptr;
    CControlUI* m_root = nullptr;
    CControlUI* m_pressed = nullptr; // compared only, never dereferenced: it may be gone
    CControlUI* m_hot = nullptr;     // likewise
    CControlUI* m_focus = nullptr;   // cleared by ReapControl before its control goes
    bool m_focusMark = false;
    std::wstring m_defaultButton;
    std::wstring m_cancelButton;
    std::vector<TNotifyUI*> m_inFlight; // notifications being delivered, innermost last
    std::vector<INotifyUI*> m_notifiers;
    SIZE m_initSize{};
    SIZE m_minInfo{};
    SIZE m_roundCorner{};
    RECT m_caption{};
    std::map<std::wstring, std::wstring> m_defaults;
    std::map<int, FontInfo> m_fonts;
    int m_defaultFont = -1;
};

// The skin resource holder of the resource-module kind. Process-wide.
class DUILIB_API CResourceManager {
public:
    static CResourceManager* GetInstance();
    // Loads the resource's text (a layout index of the resource module). False when absent.
    BOOL LoadResource(LPCWSTR resourceName, LPCWSTR type);
    // Releases the skin: the loaded resource and the archive.
    void Release();

private:
    CResourceManager() = default;
    std::string m_resource;
};

} // namespace DuiLib
