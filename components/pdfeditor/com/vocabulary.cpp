#include "vocabulary.h"

#include <array>

namespace pdfeditor {

namespace {

constexpr std::array kCommandBars = {
    "cmdbar.menubar",    "cmdbar.standard",   "cmdbar.file",           "cmdbar.view",
    "cmdbar.pageZoom",   "cmdbar.pageNav",    "cmdbar.contentEditing", "cmdbar.pageLayout",
    "cmdbar.docOptions", "cmdbar.commenting", "cmdbar.measurement",    "cmdbar.properties",
    "cmdbar.launchApp",  "cmdbar.addon",      "cmdbar.form",
};

constexpr std::array kPanes = {
    "pageThumbnailsView", "bookmarksView", "contentsView", "attachmentsView",
    "signaturesView",     "commentsView",  "layersView",   "pdfNamedDestsView",
    "propertiesView",     "searchView",    "stampsView",   "commentStylesView",
    "panzoomView",
};

constexpr std::array kOperations = {
    "op.document.printPages",
    "op.newBlankDoc",
    "op.imagesToDoc",
    "op.textToDoc",
    "op.combineDocs",
    "op.document.insertPages",
    "op.document.insertEmptyPages",
    "op.document.deletePages",
    "op.document.extractPages",
    "op.document.replacePages",
    "op.document.cropPages",
    "op.document.resizePages",
    "op.document.addWatermarks",
    "op.document.summarizeAnnots",
    "op.document.exportCommentsAndFields",
    "op.document.importCommentsAndFields",
    "op.document.exportToImages",
};

constexpr std::array kEvents = {
    "e.activeDocChanged",       "e.document.modStateChanged",
    "e.document.sourceChanged", "e.pagesView.endLayoutChanging",
    "e.uiLanguageChanged",      "e.document.beforeSave",
};

constexpr LONG MakeId(FeatureKind kind, int index) {
    return (static_cast<LONG>(kind) << 8) | (index + 1);
}

template <size_t N>
void Add(std::vector<Feature>* features, FeatureKind kind,
         const std::array<const char*, N>& names) {
    for (size_t i = 0; i < N; ++i) {
        features->push_back(
            Feature{names[i], kind, static_cast<int>(i), MakeId(kind, static_cast<int>(i))});
    }
}

} // namespace

const std::vector<Feature>& Features() {
    static const std::vector<Feature> features = [] {
        std::vector<Feature> all;
        Add(&all, FeatureKind::CommandBar, kCommandBars);
        Add(&all, FeatureKind::Pane, kPanes);
        Add(&all, FeatureKind::Operation, kOperations);
        Add(&all, FeatureKind::Event, kEvents);
        return all;
    }();
    return features;
}

const Feature* FindFeature(std::string_view name) {
    for (const Feature& feature : Features()) {
        if (feature.name == name) {
            return &feature;
        }
    }
    return nullptr;
}

const Feature* FindFeature(LONG id) {
    for (const Feature& feature : Features()) {
        if (feature.id == id) {
            return &feature;
        }
    }
    return nullptr;
}

LONG EventId(EditorEvent event) {
    return MakeId(FeatureKind::Event, static_cast<int>(event));
}

} // namespace pdfeditor
