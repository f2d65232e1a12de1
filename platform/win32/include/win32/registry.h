// The registry: keys and values under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, kept in SQLite
// databases of the prefix; volatile keys live in a database under the runtime folder, so that
// they vanish when the user session ends or the machine restarts.
//
// Every call returns a Windows error code and leaves the last error alone, as on Windows.
// Handles may be used from any thread; every write is one transaction, and several processes
// may use the registry at once.
//
// Wide text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ): sizes count bytes of our 32-bit WCHAR, so
// `sizeof(buffer)` of a WCHAR array is the right size to pass and a buffer holds as many
// characters as on Windows. The text is stored as UTF-16LE, as Windows stores it.
#pragma once

#include "types.h"

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))

// Access rights. The WOW64 view flags are accepted and ignored: there is one view.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_WOW64_RES 0x0300
#define KEY_READ 0x20019
#define KEY_EXECUTE 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

// Options of RegCreateKeyExW and its dispositions.
#define REG_OPTION_RESERVED 0x00000000L
#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_OPTION_VOLATILE 0x00000001L
#define REG_OPTION_CREATE_LINK 0x00000002L
#define REG_OPTION_BACKUP_RESTORE 0x00000004L
#define REG_OPTION_OPEN_LINK 0x00000008L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

// Flags of RegRestoreKeyW.
#define REG_WHOLE_HIVE_VOLATILE 0x00000001L
#define REG_REFRESH_HIVE 0x00000002L
#define REG_NO_LAZY_FLUSH 0x00000004L
#define REG_FORCE_RESTORE 0x00000008L

// Value types.
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11
#define REG_QWORD_LITTLE_ENDIAN 11

extern "C" {
// Opens a subkey (null or empty: a new handle to hKey itself). The subkey's access is what
// samDesired asks, whatever the access of hKey. On failure *phkResult is null.
WIN32_API LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions,
                                       REGSAM samDesired, PHKEY phkResult);

// Opens or creates a subkey and the missing keys on its way. Every key it creates is volatile
// with REG_OPTION_VOLATILE; a non-volatile key under a volatile one fails with
// ERROR_CHILD_MUST_BE_VOLATILE. The class and the security attributes are ignored. Creating
// needs KEY_CREATE_SUB_KEY on hKey (ERROR_ACCESS_DENIED otherwise).
WIN32_API LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved,
                                         LPWSTR lpClass, DWORD dwOptions, REGSAM samDesired,
                                         const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                         PHKEY phkResult, LPDWORD lpdwDisposition);

// Reads a value (null or empty name: the default value). With lpData null, *lpcbData gets the
// size. A buffer too small gives ERROR_MORE_DATA with the needed size in *lpcbData and leaves
// the buffer untouched. Needs KEY_QUERY_VALUE.
WIN32_API LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved,
                                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

// Writes a value as one transaction. Text types take cbData in bytes of WCHAR and fail with
// ERROR_INVALID_PARAMETER for a size that is not a whole number of characters. Needs
// KEY_SET_VALUE.
WIN32_API LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved,
                                        DWORD dwType, const BYTE* lpData, DWORD cbData);

// Needs KEY_SET_VALUE; a missing value gives ERROR_FILE_NOT_FOUND.
WIN32_API LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);

// Deletes a subkey and its values (empty name: the key of hKey itself). A key that still has
// subkeys, and the roots, give ERROR_ACCESS_DENIED.
WIN32_API LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);

// Closing a predefined root does nothing and succeeds; a stale handle gives
// ERROR_INVALID_HANDLE.
WIN32_API LSTATUS WINAPI RegCloseKey(HKEY hKey);

// Saves the key, its values and its subkeys to a new file (Windows path). An existing file
// gives ERROR_ALREADY_EXISTS. Needs no backup privilege.
WIN32_API LSTATUS WINAPI RegSaveKeyW(HKEY hKey, LPCWSTR lpFile,
                                     const LPSECURITY_ATTRIBUTES lpSecurityAttributes);

// Replaces the values and the subkeys of hKey with those saved in the file, as one
// transaction. With REG_WHOLE_HIVE_VOLATILE the restored subkeys are volatile. Works on any
// key, not only on the roots; needs KEY_SET_VALUE and no restore privilege.
WIN32_API LSTATUS WINAPI RegRestoreKeyW(HKEY hKey, LPCWSTR lpFile, DWORD dwFlags);

// Not a Windows call: a second handle to the same key with the same access, which on Windows
// DuplicateHandle with DUPLICATE_SAME_ACCESS gives. Each handle is closed on its own. A
// predefined root is returned as it is.
WIN32_API LSTATUS WINAPI RegDuplicateKey(HKEY hKey, PHKEY phkResult);
}
