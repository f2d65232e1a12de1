// The component's COM objects, made on demand; each comes with one reference for its caller
// and shares the state of the control it came from.
#pragma once

#include "core/document.h"
#include "editor_interfaces.h"

#include <memory>
#include <string>

namespace pdfeditor {

class EditorState;
using StatePtr = std::shared_ptr<EditorState>;

// A new control with a state of its own.
IPXV_Control* MakeControl();
IPXV_Inst* MakeInstance(const StatePtr& state);
IPXV_Document* MakeDocumentObject(const StatePtr& state, std::shared_ptr<const Document> document);
IPXV_Frame* MakeFrame(const StatePtr& state, bool side);

// A BSTR of a wide text (null when memory runs out), and the text of a BSTR (empty for null).
BSTR ToBstr(const std::wstring& text);
std::wstring FromBstr(BSTR text);

} // namespace pdfeditor
