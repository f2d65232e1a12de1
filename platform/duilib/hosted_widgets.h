// The widgets that ActiveX controls place in their windows, as the rest of the layer sees them.
// Private to the layer; UI thread only.
#pragma once

class QWidget;

namespace DuiLib {
class CControlUI;
}

namespace duilib {

// Places the widget of every ActiveX control of a tree again, after a layout: a container above
// one may have been shown or hidden without the control being laid out.
void UpdateHostedWidgets(DuiLib::CControlUI* root);

// A window's widget is going: the hosted widgets in it are taken out of it (hidden, without a
// parent), so that Qt does not delete them with it and they stay their components' to delete.
void ReleaseHostedWidgets(QWidget* window);

} // namespace duilib
