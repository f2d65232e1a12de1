// An owner of one registry key handle, with typed reads and writes.
//
// Ownership: the object owns its handle (the one given to the constructor included) and closes
// it exactly once; predefined roots are never closed. A copy holds its own duplicate of the
// handle, with the same access, so a copy may outlive its source. When CreateKey or Open
// replaces the handle, the replaced one is closed (unless it is a root).
// Failure: results only (1/0, or the Windows error code of Open); nothing throws, nothing is
// shown. Reads never check the stored value's type.
// Threading: one object belongs to one thread at a time.
#pragma once

#include "export.h"

#include <windows.h>

class VARNIX_API Registry {
public:
    // The key is HKEY_LOCAL_MACHINE.
    Registry();
    explicit Registry(HKEY key);
    Registry(const Registry& other);
    Registry& operator=(const Registry& other);
    virtual ~Registry();

    // Closes the key if there is one and forgets it.
    void Close();

    // Creates or opens the subkey as a volatile key (gone at the next restart) with all access
    // rights; on success it becomes the current key. 1/0.
    BOOL CreateKey(const wchar_t* subKey);

    // Opens the subkey with that access; on success it becomes the current key, otherwise the
    // current key stays. Returns the Windows error code (0 on success).
    LSTATUS Open(const wchar_t* subKey, DWORD access);

    // Deletes a value of the current key. 1/0.
    BOOL DeleteValue(const wchar_t* name);

    // Deletes the value (not a subkey) of that name under the given key. 1/0.
    BOOL DeleteKey(HKEY key, const wchar_t* name);

    // REG_DWORD, REG_QWORD and REG_SZ (the text with its terminating zero). 1/0; a null text
    // writes nothing and gives 0.
    BOOL Write(const wchar_t* name, DWORD value);
    BOOL Write(const wchar_t* name, LONGLONG value);
    BOOL Write(const wchar_t* name, const wchar_t* text);

    // Up to 8 bytes of the value into *value, whatever its type. 1/0.
    BOOL Read(const wchar_t* name, LONGLONG* value);
    // Up to 4 bytes; *value changes only on success. 1/0.
    BOOL Read(const wchar_t* name, DWORD* value);
    // The value's bytes into the buffer; *size is the buffer's size in bytes
    // (sizeof(buffer)) and becomes the bytes stored, or needed when it does not fit. 1/0.
    BOOL Read(const wchar_t* name, wchar_t* buffer, DWORD* size);

    // Saves the current key and its subkeys to a new file. 1/0.
    BOOL SaveKey(const wchar_t* file);
    // Replaces the current key's content with a saved file, its subkeys volatile. 1/0.
    BOOL RestoreKey(const wchar_t* file);

private:
    void Replace(HKEY key);

    HKEY m_key;
};
