#include "named_destinations.h"

#include "document.h"

#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>

#include <win32/trace.h>

#include <QCollator>

#include <algorithm>
#include <set>

namespace pdfeditor {

namespace {

// Poppler can resolve a name but not list them: the names come from the file's own tables,
// the newer name tree under /Names and the older dictionary /Dests.
std::set<std::string> ListNames(const Document& document) {
    std::set<std::string> names;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(document.Path().c_str(), document.Password().c_str());
        QPDFObjectHandle root = pdf.getRoot();
        QPDFObjectHandle tree = root.getKey("/Names").getKey("/Dests");
        if (tree.isDictionary()) {
            QPDFNameTreeObjectHelper helper(tree, pdf);
            for (const auto& entry : helper) {
                names.insert(entry.first);
            }
        }
        QPDFObjectHandle old = root.getKey("/Dests");
        if (old.isDictionary()) {
            for (const std::string& key : old.getKeys()) {
                names.insert(key.substr(1)); // without the name's slash
            }
        }
    } catch (const std::exception& error) {
        win32::Trace("editor", "named destinations of %s: %s", document.Path().c_str(),
                     error.what());
    }
    return names;
}

} // namespace

std::vector<NamedDestination> ReadNamedDestinations(const Document& document) {
    std::vector<NamedDestination> destinations;
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler) {
        return destinations;
    }
    for (const std::string& name : ListNames(document)) {
        NamedDestination entry;
        entry.name = QString::fromStdString(name);
        if (const std::unique_ptr<Poppler::LinkDestination> found =
                poppler->linkDestination(entry.name)) {
            entry.target = FromPoppler(*found, document.PageCount());
        }
        destinations.push_back(std::move(entry));
    }
    QCollator collator;
    collator.setNumericMode(true);
    std::stable_sort(destinations.begin(), destinations.end(),
                     [&](const NamedDestination& a, const NamedDestination& b) {
                         return collator.compare(a.name, b.name) < 0;
                     });
    return destinations;
}

} // namespace pdfeditor
