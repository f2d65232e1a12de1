#include "form_model.h"

#include "core/document.h"
#include "core/edit/edit_session.h"

#include <win32/trace.h>

#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>

#include <algorithm>
#include <exception>

namespace pdfeditor {

namespace {

bool Fillable(FieldKind kind) {
    return kind == FieldKind::Text || kind == FieldKind::CheckBox ||
           kind == FieldKind::RadioGroup || kind == FieldKind::ListBox ||
           kind == FieldKind::ComboBox;
}

} // namespace

FormModel::FormModel(const Document& document) : m_document(document) {}

void FormModel::Read() {
    m_read = true;
    m_revision = m_document.Edits().Revision();
    m_fields.clear();
    m_pages.clear();
    const Poppler::Document* poppler = m_document.PopplerDocument();
    if (!poppler || poppler->formType() == Poppler::Document::NoForm) {
        return;
    }
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        if (std::shared_ptr<const QByteArray> bytes = m_document.Edits().Bytes()) {
            pdf.processMemoryFile(m_document.FileName().c_str(), bytes->constData(),
                                  static_cast<size_t>(bytes->size()),
                                  m_document.Password().c_str());
            m_fields = ReadFormFields(pdf);
        } else {
            pdf.processFile(m_document.Path().c_str(), m_document.Password().c_str());
            m_fields = ReadFormFields(pdf);
        }
    } catch (const std::exception& e) {
        win32::Trace("editor", "form of %s not read: %s", m_document.Path().c_str(), e.what());
        m_fields.clear();
    }
    for (size_t f = 0; f < m_fields.size(); ++f) {
        const std::vector<FormWidgetInfo>& widgets = m_fields[f].widgets;
        for (size_t w = 0; w < widgets.size(); ++w) {
            if (widgets[w].page >= 0) {
                m_pages[widgets[w].page].push_back(FieldWidget{f, w});
            }
        }
    }
}

const std::vector<FormFieldInfo>& FormModel::Fields() {
    if (!m_read || m_revision != m_document.Edits().Revision()) {
        Read();
    }
    return m_fields;
}

const std::vector<FieldWidget>& FormModel::OnPage(int page) {
    static const std::vector<FieldWidget> kNone;
    Fields();
    const auto found = m_pages.find(page);
    return found == m_pages.end() ? kNone : found->second;
}

QRectF FormModel::Rect(FieldWidget at) {
    const std::vector<FormFieldInfo>& fields = Fields();
    if (at.field >= fields.size() || at.widget >= fields[at.field].widgets.size()) {
        return {};
    }
    const FormWidgetInfo& widget = fields[at.field].widgets[at.widget];
    return QRectF(QPointF(widget.left, widget.bottom), QPointF(widget.right, widget.top));
}

std::optional<FieldWidget> FormModel::At(int page, QPointF pdf) {
    const std::vector<FieldWidget>& widgets = OnPage(page);
    // Later widgets are drawn over earlier ones: the last that holds the point is on top.
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) {
        const QRectF rect = Rect(*it);
        if (pdf.x() >= rect.left() && pdf.x() <= rect.right() && pdf.y() >= rect.top() &&
            pdf.y() <= rect.bottom()) {
            return *it;
        }
    }
    return std::nullopt;
}

std::optional<FieldWidget> FormModel::Find(const std::string& name) {
    const std::vector<FormFieldInfo>& fields = Fields();
    for (size_t f = 0; f < fields.size(); ++f) {
        if (fields[f].name == name && !fields[f].widgets.empty()) {
            return FieldWidget{f, 0};
        }
    }
    return std::nullopt;
}

bool FormModel::CanFill(size_t field) {
    const std::vector<FormFieldInfo>& fields = Fields();
    return field < fields.size() && Fillable(fields[field].kind) && !fields[field].readOnly &&
           m_document.Edits().CanFillForms();
}

std::optional<FieldWidget> FormModel::Next(std::optional<FieldWidget> from, bool forward) {
    const std::vector<FormFieldInfo>& fields = Fields();
    const size_t count = fields.size();
    if (count == 0) {
        return std::nullopt;
    }
    // Where the walk starts: just past `from`, or at one end.
    size_t at = from && from->field < count ? from->field : (forward ? count - 1 : 0);
    for (size_t step = 0; step < count; ++step) {
        at = forward ? (at + 1) % count : (at + count - 1) % count;
        const FormFieldInfo& field = fields[at];
        if (!CanFill(at)) {
            continue;
        }
        std::optional<size_t> stop;
        for (size_t w = 0; w < field.widgets.size(); ++w) {
            if (field.widgets[w].page < 0) {
                continue;
            }
            if (!stop) {
                stop = w;
            }
            if (field.kind == FieldKind::RadioGroup && !field.value.state.empty() &&
                field.widgets[w].onState == field.value.state) {
                stop = w;
                break;
            }
        }
        if (stop) {
            return FieldWidget{at, *stop};
        }
    }
    return std::nullopt;
}

} // namespace pdfeditor
