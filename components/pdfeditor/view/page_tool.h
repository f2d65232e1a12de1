// Something that takes the page view's pointer and keys for a while: a commenting tool, the
// form filler. The view offers each event to its tools, the most recently added first; the
// first that takes it has it, and the view's own handling (text selection, links) comes last.
#pragma once

class QKeyEvent;
class QMouseEvent;
class QPainter;

namespace pdfeditor {

class PageView;

class PageTool {
public:
    virtual ~PageTool() = default;
    virtual bool MousePress(PageView& /*view*/, QMouseEvent* /*event*/) { return false; }
    virtual bool MouseMove(PageView& /*view*/, QMouseEvent* /*event*/) { return false; }
    virtual bool MouseRelease(PageView& /*view*/, QMouseEvent* /*event*/) { return false; }
    virtual bool MouseDoubleClick(PageView& /*view*/, QMouseEvent* /*event*/) { return false; }
    virtual bool KeyPress(PageView& /*view*/, QKeyEvent* /*event*/) { return false; }
    // Drawn over the pages, in the viewport's coordinates.
    virtual void Paint(PageView& /*view*/, QPainter& /*painter*/) {}
};

} // namespace pdfeditor
