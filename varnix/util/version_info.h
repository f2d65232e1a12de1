// Four-part version numbers (major.minor.aux.maintenance) and the descriptive strings of a
// Windows version resource.
//
// GetInstance describes the running executable and rereads its version resource on every
// call, so pointers from an earlier call's accessors may be invalidated by a later call; the
// instance lives until the process exits. Callers on several threads serialise their calls.
// Nothing here reports an error beyond its result: a file without a version resource leaves
// the object unchanged.
#pragma once

#include "export.h"

#include <windows.h>

#include <string>

class VARNIX_API VersionInfo {
public:
    // Numbers 0, strings empty.
    VersionInfo();
    // Numbers from the fixed part of a version resource (a null record gives 0.0.0.0).
    explicit VersionInfo(const VS_FIXEDFILEINFO* info);
    // Numbers 0, then SetFromString.
    explicit VersionInfo(const wchar_t* text);
    // SetFromInstance.
    explicit VersionInfo(HINSTANCE instance);
    // Copy as SetFromVerInfo: the original and internal names are not copied.
    VersionInfo(const VersionInfo& other);
    VersionInfo& operator=(const VersionInfo& other);
    virtual ~VersionInfo();

    // Copies the four numbers, the product name, the company name and the legal text.
    void SetFromVerInfo(const VersionInfo& other);
    // The four numbers only, from the file version; a null record changes nothing.
    void SetFromFFI(const VS_FIXEDFILEINFO* info);
    // Parses "major.minor.aux.maintenance" from the left; parts the text does not reach keep
    // their values, a part that is not a number gives 0, a fifth part is ignored.
    void SetFromString(const wchar_t* text);
    // Reads the module's file; a null handle clears the numbers, product, company and legal
    // text instead.
    void SetFromInstance(HINSTANCE instance);
    // Reads the version resource of a file (Windows path).
    void SetFromFilename(const wchar_t* path);
    void SetMajor(WORD value);
    void SetMinor(WORD value);
    void SetAux(WORD value);
    void SetMaintenance(WORD value);

    // "major.minor.aux.maintenance" into a caller's buffer of at least 24 characters.
    wchar_t* AsString(wchar_t* buffer) const;
    // "major.minor" into a caller's buffer of at least 12 characters.
    wchar_t* AsStringShort(wchar_t* buffer) const;
    // "major,minor,aux,maintenance" into a caller's buffer of at least 24 characters.
    void AsResource(wchar_t* buffer) const;
    // Into the object's own buffer, valid until the next call or change.
    const wchar_t* AsString();
    // Assigns to `out` and returns its characters.
    const wchar_t* AsString(std::wstring& out) const;
    const wchar_t* AsStringShort(std::wstring& out) const;
    // Product name, a space and "major.minor" into *out; returns its characters (null when
    // out is null).
    const wchar_t* GetExtProductName(std::wstring* out) const;

    // 1 when this version is greater, 0xFFFFFFFF when smaller, 0 when all four are equal.
    DWORD Compare(const VersionInfo& other) const;
    int operator==(const VersionInfo& other) const;
    int operator<(const VersionInfo& other) const;
    int operator>(const VersionInfo& other) const;

    // Valid while the object is unchanged.
    const wchar_t* ProductName() const;
    const wchar_t* CompanyName() const;
    const wchar_t* LegalInfo() const;
    const wchar_t* OriginalName() const;
    const wchar_t* InternalName() const;

    // The running executable's version, reread on every call.
    static VersionInfo* GetInstance();
    // The raw version block of a file in a zero-initialised GlobalAlloc block that the caller
    // frees with GlobalFree; null when the file has none or memory runs out.
    static HGLOBAL GetVersionInfo(const wchar_t* path);

protected:
    // Numbers 0; product name, company name and legal text emptied.
    void Reset();
    // Non-zero when the four numbers were read from the file.
    BOOL GetVersionOfFile(const wchar_t* path);

private:
    wchar_t m_text[128];
    // Maintenance first: the eight bytes read as one little-endian 64-bit value are major,
    // minor, aux, maintenance from the most significant word down.
    WORD m_maintenance;
    WORD m_aux;
    WORD m_minor;
    WORD m_major;
    std::wstring m_productName;
    std::wstring m_companyName;
    std::wstring m_legalInfo;
    std::wstring m_originalName;
    std::wstring m_internalName;
};
