// The page view's text selection: the mouse, the keys and the painting that reach it, and the
// clipboard. The selection itself is a TextSelection; this file maps the view onto it.
#include "page_view.h"

#include "text_selection.h"

#include <win32/trace.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace pdfeditor {

namespace {

const QColor kSelection(0, 120, 215, 70);

} // namespace

std::vector<QRectF> PageView::SelectionAreas(int page) const {
    return m_selection->IsEmpty() ? std::vector<QRectF>() : m_selection->Areas(page);
}

bool PageView::HasSelection() const {
    return !m_selection->IsEmpty();
}

QString PageView::SelectedText() {
    return m_selection->Text();
}

void PageView::SelectAll() {
    m_selection->SelectAll();
    viewport()->update();
    emit SelectionChanged();
}

void PageView::ClearSelection() {
    if (m_selection->Clear()) {
        viewport()->update();
        emit SelectionChanged();
    }
}

bool PageView::CopySelection() {
    if (!HasSelection()) {
        return false;
    }
    if (!m_document->okToCopy()) {
        win32::Trace("editor", "copy refused: %s does not allow copying",
                     m_document->FileName().c_str());
        emit CopyRefused();
        return false;
    }
    // The whole of a long document takes a moment to read.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QString text = SelectedText();
    QGuiApplication::restoreOverrideCursor();
    if (text.isEmpty()) {
        return false;
    }
    QGuiApplication::clipboard()->setText(text);
    return true;
}

std::pair<int, QPointF> PageView::PagePoint(QPoint point) const {
    // The page under the point, else (between pages) the row's at that height.
    const QPoint offset = PageOrigin(0) - PageRect(0).topLeft();
    int page = m_layout.PageAt(point - offset);
    if (page < 0) {
        page = PageAt(point.y() + verticalScrollBar()->value());
    }
    const QRect rect(PageOrigin(page), PageRect(page).size());
    const QPointF shown(double(point.x() - rect.left()) / std::max(1, rect.width()),
                        double(point.y() - rect.top()) / std::max(1, rect.height()));
    return {page, FromShown(shown, m_turns)};
}

QPointF PageView::ToViewport(int page, QPointF at) const {
    const QSize size = PageRect(page).size();
    const QPointF shown = ToShown(at, m_turns);
    return QPointF(PageOrigin(page)) + QPointF(shown.x() * size.width(), shown.y() * size.height());
}

bool PageView::PressForSelection(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_layout.IsEmpty()) {
        return false;
    }
    const QPoint point = event->position().toPoint();
    m_pressed = true;
    m_dragging = false;
    m_pressPoint = point;
    const auto [page, at] = PagePoint(point);
    if ((event->modifiers() & Qt::ShiftModifier) && HasSelection()) {
        // The release ends a selection rather than a click that would clear it.
        m_dragging = true;
        if (m_selection->Extend(page, at)) {
            viewport()->update();
            emit SelectionChanged();
        }
    } else {
        m_selection->Begin(page, at);
    }
    event->accept();
    return true;
}

bool PageView::MoveForSelection(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        return false;
    }
    const QPoint point = event->position().toPoint();
    if (!m_dragging) {
        if ((point - m_pressPoint).manhattanLength() < QApplication::startDragDistance()) {
            return true; // a hand's tremble in a click
        }
        m_dragging = true;
    }
    // Above or below the view, the pages scroll towards the pointer.
    QScrollBar* bar = verticalScrollBar();
    if (point.y() < 0) {
        bar->setValue(bar->value() + point.y());
    } else if (point.y() > viewport()->height()) {
        bar->setValue(bar->value() + point.y() - viewport()->height());
    }
    const auto [page, at] = PagePoint(point);
    if (m_selection->Extend(page, at)) {
        viewport()->update();
        emit SelectionChanged();
    }
    viewport()->setCursor(Qt::IBeamCursor);
    event->accept();
    return true;
}

bool PageView::SelectWordAt(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_layout.IsEmpty()) {
        return false;
    }
    const auto [page, at] = PagePoint(event->position().toPoint());
    if (!m_selection->IsOverText(page, at)) {
        return false;
    }
    m_selection->Begin(page, at);
    m_selection->Extend(page, at);
    // The release that follows ends this as a drag would (it keeps the word); a drag from here
    // moves the selection's end word by word.
    m_pressed = true;
    m_dragging = true;
    viewport()->update();
    emit SelectionChanged();
    event->accept();
    return true;
}

bool PageView::ReleaseForSelection(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        return false;
    }
    m_pressed = false;
    if (!m_dragging) {
        // A click: it clears the selection, and a link under it is still followed.
        ClearSelection();
        return false;
    }
    m_dragging = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && m_document->okToCopy()) {
        clipboard->setText(SelectedText(), QClipboard::Selection);
    }
    event->accept();
    return true;
}

bool PageView::KeyForSelection(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
    } else if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (event->key() == Qt::Key_Escape && HasSelection()) {
        ClearSelection();
    } else {
        return false;
    }
    event->accept();
    return true;
}

void PageView::SetTextCursor(QPoint point) {
    if (!m_layout.IsEmpty()) {
        const auto [page, at] = PagePoint(point);
        if (QRectF(0, 0, 1, 1).contains(at) && m_selection->IsOverText(page, at)) {
            viewport()->setCursor(Qt::IBeamCursor);
            return;
        }
    }
    viewport()->unsetCursor();
}

void PageView::PaintSelection(QPainter& painter, int page, const QRect& rect) {
    for (const QRectF& onPage : m_selection->Areas(page)) {
        const QRectF area = ToShown(onPage, m_turns);
        const QRectF on(rect.left() + area.left() * rect.width(),
                        rect.top() + area.top() * rect.height(), area.width() * rect.width(),
                        area.height() * rect.height());
        painter.fillRect(on.adjusted(-1, -1, 1, 1), kSelection);
    }
}

} // namespace pdfeditor
