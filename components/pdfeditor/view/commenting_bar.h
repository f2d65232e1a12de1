// The commenting bar ("cmdbar.commenting"): a button per tool (select, sticky note, highlight,
// underline, strike-out, typewriter, pencil, rectangle, ellipse, line, arrow, stamp with its
// palette, picture stamp), the style menu (colour, opacity, line width, font size: of the
// selected comment, or of the tool for what it makes next) and Delete. It drives one
// AnnotationTool, which the editor moves to the active view.
#pragma once

#include "annotation_tool.h"

#include <win32/types.h>

#include <QObject>

#include <functional>
#include <map>

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QWidget;

namespace pdfeditor {

class EditCommands;

class CommentingBar : public QObject {
    Q_OBJECT
public:
    // Fills `bar`; dialogs are parented to `owner`, refusals shown through `edits`.
    CommentingBar(QToolBar* bar, QWidget* owner, EditCommands* edits);

    AnnotationTool* Tool() const { return m_tool; }
    // The button of a tool that makes annotations of this kind.
    QAction* ToolAction(AnnotationKind kind) const;
    QAction* SelectAction() const { return m_select; }
    QAction* DeleteAction() const { return m_delete; }
    QMenu* StyleMenu() const { return m_styleMenu; }
    QMenu* StampMenu() const { return m_stampMenu; }
    void SetDialogOwner(HWND owner) { m_dialogOwner = owner; }

    // The style the bar's menu changes now: the selected comment's, else the current tool's.
    void ApplyColor(const QColor& color);
    void ApplyOpacity(double opacity);
    void ApplyLineWidth(double width);
    void ApplyFontSize(double size);
    // The kind whose style the menu changes when nothing is selected: the tool that creates,
    // else the sticky note's.
    AnnotationKind StyledKind() const;

private:
    void Retranslate();
    void FollowMode();
    void ChangeSelected(const std::function<void(AnnotationStyle&)>& change);
    void ChangeStyle(const std::function<void(AnnotationStyle&)>& change);
    std::optional<QByteArray> AskImage();

    QWidget* m_owner;
    EditCommands* m_edits;
    AnnotationTool* m_tool;
    QActionGroup* m_group;
    QAction* m_select;
    std::map<AnnotationKind, QAction*> m_tools;
    QAction* m_style;
    QAction* m_delete;
    QMenu* m_styleMenu;
    QMenu* m_stampMenu;
    HWND m_dialogOwner = nullptr;
    bool m_following = false;
};

} // namespace pdfeditor
