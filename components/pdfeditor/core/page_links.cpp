#include "page_links.h"

#include "document.h"

#include <poppler-qt6.h>

#include <QUrl>

namespace pdfeditor {

std::vector<PageLink> ReadLinks(const Document& document, int index) {
    std::vector<PageLink> links;
    Poppler::Document* poppler = document.PopplerDocument();
    if (!poppler || index < 0 || index >= document.PageCount()) {
        return links;
    }
    const std::unique_ptr<Poppler::Page> page = poppler->page(index);
    if (!page) {
        return links;
    }
    for (const std::unique_ptr<Poppler::Link>& link : page->links()) {
        PageLink entry;
        entry.area = link->linkArea().normalized();
        if (link->linkType() == Poppler::Link::Goto) {
            const auto& go = static_cast<const Poppler::LinkGoto&>(*link);
            if (!go.isExternal()) {
                const Poppler::LinkDestination destination = go.destination();
                entry.target = FromPoppler(destination, document.PageCount());
                if (!entry.target.IsValid() && !destination.destinationName().isEmpty()) {
                    if (const std::unique_ptr<Poppler::LinkDestination> named =
                            poppler->linkDestination(destination.destinationName())) {
                        entry.target = FromPoppler(*named, document.PageCount());
                    }
                }
                if (entry.target.IsValid()) {
                    entry.kind = PageLink::Kind::Place;
                }
            }
        } else if (link->linkType() == Poppler::Link::Browse) {
            entry.kind = PageLink::Kind::Address;
            entry.address = static_cast<const Poppler::LinkBrowse&>(*link).url().trimmed();
        }
        links.push_back(std::move(entry));
    }
    return links;
}

bool IsOpenableAddress(const QString& address) {
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto")) {
        return !url.path().isEmpty();
    }
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

} // namespace pdfeditor
