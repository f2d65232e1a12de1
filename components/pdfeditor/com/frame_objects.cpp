// The frame and the layout objects it leads to: pane sites with their size limits, and the
// command bars' top row.
#include "com_object.h"
#include "editor_state.h"
#include "objects.h"

namespace pdfeditor {

namespace {

// Pane sites: 0 beside the documents on the left (the main frame's), 1 on the right (the side
// frame's).
class LayoutNodeObject : public DispatchObject<IPXV_LayoutNode> {
public:
    LayoutNodeObject(StatePtr state, int site) : m_state(std::move(state)), m_site(site) {}

    HRESULT STDMETHODCALLTYPE GetSizeLimits(LONG* maxWidth, LONG* minWidth, LONG* maxHeight,
                                            LONG* minHeight) override {
        if (!maxWidth || !minWidth || !maxHeight || !minHeight) {
            return E_POINTER;
        }
        const SizeLimits& limits = m_state->PaneLimits(m_site);
        *maxWidth = limits.maxWidth;
        *minWidth = limits.minWidth;
        *maxHeight = limits.maxHeight;
        *minHeight = limits.minHeight;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSizeLimits(LONG maxWidth, LONG minWidth, LONG maxHeight,
                                            LONG minHeight) override {
        if (maxWidth < 0 || minWidth < 0 || maxHeight < 0 || minHeight < 0 ||
            (maxWidth && maxWidth < minWidth) || (maxHeight && maxHeight < minHeight)) {
            return E_INVALIDARG;
        }
        m_state->PaneLimits(m_site) = SizeLimits{maxWidth, minWidth, maxHeight, minHeight};
        return S_OK;
    }

private:
    StatePtr m_state;
    int m_site;
};

class PaneLayoutObject : public DispatchObject<IPXV_PaneLayout> {
public:
    PaneLayoutObject(StatePtr state, int site) : m_state(std::move(state)), m_site(site) {}

    HRESULT STDMETHODCALLTYPE get_Root(IPXV_LayoutNode** node) override {
        return HandOut(new LayoutNodeObject(m_state, m_site), node);
    }

private:
    StatePtr m_state;
    int m_site;
};

class PaneSiteObject : public DispatchObject<IPXV_PaneSite> {
public:
    PaneSiteObject(StatePtr state, int site) : m_state(std::move(state)), m_site(site) {}

    HRESULT STDMETHODCALLTYPE get_Layout(IPXV_PaneLayout** layout) override {
        return HandOut(new PaneLayoutObject(m_state, m_site), layout);
    }

private:
    StatePtr m_state;
    int m_site;
};

class BarRowObject : public DispatchObject<IPXV_BarRow> {
public:
    explicit BarRowObject(StatePtr state) : m_state(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE Arrange() override {
        m_state->ArrangeBars();
        return S_OK;
    }

private:
    StatePtr m_state;
};

class CommandBarsObject : public DispatchObject<IPXV_CommandBars> {
public:
    explicit CommandBarsObject(StatePtr state) : m_state(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE GetRow(LONG side, IPXV_BarRow** row) override {
        if (!row) {
            return E_POINTER;
        }
        *row = nullptr;
        constexpr LONG kTop = 8;
        if (side != kTop) {
            return E_INVALIDARG;
        }
        return HandOut(new BarRowObject(m_state), row);
    }

private:
    StatePtr m_state;
};

class FrameObject : public DispatchObject<IPXV_Frame> {
public:
    FrameObject(StatePtr state, bool side) : m_state(std::move(state)), m_side(side) {}

    HRESULT STDMETHODCALLTYPE get_PaneSite(IPXV_PaneSite** site) override {
        return HandOut(new PaneSiteObject(m_state, m_side ? 1 : 0), site);
    }
    HRESULT STDMETHODCALLTYPE get_SideFrame(IPXV_Frame** frame) override {
        if (!frame) {
            return E_POINTER;
        }
        *frame = nullptr;
        return m_side ? S_FALSE : HandOut(MakeFrame(m_state, true), frame);
    }
    HRESULT STDMETHODCALLTYPE get_CommandBars(IPXV_CommandBars** bars) override {
        return HandOut(new CommandBarsObject(m_state), bars);
    }

private:
    StatePtr m_state;
    bool m_side;
};

} // namespace

IPXV_Frame* MakeFrame(const StatePtr& state, bool side) {
    return new FrameObject(state, side);
}

} // namespace pdfeditor
