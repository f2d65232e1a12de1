// The tour's ways to move about: the outline, the named destinations and the links of page 1.
#include "feature_parts.h"

namespace testdocs::detail {

std::string PageDestination(const FeatureFile& file, int page) {
    return "[" + Ref(file.pages[static_cast<size_t>(page) - 1]) + " /XYZ 0 " + Num(kPageHeight) +
           " 0]";
}

std::string RectArray(const PdfRect& rect) {
    return RectArray(rect.left, rect.bottom, rect.right, rect.top);
}

namespace {

std::string OutlineTargetEntry(const FeatureFile& file, const OutlineEntry& entry) {
    switch (entry.target) {
    case OutlineTarget::NamedPage:
        return "/Dest " + LiteralString(entry.name);
    case OutlineTarget::GoToAction:
        return "/A << /S /GoTo /D " + PageDestination(file, entry.page) + " >>";
    case OutlineTarget::Page:
        break;
    }
    return "/Dest " + PageDestination(file, entry.page);
}

} // namespace

int AddOutline(FeatureFile& file) {
    const int root = file.pdf.Reserve();
    std::vector<int> items;
    for (int i = 0; i < kOutlineCount; ++i) {
        items.push_back(file.pdf.Reserve());
    }
    // Every item's parent, siblings and children follow from the levels of the table; -1 is
    // the outline's root.
    auto parentOf = [](int i) {
        for (int j = i - 1; j >= 0; --j) {
            if (kOutline[j].level < kOutline[i].level) {
                return j;
            }
        }
        return -1;
    };
    auto numberOf = [&](int i) { return i < 0 ? root : items[static_cast<size_t>(i)]; };
    auto childrenOf = [&](int parent) {
        std::vector<int> children;
        for (int i = 0; i < kOutlineCount; ++i) {
            if (parentOf(i) == parent) {
                children.push_back(i);
            }
        }
        return children;
    };
    // The children of an item, and the items open below them, all shown: every item is open.
    auto shownBelow = [&](int parent) {
        int shown = 0;
        for (int i = 0; i < kOutlineCount; ++i) {
            int up = parentOf(i);
            while (up != parent && up >= 0) {
                up = parentOf(up);
            }
            shown += up == parent;
        }
        return shown;
    };
    auto linksTo = [&](int parent) {
        const std::vector<int> children = childrenOf(parent);
        if (children.empty()) {
            return std::string();
        }
        return " /First " + Ref(numberOf(children.front())) + " /Last " +
               Ref(numberOf(children.back())) + " /Count " + std::to_string(shownBelow(parent));
    };
    for (int i = 0; i < kOutlineCount; ++i) {
        const std::vector<int> siblings = childrenOf(parentOf(i));
        std::string body = "<< /Title " + UnicodeString(kOutline[i].title) + " /Parent " +
                           Ref(numberOf(parentOf(i)));
        for (size_t k = 0; k < siblings.size(); ++k) {
            if (siblings[k] != i) {
                continue;
            }
            if (k > 0) {
                body += " /Prev " + Ref(numberOf(siblings[k - 1]));
            }
            if (k + 1 < siblings.size()) {
                body += " /Next " + Ref(numberOf(siblings[k + 1]));
            }
        }
        body += linksTo(i) + " " + OutlineTargetEntry(file, kOutline[i]) + " >>";
        file.pdf.Set(items[static_cast<size_t>(i)], body);
    }
    file.pdf.Set(root, "<< /Type /Outlines" + linksTo(-1) + " >>");
    return root;
}

int AddNamedDestinations(FeatureFile& file) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const NamedDestination& destination : kNamedDestinations) {
        entries.emplace_back(destination.name, PageDestination(file, destination.page));
    }
    return file.pdf.Add(NameTree(entries));
}

void AddLinks(FeatureFile& file) {
    for (const PageLink& link : kPage1Links) {
        std::string action;
        switch (link.kind) {
        case LinkKind::GoToPage:
            action = "<< /S /GoTo /D " + PageDestination(file, link.page) + " >>";
            break;
        case LinkKind::GoToNamed:
            action = "<< /S /GoTo /D " + LiteralString(link.target) + " >>";
            break;
        case LinkKind::Uri:
            action = "<< /S /URI /URI " + LiteralString(link.target) + " >>";
            break;
        case LinkKind::Launch:
            action = "<< /S /Launch /F " + LiteralString(link.target) + " >>";
            break;
        }
        file.annotations[0].push_back(file.pdf.Add(
            "<< /Type /Annot /Subtype /Link /Rect " + RectArray(link.rect) +
            " /Border [0 0 0] /F 4 /P " + Ref(file.pages[0]) + " /A " + action + " >>"));
    }
}

} // namespace testdocs::detail
