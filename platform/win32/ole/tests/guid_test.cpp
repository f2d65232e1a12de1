#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Data1 and the two words print as numbers, Data4 byte by byte.
constexpr GUID kSample = {
    0x0AAFF38C, 0xCB91, 0x4424, {0xA8, 0xB9, 0xF8, 0xB5, 0x04, 0xAC, 0xBE, 0x0C}};
constexpr GUID kFilled = {0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};

std::wstring Text(REFGUID guid) {
    WCHAR buffer[40] = {};
    int written = StringFromGUID2(guid, buffer, 40);
    return written > 0 ? std::wstring(buffer, static_cast<size_t>(written - 1)) : L"";
}

TEST(GuidText, BracedFormReadsInEitherLetterCaseAndPrintsUpperCase) {
    for (const wchar_t* text :
         {L"{0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C}", L"{0aaff38c-cb91-4424-a8b9-f8b504acbe0c}",
          L"{0aAFf38C-cB91-4424-A8b9-F8B504acBE0C}"}) {
        GUID clsid = kFilled;
        EXPECT_EQ(CLSIDFromString(text, &clsid), S_OK) << text;
        EXPECT_TRUE(IsEqualGUID(clsid, kSample)) << text;
        IID iid = kFilled;
        EXPECT_EQ(IIDFromString(text, &iid), S_OK) << text;
        EXPECT_TRUE(IsEqualIID(iid, kSample)) << text;
    }
    EXPECT_EQ(Text(kSample), L"{0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C}");
}

TEST(GuidText, MalformedTextFailsWithTheCallsOwnCodeAndZeroesTheResult) {
    for (const wchar_t* text :
         {L"", L"0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C", L"{0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C",
          L"{0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C}x", L"{0AAFF38C-CB91-4424-A8B9F8B504ACBE0C-}",
          L"{0AAFF38G-CB91-4424-A8B9-F8B504ACBE0C}", L"{0AAFF38C-CB91-4424-A8B9-F8B504ACBE0 }",
          L"Some.ProgID"}) {
        GUID clsid = kFilled;
        EXPECT_EQ(CLSIDFromString(text, &clsid), CO_E_CLASSSTRING) << text;
        EXPECT_TRUE(IsEqualGUID(clsid, GUID_NULL)) << text;
        IID iid = kFilled;
        EXPECT_EQ(IIDFromString(text, &iid), E_INVALIDARG) << text;
        EXPECT_TRUE(IsEqualGUID(iid, IID_NULL)) << text;
    }
}

TEST(GuidText, NullTextIsTheNullIdAndANullResultIsRefused) {
    GUID id = kFilled;
    EXPECT_EQ(CLSIDFromString(nullptr, &id), S_OK);
    EXPECT_TRUE(IsEqualGUID(id, CLSID_NULL));
    id = kFilled;
    EXPECT_EQ(IIDFromString(nullptr, &id), S_OK);
    EXPECT_TRUE(IsEqualGUID(id, IID_NULL));
    EXPECT_EQ(CLSIDFromString(L"{0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C}", nullptr), E_INVALIDARG);
    EXPECT_EQ(IIDFromString(L"{0AAFF38C-CB91-4424-A8B9-F8B504ACBE0C}", nullptr), E_INVALIDARG);
}

TEST(GuidText, PrintingNeedsRoomForThirtyNineCharactersAndLeavesAShortBufferAlone) {
    std::wstring buffer(50, L'#');
    EXPECT_EQ(StringFromGUID2(kSample, buffer.data(), 38), 0);
    EXPECT_EQ(buffer, std::wstring(50, L'#'));
    EXPECT_EQ(StringFromGUID2(kSample, buffer.data(), 39), 39);
    EXPECT_EQ(buffer[38], L'\0');
    EXPECT_EQ(buffer[39], L'#');
    EXPECT_EQ(StringFromGUID2(kSample, nullptr, 39), 0);
}

TEST(GuidText, WellKnownInterfaceIdsHaveTheirWindowsValues) {
    EXPECT_EQ(Text(IID_IUnknown), L"{00000000-0000-0000-C000-000000000046}");
    EXPECT_EQ(Text(IID_IClassFactory), L"{00000001-0000-0000-C000-000000000046}");
    EXPECT_EQ(Text(IID_IDispatch), L"{00020400-0000-0000-C000-000000000046}");
    EXPECT_EQ(Text(IID_IConnectionPointContainer), L"{B196B284-BAB4-101A-B69C-00AA00341D07}");
    EXPECT_EQ(Text(IID_IEnumConnectionPoints), L"{B196B285-BAB4-101A-B69C-00AA00341D07}");
    EXPECT_EQ(Text(IID_IConnectionPoint), L"{B196B286-BAB4-101A-B69C-00AA00341D07}");
    EXPECT_EQ(Text(IID_IEnumConnections), L"{B196B287-BAB4-101A-B69C-00AA00341D07}");
    EXPECT_EQ(Text(IID_NULL), L"{00000000-0000-0000-0000-000000000000}");
}

} // namespace
