// The configuration loader against any file: whatever the file holds, loading never crashes or
// throws, and the store afterwards saves a file that loads again.
#include "fuzz_driver.h"

#include <varnix/user/abstract_user.h>

#include "temp_prefix.h"

#include <filesystem>
#include <fstream>

namespace {

// Opens the document for the invariants.
class Store : public AbstractUser {
public:
    const Json::Value& Document() const { return configRoot; }
};

testsupport::TempPrefix& Prefix() {
    static auto* prefix = new testsupport::TempPrefix; // lives through the whole run
    return *prefix;
}

bool Run(const std::string& input) {
    testsupport::TempPrefix& prefix = Prefix();
    std::string configPath;
    {
        Store probe; // makes the folders and names the file
        configPath = prefix.HostPath(probe.ConfigFilePath(true));
    }
    std::filesystem::remove(configPath + ".bad");
    std::ofstream(configPath, std::ios::binary | std::ios::trunc) << input;
    bool ok = true;
    {
        Store store;
        // A document that is not null or an object would be a configuration nobody can use.
        ok = store.Document().isNull() || store.Document().isObject();
    }
    // What the store saved loads again, to the same kind of document.
    Store again;
    return ok && (again.Document().isNull() || again.Document().isObject());
}

} // namespace

const fuzz::Target& fuzz::TheTarget() {
    static const Target target{
        "config",
        {R"({"history":["C:\\a.pdf","Z:\\tmp\\b.pdf"],"savepath":"C:\\docs"})",
         R"({"history":"not a list","unionid":"u1","timestamp":1700000000})", "null\n", "[]",
         R"({"machinecode":"0123456789abcdef0123456789abcdef0123456789abcdef"})",
         "{\"history\":[\"\\u4e2d\\u6587.pdf\"]}\n"},
        {"[", "{\"a\":", "]", "}", "\"", "\\u", ",", "null", "1e999", "-0", "\xef\xbb\xbf", "//",
         "/*"},
        &Run};
    return target;
}
