// A window built from any layout file of the skin, without the behaviour of the window that
// normally uses it: for looking at a layout. A click on "closebtn" closes it with 0.
#pragma once

#include <UIlib.h>

#include <string>

class LayoutWindow : public DuiLib::WindowImplBase {
public:
    explicit LayoutWindow(std::wstring layout) : m_layout(std::move(layout)) {}

protected:
    DuiLib::CDuiString GetSkinFile() override { return m_layout.c_str(); }
    LPCWSTR GetWindowClassName() const override { return L"LayoutWindow"; }
    void OnClick(DuiLib::TNotifyUI& msg) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    std::wstring m_layout;
};
