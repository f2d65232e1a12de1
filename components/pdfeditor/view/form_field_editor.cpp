#include "form_field_editor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace pdfeditor {

namespace {

// The frame says "this is being edited" in the colour the highlight of fields has, stronger.
const char kStyle[] = "border: 1px solid #3b78e7; background: white; color: black;";

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// At most `limit` characters (code points, as the file counts them); any number for 0.
std::string Limited(const QString& text, int limit) {
    const QList<uint> characters = text.toUcs4();
    if (limit <= 0 || characters.size() <= limit) {
        return text.toStdString();
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), limit)
        .toStdString();
}

int IndexOf(const std::vector<std::string>& options, const std::string& value) {
    const auto found = std::find(options.begin(), options.end(), value);
    return found == options.end() ? -1 : static_cast<int>(found - options.begin());
}

} // namespace

FieldEditor::FieldEditor(const FormFieldInfo& field, QWidget* parent) : m_field(field) {
    const auto shown = [this](size_t i) {
        return FromUtf8(i < m_field.optionNames.size() ? m_field.optionNames[i]
                                                       : m_field.options[i]);
    };
    switch (m_field.kind) {
    case FieldKind::ComboBox: {
        m_combo = new QComboBox(parent);
        for (size_t i = 0; i < m_field.options.size(); ++i) {
            m_combo->addItem(shown(i), FromUtf8(m_field.options[i]));
        }
        m_combo->setEditable(m_field.editable);
        if (m_combo->isEditable()) {
            m_combo->setInsertPolicy(QComboBox::NoInsert);
            Watch(m_combo->lineEdit());
        }
        const int index = m_field.value.choices.empty()
                              ? -1
                              : IndexOf(m_field.options, m_field.value.choices.front());
        m_combo->setCurrentIndex(index);
        if (index < 0 && m_combo->isEditable()) {
            m_combo->setEditText(FromUtf8(m_field.value.text));
        }
        // A choice from the drop-down is the person's answer; typing waits for Enter.
        connect(m_combo, qOverload<int>(&QComboBox::activated), this, &FieldEditor::Accepted);
        m_widget = m_combo;
        break;
    }
    case FieldKind::ListBox: {
        m_list = new QListWidget(parent);
        m_list->setSelectionMode(m_field.multiSelect ? QAbstractItemView::ExtendedSelection
                                                     : QAbstractItemView::SingleSelection);
        for (size_t i = 0; i < m_field.options.size(); ++i) {
            auto* item = new QListWidgetItem(shown(i), m_list);
            item->setData(Qt::UserRole, FromUtf8(m_field.options[i]));
            const bool selected =
                std::find(m_field.value.choices.begin(), m_field.value.choices.end(),
                          m_field.options[i]) != m_field.value.choices.end();
            item->setSelected(selected);
            if (selected && !m_list->currentItem()) {
                m_list->setCurrentItem(item, QItemSelectionModel::NoUpdate);
            }
        }
        m_widget = m_list;
        break;
    }
    default:
        if (m_field.multiLine) {
            m_text = new QPlainTextEdit(parent);
            m_text->setPlainText(FromUtf8(m_field.value.text));
            m_text->setFrameShape(QFrame::NoFrame);
            m_text->setTabChangesFocus(true);
            m_widget = m_text;
        } else {
            m_line = new QLineEdit(parent);
            m_line->setFrame(false);
            m_line->setText(FromUtf8(m_field.value.text));
            if (m_field.maxLength > 0) {
                m_line->setMaxLength(m_field.maxLength);
            }
            if (m_field.password) {
                m_line->setEchoMode(QLineEdit::Password);
            }
            m_widget = m_line;
        }
        break;
    }
    m_widget->setObjectName(QStringLiteral("formFieldEditor"));
    m_widget->setStyleSheet(QString::fromLatin1(kStyle));
    m_widget->hide();
    Watch(m_widget);
}

FieldEditor::~FieldEditor() {
    delete m_widget.data();
}

void FieldEditor::Watch(QWidget* widget) {
    if (widget) {
        widget->installEventFilter(this);
    }
}

void FieldEditor::Place(const QRect& rect, double pixelsPerPoint) {
    if (!m_widget) {
        return;
    }
    // The text is the size the page shows it at; an automatic size fits a line in the height.
    double points = m_field.fontSize;
    if (points <= 0) {
        const double height = rect.height() / std::max(0.01, pixelsPerPoint);
        const bool lines = m_text || m_list;
        points = lines ? 12 : std::clamp((height - 4) / 1.15, 4.0, 24.0);
    }
    QFont font = QApplication::font();
    font.setPixelSize(std::max(1, int(std::lround(points * pixelsPerPoint))));
    m_widget->setFont(font);
    if (m_combo) {
        m_combo->view()->setFont(font);
    }
    m_widget->setGeometry(rect);
}

void FieldEditor::Start(std::optional<QPoint> click) {
    if (!m_widget) {
        return;
    }
    m_widget->show();
    m_widget->raise();
    m_widget->setFocus(Qt::MouseFocusReason);
    if (m_line) {
        if (click) {
            m_line->setCursorPosition(m_line->cursorPositionAt(m_line->mapFromParent(*click)));
        } else {
            m_line->selectAll();
        }
    } else if (m_text) {
        if (click) {
            m_text->setTextCursor(m_text->cursorForPosition(
                m_text->viewport()->mapFrom(m_text->parentWidget(), *click)));
        } else {
            m_text->moveCursor(QTextCursor::End);
        }
    } else if (m_combo && click && !m_combo->isEditable()) {
        m_combo->showPopup();
    } else if (m_list && click) {
        // The click that opened the list is on a row: it chooses that row, as it would in it.
        if (QListWidgetItem* item =
                m_list->itemAt(m_list->viewport()->mapFrom(m_list->parentWidget(), *click))) {
            m_list->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
        }
    }
}

FieldValue FieldEditor::Value() const {
    FieldValue value = m_field.value;
    if (m_line) {
        value.text = Limited(m_line->text(), m_field.maxLength);
    } else if (m_text) {
        value.text = Limited(m_text->toPlainText(), m_field.maxLength);
    } else if (m_combo) {
        value.choices.clear();
        value.text.clear();
        const int index = m_combo->currentIndex();
        const bool typed = m_combo->isEditable() &&
                           (index < 0 || m_combo->currentText() != m_combo->itemText(index));
        if (typed) {
            // Typed text that reads as an option is that option.
            const int named = m_combo->findText(m_combo->currentText());
            if (named >= 0) {
                value.choices.push_back(m_combo->itemData(named).toString().toStdString());
            } else {
                value.text = m_combo->currentText().toStdString();
            }
        } else if (index >= 0) {
            value.choices.push_back(m_combo->itemData(index).toString().toStdString());
        }
    } else if (m_list) {
        value.choices.clear();
        for (int i = 0; i < m_list->count(); ++i) {
            if (m_list->item(i)->isSelected()) {
                value.choices.push_back(
                    m_list->item(i)->data(Qt::UserRole).toString().toStdString());
            }
        }
    }
    return value;
}

bool FieldEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!control) {
                emit TabPressed(key->key() == Qt::Key_Tab &&
                                !(key->modifiers() & Qt::ShiftModifier));
                return true;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // In a box of lines Enter starts a new line; Ctrl+Enter is done.
            if (!m_text || control) {
                emit Accepted();
                return true;
            }
            break;
        case Qt::Key_Escape:
            emit Cancelled();
            return true;
        default:
            break;
        }
    } else if (event->type() == QEvent::FocusOut && !m_focusCheckPending) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
            // Another window in front, or a menu: the person has not left the field.
            return QObject::eventFilter(watched, event);
        }
        // Whether the focus left the editor is known once it has arrived somewhere: a combo
        // box's own drop-down or line keeps it.
        m_focusCheckPending = true;
        QTimer::singleShot(0, this, &FieldEditor::CheckFocus);
    }
    return QObject::eventFilter(watched, event);
}

void FieldEditor::CheckFocus() {
    m_focusCheckPending = false;
    if (!m_widget) {
        return;
    }
    const QWidget* focus = QApplication::focusWidget();
    const bool inside = focus && (focus == m_widget || m_widget->isAncestorOf(focus));
    const bool dropDown = m_combo && m_combo->view()->isVisible();
    if (!inside && !dropDown) {
        emit FocusLeft();
    }
}

} // namespace pdfeditor
