#include "version_block.h"

#include <cstdint>

namespace w32rc {

namespace {

constexpr uint32_t kSignature = 0xFEEF04BDu;
constexpr uint32_t kStructVersion = 0x00010000u;
constexpr uint32_t kFlagsMask = 0x3Fu;
constexpr uint32_t kWindowsNt32 = 0x00040004u; // VOS_NT_WINDOWS32
constexpr uint16_t kBinary = 0;
constexpr uint16_t kText = 1;

class BlockWriter {
public:
    explicit BlockWriter(std::vector<unsigned char>& out) : m_out(out) {}

    // Starts a node; its length is filled in by End.
    size_t Begin(const std::u16string& key, uint16_t valueLength, uint16_t type) {
        Align();
        size_t start = m_out.size();
        Put16(0);
        Put16(valueLength);
        Put16(type);
        PutText(key);
        Align();
        return start;
    }

    // A node's length stops after its value or last child; the padding before the next
    // sibling belongs to the parent.
    bool End(size_t start) {
        size_t length = m_out.size() - start;
        if (length > 0xFFFF) {
            return false;
        }
        m_out[start] = static_cast<unsigned char>(length & 0xFF);
        m_out[start + 1] = static_cast<unsigned char>(length >> 8);
        return true;
    }

    void Put16(uint16_t value) {
        m_out.push_back(static_cast<unsigned char>(value & 0xFF));
        m_out.push_back(static_cast<unsigned char>(value >> 8));
    }

    void Put32(uint32_t value) {
        Put16(static_cast<uint16_t>(value & 0xFFFF));
        Put16(static_cast<uint16_t>(value >> 16));
    }

    // UTF-16LE with its terminator.
    void PutText(const std::u16string& text) {
        for (char16_t unit : text) {
            Put16(static_cast<uint16_t>(unit));
        }
        Put16(0);
    }

    void Align() {
        while (m_out.size() % 4) {
            m_out.push_back(0);
        }
    }

private:
    std::vector<unsigned char>& m_out;
};

uint32_t High(const uint16_t (&parts)[4]) {
    return (static_cast<uint32_t>(parts[0]) << 16) | parts[1];
}

uint32_t Low(const uint16_t (&parts)[4]) {
    return (static_cast<uint32_t>(parts[2]) << 16) | parts[3];
}

std::u16string HexKey(uint16_t language, uint16_t codePage) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    uint32_t value = (static_cast<uint32_t>(language) << 16) | codePage;
    std::u16string key;
    for (int shift = 28; shift >= 0; shift -= 4) {
        key += kDigits[(value >> shift) & 0xF];
    }
    return key;
}

} // namespace

bool WriteVersionBlock(const VersionSpec& spec, std::vector<unsigned char>& out,
                       std::string& error) {
    out.clear();
    BlockWriter writer(out);
    bool fits = true;

    size_t root = writer.Begin(u"VS_VERSION_INFO", 52, kBinary);
    writer.Put32(kSignature);
    writer.Put32(kStructVersion);
    writer.Put32(High(spec.fileVersion));
    writer.Put32(Low(spec.fileVersion));
    writer.Put32(High(spec.productVersion));
    writer.Put32(Low(spec.productVersion));
    writer.Put32(kFlagsMask);
    writer.Put32(spec.fileFlags);
    writer.Put32(kWindowsNt32);
    writer.Put32(spec.fileType);
    writer.Put32(0); // subtype
    writer.Put32(0); // date, most significant
    writer.Put32(0); // date, least significant

    if (!spec.tables.empty()) {
        size_t info = writer.Begin(u"StringFileInfo", 0, kText);
        for (const auto& table : spec.tables) {
            size_t tableStart = writer.Begin(HexKey(table.language, table.codePage), 0, kText);
            for (const auto& [key, value] : table.strings) {
                // The value length counts characters with the terminator, as rc.exe writes it.
                auto length = static_cast<uint16_t>(value.size() + 1);
                size_t item = writer.Begin(key, length, kText);
                writer.PutText(value);
                fits = writer.End(item) && fits;
            }
            fits = writer.End(tableStart) && fits;
        }
        fits = writer.End(info) && fits;

        size_t varInfo = writer.Begin(u"VarFileInfo", 0, kText);
        auto bytes = static_cast<uint16_t>(4 * spec.tables.size());
        size_t var = writer.Begin(u"Translation", bytes, kBinary);
        for (const auto& table : spec.tables) {
            writer.Put16(table.language);
            writer.Put16(table.codePage);
        }
        fits = writer.End(var) && fits;
        fits = writer.End(varInfo) && fits;
    }
    fits = writer.End(root) && fits;
    if (!fits) {
        error = "the version block is larger than 64 KB";
    }
    return fits;
}

} // namespace w32rc
