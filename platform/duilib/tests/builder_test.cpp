// Layout files to control trees: defaults, includes, attributes and the simple layouts.
#include "UIlib.h"
#include "skin_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace DuiLib;

namespace {

class DuiBuilder : public testing::Test {
protected:
    void SetUp() override {
        auto bytes = duilibtest::MakeArchive({{"header.xml", kHeader}}, "kavrentolis");
        CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                        L"kavrentolis");
    }
    void TearDown() override { CResourceManager::GetInstance()->Release(); }

    static constexpr const char* kHeader =
        R"(<HorizontalLayout name="header" height="40"><Label name="logo"/></HorizontalLayout>)";
};

} // namespace

TEST_F(DuiBuilder, DefaultsApplyBeforeTheElementsOwnAttributes) {
    CPaintManagerUI manager;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(
        L"<Window size=\"300,200\"><Default name=\"Button\" "
        L"value=\"textcolor=&quot;#FF0000FF&quot; "
        L"height=&quot;24&quot; kind=&quot;flat&quot;\"/>"
        L"<VerticalLayout><Button name=\"a\"/><Button name=\"b\" height=\"30\"/></VerticalLayout>"
        L"</Window>",
        nullptr, nullptr, &manager));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(manager.GetInitSize().cx, 300);
    CControlUI* a = root->FindByName(L"a");
    CControlUI* b = root->FindByName(L"b");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->GetTextColor(), 0xFF0000FFu);
    EXPECT_EQ(a->GetFixedHeight(), 24);
    EXPECT_EQ(b->GetFixedHeight(), 30);
    EXPECT_STREQ(a->GetCustomAttribute(L"kind"), L"flat");
}

TEST_F(DuiBuilder, IncludesAreReadFromTheArchive) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(
        builder.Create(L"<VerticalLayout name=\"root\"><Include source=\"header.xml\"/>"
                       L"<Label name=\"body\"/></VerticalLayout>"));
    ASSERT_NE(root, nullptr);
    auto* container = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    ASSERT_NE(container, nullptr);
    ASSERT_EQ(container->GetCount(), 2);
    EXPECT_STREQ(container->GetItemAt(0)->GetName().GetData(), L"header");
    EXPECT_NE(root->FindByName(L"logo"), nullptr);
    EXPECT_EQ(root->FindByName(L"logo")->GetParent(), container->GetItemAt(0));
}

TEST_F(DuiBuilder, StackedLayoutSharesWhatFixedSizesLeave) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(
        builder.Create(L"<HorizontalLayout inset=\"10,0,10,0\" childpadding=\"5\">"
                       L"<Control name=\"fixed\" width=\"50\"/><Control name=\"a\"/>"
                       L"<Control name=\"b\"/><Control name=\"gone\" visible=\"false\"/>"
                       L"</HorizontalLayout>"));
    ASSERT_NE(root, nullptr);
    root->SetPos(RECT{0, 0, 200, 40});
    // 200 - 20 inset - 50 fixed - 2 * 5 padding = 120, shared by two.
    EXPECT_EQ(root->FindByName(L"fixed")->GetPos().left, 10);
    EXPECT_EQ(root->FindByName(L"a")->GetPos().left, 65);
    EXPECT_EQ(root->FindByName(L"a")->GetPos().right, 125);
    EXPECT_EQ(root->FindByName(L"b")->GetPos().right, 190);
}

TEST_F(DuiBuilder, AMalformedOrUnknownLayoutBuildsNothingHarmful) {
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(L"missing.xml"), nullptr);
    EXPECT_EQ(builder.Create(L"<Unknown><Label/></Unknown>"), nullptr);
    std::unique_ptr<CControlUI> partial(builder.Create(L"<VerticalLayout><Label name=\"x\"/>"));
    ASSERT_NE(partial, nullptr); // a truncated file keeps what was complete
    EXPECT_NE(partial->FindByName(L"x"), nullptr);
}

// Controls the test creates through the builder's callback, counted as they come and go.
int gLiveCounted = 0;
class CountedUI : public CControlUI {
public:
    CountedUI() { ++gLiveCounted; }
    ~CountedUI() override { --gLiveCounted; }
};
class CountingCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(LPCWSTR className) override {
        return std::wstring(className) == L"Counted" ? new CountedUI : nullptr;
    }
};

TEST_F(DuiBuilder, ControlsBesideTheRootThatNobodyOwnsAreNotLeft) {
    CountingCallback callback;
    CDialogBuilder builder;
    // A window nested in a window gives the root; what follows it at the outer level, and an
    // include there, has no parent to go to.
    std::unique_ptr<CControlUI> root(
        builder.Create(L"<Window><Window><Counted name=\"root\"/></Window><Counted/><Counted/>"
                       L"<Include source=\"header.xml\"/></Window>",
                       nullptr, &callback));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), L"root");
    EXPECT_EQ(gLiveCounted, 1);
    root.reset();
    EXPECT_EQ(gLiveCounted, 0);
}

TEST_F(DuiBuilder, IncludeThatIncludesItselfStops) {
    auto bytes = duilibtest::MakeArchive(
        {{"loop.xml",
          R"(<VerticalLayout name="loop"><Include source="loop.xml"/></VerticalLayout>)"}},
        "");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()));
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(L"loop.xml"));
    ASSERT_NE(root, nullptr);
}

TEST(DuiString, EditingMembersKeepWindowsResults) {
    CDuiString text(L"img/close.png");
    EXPECT_EQ(text.Find(L'/'), 3);
    EXPECT_EQ(text.Find(L"png"), 10);
    EXPECT_EQ(text.Find(L'x'), -1);
    EXPECT_EQ(text.ReverseFind(L'.'), 9);
    EXPECT_STREQ(text.Mid(4, 5).GetData(), L"close");
    EXPECT_STREQ(text.Right(3).GetData(), L"png");
    EXPECT_STREQ(text.Left(99).GetData(), L"img/close.png");
    EXPECT_TRUE(text.Mid(50).IsEmpty());
    EXPECT_EQ(text.Replace(L"o", L"oo"), 1);
    EXPECT_STREQ(text.GetData(), L"img/cloose.png");
    EXPECT_EQ(CDuiString(L"ABC").CompareNoCase(L"abc"), 0);
    EXPECT_STREQ(CDuiString(nullptr).GetData(), L"");
}

namespace {

std::wstring Nested(int depth, const std::wstring& innermost = L"<Label name=\"leaf\"/>") {
    std::wstring xml;
    for (int i = 0; i < depth; ++i) {
        xml += L"<VerticalLayout>";
    }
    xml += innermost;
    for (int i = 0; i < depth; ++i) {
        xml += L"</VerticalLayout>";
    }
    return xml;
}

} // namespace

TEST_F(DuiBuilder, ALayoutNestedTooDeepIsRefusedWithoutSpendingTheStack) {
    CDialogBuilder builder;
    // Deep enough to overflow the stack when every level costs a frame.
    EXPECT_EQ(builder.Create(Nested(20000).c_str()), nullptr);
    EXPECT_EQ(builder.Create((L"<Window size=\"10,10\">" + Nested(300) + L"</Window>").c_str()),
              nullptr);

    // A deep but sane layout still builds whole.
    std::unique_ptr<CControlUI> deep(builder.Create(Nested(200).c_str()));
    ASSERT_NE(deep, nullptr);
    EXPECT_NE(deep->FindByName(L"leaf"), nullptr);
}

TEST_F(DuiBuilder, ARefusedLayoutLeavesNothingInTheParent) {
    CVerticalLayoutUI parent;
    parent.Add(new CLabelUI);
    CDialogBuilder builder;
    const std::wstring xml =
        L"<HorizontalLayout name=\"first\">" + Nested(1000) + L"</HorizontalLayout>";
    EXPECT_EQ(builder.Create(xml.c_str(), nullptr, nullptr, nullptr, &parent), nullptr);
    EXPECT_EQ(parent.GetCount(), 1);
    EXPECT_EQ(parent.FindByName(L"first"), nullptr);
}

TEST_F(DuiBuilder, NestingCountsAcrossIncludes) {
    // Each file alone is well within the limit; together they are not.
    std::string inner;
    for (int i = 0; i < 200; ++i) {
        inner += "<VerticalLayout>";
    }
    inner += "<Label/>";
    for (int i = 0; i < 200; ++i) {
        inner += "</VerticalLayout>";
    }
    auto bytes = duilibtest::MakeArchive({{"inner.xml", inner}}, "");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()));
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(Nested(100, L"<Include source=\"inner.xml\"/>").c_str()), nullptr);
    std::unique_ptr<CControlUI> fits(
        builder.Create(Nested(20, L"<Include source=\"inner.xml\"/>").c_str()));
    EXPECT_NE(fits, nullptr);
}
