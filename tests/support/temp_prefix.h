// A throw-away drive C: for tests. Every test program runs against its own temporary prefix,
// so nothing a test writes ever reaches the user's real data.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

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

private:
    TempDir m_dir;
    std::string m_old;
    bool m_hadOld = false;
    TempDir m_volatileDir;
    ScopedEnv m_volatileEnv{"WIN32_VOLATILE_DIR", m_volatileDir.Path()};
};

} // namespace testsupport
