// What the COM calls share inside the layer: the classes the executable's manifest lists and
// the component libraries loaded for them.
#pragma once

#include "win32/guid.h"

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

// One comClass element of the manifest, with the file element around it.
struct ComClassEntry {
    CLSID clsid{};
    std::wstring file;           // as the manifest names it, relative to the executable's folder
    std::wstring threadingModel; // read for diagnostics; every object is called directly
};

// The comClass elements of a manifest (UTF-8 XML, or any encoding its declaration names).
// Tolerant: namespaces, unknown elements and attributes are ignored; a class id that does not
// parse and a comClass outside a file element are skipped; a document that breaks off keeps
// the classes read before the break; a class listed twice keeps its first file.
std::vector<ComClassEntry> ParseManifest(std::string_view xml);

// The classes of the executable's manifest (RT_MANIFEST, id 1), read on the first call.
const std::vector<ComClassEntry>& ExecutableComClasses();

// Whether the calling thread has an open apartment (CoInitialize not yet undone).
bool ThreadHasApartment();

// Frees the component libraries that DllCanUnloadNow lets go (or that export none). Called when
// the last initialised apartment of the process closes.
void FreeUnusedComponentLibraries();

} // namespace win32
