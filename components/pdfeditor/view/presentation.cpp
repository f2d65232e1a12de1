#include "presentation.h"

#include "page_view.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace pdfeditor {

Presentation::Presentation(std::shared_ptr<const Document> document, int page, int degrees,
                           QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("presentation"));
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("background: black;"));
    PageViewOptions options;
    options.desk = Qt::black;
    options.layout = LayoutOptions{LayoutMode::SinglePage, false, false};
    m_view = new PageView(std::move(document), this, options);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->SetIndicatorVisible(false);
    m_view->SetRotation(degrees);
    m_view->SetZoomMode(PageView::ZoomMode::FitPage);
    m_view->GoToPage(page);
    // Keys and clicks are ours before the view scrolls with them.
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

Presentation::~Presentation() = default;

void Presentation::Start(QWidget* near) {
    if (QScreen* screen = near ? near->screen() : nullptr) {
        setGeometry(screen->geometry());
    }
    showFullScreen();
    activateWindow();
    m_view->setFocus();
}

int Presentation::CurrentPage() const {
    return m_view->CurrentPage();
}

void Presentation::Next() {
    m_view->StepRows(1);
}

void Presentation::Previous() {
    m_view->StepRows(-1);
}

bool Presentation::HandleKey(int key) {
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_PageDown:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_N:
        Next();
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_P:
        Previous();
        return true;
    case Qt::Key_Home:
        m_view->GoToPage(0);
        return true;
    case Qt::Key_End:
        m_view->GoToPage(m_view->PageCount() - 1);
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        return false;
    }
}

bool Presentation::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+plus and the like are the view's; a presentation has no use for them.
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
            return true;
        }
        return HandleKey(key->key()) || QWidget::eventFilter(watched, event);
    }
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            Next();
            return true;
        }
        if (mouse->button() == Qt::RightButton) {
            Previous();
            return true;
        }
    }
    if (watched == m_view->viewport() && event->type() == QEvent::Wheel &&
        (static_cast<QWheelEvent*>(event)->modifiers() & Qt::ControlModifier)) {
        return true; // no zooming: the page stays fitted
    }
    return QWidget::eventFilter(watched, event);
}

void Presentation::closeEvent(QCloseEvent* event) {
    if (!m_finished) {
        m_finished = true;
        emit Finished(CurrentPage());
    }
    QWidget::closeEvent(event);
}

} // namespace pdfeditor
