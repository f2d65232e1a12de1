// The pieces of the feature tour (feature_documents.h), each adding its objects to the file
// being written: navigation (outline, named destinations, links) in feature_navigation.cpp,
// attachments, comments and the signature field in feature_annotations.cpp.
#pragma once

#include "feature_documents.h"
#include "pdf_objects.h"

#include <string>
#include <vector>

namespace testdocs::detail {

struct FeatureFile {
    PdfObjects pdf;
    // Page objects, reserved before anything refers to them; [0] is page 1.
    std::vector<int> pages;
    // The annotations of each page, in the order of its /Annots.
    std::vector<std::vector<int>> annotations;
};

// An explicit destination: the top left of `page` (1-based), zoom unchanged.
std::string PageDestination(const FeatureFile& file, int page);
std::string RectArray(const PdfRect& rect);
// The date every object of the tour carries, so that two writes give the same file.
inline constexpr char kFeatureDate[] = "D:20240301120000Z";

// The /Outlines dictionary of kOutline; returns its number.
int AddOutline(FeatureFile& file);
// The /Dests name tree of kNamedDestinations; returns its number.
int AddNamedDestinations(FeatureFile& file);
// The link annotations of kPage1Links, onto page 1.
void AddLinks(FeatureFile& file);
// The /EmbeddedFiles name tree with the two attached files; returns its number.
int AddEmbeddedFiles(FeatureFile& file);
// The sticky note and file attachment on page 2, the highlight on page 3, the free text on 4.
void AddComments(FeatureFile& file);
// The unsigned signature field and its widget on page 6; returns the field for /Fields.
int AddSignatureField(FeatureFile& file);

} // namespace testdocs::detail
