// The packing tool on folders of its own: what goes into the archive, and that a failed run
// leaves the previous archive alone.
#include "UIlib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace DuiLib;
namespace fs = std::filesystem;

namespace {

class SkinPack : public testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("skinpack_test_" + std::to_string(std::rand()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_root / "skin");
    }
    void TearDown() override {
        CResourceManager::GetInstance()->Release();
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    void Write(const std::string& name, const std::string& text) {
        const fs::path path = m_root / "skin" / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    int Pack(const std::string& password = "kavrentolis") {
        const std::string command = std::string(SKINPACK_PROGRAM) + " '" +
                                    (m_root / "skin").string() + "' '" + Archive().string() +
                                    "' '" + password + "' 2>/dev/null";
        return std::system(command.c_str());
    }
    fs::path Archive() const { return m_root / "out" / "skin.zip"; }
    std::vector<unsigned char> ArchiveBytes() const {
        std::ifstream file(Archive(), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    fs::path m_root;
};

} // namespace

TEST_F(SkinPack, NestedFilesKeepTheirPathsAndHiddenFilesStayOut) {
    Write("MainUI.xml", "<Window/>");
    Write("img/a.png", "png");
    Write(".MainUI.xml.swp", "editor");
    Write(".cache/img.png", "cache");
    ASSERT_EQ(Pack(), 0);

    std::vector<unsigned char> bytes = ArchiveBytes();
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                    L"kavrentolis");
    std::string contents;
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"img/a.png", &contents));
    EXPECT_EQ(contents, "png");
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L".MainUI.xml.swp", &contents));
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L".cache/img.png", &contents));
    EXPECT_FALSE(fs::exists(Archive().string() + ".partial"));
}

TEST_F(SkinPack, AFailedRunLeavesThePreviousArchiveInPlace) {
    Write("MainUI.xml", "<Window/>");
    ASSERT_EQ(Pack(), 0);
    const std::vector<unsigned char> before = ArchiveBytes();

    EXPECT_NE(Pack(""), 0); // an archive nobody could open
    fs::remove(m_root / "skin" / "MainUI.xml");
    EXPECT_NE(Pack(), 0); // nothing to pack
    EXPECT_EQ(ArchiveBytes(), before);
    EXPECT_FALSE(fs::exists(Archive().string() + ".partial"));
}
