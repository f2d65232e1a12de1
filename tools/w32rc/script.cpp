#include "script.h"

#include "version_block.h"

#include <json/json.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

namespace w32rc {

namespace {

namespace fs = std::filesystem;

// A script mistake names where it is; the caller adds the script's path.
struct ScriptError {
    std::string message;
};

[[noreturn]] void Throw(const std::string& message) {
    throw ScriptError{message};
}

const std::map<std::string, uint16_t> kTypeNames = {
    {"RT_CURSOR", 1},      {"RT_BITMAP", 2},   {"RT_ICON", 3},          {"RT_MENU", 4},
    {"RT_DIALOG", 5},      {"RT_STRING", 6},   {"RT_FONTDIR", 7},       {"RT_FONT", 8},
    {"RT_ACCELERATOR", 9}, {"RT_RCDATA", 10},  {"RT_MESSAGETABLE", 11}, {"RT_GROUP_CURSOR", 12},
    {"RT_GROUP_ICON", 14}, {"RT_VERSION", 16}, {"RT_HTML", 23},         {"RT_MANIFEST", 24},
};

void CheckMembers(const Json::Value& object, const std::string& where,
                  const std::set<std::string>& allowed) {
    if (!object.isObject()) {
        Throw(where + " must be an object");
    }
    for (const auto& name : object.getMemberNames()) {
        if (!allowed.count(name)) {
            Throw(where + ": unknown member \"" + name + "\"");
        }
    }
}

// A 16-bit number: a JSON integer, or a text in decimal or 0x-hexadecimal.
uint16_t Number16(const Json::Value& value, const std::string& where) {
    long long number = -1;
    if (value.isIntegral()) {
        number = value.asInt64();
    } else if (value.isString()) {
        const std::string text = value.asString();
        size_t used = 0;
        try {
            bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
            number = std::stoll(hex ? text.substr(2) : text, &used, hex ? 16 : 10);
            used += hex ? 2 : 0;
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != text.size() || text.empty() || text[0] == '-' || text[0] == '+' ||
            std::isspace(static_cast<unsigned char>(text[0]))) {
            number = -1;
        }
    }
    if (number < 0 || number > 0xFFFF) {
        Throw(where + " must be a number from 0 to 65535");
    }
    return static_cast<uint16_t>(number);
}

std::u16string Utf16(const std::string& text, const std::string& where) {
    std::u16string out;
    if (!ToUtf16(text, out)) {
        Throw(where + " is not valid UTF-8");
    }
    return out;
}

std::u16string UpperAscii(std::u16string text) {
    for (char16_t& unit : text) {
        if (unit >= u'a' && unit <= u'z') {
            unit = static_cast<char16_t>(unit - u'a' + u'A');
        }
    }
    return text;
}

ResourceId Id(const Json::Value& value, const std::string& where, bool isType) {
    ResourceId id;
    if (value.isIntegral()) {
        id.id = Number16(value, where);
        if (id.id == 0) {
            Throw(where + " must not be 0");
        }
        return id;
    }
    if (!value.isString() || value.asString().empty()) {
        Throw(where + " must be a number or a name");
    }
    std::string text = value.asString();
    if (isType && kTypeNames.count(text)) {
        id.id = kTypeNames.at(text);
        return id;
    }
    if (text[0] == '#') {
        id.id = Number16(Json::Value(text.substr(1)), where);
        return id;
    }
    id.isId = false;
    id.name = UpperAscii(Utf16(text, where));
    if (id.name.size() > 0xFFFF) {
        Throw(where + " is too long");
    }
    return id;
}

void Version4(const Json::Value& value, const std::string& where, uint16_t (&parts)[4]) {
    if (!value.isString()) {
        Throw(where + " must be a text such as \"1.2.3.4\"");
    }
    std::string text = value.asString();
    std::istringstream in(text);
    std::string part;
    int count = 0;
    while (std::getline(in, part, '.')) {
        if (count == 4 || part.empty() || part.find_first_not_of("0123456789") != part.npos) {
            Throw(where + " must be four numbers separated by dots");
        }
        parts[count++] = Number16(Json::Value(part), where);
    }
    if (count != 4 || text.back() == '.') {
        Throw(where + " must be four numbers separated by dots");
    }
}

class Reader {
public:
    Reader(const std::string& path, const std::vector<std::string>& searchFolders, Script& out)
        : m_folder(fs::absolute(path).parent_path()), m_search(searchFolders), m_out(out) {}

    void Read(const Json::Value& root) {
        CheckMembers(root, "the script", {"language", "version", "icons", "resources"});
        if (root.isMember("language")) {
            m_language = Number16(root["language"], "\"language\"");
        }
        if (root.isMember("version")) {
            ReadVersion(root["version"]);
        }
        ReadList(root, "icons", [this](const Json::Value& item, const std::string& where) {
            CheckMembers(item, where, {"id", "file", "language"});
            Resource icon;
            icon.type.id = 14; // RT_GROUP_ICON: the whole image file stands for the group
            icon.name = Id(item["id"], where + " \"id\"", false);
            icon.language = Language(item, where);
            icon.data = Contents(item["file"], where + " \"file\"");
            Add(std::move(icon), where);
        });
        ReadList(root, "resources", [this](const Json::Value& item, const std::string& where) {
            CheckMembers(item, where, {"type", "name", "language", "file", "text"});
            Resource resource;
            resource.type = Id(item["type"], where + " \"type\"", true);
            resource.name = Id(item["name"], where + " \"name\"", false);
            resource.language = Language(item, where);
            if (item.isMember("file") == item.isMember("text")) {
                Throw(where + " needs either \"file\" or \"text\"");
            }
            if (item.isMember("text")) {
                if (!item["text"].isString()) {
                    Throw(where + " \"text\" must be a text");
                }
                std::string text = item["text"].asString();
                resource.data.assign(text.begin(), text.end());
            } else {
                resource.data = Contents(item["file"], where + " \"file\"");
            }
            Add(std::move(resource), where);
        });
    }

private:
    template <class Handler>
    void ReadList(const Json::Value& root, const char* member, Handler handle) {
        if (!root.isMember(member)) {
            return;
        }
        const Json::Value& list = root[member];
        if (!list.isArray()) {
            Throw(std::string("\"") + member + "\" must be a list");
        }
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            handle(list[i], std::string(member) + "[" + std::to_string(i) + "]");
        }
    }

    uint16_t Language(const Json::Value& item, const std::string& where) {
        return item.isMember("language") ? Number16(item["language"], where + " \"language\"")
                                         : m_language;
    }

    void ReadVersion(const Json::Value& version) {
        CheckMembers(version, "\"version\"",
                     {"fileVersion", "productVersion", "fileType", "fileFlags", "stringTables"});
        VersionSpec spec;
        Version4(version["fileVersion"], "\"fileVersion\"", spec.fileVersion);
        Version4(version.isMember("productVersion") ? version["productVersion"]
                                                    : version["fileVersion"],
                 "\"productVersion\"", spec.productVersion);
        if (version.isMember("fileType")) {
            std::string type = version["fileType"].asString();
            if (type != "app" && type != "dll") {
                Throw("\"fileType\" must be \"app\" or \"dll\"");
            }
            spec.fileType = type == "app" ? 1 : 2;
        }
        if (version.isMember("fileFlags")) {
            spec.fileFlags = Number16(version["fileFlags"], "\"fileFlags\"");
        }
        const Json::Value& tables = version["stringTables"];
        if (!tables.isNull() && !tables.isArray()) {
            Throw("\"stringTables\" must be a list");
        }
        for (Json::ArrayIndex i = 0; i < tables.size(); ++i) {
            std::string where = "stringTables[" + std::to_string(i) + "]";
            const Json::Value& item = tables[i];
            CheckMembers(item, where, {"language", "codePage", "strings"});
            StringTable table;
            table.language = Number16(item["language"], where + " \"language\"");
            table.codePage = Number16(item["codePage"], where + " \"codePage\"");
            if (!item["strings"].isObject()) {
                Throw(where + " \"strings\" must be an object");
            }
            for (const auto& key : item["strings"].getMemberNames()) {
                if (!item["strings"][key].isString()) {
                    Throw(where + " \"" + key + "\" must be a text");
                }
                table.strings.emplace_back(Utf16(key, where + " key"),
                                           Utf16(item["strings"][key].asString(), where + key));
            }
            spec.tables.push_back(std::move(table));
        }
        Resource block;
        block.type.id = 16; // RT_VERSION
        block.name.id = 1;  // VS_VERSION_INFO
        block.language = m_language;
        std::string error;
        if (!WriteVersionBlock(spec, block.data, error)) {
            Throw("\"version\": " + error);
        }
        Add(std::move(block), "\"version\"");
    }

    std::vector<unsigned char> Contents(const Json::Value& name, const std::string& where) {
        if (!name.isString() || name.asString().empty()) {
            Throw(where + " must be a file name");
        }
        fs::path wanted = name.asString();
        std::vector<fs::path> places;
        if (wanted.is_absolute()) {
            places.push_back(wanted);
        } else {
            places.push_back(m_folder / wanted);
            for (const auto& folder : m_search) {
                places.push_back(fs::path(folder) / wanted);
            }
        }
        for (const auto& place : places) {
            std::ifstream in(place, std::ios::binary);
            if (in) {
                m_out.inputs.push_back(fs::absolute(place).lexically_normal().string());
                return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            }
        }
        Throw(where + ": cannot read \"" + name.asString() + "\"");
    }

    void Add(Resource resource, const std::string& where) {
        for (const auto& other : m_out.resources) {
            if (other.type == resource.type && other.name == resource.name &&
                other.language == resource.language) {
                Throw(where + " repeats a type, name and language given before");
            }
        }
        m_out.resources.push_back(std::move(resource));
    }

    fs::path m_folder;
    const std::vector<std::string>& m_search;
    Script& m_out;
    uint16_t m_language = 0;
};

} // namespace

bool ToUtf16(const std::string& text, std::u16string& out) {
    out.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        uint32_t cp = s[i];
        size_t extra = cp < 0x80 ? 0 : cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC2 ? 1 : 9;
        if (extra == 9 || cp > 0xF4 || i + extra >= text.size()) {
            return false;
        }
        if (extra) {
            cp &= 0x3Fu >> extra;
        }
        for (size_t j = 1; j <= extra; ++j) {
            if ((s[i + j] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (s[i + j] & 0x3F);
        }
        static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += extra + 1;
    }
    return true;
}

bool ReadScript(const std::string& path, const std::vector<std::string>& searchFolders,
                Script& script, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot read the script";
        return false;
    }
    script.inputs.push_back(fs::absolute(path).lexically_normal().string());
    Json::CharReaderBuilder builder;
    builder["allowComments"] = false;
    builder["rejectDupKeys"] = true;
    Json::Value root;
    std::string parseErrors;
    if (!Json::parseFromStream(builder, in, &root, &parseErrors)) {
        error = path + ": " + parseErrors;
        return false;
    }
    try {
        Reader(path, searchFolders, script).Read(root);
    } catch (const ScriptError& mistake) {
        error = path + ": " + mistake.message;
        return false;
    } catch (const Json::Exception& mistake) {
        error = path + ": " + mistake.what();
        return false;
    }
    return true;
}

} // namespace w32rc
