#include "layout_window.h"

void LayoutWindow::OnClick(DuiLib::TNotifyUI& msg) {
    if (msg.pSender && msg.pSender->GetName() == L"closebtn") {
        Close(0);
    }
}

void LayoutWindow::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}
