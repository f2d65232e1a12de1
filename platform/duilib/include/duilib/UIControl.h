// CControlUI: one element of a window's control tree. A control belongs to its parent container
// (or, for the root, to the paint manager) and is freed with it. Positions are in the window's
// client coordinates, computed by the containers' layout.
#pragma once

#include "duilib/UIManager.h"

#include <map>

namespace DuiLib {

class CContainerUI;

class DUILIB_API CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual LPCWSTR GetClass() const { return L"ControlUI"; }
    // The interface of a class name ("Control", "Label", "Button", ...), or null.
    virtual LPVOID GetInterface(LPCWSTR name);

    const CDuiString& GetName() const { return m_name; }
    void SetName(LPCWSTR name) { m_name = name; }
    virtual CDuiString GetText() const { return m_text; }
    virtual void SetText(LPCWSTR text);
    CDuiString GetToolTip() const { return m_tooltip; }
    void SetToolTip(LPCWSTR text) { m_tooltip = text; }
    bool IsVisible() const { return m_visible; }
    virtual void SetVisible(bool visible = true);
    bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    LPCWSTR GetBkImage() const { return m_bkImage; }
    void SetBkImage(LPCWSTR image);
    DWORD GetBkColor() const { return m_bkColor; }
    void SetBkColor(DWORD color);
    DWORD GetTextColor() const { return m_textColor; }
    void SetTextColor(DWORD color);
    int GetFont() const { return m_font; }
    void SetFont(int font) { m_font = font; }
    // DT_-style flags: left 0, center 1, right 2; top 0, vcenter 4, bottom 8; wordbreak 0x10,
    // singleline 0x20. Single-line and vertically centred unless the layout says otherwise.
    UINT GetTextStyle() const { return m_textStyle; }
    void SetTextStyle(UINT style) { m_textStyle = style; }

    // The ellipse (width, height) that rounds the background and border corners; 0,0 = square.
    SIZE GetBorderRound() const { return m_borderRound; }
    void SetBorderRound(SIZE round);
    // A border of this width in pixels, drawn inside the control; none when 0 or no colour.
    int GetBorderSize() const { return m_borderSize; }
    void SetBorderSize(int size);
    DWORD GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(DWORD color);

    // Size requests: fixed width/height (0 = take a share of what is left), float position.
    int GetFixedWidth() const { return m_fixed.cx; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return m_fixed.cy; }
    void SetFixedHeight(int cy);
    bool IsFloat() const { return m_float; }
    void SetFloat(bool f) { m_float = f; }
    RECT GetFloatPos() const { return m_floatPos; }
    RECT GetPadding() const { return m_padding; }
    void SetPadding(const RECT& rc) { m_padding = rc; }
    const RECT& GetPos() const { return m_pos; }
    virtual void SetPos(RECT rc);

    CControlUI* GetParent() const;
    void SetOwner(CPaintManagerUI* manager, CContainerUI* parent);
    CPaintManagerUI* GetManager() const { return m_manager; }

    // Layout attributes by name; unknown names are ignored here (see custom attributes).
    virtual void SetAttribute(LPCWSTR name, LPCWSTR value);
    // A list in layout form: name="value" name2='value2' ...
    void ApplyAttributeList(LPCWSTR list);

    // Attributes the layout gives that the control does not know, kept for the program.
    void AddCustomAttribute(LPCWSTR name, LPCWSTR value);
    // The value, or null when there is none. Valid until the attribute changes.
    LPCWSTR GetCustomAttribute(LPCWSTR name) const;
    bool RemoveCustomAttribute(LPCWSTR name);

    // Repaints the window the control is in.
    void Invalidate();
    void NeedParentUpdate();

    // Search helpers for the paint manager.
    virtual CControlUI* FindByName(LPCWSTR name);
    virtual CControlUI* FindAt(POINT pt);

    // Input from the host window. Default: nothing; buttons and list rows react.
    virtual void DoClick();

    // Paints into the host's painter (an opaque pointer to the layer's paint context).
    virtual void DoPaint(void* context);

protected:
    CPaintManagerUI* m_manager = nullptr;
    CContainerUI* m_parent = nullptr;
    CDuiString m_name;
    CDuiString m_text;
    CDuiString m_tooltip;
    CDuiString m_bkImage;
    DWORD m_bkColor = 0;
    DWORD m_textColor = 0;
    int m_font = -1;
    UINT m_textStyle = 0x24; // vertically centred, one line
    SIZE m_borderRound{};
    int m_borderSize = 0;
    DWORD m_borderColor = 0;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_float = false;
    SIZE m_fixed{};
    RECT m_floatPos{};
    RECT m_padding{};
    RECT m_pos{};
    std::map<std::wstring, std::wstring> m_custom;
};

} // namespace DuiLib
