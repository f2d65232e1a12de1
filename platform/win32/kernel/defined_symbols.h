// The dynamic symbols a loaded object defines itself, looked up in the object's own GNU hash
// table in memory. dlsym and dladdr take the dynamic loader's lock, which a thread loading a
// library holds for the whole load (tens of milliseconds for a library with many dependencies),
// so a program resolving a system function while a library loads in the background would wait
// for that load; reading the tables needs no lock.
#pragma once

#include <link.h>

#include <cstdint>

namespace win32 {

class DefinedSymbols {
public:
    DefinedSymbols() = default;
    // From the object's entry in the loader's list (dlinfo RTLD_DI_LINKMAP). Empty, finding
    // nothing, when the object has no GNU hash table.
    explicit DefinedSymbols(const link_map* object);

    bool IsEmpty() const { return m_hash == nullptr; }
    // The address of the function or data object the object itself defines under the name;
    // null for names it only uses or does not have.
    void* Find(const char* name) const;

private:
    ElfW(Addr) m_base = 0;
    const ElfW(Sym) * m_symbols = nullptr;
    const char* m_names = nullptr;
    const std::uint32_t* m_hash = nullptr;
};

} // namespace win32
