// The widget that shows a window of the layer on screen and turns Qt's input and geometry
// events into the window's messages. Private to the layer; UI thread only.
#pragma once

#include <windows.h>

#include <QWidget>

namespace DuiLib {
class CPaintManagerUI;
}

namespace duilib {

class HostWidget : public QWidget {
public:
    HostWidget(HWND hwnd, DWORD style, DWORD exStyle, QWidget* owner);

    HWND Handle() const { return m_hwnd; }
    void SetManager(DuiLib::CPaintManagerUI* manager) { m_manager = manager; }
    // The window's handle is dying: no message goes out from here on.
    void Detach();
    // Sends WM_MOVE and WM_SIZE for whatever changed since they were last sent.
    void ReportGeometry();
    // Rounds the corners of a top-level window by an ellipse of `round` (width, height); 0,0
    // keeps it square. Only redone when the size or the rounding changed.
    void ApplyShape(SIZE round);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Keys reach the window as WM_KEYDOWN / WM_CHAR / WM_KEYUP, Tab included, which Qt would
    // otherwise spend on moving its own focus.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool AcceptsFiles() const;
    // A disabled window (EnableWindow FALSE) gets no mouse input and no drops.
    bool AcceptsInput() const;

    HWND m_hwnd;
    DuiLib::CPaintManagerUI* m_manager = nullptr;
    QPoint m_reportedPos{INT_MIN, INT_MIN};
    QSize m_reportedSize{-1, -1};
    QSize m_shapedSize{-1, -1};
    SIZE m_shapedRound{};
    bool m_painted = false; // told once on the "startup" trace channel
};

// Makes sure a QApplication exists (widgets need one). False when another kind of application
// object was made first, in which case no window can be shown.
bool EnsureUi();

// Creates the widget for a window being created and enters it in the window table.
HostWidget* CreateHost(HWND hwnd, const CREATESTRUCTW& create);
// The widget of a window, or null (dead handle, message-only window).
HostWidget* HostOf(HWND hwnd);
void AttachManager(HWND hwnd, DuiLib::CPaintManagerUI* manager);
// Gives the window's widget its rounded shape (see HostWidget::ApplyShape).
void ShapeWindow(HWND hwnd, SIZE round);
// Hides and releases the widget of a dying window.
void DestroyHost(HWND hwnd);

// The icon of an icon resource (RT_GROUP_ICON holding an image file), or null.
HICON IconFromResource(HINSTANCE instance, UINT resourceId);
// Shows an icon made by IconFromResource on the window; false for an unknown icon.
bool ApplyIcon(HWND hwnd, HICON icon);

// Puts the win32 layer's windows on screen through this layer's widgets (screen_driver.cpp).
void InstallScreenDriver();

} // namespace duilib
