#include "structure_contents.h"

#include "document.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <win32/trace.h>

#include <map>
#include <set>

namespace pdfeditor {

namespace {

// Deeper than any real structure; a tree that loops back on itself stops here.
constexpr int kMaxDepth = 64;
// Elements visited at most: a huge tagged document must not hold up the pane for long.
constexpr int kMaxElements = 200000;

struct Heading {
    int level;
    QString title;
    int page;
};

class Walker {
public:
    Walker(QPDF& pdf, int pageCount) {
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        for (size_t i = 0; i < pages.size() && int(i) < pageCount; ++i) {
            m_pageIndex[pages[i].getObjectHandle().getObjGen()] = int(i);
        }
        QPDFObjectHandle roles = pdf.getRoot().getKey("/StructTreeRoot").getKey("/RoleMap");
        if (roles.isDictionary()) {
            for (const std::string& key : roles.getKeys()) {
                if (roles.getKey(key).isName()) {
                    m_roles[key] = roles.getKey(key).getName();
                }
            }
        }
    }

    void Walk(QPDFObjectHandle node, int depth, int inheritedPage) {
        if (depth > kMaxDepth || ++m_visited > kMaxElements) {
            return;
        }
        if (node.isArray()) {
            for (int i = 0; i < node.getArrayNItems(); ++i) {
                Walk(node.getArrayItem(i), depth + 1, inheritedPage);
            }
            return;
        }
        if (!node.isDictionary()) {
            return;
        }
        if (node.isIndirect() && !m_seen.insert(node.getObjGen()).second) {
            return;
        }
        const int page = PageOf(node, inheritedPage);
        const int level = HeadingLevel(node);
        if (level > 0) {
            const QString title = TitleOf(node);
            const int target = page >= 0 ? page : FirstPageBelow(node.getKey("/K"), 0);
            if (!title.isEmpty()) {
                m_headings.push_back(Heading{level, title, target});
            }
            return; // a heading's own kids are its text, not more headings
        }
        Walk(node.getKey("/K"), depth + 1, page);
    }

    const std::vector<Heading>& Headings() const { return m_headings; }

private:
    int PageOf(QPDFObjectHandle node, int inherited) const {
        QPDFObjectHandle page = node.getKey("/Pg");
        if (page.isDictionary()) {
            const auto found = m_pageIndex.find(page.getObjGen());
            if (found != m_pageIndex.end()) {
                return found->second;
            }
        }
        return inherited;
    }

    int FirstPageBelow(QPDFObjectHandle kids, int depth) const {
        if (depth > 4) {
            return -1;
        }
        if (kids.isArray()) {
            for (int i = 0; i < kids.getArrayNItems(); ++i) {
                const int page = FirstPageBelow(kids.getArrayItem(i), depth + 1);
                if (page >= 0) {
                    return page;
                }
            }
        } else if (kids.isDictionary()) {
            const int page = PageOf(kids, -1);
            return page >= 0 ? page : FirstPageBelow(kids.getKey("/K"), depth + 1);
        }
        return -1;
    }

    int HeadingLevel(QPDFObjectHandle node) const {
        QPDFObjectHandle type = node.getKey("/S");
        if (!type.isName()) {
            return 0;
        }
        std::string name = type.getName();
        for (int i = 0; i < 8; ++i) { // role maps may chain
            const auto mapped = m_roles.find(name);
            if (mapped == m_roles.end() || mapped->second == name) {
                break;
            }
            name = mapped->second;
        }
        if (name == "/H") {
            return 1;
        }
        if (name.size() == 3 && name[1] == 'H' && name[2] >= '1' && name[2] <= '6') {
            return name[2] - '0';
        }
        return 0;
    }

    static QString TitleOf(QPDFObjectHandle node) {
        for (const char* key : {"/T", "/ActualText", "/Alt"}) {
            QPDFObjectHandle text = node.getKey(key);
            if (text.isString()) {
                const QString title = QString::fromStdString(text.getUTF8Value()).simplified();
                if (!title.isEmpty()) {
                    return title;
                }
            }
        }
        return {};
    }

    std::map<QPDFObjGen, int> m_pageIndex;
    std::map<std::string, std::string> m_roles;
    std::set<QPDFObjGen> m_seen;
    std::vector<Heading> m_headings;
    int m_visited = 0;
};

// Nests the headings by level: each under the nearest heading before it of a smaller level.
std::vector<OutlineItem> Nest(const std::vector<Heading>& headings) {
    std::vector<OutlineItem> top;
    std::vector<std::pair<int, std::vector<OutlineItem>*>> open{{0, &top}};
    for (const Heading& heading : headings) {
        while (open.size() > 1 && open.back().first >= heading.level) {
            open.pop_back();
        }
        OutlineItem item;
        item.title = heading.title;
        item.target.page = heading.page;
        item.open = true;
        std::vector<OutlineItem>* siblings = open.back().second;
        siblings->push_back(std::move(item));
        open.emplace_back(heading.level, &siblings->back().children);
    }
    return top;
}

} // namespace

std::vector<OutlineItem> ReadStructureContents(const Document& document) {
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(document.Path().c_str(), document.Password().c_str());
        QPDFObjectHandle root = pdf.getRoot().getKey("/StructTreeRoot");
        if (!root.isDictionary()) {
            return {};
        }
        Walker walker(pdf, document.PageCount());
        walker.Walk(root.getKey("/K"), 0, -1);
        return Nest(walker.Headings());
    } catch (const std::exception& error) {
        win32::Trace("editor", "structure of %s: %s", document.Path().c_str(), error.what());
        return {};
    }
}

} // namespace pdfeditor
