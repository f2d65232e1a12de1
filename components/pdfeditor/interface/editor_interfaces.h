// The editor component as its host sees it: class ids, interfaces and the event interface. It
// plays the part of the component's type library and is the only thing of the component that
// a host includes; nothing links a host to the component, which it creates through its
// manifest (CoCreateInstance) and reaches through these interfaces alone.
//
// A host may call a method by name or by its position in the interface's table: position 0 is
// QueryInterface, 3-6 are IDispatch's, 7 the first method below. Each method's comment starts
// with its position. Positions marked PXV_RESERVED answer E_NOTIMPL and hold the places that
// the numbering keeps; a new method takes one of them, never shifts the others.
//
// Strings are BSTRs or zero-terminated wide strings; paths are in Windows form ("C:\...",
// "Z:\home\..."). Objects handed out carry one reference for the caller. All calls are made on
// the user-interface thread, and events come back on it (the component is apartment-threaded).
#pragma once

#include <win32/automation.h>
#include <win32/connection_points.h>

namespace pdfeditor_ids {

constexpr BYTE HexValue(char c) {
    return static_cast<BYTE>(c >= '0' && c <= '9'   ? c - '0'
                             : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                    : c - 'A' + 10);
}

constexpr unsigned long long Hex(const char* text, int from, int digits) {
    unsigned long long value = 0;
    for (int i = 0; i < digits; ++i) {
        value = value * 16 + HexValue(text[from + i]);
    }
    return value;
}

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (no braces), read at compile time.
constexpr GUID Guid(const char (&t)[37]) {
    return GUID{static_cast<DWORD>(Hex(t, 0, 8)),
                static_cast<WORD>(Hex(t, 9, 4)),
                static_cast<WORD>(Hex(t, 14, 4)),
                {static_cast<BYTE>(Hex(t, 19, 2)), static_cast<BYTE>(Hex(t, 21, 2)),
                 static_cast<BYTE>(Hex(t, 24, 2)), static_cast<BYTE>(Hex(t, 26, 2)),
                 static_cast<BYTE>(Hex(t, 28, 2)), static_cast<BYTE>(Hex(t, 30, 2)),
                 static_cast<BYTE>(Hex(t, 32, 2)), static_cast<BYTE>(Hex(t, 34, 2))}};
}

} // namespace pdfeditor_ids

// The control: the editor with its window, documents and command bars.
inline constexpr CLSID CLSID_PXV_Control =
    pdfeditor_ids::Guid("A1149909-4EDC-4421-B9E5-E93C25A000A1");
// The same control under its second class id (hosts name either).
inline constexpr CLSID CLSID_PXV_Control2 =
    pdfeditor_ids::Guid("973BF60B-4CC6-4be0-B408-3D80E07FC2E6");
// The type library these declarations stand for (no library file exists).
inline constexpr GUID LIBID_PXV = pdfeditor_ids::Guid("0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C");

inline constexpr IID IID_IPXV_Control = pdfeditor_ids::Guid("71300D43-687F-436A-A699-2B37448D0803");
inline constexpr IID IID_IPXV_Inst = pdfeditor_ids::Guid("D726366D-34D6-49fc-A341-7B84C54CCA3E");
inline constexpr IID IID_IPXV_Document =
    pdfeditor_ids::Guid("14f6eb9e-43b4-4460-9b46-543bbce05133");
inline constexpr IID IID_IPXV_Access = pdfeditor_ids::Guid("93a6301e-f522-4a62-bb00-fb8ea3ae4130");
inline constexpr IID IID_IPXV_DocAccess =
    pdfeditor_ids::Guid("282d389f-cd12-47c4-89f7-f574cb428af9");
inline constexpr IID IID_IPXV_Settings =
    pdfeditor_ids::Guid("ba2d6b27-bb9d-40c8-98df-986d33002c75");
inline constexpr IID IID_IPXV_Languages =
    pdfeditor_ids::Guid("05bd0bc0-7a34-4854-8f61-d25af6e4e7ae");
inline constexpr IID IID_IPXV_Frame = pdfeditor_ids::Guid("bb66141a-a1d3-4c5e-9fac-61dadb26c317");
inline constexpr IID IID_IPXV_PaneSite =
    pdfeditor_ids::Guid("267685aa-66df-4871-ac82-545e44632692");
inline constexpr IID IID_IPXV_PaneLayout =
    pdfeditor_ids::Guid("e332bc9d-409b-401f-9b7a-ca92c45538d5");
inline constexpr IID IID_IPXV_LayoutNode =
    pdfeditor_ids::Guid("70c1082d-d873-463b-bb6f-cd3f41a03494");
inline constexpr IID IID_IPXV_CommandBars =
    pdfeditor_ids::Guid("0e52f052-0235-4e96-9d38-34d59d7a6ed6");
inline constexpr IID IID_IPXV_BarRow = pdfeditor_ids::Guid("f7406b99-f92e-479f-8bbf-b3bb9d569d4d");

// The event interface a host's sink implements, as a dispinterface: the component calls the
// sink's IDispatch::Invoke with DISPID_PXV_EVENT and three arguments, in order (so rgvarg[2],
// [1], [0]): the event's id (VT_I4, what IPXV_Inst::GetNameId gives for "e.activeDocChanged"
// and the like), the event object (VT_DISPATCH: the document concerned as IPXV_Document, or
// null — null for "e.activeDocChanged" when no document is left) and the source (VT_UNKNOWN:
// the control). Only events switched on with IPXV_Control::EnableFeature are raised; a sink's
// failure does not stop the others from hearing the event.
inline constexpr IID DIID_IPXV_ControlEvents =
    pdfeditor_ids::Guid("cf87328c-b7c8-4fc8-8de6-043e83f25a17");
inline constexpr DISPID DISPID_PXV_EVENT = 1;

#define PXV_RESERVED(position)                                                                     \
    virtual HRESULT STDMETHODCALLTYPE Reserved##position() {                                       \
        return E_NOTIMPL;                                                                          \
    }

struct IPXV_Inst;
struct IPXV_Document;
struct IPXV_Access;
struct IPXV_DocAccess;
struct IPXV_Settings;
struct IPXV_Languages;
struct IPXV_Frame;
struct IPXV_PaneSite;
struct IPXV_PaneLayout;
struct IPXV_LayoutNode;
struct IPXV_CommandBars;
struct IPXV_BarRow;

// The reserved places are kept several to a line.
// clang-format off
struct IPXV_Control : IDispatch {
    // 7. The active document's path in Windows form; S_FALSE and null with none active.
    STDMETHOD(get_ActiveDocPath)(BSTR* path) PURE;
    // 8. Opens a file (Windows path of at most 259 characters) as a document, or makes it
    // active when it is open already. Longer: HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE),
    // nothing opened. A cancelled password prompt: E_ABORT; a missing file:
    // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); a damaged or non-PDF file: E_FAIL (the person
    // has been told why).
    STDMETHOD(OpenDocFromPath)(LPCOLESTR path) PURE;
    // 9. Closes the active document; S_FALSE when none is open.
    STDMETHOD(CloseActiveDoc)() PURE;
    // 10. Bit 1: the tab bar shows even for a single document; bit 2: tabs carry a close button.
    STDMETHOD(put_UiFlags)(LONG flags) PURE;
    PXV_RESERVED(11) PXV_RESERVED(12) PXV_RESERVED(13) PXV_RESERVED(14) PXV_RESERVED(15)
    // 16. The desk behind the pages as 0x00RRGGBB; -1 puts back the default grey.
    STDMETHOD(put_BackColor)(LONG color) PURE;
    // 17. The frame: where panes dock and command bars sit.
    STDMETHOD(get_Frame)(IPXV_Frame** frame) PURE;
    PXV_RESERVED(18)
    // 19. The instance: documents, names, settings, languages.
    STDMETHOD(get_Inst)(IPXV_Inst** inst) PURE;
    PXV_RESERVED(20) PXV_RESERVED(21) PXV_RESERVED(22) PXV_RESERVED(23) PXV_RESERVED(24)
    PXV_RESERVED(25) PXV_RESERVED(26)
    // 27. VARIANT_TRUE when a document is active.
    STDMETHOD(get_HasActiveDoc)(VARIANT_BOOL* active) PURE;
    PXV_RESERVED(28) PXV_RESERVED(29)
    // 30. The open dialog, filtered to PDF; each chosen file is opened. folder and flags must be 0
    // (the last folder used; no options); several: 1 lets the person pick several files.
    // S_FALSE when the person cancels or nothing opened.
    STDMETHOD(ShowOpenDialog)(LONG folder, LONG flags, LONG several) PURE;
    PXV_RESERVED(31) PXV_RESERVED(32) PXV_RESERVED(33) PXV_RESERVED(34) PXV_RESERVED(35)
    PXV_RESERVED(36) PXV_RESERVED(37) PXV_RESERVED(38) PXV_RESERVED(39) PXV_RESERVED(40)
    PXV_RESERVED(41) PXV_RESERVED(42) PXV_RESERVED(43) PXV_RESERVED(44) PXV_RESERVED(45)
    PXV_RESERVED(46) PXV_RESERVED(47) PXV_RESERVED(48) PXV_RESERVED(49) PXV_RESERVED(50)
    PXV_RESERVED(51) PXV_RESERVED(52) PXV_RESERVED(53) PXV_RESERVED(54) PXV_RESERVED(55)
    PXV_RESERVED(56) PXV_RESERVED(57) PXV_RESERVED(58) PXV_RESERVED(59) PXV_RESERVED(60)
    PXV_RESERVED(61) PXV_RESERVED(62) PXV_RESERVED(63)
    // 64. Switches the command bar, pane, operation or event with that id on (1) or off (0).
    // Id 0 (what markers map to): S_FALSE, nothing done; an id no name maps to: E_INVALIDARG.
    STDMETHOD(EnableFeature)(LONG id, LONG enable) PURE;

protected:
    ~IPXV_Control() = default;
};

struct IPXV_Inst : IDispatch {
    // 7. The interface language now in use ("zh-CN", "en-US").
    STDMETHOD(get_UiLanguage)(BSTR* tag) PURE;
    // 8. The value of an option of SetOption.
    STDMETHOD(GetOption)(LONG option, LONG* value) PURE;
    PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11) PXV_RESERVED(12) PXV_RESERVED(13)
    PXV_RESERVED(14) PXV_RESERVED(15) PXV_RESERVED(16) PXV_RESERVED(17)
    // 18. What the open documents allow.
    STDMETHOD(get_Access)(IPXV_Access** access) PURE;
    PXV_RESERVED(19)
    // 20. How many documents are open.
    STDMETHOD(get_DocumentCount)(LONG* count) PURE;
    // 21. The document at an index (0 = the first opened); E_INVALIDARG out of range.
    STDMETHOD(GetDocument)(LONG index, IPXV_Document** document) PURE;
    PXV_RESERVED(22) PXV_RESERVED(23) PXV_RESERVED(24) PXV_RESERVED(25) PXV_RESERVED(26)
    PXV_RESERVED(27) PXV_RESERVED(28) PXV_RESERVED(29) PXV_RESERVED(30) PXV_RESERVED(31)
    PXV_RESERVED(32) PXV_RESERVED(33) PXV_RESERVED(34) PXV_RESERVED(35) PXV_RESERVED(36)
    PXV_RESERVED(37) PXV_RESERVED(38) PXV_RESERVED(39) PXV_RESERVED(40) PXV_RESERVED(41)
    PXV_RESERVED(42) PXV_RESERVED(43) PXV_RESERVED(44)
    // 45. Stores the id of a dotted name (a command bar, pane, operation or event) at *id; flags
    // must be 1 (look up). An unknown name: S_FALSE, *id left as it was.
    STDMETHOD(GetNameId)(BSTR name, LONG flags, LONG* id) PURE;
    PXV_RESERVED(46) PXV_RESERVED(47) PXV_RESERVED(48) PXV_RESERVED(49) PXV_RESERVED(50)
    PXV_RESERVED(51) PXV_RESERVED(52) PXV_RESERVED(53) PXV_RESERVED(54) PXV_RESERVED(55)
    PXV_RESERVED(56) PXV_RESERVED(57) PXV_RESERVED(58) PXV_RESERVED(59) PXV_RESERVED(60)
    PXV_RESERVED(61) PXV_RESERVED(62) PXV_RESERVED(63) PXV_RESERVED(64) PXV_RESERVED(65)
    PXV_RESERVED(66) PXV_RESERVED(67) PXV_RESERVED(68) PXV_RESERVED(69) PXV_RESERVED(70)
    PXV_RESERVED(71) PXV_RESERVED(72) PXV_RESERVED(73) PXV_RESERVED(74) PXV_RESERVED(75)
    PXV_RESERVED(76) PXV_RESERVED(77) PXV_RESERVED(78) PXV_RESERVED(79) PXV_RESERVED(80)
    PXV_RESERVED(81) PXV_RESERVED(82) PXV_RESERVED(83) PXV_RESERVED(84) PXV_RESERVED(85)
    PXV_RESERVED(86) PXV_RESERVED(87) PXV_RESERVED(88) PXV_RESERVED(89) PXV_RESERVED(90)
    PXV_RESERVED(91) PXV_RESERVED(92) PXV_RESERVED(93) PXV_RESERVED(94)
    // 95. Option 9: the hint shown while no document is open (1 shown, 0 hidden; shown at first).
    // Other options: E_INVALIDARG.
    STDMETHOD(SetOption)(LONG option, LONG value) PURE;
    PXV_RESERVED(96) PXV_RESERVED(97) PXV_RESERVED(98) PXV_RESERVED(99) PXV_RESERVED(100)
    PXV_RESERVED(101) PXV_RESERVED(102) PXV_RESERVED(103) PXV_RESERVED(104) PXV_RESERVED(105)
    // 106. Named settings.
    STDMETHOD(get_Settings)(IPXV_Settings** settings) PURE;
    PXV_RESERVED(107) PXV_RESERVED(108) PXV_RESERVED(109) PXV_RESERVED(110) PXV_RESERVED(111)
    PXV_RESERVED(112) PXV_RESERVED(113) PXV_RESERVED(114) PXV_RESERVED(115) PXV_RESERVED(116)
    PXV_RESERVED(117) PXV_RESERVED(118) PXV_RESERVED(119) PXV_RESERVED(120) PXV_RESERVED(121)
    PXV_RESERVED(122) PXV_RESERVED(123) PXV_RESERVED(124) PXV_RESERVED(125) PXV_RESERVED(126)
    PXV_RESERVED(127) PXV_RESERVED(128) PXV_RESERVED(129) PXV_RESERVED(130) PXV_RESERVED(131)
    PXV_RESERVED(132) PXV_RESERVED(133) PXV_RESERVED(134) PXV_RESERVED(135) PXV_RESERVED(136)
    PXV_RESERVED(137) PXV_RESERVED(138) PXV_RESERVED(139) PXV_RESERVED(140)
    // 141. The interface languages there are.
    STDMETHOD(get_UiLanguages)(IPXV_Languages** languages) PURE;
    // 142. Switches every text of the component to a language of the list (exact tag);
    // E_INVALIDARG for another. Raises "e.uiLanguageChanged" when the language changed.
    STDMETHOD(SetUiLanguage)(BSTR tag) PURE;

protected:
    ~IPXV_Inst() = default;
};

struct IPXV_Document : IDispatch {
    // 7. The file's path in Windows form.
    STDMETHOD(get_SrcPath)(BSTR* path) PURE;
    // 8. Its number of pages.
    STDMETHOD(get_PageCount)(LONG* count) PURE;
    PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11) PXV_RESERVED(12) PXV_RESERVED(13)
    PXV_RESERVED(14) PXV_RESERVED(15) PXV_RESERVED(16) PXV_RESERVED(17) PXV_RESERVED(18)
    PXV_RESERVED(19) PXV_RESERVED(20) PXV_RESERVED(21) PXV_RESERVED(22) PXV_RESERVED(23)
    PXV_RESERVED(24) PXV_RESERVED(25) PXV_RESERVED(26) PXV_RESERVED(27) PXV_RESERVED(28)
    PXV_RESERVED(29) PXV_RESERVED(30) PXV_RESERVED(31) PXV_RESERVED(32) PXV_RESERVED(33)
    PXV_RESERVED(34) PXV_RESERVED(35) PXV_RESERVED(36) PXV_RESERVED(37) PXV_RESERVED(38)
    PXV_RESERVED(39) PXV_RESERVED(40) PXV_RESERVED(41) PXV_RESERVED(42) PXV_RESERVED(43)
    PXV_RESERVED(44) PXV_RESERVED(45) PXV_RESERVED(46) PXV_RESERVED(47) PXV_RESERVED(48)
    PXV_RESERVED(49) PXV_RESERVED(50) PXV_RESERVED(51)
    // 52. VARIANT_TRUE while it has changes not saved.
    STDMETHOD(get_Modified)(VARIANT_BOOL* modified) PURE;

protected:
    ~IPXV_Document() = default;
};

struct IPXV_Access : IDispatch {
    PXV_RESERVED(7) PXV_RESERVED(8) PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11)
    PXV_RESERVED(12)
    // 13. What the active document allows.
    STDMETHOD(get_DocAccess)(IPXV_DocAccess** access) PURE;

protected:
    ~IPXV_Access() = default;
};

struct IPXV_DocAccess : IDispatch {
    PXV_RESERVED(7) PXV_RESERVED(8) PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11)
    PXV_RESERVED(12) PXV_RESERVED(13) PXV_RESERVED(14) PXV_RESERVED(15) PXV_RESERVED(16)
    PXV_RESERVED(17) PXV_RESERVED(18) PXV_RESERVED(19) PXV_RESERVED(20) PXV_RESERVED(21)
    PXV_RESERVED(22) PXV_RESERVED(23) PXV_RESERVED(24) PXV_RESERVED(25) PXV_RESERVED(26)
    PXV_RESERVED(27) PXV_RESERVED(28) PXV_RESERVED(29) PXV_RESERVED(30) PXV_RESERVED(31)
    PXV_RESERVED(32)
    // 33. subject 1 = the active document; operations: a sum of 1 print, 2 copy, 4 change the
    // document, 8 add or change notes; flags 0. *answer is 1 when all of them are permitted
    // (the owner password grants all), 0 when one is not or no document is active.
    STDMETHOD(CheckPermission)(LONG subject, LONG operations, LONG flags, LONG* answer) PURE;

protected:
    ~IPXV_DocAccess() = default;
};

struct IPXV_Settings : IDispatch {
    // 7. The value of a named setting; E_INVALIDARG for an unknown name.
    STDMETHOD(GetValue)(BSTR name, LONG* value) PURE;
    PXV_RESERVED(8) PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11) PXV_RESERVED(12)
    PXV_RESERVED(13) PXV_RESERVED(14) PXV_RESERVED(15) PXV_RESERVED(16) PXV_RESERVED(17)
    PXV_RESERVED(18) PXV_RESERVED(19) PXV_RESERVED(20) PXV_RESERVED(21) PXV_RESERVED(22)
    PXV_RESERVED(23) PXV_RESERVED(24) PXV_RESERVED(25) PXV_RESERVED(26) PXV_RESERVED(27)
    PXV_RESERVED(28) PXV_RESERVED(29) PXV_RESERVED(30) PXV_RESERVED(31) PXV_RESERVED(32)
    // 33. "Docs.SingleWnd": 1 keeps one document open at a time (opening another closes it),
    // 0 opens documents side by side in tabs (the default). Unknown names: E_INVALIDARG.
    STDMETHOD(SetValue)(BSTR name, LONG value) PURE;

protected:
    ~IPXV_Settings() = default;
};

struct IPXV_Languages : IDispatch {
    // 7. How many languages there are.
    STDMETHOD(get_Count)(LONG* count) PURE;
    // 8. The tag of the language at an index ("zh-CN", ...); E_INVALIDARG out of range.
    STDMETHOD(GetName)(LONG index, BSTR* tag) PURE;

protected:
    ~IPXV_Languages() = default;
};

struct IPXV_Frame : IDispatch {
    PXV_RESERVED(7) PXV_RESERVED(8) PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11)
    PXV_RESERVED(12) PXV_RESERVED(13)
    // 14. The site where this frame's panes dock.
    STDMETHOD(get_PaneSite)(IPXV_PaneSite** site) PURE;
    PXV_RESERVED(15) PXV_RESERVED(16) PXV_RESERVED(17) PXV_RESERVED(18) PXV_RESERVED(19)
    PXV_RESERVED(20) PXV_RESERVED(21) PXV_RESERVED(22) PXV_RESERVED(23) PXV_RESERVED(24)
    PXV_RESERVED(25)
    // 26. The frame at the right-hand side of the documents, with a pane site of its own; null
    // from that side frame itself.
    STDMETHOD(get_SideFrame)(IPXV_Frame** frame) PURE;
    PXV_RESERVED(27)
    // 28. The command bars.
    STDMETHOD(get_CommandBars)(IPXV_CommandBars** bars) PURE;

protected:
    ~IPXV_Frame() = default;
};

struct IPXV_PaneSite : IDispatch {
    PXV_RESERVED(7) PXV_RESERVED(8) PXV_RESERVED(9) PXV_RESERVED(10)
    // 11. How the site's panes are laid out.
    STDMETHOD(get_Layout)(IPXV_PaneLayout** layout) PURE;

protected:
    ~IPXV_PaneSite() = default;
};

struct IPXV_PaneLayout : IDispatch {
    // 7. The node holding all of the site's panes.
    STDMETHOD(get_Root)(IPXV_LayoutNode** node) PURE;

protected:
    ~IPXV_PaneLayout() = default;
};

struct IPXV_LayoutNode : IDispatch {
    // 7. The limits of SetSizeLimits.
    STDMETHOD(GetSizeLimits)(LONG* maxWidth, LONG* minWidth, LONG* maxHeight, LONG* minHeight) PURE;
    PXV_RESERVED(8) PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11) PXV_RESERVED(12)
    PXV_RESERVED(13) PXV_RESERVED(14) PXV_RESERVED(15) PXV_RESERVED(16)
    // 17. Limits, in pixels, for the size of the panes docked at the node (0 = no limit). A
    // maximum below its minimum: E_INVALIDARG.
    STDMETHOD(SetSizeLimits)(LONG maxWidth, LONG minWidth, LONG maxHeight, LONG minHeight) PURE;

protected:
    ~IPXV_LayoutNode() = default;
};

struct IPXV_CommandBars : IDispatch {
    PXV_RESERVED(7) PXV_RESERVED(8) PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11)
    PXV_RESERVED(12) PXV_RESERVED(13) PXV_RESERVED(14) PXV_RESERVED(15) PXV_RESERVED(16)
    PXV_RESERVED(17) PXV_RESERVED(18) PXV_RESERVED(19) PXV_RESERVED(20) PXV_RESERVED(21)
    PXV_RESERVED(22) PXV_RESERVED(23) PXV_RESERVED(24) PXV_RESERVED(25) PXV_RESERVED(26)
    PXV_RESERVED(27) PXV_RESERVED(28) PXV_RESERVED(29) PXV_RESERVED(30) PXV_RESERVED(31)
    PXV_RESERVED(32) PXV_RESERVED(33) PXV_RESERVED(34) PXV_RESERVED(35) PXV_RESERVED(36)
    PXV_RESERVED(37) PXV_RESERVED(38) PXV_RESERVED(39) PXV_RESERVED(40) PXV_RESERVED(41)
    PXV_RESERVED(42) PXV_RESERVED(43) PXV_RESERVED(44) PXV_RESERVED(45) PXV_RESERVED(46)
    PXV_RESERVED(47) PXV_RESERVED(48) PXV_RESERVED(49)
    // 50. The row of bars along one side: 8 = the top (the only one there is); E_INVALIDARG for
    // another.
    STDMETHOD(GetRow)(LONG side, IPXV_BarRow** row) PURE;

protected:
    ~IPXV_CommandBars() = default;
};

struct IPXV_BarRow : IDispatch {
    PXV_RESERVED(7) PXV_RESERVED(8) PXV_RESERVED(9) PXV_RESERVED(10) PXV_RESERVED(11)
    PXV_RESERVED(12) PXV_RESERVED(13) PXV_RESERVED(14) PXV_RESERVED(15) PXV_RESERVED(16)
    PXV_RESERVED(17) PXV_RESERVED(18) PXV_RESERVED(19) PXV_RESERVED(20) PXV_RESERVED(21)
    PXV_RESERVED(22) PXV_RESERVED(23) PXV_RESERVED(24) PXV_RESERVED(25) PXV_RESERVED(26)
    // 27. Puts the row's bars that are switched on back in their standard order.
    STDMETHOD(Arrange)() PURE;

protected:
    ~IPXV_BarRow() = default;
};
// clang-format on
