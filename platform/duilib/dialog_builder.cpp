// CDialogBuilder: layout XML to a control tree.
#include "duilib/UIDlgBuilder.h"
#include "duilib/UIControls.h"
#include "duilib/UIList.h"
#include "duilib/UIMenu.h"
#include "attributes.h"
#include "win32/host.h"
#include "win32/trace.h"

#include <QXmlStreamReader>

#include <map>

namespace DuiLib {

namespace {

template <typename T>
CControlUI* Make() {
    return new T;
}

CControlUI* NewControl(const std::wstring& name, IDialogBuilderCallback* callback) {
    static const std::map<std::wstring, CControlUI* (*)()> kFactories = {
        {L"Control", &Make<CControlUI>},
        {L"Container", &Make<CContainerUI>},
        {L"VerticalLayout", &Make<CVerticalLayoutUI>},
        {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
        {L"TabLayout", &Make<CTabLayoutUI>},
        {L"Label", &Make<CLabelUI>},
        {L"Text", &Make<CTextUI>},
        {L"Button", &Make<CButtonUI>},
        {L"Progress", &Make<CProgressUI>},
        {L"RichEdit", &Make<CRichEditUI>},
        {L"ActiveX", &Make<CActiveXUI>},
        {L"List", &Make<CListUI>},
        {L"ListHeader", &Make<CListHeaderUI>},
        {L"ListContainerElement", &Make<CListContainerElementUI>},
        {L"Menu", &Make<CMenuUI>},
        {L"MenuElement", &Make<CMenuElementUI>},
    };
    auto it = kFactories.find(name);
    if (it != kFactories.end()) {
        return it->second();
    }
    return callback ? callback->CreateControl(name.c_str()) : nullptr;
}

// Each nested element costs a stack frame of the reader below; a hostile or broken layout must
// not be able to spend the whole stack. Real layouts stay far below this.
constexpr int kMaxNesting = 256;

class Builder {
public:
    Builder(IDialogBuilderCallback* callback, CPaintManagerUI* manager)
        : m_callback(callback), m_manager(manager) {}

    // Reads the children of the current element into `parent` (or as the root).
    CControlUI* ReadChildren(QXmlStreamReader& xml, CContainerUI* parent, int depth) {
        if (m_nesting >= kMaxNesting) {
            xml.raiseError(QStringLiteral("elements nested deeper than %1").arg(kMaxNesting));
            m_tooDeep = true;
            return nullptr;
        }
        ++m_nesting;
        CControlUI* first = ReadElements(xml, parent, depth);
        --m_nesting;
        return first;
    }

    // Whether the layout was given up because it nests too deep.
    bool TooDeep() const { return m_tooDeep; }

private:
    CControlUI* ReadElements(QXmlStreamReader& xml, CContainerUI* parent, int depth) {
        CControlUI* first = nullptr;
        while (!m_tooDeep && xml.readNextStartElement()) {
            const std::wstring tag = xml.name().toString().toStdWString();
            const auto attrs = xml.attributes();
            if (tag == L"Window") {
                ApplyWindow(attrs);
                Keep(first, ReadChildren(xml, parent, depth), parent);
                continue;
            }
            if (tag == L"Font") {
                ApplyFont(attrs);
                xml.skipCurrentElement();
                continue;
            }
            if (tag == L"Default") {
                if (m_manager) {
                    m_manager->AddDefaultAttributeList(
                        attrs.value("name").toString().toStdWString().c_str(),
                        attrs.value("value").toString().toStdWString().c_str());
                }
                xml.skipCurrentElement();
                continue;
            }
            if (tag == L"Include") {
                Keep(first, Include(attrs, parent, depth), parent);
                xml.skipCurrentElement();
                continue;
            }
            CControlUI* control = NewControl(tag, m_callback);
            if (!control) {
                xml.skipCurrentElement(); // unknown element: skipped with its children
                continue;
            }
            if (parent) {
                parent->Add(control);
            }
            if (m_manager) {
                if (LPCWSTR defaults = m_manager->GetDefaultAttributeList(tag.c_str())) {
                    control->ApplyAttributeList(defaults);
                }
            }
            for (const auto& attr : attrs) {
                control->SetAttribute(attr.name().toString().toStdWString().c_str(),
                                      attr.value().toString().toStdWString().c_str());
            }
            auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
            if (container) {
                ReadChildren(xml, container, depth);
            } else {
                xml.skipCurrentElement();
            }
            if (!parent && first) {
                delete control; // a second root: nobody would own it
                continue;
            }
            if (!first) {
                first = control;
            }
            if (!parent && first == control) {
                // Only one root: anything after it at the top level is ignored.
                while (xml.readNextStartElement()) {
                    xml.skipCurrentElement();
                }
                return first;
            }
        }
        return first;
    }

    // The first control built at a level is the one returned. Built without a parent, any later
    // one belongs to nobody and goes at once.
    static void Keep(CControlUI*& first, CControlUI* built, CContainerUI* parent) {
        if (!first) {
            first = built;
        } else if (!parent && built != first) {
            delete built;
        }
    }

    void ApplyWindow(const QXmlStreamAttributes& attrs) {
        if (!m_manager) {
            return;
        }
        if (attrs.hasAttribute("mininfo")) {
            const RECT rc =
                duilib::ParseRect(attrs.value("mininfo").toString().toStdWString().c_str());
            m_manager->SetMinInfo(rc.left, rc.top);
        }
        if (attrs.hasAttribute("caption")) {
            m_manager->SetCaptionRect(
                duilib::ParseRect(attrs.value("caption").toString().toStdWString().c_str()));
        }
        if (attrs.hasAttribute("roundcorner")) {
            const RECT rc =
                duilib::ParseRect(attrs.value("roundcorner").toString().toStdWString().c_str());
            m_manager->SetRoundCorner(rc.left, rc.top);
        }
        if (attrs.hasAttribute("size")) {
            const RECT rc =
                duilib::ParseRect(attrs.value("size").toString().toStdWString().c_str());
            m_manager->SetInitSize(rc.left, rc.top);
        }
    }

    void ApplyFont(const QXmlStreamAttributes& attrs) {
        if (!m_manager) {
            return;
        }
        CPaintManagerUI::FontInfo font;
        font.name = attrs.value("name").toString().toStdWString();
        font.size = attrs.hasAttribute("size") ? attrs.value("size").toInt() : 12;
        font.bold = attrs.value("bold") == QLatin1String("true");
        font.underline = attrs.value("underline") == QLatin1String("true");
        font.italic = attrs.value("italic") == QLatin1String("true");
        const int id = attrs.hasAttribute("id") ? attrs.value("id").toInt() : 0;
        m_manager->AddFont(id, font, attrs.value("default") == QLatin1String("true"));
    }

    CControlUI* Include(const QXmlStreamAttributes& attrs, CContainerUI* parent, int depth) {
        // Includes that include themselves would never end.
        if (depth >= 8) {
            return nullptr;
        }
        std::string bytes;
        const std::wstring source = attrs.value("source").toString().toStdWString();
        if (!CPaintManagerUI::LoadSkinFile(source.c_str(), &bytes)) {
            return nullptr;
        }
        QXmlStreamReader xml(QByteArray::fromStdString(bytes));
        if (!xml.readNextStartElement()) {
            return nullptr;
        }
        // The included file's top element is a control (or a Window wrapping controls).
        QXmlStreamReader* reader = &xml;
        const std::wstring tag = xml.name().toString().toStdWString();
        if (tag == L"Window") {
            return ReadChildren(*reader, parent, depth + 1);
        }
        // Re-read from the start so that the top element itself is built.
        QXmlStreamReader again(QByteArray::fromStdString(bytes));
        return ReadChildren(again, parent, depth + 1);
    }

    IDialogBuilderCallback* m_callback;
    CPaintManagerUI* m_manager;
    int m_nesting = 0;
    bool m_tooDeep = false;
};

} // namespace

CControlUI* CDialogBuilder::Create(const CDuiString& xml, LPCWSTR /*type*/,
                                   IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                   CControlUI* parent) {
    std::string bytes;
    if (!xml.IsEmpty() && xml.GetAt(0) == L'<') {
        bytes = QString::fromStdWString(xml.Str()).toStdString();
    } else if (!CPaintManagerUI::LoadSkinFile(xml.GetData(), &bytes)) {
        return nullptr;
    }
    QXmlStreamReader reader(QByteArray::fromStdString(bytes));
    auto* container =
        parent ? static_cast<CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
    const int countBefore = container ? container->GetCount() : 0;
    Builder builder(callback, manager);
    CControlUI* root = builder.ReadChildren(reader, container, 0);
    if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
        win32::Trace("ui", "layout %s: %s", win32::host::WideToUtf8(xml.Str()).c_str(),
                     reader.errorString().toStdString().c_str());
    }
    if (builder.TooDeep()) {
        // Half a tree of a layout we refuse is no use to anyone: take back what was built.
        if (container) {
            while (container->GetCount() > countBefore) {
                container->RemoveAt(container->GetCount() - 1);
            }
        } else {
            delete root;
        }
        return nullptr;
    }
    return root;
}

} // namespace DuiLib
