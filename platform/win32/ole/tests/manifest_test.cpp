#include "com_internal.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using win32::ParseManifest;

constexpr GUID kFirst = {
    0x6D1F2A40, 0x3C5B, 0x4E7A, {0x9B, 0x21, 0x0F, 0x4C, 0x8D, 0x2E, 0x7A, 0x10}};
constexpr GUID kSecond = {
    0x6D1F2A41, 0x3C5B, 0x4E7A, {0x9B, 0x21, 0x0F, 0x4C, 0x8D, 0x2E, 0x7A, 0x10}};

TEST(ManifestReading, ClassesTakeTheFileAroundThemWhateverTheNamespaceAndExtraElements) {
    auto classes = ParseManifest(R"(<?xml version="1.0" encoding="UTF-8"?>
<asm:assembly xmlns:asm="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <asm:assemblyIdentity name="x" version="1.0.0.0"/>
  <asm:file name="editor.dll" hashalg="SHA1">
    <asm:typelib tlbid="{0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C}"/>
    <asm:comClass clsid="{6d1f2a40-3c5b-4e7a-9b21-0f4c8d2e7a10}" threadingModel="Apartment">
      <asm:progid>Editor.Control</asm:progid>
    </asm:comClass>
  </asm:file>
  <file name="other.dll"><comClass clsid="{6D1F2A41-3C5B-4E7A-9B21-0F4C8D2E7A10}"/></file>
</asm:assembly>)");
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_TRUE(IsEqualGUID(classes[0].clsid, kFirst));
    EXPECT_EQ(classes[0].file, L"editor.dll");
    EXPECT_EQ(classes[0].threadingModel, L"Apartment");
    EXPECT_TRUE(IsEqualGUID(classes[1].clsid, kSecond));
    EXPECT_EQ(classes[1].file, L"other.dll");
    EXPECT_EQ(classes[1].threadingModel, L"");
}

TEST(ManifestReading, UnusableClassEntriesAreSkippedAndTheFirstListingWins) {
    auto classes = ParseManifest(R"(<assembly>
  <comClass clsid="{6D1F2A40-3C5B-4E7A-9B21-0F4C8D2E7A10}"/>
  <file><comClass clsid="{6D1F2A40-3C5B-4E7A-9B21-0F4C8D2E7A10}"/></file>
  <file name="a.dll">
    <comClass clsid="not an id"/>
    <comClass/>
    <comClass clsid="{6D1F2A40-3C5B-4E7A-9B21-0F4C8D2E7A10}"/>
  </file>
  <file name="b.dll"><comClass clsid="{6D1F2A40-3C5B-4E7A-9B21-0F4C8D2E7A10}"/></file>
</assembly>)");
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(classes[0].file, L"a.dll");
}

TEST(ManifestReading, ABrokenDocumentKeepsWhatCameBeforeTheBreak) {
    auto classes = ParseManifest(R"(<assembly>
  <file name="a.dll"><comClass clsid="{6D1F2A40-3C5B-4E7A-9B21-0F4C8D2E7A10}"/></file>
  <file name="b.dll"><comClass clsid="{6D1F2A41-3C5B-4E7A-9B21-0F4C8D2E7A10}"</file>)");
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(classes[0].file, L"a.dll");
    EXPECT_TRUE(ParseManifest("").empty());
    EXPECT_TRUE(ParseManifest("\x89PNG not xml at all").empty());
}

} // namespace
