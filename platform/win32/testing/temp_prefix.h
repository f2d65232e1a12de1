// A throw-away drive C: for tests. Every test program runs against its own temporary prefix,
// so nothing a test writes ever reaches the user's real data. Header-only and free of the
// layer's own calls, so that it serves the layer's tests (which link the layer's objects) and
// everyone else's alike.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// Creates a fresh folder under the temporary directory; removed when the object dies.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "w32test.XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        m_path = made ? made : "";
    }
    ~TempDir() {
        std::error_code ec;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ec);
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Sets an environment variable for the lifetime of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        const char* old = std::getenv(name);
        m_hadOld = old != nullptr;
        if (old) {
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_hadOld) {
            setenv(m_name, m_old.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::string m_old;
    bool m_hadOld = false;
};

// Points drive C: at a fresh folder for the lifetime of the object, and restores the previous
// setting afterwards. The registry's volatile keys go to a fresh folder of their own, never to
// the real runtime folder.
class TempPrefix {
public:
    TempPrefix() {
        const char* old = std::getenv("WIN32_DRIVE_C");
        m_hadOld = old != nullptr;
        if (old) {
            m_old = old;
        }
        setenv("WIN32_DRIVE_C", m_dir.Path().c_str(), 1);
    }
    ~TempPrefix() {
        if (m_hadOld) {
            setenv("WIN32_DRIVE_C", m_old.c_str(), 1);
        } else {
            unsetenv("WIN32_DRIVE_C");
        }
    }
    TempPrefix(const TempPrefix&) = delete;
    TempPrefix& operator=(const TempPrefix&) = delete;

    // Host path of drive C:.
    const std::string& Root() const { return m_dir.Path(); }

    // Host path of a path on drive C: ("C:\\a\\b.txt" or "a\\b.txt"), as the layer maps it.
    std::string HostPath(std::wstring_view windowsPath) const {
        if (windowsPath.size() >= 2 && windowsPath[1] == L':') {
            windowsPath.remove_prefix(2);
        }
        std::string host = m_dir.Path();
        if (windowsPath.empty() || (windowsPath[0] != L'\\' && windowsPath[0] != L'/')) {
            host += '/';
        }
        for (wchar_t c : windowsPath) {
            if (c == L'\\') {
                host += '/';
            } else if (c < 0x80) {
                host += static_cast<char>(c);
            } else {
                // UTF-8 of the code point; test paths need nothing fancier.
                const auto u = static_cast<char32_t>(c);
                if (u < 0x800) {
                    host += static_cast<char>(0xC0 | (u >> 6));
                } else if (u < 0x10000) {
                    host += static_cast<char>(0xE0 | (u >> 12));
                    host += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                } else {
                    host += static_cast<char>(0xF0 | (u >> 18));
                    host += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
                    host += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                }
                host += static_cast<char>(0x80 | (u & 0x3F));
            }
        }
        return host;
    }

    // What a restart of the machine does to the registry: the folder of volatile keys starts
    // empty, so every volatile key and its values are gone while persistent ones stay. Keys
    // opened before the restart must not be used after it (no process survives a restart).
    void SimulateRestart() {
        m_boots.push_back(std::make_unique<TempDir>());
        setenv("WIN32_VOLATILE_DIR", m_boots.back()->Path().c_str(), 1);
    }

private:
    TempDir m_dir;
    std::string m_old;
    bool m_hadOld = false;
    TempDir m_volatileDir;
    ScopedEnv m_volatileEnv{"WIN32_VOLATILE_DIR", m_volatileDir.Path()};
    // The temporary folder (GetTempPath) of this run alone: test programs run side by side, and
    // files the system puts there under fixed names (a downloaded head image) must not meet.
    TempDir m_tempFolder;
    ScopedEnv m_tempEnv{"TMPDIR", m_tempFolder.Path()};
    std::vector<std::unique_ptr<TempDir>> m_boots;
};

} // namespace testsupport
