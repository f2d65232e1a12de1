#include "counted_objects.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace {

using comtesting::CountedDispatch;

TEST(BstrStrings, LengthPrefixCountsBytesOfThirtyTwoBitCharacters) {
    BSTR text = SysAllocString(L"héllo 𝄞");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 7u);
    EXPECT_EQ(SysStringByteLen(text), 28u);
    UINT prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<char*>(text) - sizeof(UINT), sizeof(UINT));
    EXPECT_EQ(prefix, 28u);
    EXPECT_EQ(std::wstring(text), L"héllo 𝄞");
    EXPECT_EQ(text[7], L'\0');
    SysFreeString(text);
}

TEST(BstrStrings, CountedCopyKeepsEmbeddedZerosAndATerminator) {
    const WCHAR source[] = {L'a', L'\0', L'b', L'c', L'#'};
    BSTR text = SysAllocStringLen(source, 4);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 4u);
    EXPECT_EQ(std::wstring(text, 4), std::wstring(source, 4));
    EXPECT_EQ(text[4], L'\0');
    SysFreeString(text);

    BSTR blank = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(SysStringLen(blank), 3u);
    EXPECT_EQ(std::wstring(blank, 4), std::wstring(4, L'\0'));
    SysFreeString(blank);

    BSTR empty = SysAllocString(L"");
    ASSERT_NE(empty, nullptr); // an empty string, not a null one
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

TEST(BstrStrings, NullIsTheEmptyStringAndALengthBeyondThePrefixIsRefused) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, std::numeric_limits<UINT>::max() / 4), nullptr);
}

class Variants : public ::testing::Test {
protected:
    CountedDispatch object;
};

TEST_F(Variants, KeepTheWindowsLayoutAndBooleanValues) {
    EXPECT_EQ(sizeof(VARIANT), 24u);
    EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
    EXPECT_EQ(VARIANT_TRUE, -1);
    EXPECT_EQ(VARIANT_FALSE, 0);
    DISPPARAMS params{};
    EXPECT_EQ(sizeof(params.cArgs), 4u);
}

TEST_F(Variants, ClearFreesTheStringReleasesOneReferenceAndLeavesEmpty) {
    VARIANT text;
    VariantInit(&text);
    EXPECT_EQ(text.vt, VT_EMPTY);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"owned"); // a leak here shows under the sanitizers
    EXPECT_EQ(VariantClear(&text), S_OK);
    EXPECT_EQ(text.vt, VT_EMPTY);

    for (VARTYPE vt : {VARTYPE(VT_DISPATCH), VARTYPE(VT_UNKNOWN)}) {
        VARIANT held;
        held.vt = vt;
        held.pdispVal = &object;
        object.AddRef();
        EXPECT_EQ(VariantClear(&held), S_OK);
        EXPECT_EQ(held.vt, VT_EMPTY);
        EXPECT_EQ(object.refs, 1u) << vt;
    }

    VARIANT none;
    none.vt = VT_DISPATCH;
    none.pdispVal = nullptr;
    EXPECT_EQ(VariantClear(&none), S_OK);
}

TEST_F(Variants, ClearOfAReferenceOrAnUnsupportedTypeOwnsNothing) {
    IDispatch* pointer = &object;
    VARIANT byRef;
    byRef.vt = VT_DISPATCH | VT_BYREF;
    byRef.ppdispVal = &pointer;
    EXPECT_EQ(VariantClear(&byRef), S_OK);
    EXPECT_EQ(object.refs, 1u);

    VARIANT array;
    array.vt = VT_ARRAY | VT_I4;
    array.byref = &object;
    EXPECT_EQ(VariantClear(&array), DISP_E_BADVARTYPE);
    EXPECT_EQ(array.vt, VT_ARRAY | VT_I4);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST_F(Variants, CopyOwnsItsOwnStringAndItsOwnReference) {
    VARIANT source;
    source.vt = VT_BSTR;
    const WCHAR withZero[] = {L'x', L'\0', L'y'};
    source.bstrVal = SysAllocStringLen(withZero, 3);
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, source.bstrVal);
    EXPECT_EQ(SysStringLen(copy.bstrVal), 3u);
    EXPECT_EQ(std::wstring(copy.bstrVal, 3), std::wstring(withZero, 3));
    VariantClear(&source);

    // Copying onto a variant that holds a string frees that string first.
    VARIANT dispatch;
    dispatch.vt = VT_DISPATCH;
    dispatch.pdispVal = &object;
    ASSERT_EQ(VariantCopy(&copy, &dispatch), S_OK);
    EXPECT_EQ(copy.vt, VT_DISPATCH);
    EXPECT_EQ(object.refs, 2u);
    // And onto itself changes nothing.
    EXPECT_EQ(VariantCopy(&copy, &copy), S_OK);
    EXPECT_EQ(object.refs, 2u);
    VariantClear(&copy);
    EXPECT_EQ(object.refs, 1u);

    VARIANT number;
    number.vt = VT_BOOL;
    number.boolVal = VARIANT_TRUE;
    ASSERT_EQ(VariantCopy(&copy, &number), S_OK);
    EXPECT_EQ(copy.vt, VT_BOOL);
    EXPECT_EQ(copy.boolVal, VARIANT_TRUE);
}

TEST_F(Variants, FailedCopyLeavesTheDestinationAsItWas) {
    VARIANT held;
    held.vt = VT_UNKNOWN;
    held.punkVal = &object;
    object.AddRef();
    VARIANT array;
    array.vt = VT_ARRAY | VT_BSTR;
    array.byref = nullptr;
    EXPECT_EQ(VariantCopy(&held, &array), DISP_E_BADVARTYPE);
    EXPECT_EQ(held.vt, VT_UNKNOWN);
    EXPECT_EQ(object.refs, 2u);
    EXPECT_EQ(VariantCopy(&held, nullptr), E_INVALIDARG);
    EXPECT_EQ(VariantCopy(nullptr, &held), E_INVALIDARG);
    VariantClear(&held);
    EXPECT_EQ(object.refs, 1u);
}

} // namespace
