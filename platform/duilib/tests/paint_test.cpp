// What the windows look like: rendered offscreen and checked pixel by pixel.
#include "UIlib.h"
#include "window_host.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace DuiLib;

namespace {

constexpr QRgb kParent = 0x00FF00;
constexpr QRgb kFill = 0xFF0000;
constexpr QRgb kBorder = 0x0000FF;

// A window whose layout is the text it is given.
class PaintWindow : public WindowImplBase {
public:
    explicit PaintWindow(std::wstring layout) : m_layout(std::move(layout)) {}
    CDuiString GetSkinFile() override { return CDuiString(m_layout); }
    LPCWSTR GetWindowClassName() const override { return L"DuiPaintWnd"; }

private:
    std::wstring m_layout;
};

class DuiPaint : public testing::Test {
protected:
    void Open(const std::wstring& body, const std::wstring& window = L"size=\"200,200\"") {
        m_window = std::make_unique<PaintWindow>(
            L"<Window " + window +
            L"><Font id=\"0\" name=\"Noto Sans CJK SC\" size=\"14\" default=\"true\"/>"
            L"<Font id=\"1\" name=\"Noto Sans CJK SC\" size=\"14\" bold=\"true\"/>"
            L"<VerticalLayout bkcolor=\"#FF00FF00\">" +
            body + L"</VerticalLayout></Window>");
        m_hwnd = m_window->Create(nullptr, L"paint", WS_POPUP, 0);
        ASSERT_NE(m_hwnd, nullptr);
        m_host = duilib::HostOf(m_hwnd);
        ASSERT_NE(m_host, nullptr);
    }
    void TearDown() override {
        if (m_hwnd) {
            DestroyWindow(m_hwnd);
        }
    }

    CControlUI* Find(const wchar_t* name) { return m_window->PaintManager().FindControl(name); }
    QImage Shot() { return m_host->grab().toImage(); }
    static QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
    QRgb Centre(const QImage& image, const wchar_t* name) {
        const RECT rc = Find(name)->GetPos();
        return At(image, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }

    void Mouse(QEvent::Type type, const wchar_t* over, Qt::MouseButton button = Qt::NoButton) {
        const RECT rc = Find(over)->GetPos();
        const QPointF pt((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::MouseButtons();
        QMouseEvent event(type, pt, m_host->mapToGlobal(pt), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(m_host, &event);
    }
    void Leave() {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(m_host, &event);
    }

    // The extent of the dark (text) pixels inside a control; an empty rect when there are none.
    QRect Ink(const QImage& image, const wchar_t* name, int threshold = 128) {
        const RECT rc = Find(name)->GetPos();
        QRect ink;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) {
                if (qGray(image.pixel(x, y)) < threshold) {
                    ink |= QRect(x, y, 1, 1);
                }
            }
        }
        return ink;
    }
    // The darkest grey level inside a control, and how many pixels are darker than `threshold`.
    std::pair<int, int> Darkness(const QImage& image, const wchar_t* name, int threshold = 160) {
        const RECT rc = Find(name)->GetPos();
        int darkest = 255;
        int count = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) {
                const int grey = qGray(image.pixel(x, y));
                darkest = std::min(darkest, grey);
                count += grey < threshold ? 1 : 0;
            }
        }
        return {darkest, count};
    }

    std::unique_ptr<PaintWindow> m_window;
    HWND m_hwnd = nullptr;
    duilib::HostWidget* m_host = nullptr;
};

} // namespace

TEST_F(DuiPaint, RoundedBackgroundsLeaveTheCornersToTheParentAndBordersStayInside) {
    Open(LR"(<VerticalLayout inset="10,10,10,10" childpadding="10">
        <Control name="round" height="60" bkcolor="#FFFF0000" borderround="20,20"/>
        <Control name="square" height="40" bkcolor="#FFFF0000" bordersize="2"
                 bordercolor="#FF0000FF"/>
        <Control name="framed" height="40" bkcolor="#FFFF0000" bordersize="1"
                 bordercolor="#FF0000FF" borderround="16,16"/>
      </VerticalLayout>)");
    const QImage image = Shot();
    // round: 10..190 x 10..70
    EXPECT_EQ(At(image, 10, 10), kParent);
    EXPECT_EQ(At(image, 189, 69), kParent);
    EXPECT_EQ(At(image, 10, 40), kFill); // the straight edges are filled to the edge
    EXPECT_EQ(At(image, 100, 10), kFill);
    EXPECT_EQ(Centre(image, L"round"), kFill);
    // square: 10..190 x 80..120, a two-pixel band of border all round
    for (const QPoint pt :
         {QPoint(10, 80), QPoint(11, 81), QPoint(189, 119), QPoint(188, 100), QPoint(100, 118)}) {
        EXPECT_EQ(At(image, pt.x(), pt.y()), kBorder) << pt.x() << "," << pt.y();
    }
    EXPECT_EQ(At(image, 12, 82), kFill);
    EXPECT_EQ(At(image, 9, 100), kParent);
    // framed: 10..190 x 130..170, border following the rounded corners
    EXPECT_EQ(At(image, 10, 130), kParent);
    EXPECT_EQ(At(image, 100, 130), kBorder);
    EXPECT_EQ(At(image, 10, 150), kBorder);
    EXPECT_EQ(At(image, 100, 131), kFill);
}

TEST_F(DuiPaint, AButtonFollowsTheMouseThroughHotAndPushedAndBack) {
    Open(LR"(<Button name="btn" height="60" bkcolor="#FFFF0000" hotbkcolor="#FF0000FF"
                 pushedbkcolor="#FF000080"/>
             <Button name="off" height="60" bkcolor="#FFFF0000" hotbkcolor="#FF0000FF"
                 enabled="false"/>
             <Button name="link" height="40" text="HHH" textcolor="#FF000000"
                 hottextcolor="#FFFF0000" bkcolor="#FFFFFFFF"/>
             <Control name="plain"/>)");
    EXPECT_EQ(Centre(Shot(), L"btn"), kFill);
    Mouse(QEvent::MouseMove, L"btn");
    EXPECT_EQ(m_window->PaintManager().GetHotControl(), Find(L"btn"));
    EXPECT_EQ(Centre(Shot(), L"btn"), kBorder);
    Mouse(QEvent::MouseButtonPress, L"btn", Qt::LeftButton);
    EXPECT_EQ(Centre(Shot(), L"btn"), 0x000080u);
    Mouse(QEvent::MouseButtonRelease, L"btn", Qt::LeftButton);
    EXPECT_EQ(Centre(Shot(), L"btn"), kBorder);
    Mouse(QEvent::MouseMove, L"plain");
    EXPECT_EQ(Centre(Shot(), L"btn"), kFill);
    Mouse(QEvent::MouseMove, L"btn");
    Leave();
    EXPECT_EQ(Centre(Shot(), L"btn"), kFill);

    // A disabled button shows no hot state and reads as faded against its parent.
    Mouse(QEvent::MouseMove, L"off");
    const QRgb off = Centre(Shot(), L"off");
    EXPECT_NE(off, kBorder);
    EXPECT_NE(off, kFill);
    EXPECT_GT(qGreen(off), 0);

    // Hot text takes its own colour.
    auto redInk = [&](const QImage& image) {
        const QRect ink = Ink(image, L"link", 200);
        int count = 0;
        for (int y = ink.top(); y <= ink.bottom(); ++y) {
            for (int x = ink.left(); x <= ink.right(); ++x) {
                count += At(image, x, y) == kFill ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_EQ(redInk(Shot()), 0);
    Mouse(QEvent::MouseMove, L"link");
    EXPECT_GT(redInk(Shot()), 0);
}

TEST_F(DuiPaint, TextIsPlacedByAlignPaddingAndCentredVertically) {
    Open(LR"(<Label name="left" height="40" text="HHH" textcolor="#FF000000" bkcolor="#FFFFFFFF"/>
             <Label name="padded" height="40" text="HHH" textcolor="#FF000000"
                    bkcolor="#FFFFFFFF" textpadding="30,0,0,0"/>
             <Label name="centre" height="40" text="HHH" textcolor="#FF000000"
                    bkcolor="#FFFFFFFF" align="center"/>
             <Label name="right" height="40" text="HHH" textcolor="#FF000000"
                    bkcolor="#FFFFFFFF" align="right"/>
             <Label name="low" height="40" text="HHH" textcolor="#FF000000"
                    bkcolor="#FFFFFFFF" textpadding="0,20,0,0"/>
             <Button name="button" height="40" text="HHH" textcolor="#FF000000"
                    bkcolor="#FFFFFFFF"/>)",
         L"size=\"200,240\"");
    const QImage image = Shot();
    const QRect left = Ink(image, L"left");
    const QRect padded = Ink(image, L"padded");
    const QRect centre = Ink(image, L"centre");
    const QRect right = Ink(image, L"right");
    ASSERT_FALSE(left.isEmpty());
    ASSERT_FALSE(padded.isEmpty());
    EXPECT_EQ(padded.left() - left.left(), 30);
    EXPECT_EQ(padded.width(), left.width());
    EXPECT_LE(left.left(), 2);
    EXPECT_NEAR(centre.center().x(), 100, 2);
    EXPECT_NEAR(Ink(image, L"button").center().x(), 100, 2); // buttons centre by default
    EXPECT_GE(right.right(), 195);
    // Vertically centred in 40 px, or in what the top padding leaves (20 px further down by half).
    EXPECT_NEAR(left.center().y() - Find(L"left")->GetPos().top, 20, 3);
    const int lowOffset = Ink(image, L"low").center().y() - Find(L"low")->GetPos().top;
    EXPECT_NEAR(lowOffset, 30, 3);
}

TEST_F(DuiPaint, DisabledTextIsLighterAndBoldFontsAreHeavier) {
    Open(LR"(<Label name="on" height="40" text="HHHH" textcolor="#FF000000" bkcolor="#FFFFFFFF"/>
             <Label name="off" height="40" text="HHHH" textcolor="#FF000000" bkcolor="#FFFFFFFF"
                    enabled="false"/>
             <Label name="tinted" height="40" text="HHHH" textcolor="#FF000000"
                    bkcolor="#FFFFFFFF" enabled="false" disabledtextcolor="#FFFF0000"/>
             <Label name="bold" height="40" text="HHHH" textcolor="#FF000000" bkcolor="#FFFFFFFF"
                    font="1"/>)");
    const QImage image = Shot();
    const auto on = Darkness(image, L"on");
    const auto off = Darkness(image, L"off", 255);
    EXPECT_LT(on.first, 60);
    EXPECT_GT(off.first, 120);
    EXPECT_GT(off.second, 0); // still drawn, only lighter
    const QRect tinted = Ink(image, L"tinted", 200);
    ASSERT_FALSE(tinted.isEmpty());
    bool red = false;
    for (int x = tinted.left(); x <= tinted.right(); ++x) {
        red = red || At(image, x, tinted.center().y()) == kFill;
    }
    EXPECT_TRUE(red);
    EXPECT_GT(Darkness(image, L"bold").second, on.second * 5 / 4);
}

TEST_F(DuiPaint, LongTextEndsInAnEllipsisWithinItsLabel) {
    Open(LR"(<HorizontalLayout height="40">
               <Label name="cut" width="80" text="WWWWWWWWWWWWWWWW" textcolor="#FF000000"
                      bkcolor="#FFFFFFFF" endellipsis="true"/>
               <Label name="plain" width="80" text="WWWWWWWWWWWWWWWW" textcolor="#FF000000"
                      bkcolor="#FFFFFFFF"/>
             </HorizontalLayout>)");
    const QImage image = Shot();
    const QRect cut = Ink(image, L"cut");
    const QRect plain = Ink(image, L"plain");
    ASSERT_FALSE(cut.isEmpty());
    // The ellipsis sits on the baseline: the top half of the text's last columns is empty,
    // where the clipped text fills it.
    auto topInkNearEnd = [&](const QRect& ink) {
        int count = 0;
        for (int y = ink.top(); y < ink.center().y(); ++y) {
            for (int x = ink.right() - 3; x <= ink.right(); ++x) {
                count += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_EQ(topInkNearEnd(cut), 0);
    EXPECT_GT(topInkNearEnd(plain), 0);
    EXPECT_LT(cut.right(), Find(L"cut")->GetPos().right);
}

TEST_F(DuiPaint, ProgressDrawsItsDonePartInTheForeColourWithinItsRoundedBar) {
    Open(LR"(<VerticalLayout inset="0,20,0,0">
               <Progress name="bar" height="20" value="50" bkcolor="#FFFF0000"
                         forecolor="#FF0000FF" borderround="10,10"/>
             </VerticalLayout>)");
    const QImage image = Shot();
    // bar: 0..200 x 20..40, done up to x = 100
    EXPECT_EQ(At(image, 50, 30), kBorder);
    EXPECT_EQ(At(image, 150, 30), kFill);
    EXPECT_EQ(At(image, 0, 20), kParent);
    EXPECT_EQ(At(image, 199, 39), kParent);
}

TEST_F(DuiPaint, TheRowUnderTheMouseIsHighlightedUnlessSelected) {
    Open(LR"(<List name="list" itemhotbkcolor="#FF0000FF" itemselectedbkcolor="#FF000080">
               <ListContainerElement name="row0" height="30"><Label name="label0"/></ListContainerElement>
               <ListContainerElement name="row1" height="30"><Label name="label1"/></ListContainerElement>
             </List>)");
    EXPECT_EQ(Centre(Shot(), L"row0"), kParent);
    Mouse(QEvent::MouseMove, L"label1"); // the row's child is what the mouse is over
    QImage image = Shot();
    EXPECT_EQ(Centre(image, L"row1"), kBorder);
    EXPECT_EQ(Centre(image, L"row0"), kParent);
    static_cast<CListUI*>(Find(L"list"))->SelectItem(1);
    EXPECT_EQ(Centre(Shot(), L"row1"), 0x000080u);
    Leave();
    Mouse(QEvent::MouseMove, L"label0");
    image = Shot();
    EXPECT_EQ(Centre(image, L"row0"), kBorder);
    EXPECT_EQ(Centre(image, L"row1"), 0x000080u);
}

TEST_F(DuiPaint, AWindowWithRoundCornersIsShapedAndOthersAreNot) {
    Open(LR"(<Control/>)", L"size=\"200,120\" roundcorner=\"16,16\"");
    QRegion mask = m_host->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(199, 119)));
    EXPECT_TRUE(mask.contains(QPoint(100, 60)));
    EXPECT_TRUE(mask.contains(QPoint(0, 60)));
    // The shape follows the window's size.
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    SetWindowPos(m_hwnd, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    mask = m_host->mask();
    EXPECT_TRUE(mask.contains(QPoint(250, 140)));
    EXPECT_FALSE(mask.contains(QPoint(299, 149)));
    DestroyWindow(m_hwnd);
    m_hwnd = nullptr;

    Open(LR"(<Control/>)", L"size=\"200,120\"");
    EXPECT_TRUE(m_host->mask().isEmpty());
}
