// File: one path, plus the static path, file-system and shell operations of the system.
//
// Paths are Windows paths with backslashes; no operation understands the forward slash. Path
// splitting works on the last backslash or dot of the whole string, never on path components.
// Failures come back as results (false, -1, an empty string, a shell result of 32 or less);
// only FileTypeToString throws. The operations keep no state and may be called from any
// thread; OpenFileBySystem initialises COM on the calling thread for the time of the call.
#pragma once

#include "export.h"

#include <windows.h>

#include <string>
#include <vector>

class VARNIX_API File {
public:
    // Document and image kinds, numbered from 0.
    enum FileType : int {
        PDF,
        DOC,
        DOCX,
        RTF,
        XLS,
        XLSX,
        PPT,
        PPTX,
        TXT,
        PNG,
        JPG,
        BMP,
        ICO,
        GIF,
        EXIF,
        TIFF,
        WMF,
        EMF,
        UNKNOWN, // no extension
        HTML,
        WEBP,
    };

    File();
    explicit File(const std::wstring& path);
    File(const File& other);
    File& operator=(const File& other); // a move is a copy
    virtual ~File();

    void Path(const std::wstring& path);
    const std::wstring& Path() const;

    // The static operations of the same name, applied to the stored path.
    std::wstring Name() const;
    std::wstring Basename() const;
    std::wstring Extension() const;
    bool Exist() const;
    LONG BytesSize() const;

    // --- path strings ------------------------------------------------------------------------

    // Everything after the last backslash; the whole input when there is none.
    static std::wstring Name(const std::wstring& path);
    // The text between the last backslash and the last dot; to the end when the last dot is
    // missing or lies before the last backslash.
    static std::wstring Basename(const std::wstring& path);
    // Everything after the last dot with A-Z lower-cased; the whole input (lower-cased) when
    // there is no dot.
    static std::wstring Extension(const std::wstring& path);
    // Everything before the last backslash, empty when there is none. An empty input stands for
    // the program's executable, so Directory(L"") is the program's folder (empty when the
    // module path cannot be read).
    static std::wstring Directory(const std::wstring& path);
    // The program's executable file; empty when it cannot be read.
    static std::wstring FullPath();
    // The user's temporary folder with its trailing backslash; empty when it cannot be read.
    static std::wstring TempPath();
    // A path that does not exist yet: the input itself, else "<dir>\<base>_<n>.<ext>" (or
    // "<dir>\<base>_<n>" without withExtension, for folders) for the first free n from 1. The
    // input is updated too. With withExtension a name without a dot gets no extension.
    static std::wstring GenerateUniquePath(std::wstring& path, bool withExtension);
    // The lower-case extension of a kind, without a dot ("" for UNKNOWN). Throws a
    // std::runtime_error "unimplemented" for a value outside the enumeration.
    static std::wstring FileTypeToString(FileType type);

    // --- file system ----------------------------------------------------------------------------

    // True when the path names an existing file or folder.
    static bool Exist(const std::wstring& path);
    // The file's size in bytes; -1 when it cannot be read or does not fit 32 bits.
    static LONG BytesSize(const std::wstring& path);
    // The number of entries matching a search pattern (such as "C:\dir\*") that are not
    // folders; -1 when the search fails at once.
    static int CountFileInDir(const std::wstring& pattern);
    // Creates every missing folder of an absolute drive path ("C:\a\b\c"). True when the path
    // is a folder afterwards.
    static bool CreateDeepDirectory(const std::wstring& path);
    // Copies the source's file to target, replacing a file there; with removeSource the
    // source is deleted after a successful copy (a move). True when the copy succeeded; a failed
    // copy leaves the source where it was.
    static bool Copy(const File& source, std::wstring target, bool removeSource);
    // Deletes the file; true on success.
    static bool Delete(const File& file);

    // --- shell
    // ------------------------------------------------------------------------------------

    // Opens a file with its associated program, or starts a program, passing each argument as
    // one argument whatever it contains. Returns the shell's result: above 32 on success.
    static HINSTANCE OpenFileBySystem(const std::wstring& file, std::vector<std::wstring> args);
    // Shows the folder of fullPath in the file manager with the file selected.
    static bool OpenDirAndSelectFile(const std::wstring& fullPath);
    // Lets the user pick a folder; empty when cancelled.
    static std::wstring ChooseDirectory(HWND owner);
    // Lets the user pick existing files; their full paths, each followed by "\n"; empty when
    // cancelled. filter is a Windows open-dialog filter list.
    static std::wstring SelectMultiFiles(HWND owner, const std::wstring& title, const WCHAR* filter,
                                         int filterIndex);

private:
    std::wstring m_path;
};
