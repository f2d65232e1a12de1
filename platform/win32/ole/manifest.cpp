#include "com_internal.h"
#include "internal.h"
#include "module_table.h"

#include "win32/resource.h"

#include <QXmlStreamReader>

#include <mutex>

namespace win32 {

std::vector<ComClassEntry> ParseManifest(std::string_view xml) {
    std::vector<ComClassEntry> classes;
    QXmlStreamReader reader(QByteArray(xml.data(), static_cast<qsizetype>(xml.size())));
    // Depth of the file element being read, 0 outside one; file elements do not nest.
    int depth = 0;
    int fileDepth = 0;
    std::wstring file;
    while (!reader.atEnd()) {
        auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const auto name = reader.name();
            const auto attributes = reader.attributes();
            if (name == u"file" && fileDepth == 0) {
                fileDepth = depth;
                file = attributes.value(QStringLiteral("name")).toString().toStdWString();
            } else if (name == u"comClass" && fileDepth != 0 && !file.empty()) {
                const std::wstring id =
                    attributes.value(QStringLiteral("clsid")).toString().toStdWString();
                ComClassEntry entry;
                if (CLSIDFromString(id.c_str(), &entry.clsid) != S_OK || id.empty()) {
                    DebugLog("manifest: skipping the class id \"" + WideToUtf8(id) + "\"");
                    continue;
                }
                bool known = false;
                for (const auto& listed : classes) {
                    known = known || IsEqualGUID(listed.clsid, entry.clsid);
                }
                if (!known) {
                    entry.file = file;
                    entry.threadingModel = attributes.value(QStringLiteral("threadingModel"))
                                               .toString()
                                               .toStdWString();
                    classes.push_back(std::move(entry));
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == fileDepth) {
                fileDepth = 0;
                file.clear();
            }
            --depth;
        }
    }
    if (reader.hasError()) {
        DebugLog("manifest: " + reader.errorString().toStdString() + " at line " +
                 std::to_string(reader.lineNumber()));
    }
    return classes;
}

const std::vector<ComClassEntry>& ExecutableComClasses() {
    static std::once_flag once;
    static auto* classes = new std::vector<ComClassEntry>; // read by static destructors
    std::call_once(once, [] {
        const DWORD saved = GetLastError();
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
        if (!found) {
            DebugLog("manifest: the executable carries none (error " +
                     std::to_string(GetLastError()) + ")");
        } else {
            const auto* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
            *classes = ParseManifest(std::string_view(data, SizeofResource(nullptr, found)));
        }
        SetLastError(saved);
    });
    return *classes;
}

} // namespace win32
