#include "layers.h"

#include "document.h"

#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>

#include <win32/trace.h>

#include <QAbstractItemModel>

#include <algorithm>
#include <set>

namespace pdfeditor {

namespace {

// Deeper than any real layer tree; a file whose /Order nests arrays in themselves stops here.
constexpr int kMaxDepth = 32;
// Switching a layer may switch others (radio-button groups, children); this many passes
// settle any state the file's own rules can reach.
constexpr int kMaxPasses = 4;

// What the file's default configuration says beside the tree Poppler reads: the object
// numbers of the layers at each path, the locked ones and the radio-button groups.
struct FileLayers {
    bool sound = true; // the tree neither loops nor nests too deep
    std::map<LayerPath, int> objects;
    std::set<int> locked;
    std::vector<std::set<int>> radioGroups;
};

// The tree as Poppler builds it from /Order: a layer is added under the current parent, an
// array holds the children of the entry before it, and a string is a label under which the
// rest of its array goes.
class OrderReader {
public:
    OrderReader(std::set<int> layers, FileLayers* out) : m_layers(std::move(layers)), m_out(out) {
        m_nodes.push_back(Node{});
    }

    void Read(QPDFObjectHandle order) {
        if (order.isArray()) {
            ReadArray(order, 0, 0);
        } else {
            // Without an order Poppler lists every layer at the top, by its number as text.
            std::vector<int> numbers(m_layers.begin(), m_layers.end());
            std::sort(numbers.begin(), numbers.end(),
                      [](int a, int b) { return std::to_string(a) < std::to_string(b); });
            for (int number : numbers) {
                Add(0, number);
            }
        }
        Paths(0, {});
    }

private:
    struct Node {
        int object = 0; // 0 for the root and labels
        std::vector<size_t> children;
    };

    size_t Add(size_t parent, int object) {
        m_nodes.push_back(Node{object, {}});
        m_nodes[parent].children.push_back(m_nodes.size() - 1);
        return m_nodes.size() - 1;
    }

    void ReadArray(QPDFObjectHandle array, size_t parent, int depth) {
        if (depth > kMaxDepth) {
            m_out->sound = false;
            return;
        }
        size_t last = parent;
        for (int i = 0; i < array.getArrayNItems() && m_out->sound; ++i) {
            QPDFObjectHandle item = array.getArrayItem(i);
            if (item.isDictionary() && item.isIndirect()) {
                const int number = item.getObjectID();
                if (m_layers.count(number)) {
                    // Poppler keeps one entry per layer: a second place would make it a child
                    // of itself or of two parents, and switching it would recurse without end.
                    if (!m_seen.insert(number).second) {
                        m_out->sound = false;
                        return;
                    }
                    last = Add(parent, number);
                }
            } else if (item.isArray() && item.getArrayNItems() > 0) {
                ReadArray(item, last, depth + 1);
            } else if (item.isString()) {
                parent = Add(parent, 0);
                last = parent;
            }
        }
    }

    void Paths(size_t node, const LayerPath& path) {
        const std::vector<size_t>& children = m_nodes[node].children;
        for (size_t row = 0; row < children.size(); ++row) {
            LayerPath child = path;
            child.push_back(static_cast<int>(row));
            if (m_nodes[children[row]].object) {
                m_out->objects[child] = m_nodes[children[row]].object;
            }
            Paths(children[row], child);
        }
    }

    std::set<int> m_layers;
    std::set<int> m_seen;
    std::vector<Node> m_nodes;
    FileLayers* m_out;
};

std::set<int> ObjectNumbers(QPDFObjectHandle array) {
    std::set<int> numbers;
    if (array.isArray()) {
        for (int i = 0; i < array.getArrayNItems(); ++i) {
            QPDFObjectHandle item = array.getArrayItem(i);
            if (item.isIndirect()) {
                numbers.insert(item.getObjectID());
            }
        }
    }
    return numbers;
}

// Nothing when qpdf cannot read the file (the layers are then listed without locks and groups).
FileLayers ReadFileLayers(const Document& document) {
    FileLayers layers;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(document.Path().c_str(), document.Password().c_str());
        QPDFObjectHandle properties = pdf.getRoot().getKey("/OCProperties");
        if (!properties.isDictionary()) {
            return layers;
        }
        QPDFObjectHandle config = properties.getKey("/D");
        if (!config.isDictionary()) {
            return layers;
        }
        std::set<int> groups;
        QPDFObjectHandle all = properties.getKey("/OCGs");
        for (int i = 0; all.isArray() && i < all.getArrayNItems(); ++i) {
            QPDFObjectHandle group = all.getArrayItem(i);
            if (group.isIndirect() && group.isDictionary()) {
                groups.insert(group.getObjectID());
            }
        }
        OrderReader(groups, &layers).Read(config.getKey("/Order"));
        layers.locked = ObjectNumbers(config.getKey("/Locked"));
        QPDFObjectHandle radio = config.getKey("/RBGroups");
        for (int i = 0; radio.isArray() && i < radio.getArrayNItems(); ++i) {
            layers.radioGroups.push_back(ObjectNumbers(radio.getArrayItem(i)));
        }
    } catch (const std::exception& error) {
        win32::Trace("editor", "layers of %s: %s", document.Path().c_str(), error.what());
    }
    return layers;
}

QModelIndex IndexOf(const QAbstractItemModel& model, const LayerPath& path) {
    QModelIndex index;
    for (int row : path) {
        index = model.index(row, 0, index);
        if (!index.isValid()) {
            return {};
        }
    }
    return index;
}

bool IsLayer(const QModelIndex& index) {
    return index.data(Qt::CheckStateRole).isValid();
}

bool IsVisible(const QModelIndex& index) {
    return index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

// False when the tree loops back on itself or nests too deep.
bool ReadTree(const QAbstractItemModel& model, const QModelIndex& parent, const LayerPath& path,
              const FileLayers& file, std::set<const void*>* seen, std::vector<LayerItem>* items) {
    if (path.size() > size_t(kMaxDepth)) {
        return false;
    }
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        if (!seen->insert(index.internalPointer()).second) {
            return false;
        }
        LayerItem item;
        item.name = index.data(Qt::DisplayRole).toString().simplified();
        item.path = path;
        item.path.push_back(row);
        item.isLayer = IsLayer(index);
        item.visible = item.isLayer && IsVisible(index);
        if (const auto object = file.objects.find(item.path); object != file.objects.end()) {
            item.locked = file.locked.count(object->second) > 0;
            for (size_t group = 0; group < file.radioGroups.size(); ++group) {
                if (file.radioGroups[group].count(object->second)) {
                    item.radioGroup = static_cast<int>(group);
                    break;
                }
            }
        }
        if (!ReadTree(model, index, item.path, file, seen, &item.children)) {
            return false;
        }
        items->push_back(std::move(item));
    }
    return true;
}

void CollectState(const std::vector<LayerItem>& items, LayerState* state) {
    for (const LayerItem& item : items) {
        if (item.isLayer) {
            (*state)[item.path] = item.visible;
        }
        CollectState(item.children, state);
    }
}

} // namespace

std::vector<LayerItem> ReadLayers(const Document& document) {
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler || !poppler->hasOptionalContent()) {
        return {};
    }
    // Before Poppler builds its model: that is where a looping /Order would recurse.
    const FileLayers file = ReadFileLayers(document);
    if (!file.sound) {
        win32::Trace("editor", "layers of %s: the layer tree loops or nests too deep",
                     document.Path().c_str());
        return {};
    }
    const QAbstractItemModel* model = poppler->optionalContentModel();
    if (!model) {
        return {};
    }
    std::vector<LayerItem> items;
    std::set<const void*> seen;
    if (!ReadTree(*model, QModelIndex(), {}, file, &seen, &items)) {
        win32::Trace("editor", "layers of %s: Poppler's layer tree loops", document.Path().c_str());
        return {};
    }
    return items;
}

LayerState InitialLayerState(const std::vector<LayerItem>& items) {
    LayerState state;
    CollectState(items, &state);
    return state;
}

bool SwitchLayer(const Document& document, const LayerItem& item, bool visible, LayerState* state) {
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler || !item.isLayer || item.locked || !state->count(item.path)) {
        return false;
    }
    // The model may show another view's choice, or the last one's of this view.
    if (!ApplyLayerState(poppler, *state)) {
        return false;
    }
    QAbstractItemModel* model = poppler->optionalContentModel();
    const QModelIndex index = IndexOf(*model, item.path);
    if (!index.isValid() || !IsLayer(index)) {
        return false;
    }
    model->setData(index, QVariant(visible), Qt::CheckStateRole);
    LayerState next;
    for (const auto& [path, wasVisible] : *state) {
        const QModelIndex layer = IndexOf(*model, path);
        next[path] = layer.isValid() ? IsVisible(layer) : wasVisible;
    }
    *state = std::move(next);
    return true;
}

bool ApplyLayerState(Poppler::Document* document, const LayerState& state) {
    if (state.empty()) {
        return true;
    }
    QAbstractItemModel* model = document ? document->optionalContentModel() : nullptr;
    if (!model) {
        win32::Trace("editor", "layers: the document has none to switch");
        return false;
    }
    // Off before on: switching a layer on may switch off the others of its radio-button group,
    // and switching a parent switches its children; the next pass mends what one upsets.
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        bool changed = false;
        for (const bool on : {false, true}) {
            for (const auto& [path, visible] : state) {
                if (visible != on) {
                    continue;
                }
                const QModelIndex index = IndexOf(*model, path);
                if (!index.isValid() || !IsLayer(index)) {
                    win32::Trace("editor", "layers: no layer at a path of %zu steps", path.size());
                    return false;
                }
                if (IsVisible(index) != visible) {
                    model->setData(index, QVariant(visible), Qt::CheckStateRole);
                    changed = true;
                }
            }
        }
        if (!changed) {
            return true;
        }
    }
    win32::Trace("editor", "layers: the visibility asked for does not settle");
    return false;
}

} // namespace pdfeditor
