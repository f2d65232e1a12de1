#include "defined_symbols.h"

#include <cstring>

namespace win32 {
namespace {

std::uint32_t GnuHash(const char* name) {
    std::uint32_t hash = 5381;
    for (auto* c = reinterpret_cast<const unsigned char*>(name); *c; ++c) {
        hash = hash * 33 + *c;
    }
    return hash;
}

} // namespace

DefinedSymbols::DefinedSymbols(const link_map* object) {
    if (!object || !object->l_ld) {
        return;
    }
    m_base = object->l_addr;
    // The loader rewrites these entries to run-time addresses; an entry still holding the
    // file's own address lies below the object's base.
    const auto address = [this](ElfW(Addr) value) {
        return value < m_base ? value + m_base : value;
    };
    const ElfW(Sym)* symbols = nullptr;
    const char* names = nullptr;
    const std::uint32_t* hash = nullptr;
    for (const ElfW(Dyn)* entry = object->l_ld; entry->d_tag != DT_NULL; ++entry) {
        switch (entry->d_tag) {
        case DT_SYMTAB:
            symbols = reinterpret_cast<const ElfW(Sym)*>(address(entry->d_un.d_ptr));
            break;
        case DT_STRTAB:
            names = reinterpret_cast<const char*>(address(entry->d_un.d_ptr));
            break;
        case DT_GNU_HASH:
            hash = reinterpret_cast<const std::uint32_t*>(address(entry->d_un.d_ptr));
            break;
        default:
            break;
        }
    }
    if (symbols && names && hash && hash[0] != 0) {
        m_symbols = symbols;
        m_names = names;
        m_hash = hash;
    }
}

void* DefinedSymbols::Find(const char* name) const {
    if (!m_hash || !name || !*name) {
        return nullptr;
    }
    // Buckets, first hashed symbol, bloom filter words, bloom shift; then the filter, the
    // buckets and the chain of hashes (low bit set on the last of each bucket).
    const std::uint32_t buckets = m_hash[0];
    const std::uint32_t first = m_hash[1];
    const std::uint32_t bloomWords = m_hash[2];
    const auto* bucket = reinterpret_cast<const std::uint32_t*>(
        reinterpret_cast<const ElfW(Addr)*>(m_hash + 4) + bloomWords);
    const std::uint32_t* chain = bucket + buckets;
    const std::uint32_t hash = GnuHash(name);
    std::uint32_t index = bucket[hash % buckets];
    if (index < first) {
        return nullptr;
    }
    for (;; ++index) {
        const std::uint32_t chained = chain[index - first];
        const ElfW(Sym)& symbol = m_symbols[index];
        const unsigned type = ELF64_ST_TYPE(symbol.st_info);
        if ((chained | 1) == (hash | 1) && symbol.st_shndx != SHN_UNDEF &&
            (type == STT_FUNC || type == STT_OBJECT) &&
            std::strcmp(m_names + symbol.st_name, name) == 0) {
            return reinterpret_cast<void*>(m_base + symbol.st_value);
        }
        if (chained & 1) {
            return nullptr;
        }
    }
}

} // namespace win32
