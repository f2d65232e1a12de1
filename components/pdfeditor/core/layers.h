// The document's layers (optional content groups) as the layers pane lists them, and the
// visibility a view gives them. Poppler reads the tree and switches layers, radio-button groups
// and nesting included, but does not say which layers are locked or grouped: that comes from
// the file's default configuration (/OCProperties /D), read with qpdf.
//
// Render threads have Poppler documents of their own, so a view's choice travels as a
// LayerState, which each of them applies to its own document before it renders.
#pragma once

#include <QString>

#include <map>
#include <vector>

namespace Poppler {
class Document;
}

namespace pdfeditor {

class Document;

// Where an entry sits in the tree: its row under each parent, from the top. Every Poppler
// document of the same file gives the same paths, which is how a render thread finds the
// layers a view switched.
using LayerPath = std::vector<int>;

// The visibility of every layer (labels have none), by path. A view starts with an empty one:
// the file's own.
using LayerState = std::map<LayerPath, bool>;

struct LayerItem {
    QString name;
    LayerPath path;
    bool isLayer = true;  // false for a label that only heads the entries under it
    bool visible = false; // at first, as the file says
    bool locked = false;  // the file asks that a person not switch it
    int radioGroup = -1;  // the first radio-button group it belongs to; -1 for none
    std::vector<LayerItem> children;
};

// Empty for a document without layers, and for one whose layer tree loops or nests deeper than
// any real one (Poppler would recurse without end on it). UI thread (the document's own).
std::vector<LayerItem> ReadLayers(const Document& document);

// The visibility of every layer in `items`, as the file starts them.
LayerState InitialLayerState(const std::vector<LayerItem>& items);

// Switches one layer in `*state` (complete: every layer of the document), together with what
// the file's radio-button groups and the nesting switch along. False, and *state unchanged, for
// a locked layer, a label or an entry the document does not have. UI thread; uses the opening
// document's Poppler model as scratch, so that the outcome is the one the render threads' own
// Poppler documents arrive at.
bool SwitchLayer(const Document& document, const LayerItem& item, bool visible, LayerState* state);

// Makes a Poppler document show `state`; an empty state changes nothing. False when some path
// is not in the document or a layer will not take its visibility (the reason is traced). For
// render threads, on their own documents.
bool ApplyLayerState(Poppler::Document* document, const LayerState& state);

} // namespace pdfeditor
