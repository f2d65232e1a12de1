// Where volatile keys live when the system gives no runtime folder: a folder of ours in the
// shared temporary folder, which another user must not be able to read, replace or plant.
#include "registry_store.h"

#include "temp_prefix.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class SharedVolatileFolder : public testing::Test {
protected:
    // The folder the layer falls back to, under the temporary folder of this test.
    std::string Fallback() const {
        return m_tmp.Path() + "/win32-registry-" + std::to_string(getuid());
    }

    std::string VolatileFolder() {
        testing::internal::CaptureStderr();
        const std::string folder = win32::registry::CurrentStoreLocation().volatileFolder;
        m_complaint = testing::internal::GetCapturedStderr();
        return folder;
    }

    testsupport::TempPrefix m_prefix;
    testsupport::TempDir m_tmp;
    // Empty counts as unset: no forced folder and no runtime folder, so the fallback is used.
    testsupport::ScopedEnv m_forced{"WIN32_VOLATILE_DIR", ""};
    testsupport::ScopedEnv m_runtime{"XDG_RUNTIME_DIR", ""};
    testsupport::ScopedEnv m_tmpdir{"TMPDIR", m_tmp.Path()};
    std::string m_complaint;
};

TEST_F(SharedVolatileFolder, IsMadePrivateToTheUserWhenMissing) {
    const std::string folder = VolatileFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.rfind(Fallback() + "/", 0), 0u);
    struct stat info {};
    ASSERT_EQ(lstat(Fallback().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, getuid());
}

TEST_F(SharedVolatileFolder, AFolderOpenToOthersIsRefused) {
    ASSERT_TRUE(fs::create_directory(Fallback()));
    fs::permissions(Fallback(), fs::perms::all); // 0777: anyone may plant keys there
    EXPECT_EQ(VolatileFolder(), "");
    EXPECT_NE(m_complaint.find("unsafe"), std::string::npos);

    fs::permissions(Fallback(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec); // 0750: others may read keys
    EXPECT_EQ(VolatileFolder(), "");
}

TEST_F(SharedVolatileFolder, ALinkInThePlaceOfTheFolderIsRefused) {
    testsupport::TempDir elsewhere; // private and ours, but reached through a planted link
    fs::create_directory_symlink(elsewhere.Path(), Fallback());
    EXPECT_EQ(VolatileFolder(), "");
}

TEST_F(SharedVolatileFolder, AFolderOwnedBySomeoneElseIsRefused) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can give a folder to another user";
    }
    ASSERT_TRUE(fs::create_directory(Fallback()));
    fs::permissions(Fallback(), fs::perms::owner_all);
    ASSERT_EQ(chown(Fallback().c_str(), 65534, 65534), 0);
    EXPECT_EQ(VolatileFolder(), "");
}

} // namespace
