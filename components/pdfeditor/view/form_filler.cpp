#include "form_filler.h"

#include "core/document.h"
#include "core/edit/edit_session.h"
#include "core/texts.h"
#include "form_field_editor.h"
#include "page_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <set>

namespace pdfeditor {

namespace {

// Light enough to read the field through; the focus frame is the same blue, solid.
const QColor kTint(64, 128, 255, 48);
const QColor kFocusFrame(59, 120, 231);

// The kinds a person fills in; push buttons and signatures are someone else's business.
bool IsFilledKind(FieldKind kind) {
    return kind == FieldKind::Text || kind == FieldKind::CheckBox ||
           kind == FieldKind::RadioGroup || kind == FieldKind::ListBox ||
           kind == FieldKind::ComboBox;
}

bool OpensEditor(FieldKind kind) {
    return kind == FieldKind::Text || kind == FieldKind::ListBox || kind == FieldKind::ComboBox;
}

bool SameValue(const FormFieldInfo& field, const FieldValue& value) {
    switch (field.kind) {
    case FieldKind::Text:
        return field.value.text == value.text;
    case FieldKind::CheckBox:
        return field.value.checked == value.checked;
    case FieldKind::RadioGroup:
        return field.value.state == value.state;
    case FieldKind::ListBox:
        return std::set<std::string>(field.value.choices.begin(), field.value.choices.end()) ==
               std::set<std::string>(value.choices.begin(), value.choices.end());
    case FieldKind::ComboBox:
        return value.choices.empty() ? field.value.choices.empty() && field.value.text == value.text
                                     : field.value.choices == value.choices;
    default:
        return true;
    }
}

} // namespace

FormFiller::FormFiller(PageView* view)
    : QObject(view), m_view(view), m_document(view->GetDocument()), m_model(*m_document) {
    setObjectName(QStringLiteral("formFiller"));
    view->AddTool(this);
    // Tab never reaches a widget's key handler: the view's own focus chain takes it first.
    view->installEventFilter(this);
    EditSession& edits = m_document->Edits();
    connect(&edits, &EditSession::Changed, this, &FormFiller::OnDocumentChanged);
    connect(&edits, &EditSession::SourceChanged, this, &FormFiller::OnDocumentChanged);
    connect(view, &PageView::Scrolled, this, &FormFiller::PlaceEditor);
    connect(view, &PageView::ZoomChanged, this, &FormFiller::PlaceEditor);
    connect(view, &PageView::ArrangementChanged, this, &FormFiller::PlaceEditor);
    // A view being destroyed deletes its children after its own members, the list of tools
    // included, and before pointers to it are cleared: its viewport, an older child, going
    // first is the sign that the view must not be touched any more.
    connect(view->viewport(), &QObject::destroyed, this, [this] { m_view = nullptr; });
}

FormFiller::~FormFiller() {
    if (m_view) {
        m_view->RemoveTool(this);
        m_view->removeEventFilter(this);
    }
}

FormFiller* FormFiller::Of(const PageView* view) {
    return view ? view->findChild<FormFiller*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void FormFiller::SetHighlight(bool on) {
    if (on != m_highlight) {
        m_highlight = on;
        if (m_view) {
            m_view->viewport()->update();
        }
    }
}

std::string FormFiller::FocusedField() const {
    return m_focusName;
}

QWidget* FormFiller::OpenEditor() const {
    return m_editor ? m_editor->Widget() : nullptr;
}

std::optional<FieldWidget> FormFiller::WidgetAt(QPoint point) {
    if (!m_view || m_view->PageCount() == 0) {
        return std::nullopt;
    }
    const int page = m_view->PageAtPoint(point).first;
    if (page < 0 || page >= m_view->PageCount() || m_model.OnPage(page).empty()) {
        return std::nullopt;
    }
    const std::optional<FieldWidget> at = m_model.At(page, m_view->ViewportToPdf(page, point));
    if (!at || !IsFilledKind(m_model.Fields()[at->field].kind)) {
        return std::nullopt;
    }
    return at;
}

QRect FormFiller::ViewportRect(FieldWidget at) {
    const std::vector<FormFieldInfo>& fields = m_model.Fields();
    if (!m_view || at.field >= fields.size() || at.widget >= fields[at.field].widgets.size()) {
        return {};
    }
    const int page = fields[at.field].widgets[at.widget].page;
    const QRectF pdf = m_model.Rect(at);
    const QPointF a = m_view->PdfToViewport(page, pdf.topLeft());
    const QPointF b = m_view->PdfToViewport(page, pdf.bottomRight());
    return QRectF(a, b).normalized().toRect();
}

bool FormFiller::MousePress(PageView&, QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return false;
    }
    const std::optional<FieldWidget> at = WidgetAt(event->position().toPoint());
    if (!at) {
        // A click anywhere else on the pages is done with the field.
        CloseEditor(true);
        if (!m_focusName.empty()) {
            Focus(std::nullopt);
        }
        return false;
    }
    m_pressed = at;
    event->accept();
    return true;
}

bool FormFiller::MouseDoubleClick(PageView& view, QMouseEvent* event) {
    // The second click of a quick pair is a click of its own: a check box toggles back.
    return MousePress(view, event);
}

bool FormFiller::MouseRelease(PageView&, QMouseEvent* event) {
    if (!m_pressed) {
        return false;
    }
    const FieldWidget pressed = *m_pressed;
    m_pressed.reset();
    const QPoint point = event->position().toPoint();
    const std::optional<FieldWidget> at = WidgetAt(point);
    if (at && *at == pressed) {
        Activate(pressed, point);
    }
    event->accept();
    return true;
}

bool FormFiller::MouseMove(PageView& view, QMouseEvent* event) {
    if (event->buttons() != Qt::NoButton) {
        return m_pressed.has_value(); // a drag selecting text passes over fields
    }
    const std::optional<FieldWidget> at = WidgetAt(event->position().toPoint());
    if (!at) {
        return false;
    }
    const FormFieldInfo& field = m_model.Fields()[at->field];
    QWidget* viewport = view.viewport();
    if (!m_model.CanFill(at->field)) {
        viewport->setCursor(Qt::ArrowCursor);
        viewport->setToolTip(Tr(m_document->Edits().CanFillForms()
                                    ? TextId::FormFieldReadOnly
                                    : TextId::EditFormsNotPermitted));
    } else {
        const bool typed =
            field.kind == FieldKind::Text || (field.kind == FieldKind::ComboBox && field.editable);
        viewport->setCursor(typed ? Qt::IBeamCursor : Qt::PointingHandCursor);
        viewport->setToolTip(QString());
    }
    return true;
}

bool FormFiller::KeyPress(PageView&, QKeyEvent* event) {
    if (m_focusName.empty()) {
        return false;
    }
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const std::optional<FieldWidget> at = m_model.Find(m_focusName)) {
            Activate(FieldWidget{at->field, m_focusWidget}, std::nullopt);
            return true;
        }
        return false;
    case Qt::Key_Escape:
        Focus(std::nullopt);
        return true;
    default:
        return false;
    }
}

bool FormFiller::eventFilter(QObject* watched, QEvent* event) {
    // The type first: while the view is being destroyed it still sends events (focus) here, and
    // comparing with it then would take a half-destroyed widget for a PageView.
    if (event->type() == QEvent::KeyPress && watched == m_view) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const bool forward =
                key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            // Without fields to fill, Tab leaves the view as it always has.
            return FocusNext(forward);
        }
    }
    return QObject::eventFilter(watched, event);
}

void FormFiller::Activate(FieldWidget at, std::optional<QPoint> click) {
    const std::vector<FormFieldInfo>& fields = m_model.Fields();
    if (at.field >= fields.size()) {
        return;
    }
    if (!m_model.CanFill(at.field)) {
        Refuse(click.value_or(ViewportRect(at).center()));
        return;
    }
    const FormFieldInfo field = fields[at.field]; // the edit reads the fields again
    if (OpensEditor(field.kind)) {
        OpenEditorOn(at, click);
        return;
    }
    Focus(at);
    FieldValue value = field.value;
    if (field.kind == FieldKind::CheckBox) {
        value.checked = !value.checked;
    } else {
        // A radio button once chosen stays chosen: another one of the group changes it.
        value.state = field.widgets[at.widget].onState;
        if (value.state.empty()) {
            return;
        }
    }
    Commit(at.field, value);
}

void FormFiller::Focus(std::optional<FieldWidget> at) {
    const std::string name = at ? m_model.Fields()[at->field].name : std::string();
    if (!m_editor || m_editor->FieldName() != name) {
        CloseEditor(true);
    }
    if (name == m_focusName && (!at || at->widget == m_focusWidget)) {
        return;
    }
    m_focusName = name;
    m_focusWidget = at ? at->widget : 0;
    if (m_view) {
        if (at && !m_editor) {
            m_view->setFocus(Qt::TabFocusReason);
        }
        m_view->viewport()->update();
    }
    emit FocusChanged();
}

bool FormFiller::FocusNext(bool forward) {
    if (!m_view) {
        return false;
    }
    std::optional<FieldWidget> from;
    if (!m_focusName.empty()) {
        from = m_model.Find(m_focusName);
    }
    CloseEditor(true);
    const std::optional<FieldWidget> next = m_model.Next(from, forward);
    if (!next) {
        return false;
    }
    ScrollIntoView(*next);
    if (OpensEditor(m_model.Fields()[next->field].kind)) {
        OpenEditorOn(*next, std::nullopt);
    } else {
        Focus(*next);
    }
    return true;
}

void FormFiller::ScrollIntoView(FieldWidget at) {
    const int page = m_model.Fields()[at.field].widgets[at.widget].page;
    const PageLayout& layout = m_view->Pages();
    if (!m_view->Layout().continuous && layout.RowOf(page) != layout.ShownRow()) {
        m_view->GoToPage(page);
    }
    const QRect area = m_view->viewport()->rect();
    QRect rect = ViewportRect(at);
    if (area.contains(rect)) {
        return;
    }
    // The field a third of the way down, where the eye goes next, and a little in from the
    // left; nearer the edges where it would not fit whole.
    QScrollBar* down = m_view->verticalScrollBar();
    if (rect.top() < 0 || rect.bottom() > area.bottom()) {
        const int margin = std::clamp((area.height() - rect.height()) / 2, 0, area.height() / 3);
        down->setValue(down->value() + rect.top() - margin);
    }
    rect = ViewportRect(at);
    QScrollBar* across = m_view->horizontalScrollBar();
    if (rect.left() < 0 || rect.right() > area.right()) {
        const int margin = std::clamp((area.width() - rect.width()) / 2, 0, area.width() / 8);
        across->setValue(across->value() + rect.left() - margin);
    }
}

void FormFiller::OpenEditorOn(FieldWidget at, std::optional<QPoint> click) {
    const FormFieldInfo& field = m_model.Fields()[at.field];
    if (m_editor && m_editor->FieldName() == field.name && m_focusWidget == at.widget) {
        return;
    }
    CloseEditor(true);
    const FormFieldInfo current = m_model.Fields()[at.field]; // read again after the commit
    m_focusName = current.name;
    m_focusWidget = at.widget;
    m_editor = std::make_unique<FieldEditor>(current, m_view->viewport());
    connect(m_editor.get(), &FieldEditor::Accepted, this, [this] { CloseEditor(true); });
    connect(m_editor.get(), &FieldEditor::Cancelled, this, [this] { CloseEditor(false); });
    connect(m_editor.get(), &FieldEditor::FocusLeft, this, [this] { CloseEditor(true); });
    connect(m_editor.get(), &FieldEditor::TabPressed, this,
            [this](bool forward) { FocusNext(forward); });
    PlaceEditor();
    m_editor->Start(click);
    m_view->viewport()->update();
    emit FocusChanged();
}

void FormFiller::PlaceEditor() {
    if (!m_editor || !m_view) {
        return;
    }
    const std::optional<FieldWidget> at = m_model.Find(m_focusName);
    if (!at) {
        return;
    }
    m_editor->Place(ViewportRect(FieldWidget{at->field, m_focusWidget}),
                    m_view->Zoom() * PageView::kPixelsPerPoint);
}

bool FormFiller::AcceptEditor() {
    return CloseEditor(true);
}

bool FormFiller::CloseEditor(bool accept) {
    if (!m_editor) {
        return true;
    }
    // Closing may come from inside the editor's own events: it goes once they are over.
    FieldEditor* editor = m_editor.release();
    editor->disconnect(this);
    QWidget* widget = editor->Widget();
    const bool hadFocus =
        widget && (widget->hasFocus() || widget->isAncestorOf(QApplication::focusWidget()));
    bool accepted = true;
    if (accept) {
        if (const std::optional<FieldWidget> at = m_model.Find(editor->FieldName())) {
            accepted = Commit(at->field, editor->Value());
        }
    }
    if (widget) {
        if (hadFocus && m_view) {
            m_view->setFocus(Qt::OtherFocusReason);
        }
        widget->hide();
    }
    editor->deleteLater();
    if (m_view) {
        m_view->viewport()->update();
    }
    emit FocusChanged();
    return accepted;
}

bool FormFiller::Commit(size_t field, const FieldValue& value) {
    const std::vector<FormFieldInfo>& fields = m_model.Fields();
    if (field >= fields.size() || SameValue(fields[field], value)) {
        return true;
    }
    EditOperation operation;
    operation.kind = EditKind::SetField;
    operation.field = fields[field].name;
    operation.value = value;
    std::string error;
    if (!m_document->Edits().Do(std::move(operation), &error)) {
        emit EditFailed(error);
        if (m_view && !isSignalConnected(QMetaMethod::fromSignal(&FormFiller::EditFailed))) {
            QToolTip::showText(m_view->viewport()->mapToGlobal(m_view->viewport()->rect().center()),
                               QString::fromStdString(error), m_view->viewport());
        }
        return false;
    }
    return true;
}

void FormFiller::Refuse(QPoint at) {
    const QString reason = Tr(m_document->Edits().CanFillForms() ? TextId::FormFieldReadOnly
                                                                 : TextId::EditFormsNotPermitted);
    if (m_view) {
        QToolTip::showText(m_view->viewport()->mapToGlobal(at), reason, m_view->viewport());
    }
    emit Refused(reason);
}

void FormFiller::OnDocumentChanged() {
    m_model.Invalidate();
    PlaceEditor();
    if (m_view) {
        m_view->viewport()->update();
    }
}

void FormFiller::Paint(PageView& view, QPainter& painter) {
    const bool focusFrame = !m_focusName.empty() && !m_editor;
    if ((!m_highlight && !focusFrame) || !m_document->PopplerDocument()) {
        return;
    }
    const std::vector<FormFieldInfo>& fields = m_model.Fields();
    if (fields.empty()) {
        return;
    }
    const QRect area = view.viewport()->rect();
    if (m_highlight && m_document->Edits().CanFillForms()) {
        std::set<int> pages;
        for (const FormFieldInfo& field : fields) {
            for (const FormWidgetInfo& widget : field.widgets) {
                pages.insert(widget.page);
            }
        }
        for (int page : pages) {
            if (page < 0 || page >= view.PageCount()) {
                continue;
            }
            const QRect shown =
                QRectF(view.ToViewport(page, QPointF(0, 0)), view.ToViewport(page, QPointF(1, 1)))
                    .normalized()
                    .toRect();
            if (!shown.intersects(area)) {
                continue;
            }
            for (const FieldWidget& at : m_model.OnPage(page)) {
                if (!IsFilledKind(fields[at.field].kind) || !m_model.CanFill(at.field)) {
                    continue;
                }
                if (fields[at.field].kind == FieldKind::RadioGroup) {
                    // Round buttons get a round tint, not a square behind them.
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(kTint);
                    painter.setRenderHint(QPainter::Antialiasing);
                    painter.drawEllipse(ViewportRect(at));
                } else {
                    painter.fillRect(ViewportRect(at), kTint);
                }
            }
        }
    }
    if (focusFrame) {
        if (const std::optional<FieldWidget> at = m_model.Find(m_focusName)) {
            painter.setPen(QPen(kFocusFrame, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(
                ViewportRect(FieldWidget{at->field, m_focusWidget}).adjusted(-2, -2, 1, 1));
        }
    }
}

} // namespace pdfeditor
