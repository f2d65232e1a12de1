#include "window_host.h"

#include "duilib/UIControl.h"
#include "hosted_widgets.h"
#include "key_input.h"
#include "painter.h"

#include "win32/host.h"
#include "win32/trace.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <QWindow>

namespace duilib {

namespace {

Qt::WindowFlags FlagsFor(DWORD style, DWORD exStyle) {
    if (style & WS_CHILD) {
        return Qt::Widget; // inside its parent's widget
    }
    // The skin draws the whole window, caption included, as the layouts are designed.
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (exStyle & WS_EX_TOOLWINDOW) {
        flags |= Qt::Tool;
    }
    if (exStyle & WS_EX_TOPMOST) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}

LPARAM PointParam(const QPoint& pt) {
    return MAKELPARAM(pt.x(), pt.y());
}

} // namespace

HostWidget::HostWidget(HWND hwnd, DWORD style, DWORD exStyle, QWidget* owner)
    : QWidget(owner, FlagsFor(style, exStyle)), m_hwnd(hwnd) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // paintEvent covers every pixel itself; Qt's own fill of a window's background first would
    // be a second pass over megabytes at every paint, the first one of them at start.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
    setMouseTracking(true);          // hot states and tooltips follow the mouse
    setFocusPolicy(Qt::StrongFocus); // keys come here when nothing inside wants them
}

void HostWidget::Detach() {
    m_hwnd = nullptr;
    m_manager = nullptr;
}

void HostWidget::ReportGeometry() {
    if (!m_hwnd) {
        return;
    }
    const QPoint pos = geometry().topLeft();
    const QSize size = geometry().size();
    HWND hwnd = m_hwnd;
    if (pos != m_reportedPos) {
        m_reportedPos = pos;
        SendMessageW(hwnd, WM_MOVE, 0, PointParam(pos));
    }
    if (m_hwnd && size != m_reportedSize) {
        m_reportedSize = size;
        if (m_manager) {
            m_manager->NeedUpdate();
        }
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.width(), size.height()));
    }
}

void HostWidget::ApplyShape(SIZE round) {
    const bool rounded =
        round.cx > 0 && round.cy > 0 && isWindow() && !isMaximized() && !isFullScreen();
    const SIZE wanted = rounded ? round : SIZE{};
    if (size() == m_shapedSize && wanted.cx == m_shapedRound.cx && wanted.cy == m_shapedRound.cy) {
        return;
    }
    m_shapedSize = size();
    m_shapedRound = wanted;
    if (!rounded) {
        clearMask();
        return;
    }
    // A mask is all-or-nothing per pixel; the skin's own antialiased border softens the edge.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), round.cx / 2.0, round.cy / 2.0);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void HostWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (m_manager) {
        PaintTree(painter, *m_manager);
        if (!m_painted) {
            m_painted = true;
            if (win32::TraceEnabled("startup")) {
                wchar_t className[64] = {};
                GetClassNameW(m_hwnd, className, 64);
                win32::Trace("startup", "window %s painted at %.1f ms",
                             win32::host::WideToUtf8(className).c_str(),
                             win32::MillisecondsSinceStart());
            }
        }
    }
}

void HostWidget::mousePressEvent(QMouseEvent* event) {
    if (!AcceptsInput() || event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pt = event->position().toPoint();
    SendMessageW(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(pt));
    // Dragging by the caption area moves the window, as a title bar would.
    if (m_manager && windowHandle()) {
        const RECT caption = m_manager->GetCaptionRect();
        // The caption is the band above `bottom`, less the margins on either side.
        if (pt.y() >= caption.top && pt.y() < caption.bottom && pt.x() >= caption.left &&
            pt.x() < width() - caption.right) {
            auto* control = m_manager->FindControl(POINT{pt.x(), pt.y()});
            if (!control || !control->GetInterface(L"Button")) {
                windowHandle()->startSystemMove();
            }
        }
    }
}

void HostWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (AcceptsInput() && event->button() == Qt::LeftButton) {
        SendMessageW(m_hwnd, WM_LBUTTONUP, 0, PointParam(event->position().toPoint()));
    }
}

void HostWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!AcceptsInput()) {
        return;
    }
    const QPoint pt = event->position().toPoint();
    SendMessageW(m_hwnd, WM_MOUSEMOVE, 0, PointParam(pt));
    if (m_manager) {
        const auto* control = m_manager->FindControl(POINT{pt.x(), pt.y()});
        setToolTip(control ? QString::fromStdWString(control->GetToolTip().Str()) : QString());
    }
}

void HostWidget::leaveEvent(QEvent*) {
    if (m_hwnd) {
        SendMessageW(m_hwnd, WM_MOUSELEAVE, 0, 0);
    }
}

void HostWidget::moveEvent(QMoveEvent*) {
    ReportGeometry();
}

void HostWidget::resizeEvent(QResizeEvent*) {
    ReportGeometry();
}

void HostWidget::closeEvent(QCloseEvent* event) {
    // Closing goes through the window's own messages, which decide whether it closes.
    event->ignore();
    if (m_hwnd) {
        SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

bool HostWidget::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void HostWidget::keyPressEvent(QKeyEvent* event) {
    if (!AcceptsInput()) {
        event->ignore();
        return;
    }
    NoteModifiers(*event);
    const WPARAM vk = VirtualKeyOf(*event);
    const LPARAM param = KeyParam(*event, false);
    if (vk) {
        SendMessageW(m_hwnd, WM_KEYDOWN, vk, param);
    }
    // What TranslateMessage would add; the window may have gone with the key press.
    for (WPARAM ch : CharactersOf(*event)) {
        if (!m_hwnd) {
            break;
        }
        SendMessageW(m_hwnd, WM_CHAR, ch, param);
    }
}

void HostWidget::keyReleaseEvent(QKeyEvent* event) {
    if (!AcceptsInput()) {
        event->ignore();
        return;
    }
    NoteModifiers(*event);
    if (const WPARAM vk = VirtualKeyOf(*event)) {
        SendMessageW(m_hwnd, WM_KEYUP, vk, KeyParam(*event, true));
    }
}

bool HostWidget::AcceptsFiles() const {
    return AcceptsInput() && (GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
}

bool HostWidget::AcceptsInput() const {
    return m_hwnd && IsWindowEnabled(m_hwnd);
}

void HostWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (AcceptsFiles() && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void HostWidget::dropEvent(QDropEvent* event) {
    if (!AcceptsFiles()) {
        return;
    }
    std::vector<std::wstring> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            files.push_back(win32::host::ToWindowsPath(url.toLocalFile().toStdString()));
        }
    }
    if (files.empty()) {
        return;
    }
    const QPoint pt = event->position().toPoint();
    HDROP drop = win32::host::NewDrop(files, POINT{pt.x(), pt.y()});
    if (!PostMessageW(m_hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) {
        DragFinish(drop);
        return;
    }
    event->acceptProposedAction();
}

HostWidget* CreateHost(HWND hwnd, const CREATESTRUCTW& create) {
    if (!EnsureUi()) {
        return nullptr;
    }
    QWidget* owner = HostOf(create.hwndParent);
    auto* host = new HostWidget(hwnd, static_cast<DWORD>(create.style), create.dwExStyle, owner);
    host->setWindowTitle(QString::fromStdWString(create.lpszName ? create.lpszName : L""));
    const int width = create.cx == CW_USEDEFAULT ? 640 : create.cx;
    const int height = create.cy == CW_USEDEFAULT ? 480 : create.cy;
    host->resize(std::max(width, 1), std::max(height, 1));
    if (create.x != CW_USEDEFAULT && create.y != CW_USEDEFAULT) {
        host->move(create.x, create.y);
    }
    win32::host::SetWindowObject(hwnd, host);
    return host;
}

HostWidget* HostOf(HWND hwnd) {
    // Widgets may only be touched on their own thread; from any other, the window answers by
    // its style bits alone.
    if (!hwnd || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) {
        return nullptr;
    }
    return dynamic_cast<HostWidget*>(win32::host::WindowObject(hwnd));
}

void AttachManager(HWND hwnd, DuiLib::CPaintManagerUI* manager) {
    if (auto* host = HostOf(hwnd)) {
        host->SetManager(manager);
    }
}

void ShapeWindow(HWND hwnd, SIZE round) {
    if (auto* host = HostOf(hwnd)) {
        host->ApplyShape(round);
    }
}

void DestroyHost(HWND hwnd) {
    auto* host = dynamic_cast<HostWidget*>(win32::host::WindowObject(hwnd));
    if (!host) {
        return;
    }
    win32::host::SetWindowObject(hwnd, nullptr);
    host->Detach();
    host->hide();
    ReleaseHostedWidgets(host);
    // Owned windows are destroyed before their owner, so the widget has no children left that
    // still need it; it may be in the middle of one of its own event handlers, though.
    host->setParent(nullptr);
    host->deleteLater();
}

} // namespace duilib
