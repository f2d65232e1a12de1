// The skin archive and the paint manager's resource calls.
#include "UIlib.h"
#include "skin_fixture.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace {

class SkinArchive : public testing::Test {
protected:
    void TearDown() override { CResourceManager::GetInstance()->Release(); }
};

} // namespace

TEST_F(SkinArchive, EncryptedEntriesAreReadWithThePassword) {
    auto bytes =
        duilibtest::MakeArchive({{"Msgbox.xml", "<Window/>"}, {"img/a.png", "PNG"}}, "kavrentolis");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                    L"kavrentolis");
    bytes.assign(bytes.size(), 0); // the manager keeps its own copy
    ASSERT_TRUE(CPaintManagerUI::IsResourceZipSet());
    std::string contents = "sentinel";
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"Msgbox.xml", &contents));
    EXPECT_EQ(contents, "<Window/>");
    EXPECT_TRUE(CPaintManagerUI::LoadSkinFile(L"img\\a.png", &contents));
    EXPECT_EQ(contents, "PNG");
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L"missing.xml", &contents));
}

TEST_F(SkinArchive, AWrongPasswordReadsNothing) {
    auto bytes = duilibtest::MakeArchive({{"Msgbox.xml", "<Window/>"}}, "kavrentolis");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()), L"other");
    std::string contents;
    EXPECT_FALSE(CPaintManagerUI::LoadSkinFile(L"Msgbox.xml", &contents));
}

TEST_F(SkinArchive, EmptyOrGarbageArchiveLeavesNoSkin) {
    CPaintManagerUI::SetResourceZip(static_cast<LPVOID>(nullptr), 0u, L"kavrentolis");
    EXPECT_FALSE(CPaintManagerUI::IsResourceZipSet());
    unsigned char garbage[64] = {1, 2, 3};
    CPaintManagerUI::SetResourceZip(garbage, sizeof(garbage), L"kavrentolis");
    EXPECT_FALSE(CPaintManagerUI::IsResourceZipSet());
}

TEST_F(SkinArchive, ReleaseForgetsTheArchive) {
    auto bytes = duilibtest::MakeArchive({{"a.xml", "x"}}, "");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()));
    ASSERT_TRUE(CPaintManagerUI::IsResourceZipSet());
    CResourceManager::GetInstance()->Release();
    EXPECT_FALSE(CPaintManagerUI::IsResourceZipSet());
}

TEST(SkinSettings, ResourcePathEndsWithABackslash) {
    CPaintManagerUI::SetResourcePath(L"C:\\app\\layout");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath().GetData(), L"C:\\app\\layout\\");
    CPaintManagerUI::SetResourcePath(L"");
}

TEST(SkinSettings, InstancePathIsTheProgramFolder) {
    const CDuiString path = CPaintManagerUI::GetInstancePath();
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.GetAt(path.GetLength() - 1), L'\\');
}

TEST(DuiString, FormatTakesWideStringsAsWindowsDoes) {
    CDuiString text;
    EXPECT_EQ(text.Format(L"%s-%d-%c", L"提示", 42, L'x'), 7);
    EXPECT_STREQ(text.GetData(), L"提示-42-x");
}
