#include <varnix/util/version_info.h>

#include "temp_prefix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>

// This test program carries its own version block (varnix_util_tests.rc.json): file version
// 3.1.0.12, a first string table for 0x0804 and a second one for 0x0409.
namespace {

std::wstring Text(const VersionInfo& info) {
    std::wstring out;
    info.AsString(out);
    return out;
}

std::wstring ExecutablePath() {
    WCHAR path[4096] = {};
    GetModuleFileNameW(nullptr, path, 4096);
    return path;
}

TEST(VersionCompare, FirstDifferingPartDecides) {
    EXPECT_EQ(VersionInfo(L"2.0.0.0").Compare(VersionInfo(L"1.9.9.9")), 1u);
    EXPECT_EQ(VersionInfo(L"1.2.3.4").Compare(VersionInfo(L"1.2.3.5")), 0xFFFFFFFFu);
    VersionInfo a(L"1.2.3.4");
    VersionInfo b(L"1.2.3.4");
    EXPECT_EQ(a.Compare(b), 0u);
    EXPECT_EQ(a == b, 1);
    EXPECT_EQ(a < b, 0);
    EXPECT_EQ(a > b, 0);
    EXPECT_EQ(VersionInfo(L"1.2.3.4") < VersionInfo(L"1.2.3.5"), 1);
    EXPECT_EQ(VersionInfo(L"1.2.3.5") > VersionInfo(L"1.2.3.4"), 1);
}

TEST(VersionCompare, NumbersAboveSignedRangeCompareAndPrintUnsigned) {
    VersionInfo big(L"40000.1.0.0");
    EXPECT_EQ(big.Compare(VersionInfo(L"1.1.0.0")), 1u);
    EXPECT_EQ(Text(big), L"40000.1.0.0");
    VersionInfo top(L"65535.65535.65535.65535");
    wchar_t buffer[24];
    std::wmemset(buffer, L'#', 24);
    top.AsString(buffer);
    EXPECT_STREQ(buffer, L"65535.65535.65535.65535"); // exactly fills the 24 characters
}

TEST(VersionFormat, ResourceShortAndProductForms) {
    VersionInfo info(L"3.1.0.12");
    wchar_t buffer[24];
    info.AsResource(buffer);
    EXPECT_STREQ(buffer, L"3,1,0,12");
    EXPECT_STREQ(info.AsStringShort(buffer), L"3.1");
    std::wstring shortForm;
    EXPECT_STREQ(info.AsStringShort(shortForm), L"3.1");
    EXPECT_STREQ(info.AsString(), L"3.1.0.12");

    VersionInfo* running = VersionInfo::GetInstance();
    std::wstring product;
    EXPECT_STREQ(running->GetExtProductName(&product), L"\u6D4B\u8BD5\u5DE5\u5177 3.1");
    EXPECT_EQ(running->GetExtProductName(nullptr), nullptr);
}

TEST(VersionParse, MissingPartsAreZeroFromTextAndKeptOnSet) {
    EXPECT_EQ(Text(VersionInfo(L"5")), L"5.0.0.0");
    EXPECT_EQ(Text(VersionInfo(L"")), L"0.0.0.0");
    EXPECT_EQ(Text(VersionInfo(L"1.2.3.4.5")), L"1.2.3.4");
    EXPECT_EQ(Text(VersionInfo(L"3.x.5")), L"3.0.5.0");
    VersionInfo info(L"1.2.3.4");
    info.SetFromString(L"3.1");
    EXPECT_EQ(Text(info), L"3.1.3.4");
    info.SetFromString(nullptr);
    EXPECT_EQ(Text(info), L"3.1.3.4");
}

TEST(VersionParse, PartsConvertLikeTheWindowsRuntime) {
    EXPECT_EQ(Text(VersionInfo(L" 7.+8.-1.70000")), L"7.8.65535.4464"); // cut to 16 bits
    EXPECT_EQ(Text(VersionInfo(L"99999999999.1")), L"65535.1.0.0");     // saturates first
}

TEST(VersionLayout, NumbersReadAsOneLittleEndianValueMajorFirst) {
    VersionInfo info(L"1.2.3.4");
    uint64_t value = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    std::memcpy(&value, bytes + sizeof(void*) + 128 * sizeof(wchar_t), sizeof value);
    EXPECT_EQ(value, 0x0001000200030004u);
}

TEST(VersionCopy, CopiesKeepTheirOwnOriginalAndInternalNames) {
    VersionInfo* running = VersionInfo::GetInstance();
    VersionInfo copy(*running);
    EXPECT_EQ(copy == *running, 1);
    EXPECT_STREQ(copy.ProductName(), running->ProductName());
    EXPECT_STREQ(copy.CompanyName(), L"Test Makers");
    EXPECT_STREQ(copy.OriginalName(), L"");
    EXPECT_STREQ(copy.InternalName(), L"");

    VersionInfo target(GetModuleHandleW(nullptr));
    EXPECT_STREQ(target.InternalName(), L"tool");
    target = VersionInfo(L"9.9.9.9");
    EXPECT_EQ(Text(target), L"9.9.9.9");
    EXPECT_STREQ(target.ProductName(), L"");
    EXPECT_STREQ(target.InternalName(), L"tool");
}

TEST(VersionFixedInfo, FileVersionNotProductVersionGivesTheNumbers) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwFileVersionMS = 0x00020005;
    fixed.dwFileVersionLS = 0x00000007;
    fixed.dwProductVersionMS = 0x00090009;
    EXPECT_EQ(Text(VersionInfo(&fixed)), L"2.5.0.7");
    VersionInfo info(L"1.1.1.1");
    info.SetFromFFI(nullptr);
    EXPECT_EQ(Text(info), L"1.1.1.1");
}

TEST(VersionInstance, RunningProgramIsRereadOnEveryCall) {
    VersionInfo* running = VersionInfo::GetInstance();
    EXPECT_EQ(Text(*running), L"3.1.0.12");
    // The first translation's table, not the second's.
    EXPECT_STREQ(running->ProductName(), L"\u6D4B\u8BD5\u5DE5\u5177");
    EXPECT_STREQ(running->OriginalName(), L"tester");
    EXPECT_STREQ(running->InternalName(), L"tool");
    EXPECT_STREQ(running->LegalInfo(), L"");
    running->SetMajor(9);
    EXPECT_EQ(VersionInfo::GetInstance(), running);
    EXPECT_EQ(Text(*running), L"3.1.0.12");
}

TEST(VersionInstance, NullInstanceClearsAndAModuleIsRead) {
    VersionInfo info(*VersionInfo::GetInstance());
    info.SetFromInstance(nullptr);
    EXPECT_EQ(Text(info), L"0.0.0.0");
    EXPECT_STREQ(info.ProductName(), L"");
    EXPECT_STREQ(info.CompanyName(), L"");
    info.SetFromInstance(GetModuleHandleW(nullptr));
    EXPECT_EQ(Text(info), L"3.1.0.12");
    EXPECT_STREQ(info.CompanyName(), L"Test Makers");
}

TEST(VersionFiles, FileWithoutVersionLeavesTheObjectUnchanged) {
    testsupport::TempPrefix prefix;
    std::ofstream(prefix.Root() + "/plain.txt") << "no resources here";
    VersionInfo info(L"1.2.3.4");
    info.SetFromFilename(L"C:\\plain.txt");
    EXPECT_EQ(Text(info), L"1.2.3.4");
    info.SetFromFilename(L"C:\\missing.exe");
    EXPECT_EQ(Text(info), L"1.2.3.4");
    EXPECT_EQ(VersionInfo::GetVersionInfo(L"C:\\plain.txt"), nullptr);
}

TEST(VersionFiles, RawBlockIsAGlobalBlockTheCallerFrees) {
    HGLOBAL block = VersionInfo::GetVersionInfo(ExecutablePath().c_str());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), GetFileVersionInfoSizeW(ExecutablePath().c_str(), nullptr));
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block, L"\\StringFileInfo\\040904b0\\ProductName", &value, &length));
    EXPECT_STREQ(static_cast<const wchar_t*>(value), L"Test tool");
    GlobalFree(block);
}

} // namespace
