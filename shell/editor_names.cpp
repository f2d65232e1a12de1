#include "editor_names.h"

const std::array<const char*, kEditorNameCount> kEditorNames = {
    // Command bars.
    "cmdbar.menubar", "cmdbar.standard", "cmdbar.file", "cmdbar.view", "cmdbar.pageZoom",
    "cmdbar.pageNav", "cmdbar.contentEditing", "cmdbar.pageLayout", "cmdbar.docOptions",
    "cmdbar.commenting", "cmdbar.measurement", "cmdbar.properties", "cmdbar.launchApp",
    "cmdbar.addon", "cmdbar.form",
    // Panes.
    "pageThumbnailsView", "bookmarksView", "contentsView", "attachmentsView", "signaturesView",
    "commentsView", "layersView", "pdfNamedDestsView", "propertiesView", "searchView", "stampsView",
    "commentStylesView", "panzoomView",
    // Operations.
    "_op_begin_", "op.document.printPages", "op.newBlankDoc", "op.imagesToDoc", "op.textToDoc",
    "op.combineDocs", "op.document.insertPages", "op.document.insertEmptyPages",
    "op.document.deletePages", "op.document.extractPages", "op.document.replacePages",
    "op.document.cropPages", "op.document.resizePages", "op.document.addWatermarks",
    "op.document.summarizeAnnots", "op.document.exportCommentsAndFields",
    "op.document.importCommentsAndFields", "op.document.exportToImages", "_op_end_",
    // Events.
    "_e_begin_", "e.activeDocChanged", "e.document.modStateChanged", "e.document.sourceChanged",
    "e.pagesView.endLayoutChanging", "e.uiLanguageChanged", "e.document.beforeSave", "_e_end_",
    "_last_"};
