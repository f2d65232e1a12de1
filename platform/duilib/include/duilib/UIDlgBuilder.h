// CDialogBuilder: builds a control tree from a layout file of the skin. The caller owns the
// returned tree (or hands it to a paint manager with AttachDialog).
#pragma once

#include "duilib/UIControl.h"

namespace DuiLib {

class DUILIB_API IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // A control for an element name the builder does not know; null to skip the element.
    virtual CControlUI* CreateControl(LPCWSTR className) = 0;
};

class DUILIB_API CDialogBuilder {
public:
    // Reads `xml` (a layout file name of the skin, or the layout text itself when it starts
    // with '<'), applies the Window element's settings to `manager` and returns the root control.
    // Null when the file is missing or not a layout; nothing is reported.
    CControlUI* Create(const CDuiString& xml, LPCWSTR type = nullptr,
                       IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
};

} // namespace DuiLib
