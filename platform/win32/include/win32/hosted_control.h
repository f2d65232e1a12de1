// IHostedWidget: how an in-process component shows itself inside a window of the skin UI layer.
// This is an interface of our own, not a Windows one; it takes the place of the OLE embedding
// interfaces, which a component on Qt widgets has no use for.
//
// The contract, for both sides (docs/hosting.md has the whole of it):
// - The component's object answers QueryInterface(IID_IHostedWidget). A class without it cannot
//   be hosted: the ActiveX control refuses it.
// - GetWidget gives the object's one top widget, a QWidget* passed as void* so that this header
//   needs no Qt. The object makes it on the first call (without a parent, hidden) and gives the
//   same widget on every later call; the object owns it and deletes it when the object goes.
// - The host reparents the widget into its window, sets its geometry and shows or hides it. It
//   never deletes the widget. Before it releases the object it takes the widget back out of its
//   window (setParent(nullptr), hidden), so that the widget does not die with the window.
// - Qt deletes children with their parent, and a host's window may be destroyed by others
//   before the object is released. The object therefore holds its widget through a QPointer (or
//   equivalent) and tolerates finding it deleted: it does not delete it again, and the next
//   GetWidget makes a new one.
//
// Threading: every call belongs to the user-interface thread, as the widget does.
#pragma once

#include "com.h"

// IHostedWidget {16AE46AF-29E6-4492-B64D-427A7B637C45}
inline constexpr IID IID_IHostedWidget = {
    0x16AE46AF, 0x29E6, 0x4492, {0xB6, 0x4D, 0x42, 0x7A, 0x7B, 0x63, 0x7C, 0x45}};

struct IHostedWidget : IUnknown {
    // S_OK and *widget the object's top widget (a QWidget*, never null), which stays the
    // object's: the caller gets no reference and must not delete it. On failure a failure
    // HRESULT and *widget null (E_POINTER when widget itself is null).
    STDMETHOD(GetWidget)(void** widget) PURE;

protected:
    ~IHostedWidget() = default;
};
