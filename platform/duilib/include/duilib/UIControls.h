// The leaf controls: label, text, button, progress, rich edit and the ActiveX host.
#pragma once

#include "duilib/UIContainer.h"

#include <memory>

namespace DuiLib {

class DUILIB_API CLabelUI : public CControlUI {
public:
    LPCWSTR GetClass() const override { return L"LabelUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;
    void DoPaint(void* context) override;

    // Space kept free around the text inside the control (l,t,r,b).
    RECT GetTextPadding() const { return m_textPadding; }
    void SetTextPadding(const RECT& rc);
    // The text colour while the control is disabled; 0 = the layer's grey.
    DWORD GetDisabledTextColor() const { return m_disabledTextColor; }
    void SetDisabledTextColor(DWORD color);
    // Text too wide for one line ends in an ellipsis.
    bool IsEndEllipsis() const { return m_endEllipsis; }
    void SetEndEllipsis(bool ellipsis);

protected:
    RECT m_textPadding{};
    DWORD m_disabledTextColor = 0;
    bool m_endEllipsis = false;
};

class DUILIB_API CTextUI : public CLabelUI {
public:
    LPCWSTR GetClass() const override { return L"TextUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
};

// A click sends the "click" notification to the window's notifiers. Its text is centred unless
// the layout aligns it otherwise.
class DUILIB_API CButtonUI : public CLabelUI {
public:
    CButtonUI();
    LPCWSTR GetClass() const override { return L"ButtonUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;
    LPCWSTR GetNormalImage() const { return m_normalImage; }
    void SetNormalImage(LPCWSTR image);
    LPCWSTR GetHotImage() const { return m_hotImage; }
    void SetHotImage(LPCWSTR image);
    LPCWSTR GetPushedImage() const { return m_pushedImage; }
    void SetPushedImage(LPCWSTR image);
    LPCWSTR GetForeImage() const { return m_foreImage; }
    void SetForeImage(LPCWSTR image);
    // Colours of the hot (mouse over) and pushed states; 0 = as in the normal state.
    DWORD GetHotBkColor() const { return m_hotBkColor; }
    void SetHotBkColor(DWORD color);
    DWORD GetPushedBkColor() const { return m_pushedBkColor; }
    void SetPushedBkColor(DWORD color);
    DWORD GetHotTextColor() const { return m_hotTextColor; }
    void SetHotTextColor(DWORD color);
    DWORD GetPushedTextColor() const { return m_pushedTextColor; }
    void SetPushedTextColor(DWORD color);
    void DoClick() override;
    void DoPaint(void* context) override;

private:
    DWORD m_hotBkColor = 0;
    DWORD m_pushedBkColor = 0;
    DWORD m_hotTextColor = 0;
    DWORD m_pushedTextColor = 0;
    CDuiString m_normalImage;
    CDuiString m_hotImage;
    CDuiString m_pushedImage;
    CDuiString m_foreImage;
};

// A bar between GetMinValue and GetMaxValue (0..100 unless the layout says otherwise).
class DUILIB_API CProgressUI : public CLabelUI {
public:
    LPCWSTR GetClass() const override { return L"ProgressUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    int GetMinValue() const { return m_min; }
    void SetMinValue(int value);
    int GetMaxValue() const { return m_max; }
    void SetMaxValue(int value);
    int GetValue() const { return m_value; }
    // Clamped into the range.
    void SetValue(int value);
    // The colour of the done part; 0 = the layer's blue.
    DWORD GetForeColor() const { return m_foreColor; }
    void SetForeColor(DWORD color);
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;
    void DoPaint(void* context) override;

private:
    DWORD m_foreColor = 0;
    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
};

// Multi-line text; read-only unless the layout says readonly="false".
class DUILIB_API CRichEditUI : public CContainerUI {
public:
    LPCWSTR GetClass() const override { return L"RichEditUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    bool IsReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;
    void DoPaint(void* context) override;

private:
    bool m_readOnly = true;
};

// Hosts an in-process component, a class of the program's manifest, in the control's area. The
// component shows itself through IHostedWidget (win32/hosted_control.h, docs/hosting.md): its
// widget becomes a child of the window's widget, lies on the control's rectangle and is shown
// while the control and every container above it are visible. The control never deletes the
// widget; before releasing the object it takes the widget back out of the window, and a window
// destroyed while the control still holds the object gives the widget back the same way.
//
// With delayed creation (the default) CreateControl only records the class and the object is
// made the first time the control is laid out in a window; without, the object is made at once
// and shown as soon as the control has a window. Layout attributes: clsid="{...}" (as
// CreateControl) and delaycreate="true|false" (as SetDelayCreate, so it must come first).
//
// COM: the control initialises COM on its thread (apartment-threaded) for as long as it holds
// an object, so the program need not have done so; a thread already in the multithreaded model
// is used as it is. Failures are traced on the "ui" channel. UI thread only.
class DUILIB_API CActiveXUI : public CControlUI {
public:
    CActiveXUI();
    ~CActiveXUI() override;
    LPCWSTR GetClass() const override { return L"ActiveXUI"; }
    LPVOID GetInterface(LPCWSTR name) override;
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;

    // Applies to the CreateControl calls that follow.
    void SetDelayCreate(bool delayCreate = true);
    bool IsDelayCreate() const { return m_delayCreate; }
    // Releases whatever the control hosted, then hosts the class. False, leaving the control
    // empty (GetClsid CLSID_NULL, GetControl E_PENDING), for CLSID_NULL, or when creating:
    // the class is not in the manifest, its file does not load or does not make it, the object
    // has no IHostedWidget, or (the control being in a window) it gives no widget. Delayed, only
    // CLSID_NULL fails here; the rest is found at the first layout, traced, and leaves the
    // control empty in the same way.
    bool CreateControl(const CLSID& clsid);
    // As above, from the braced text form; text that is no class id (null included) fails.
    bool CreateControl(LPCWSTR clsidText);
    // The object's QueryInterface for iid: the caller gets a reference of its own. E_POINTER for
    // a null ppRet; E_PENDING, with *ppRet null, while the control holds no object (none asked
    // for, creation delayed, or creation failed).
    HRESULT GetControl(const IID& iid, LPVOID* ppRet);
    // The class hosted or waiting to be created; CLSID_NULL when none.
    CLSID GetClsid() const { return m_clsid; }

    // Puts the widget in the control's window, on its rectangle, shown only while the control
    // and every container above it are visible. The layer calls it after each layout.
    void UpdateWidget();

private:
    struct Hosted; // the object and its widget (activex.cpp)

    bool Create();
    void ReleaseControl();

    std::unique_ptr<Hosted> m_hosted;
    CLSID m_clsid = CLSID_NULL;
    bool m_delayCreate = true;
};

} // namespace DuiLib
