#include "texts.h"

#include <cstdlib>
#include <iterator>

namespace pdfeditor {

namespace {

struct Entry {
    TextId id;
    const char* english;
    const char* chinese;
};

// Menu items carry their mnemonic as "&X"; in Chinese it follows the text in brackets, as
// Chinese desktop programs write it.
constexpr Entry kTexts[] = {
    {TextId::OpenOk, "%1 is open.", "%1 已打开。"},
    {TextId::OpenNeedsPassword, "%1 is protected by a password.", "%1 受密码保护。"},
    {TextId::OpenWrongPassword, "The password does not open %1.", "密码无法打开 %1。"},
    {TextId::OpenDamaged, "%1 is damaged and cannot be opened.", "%1 已损坏，无法打开。"},
    {TextId::OpenNotPdf, "%1 is not a PDF document.", "%1 不是 PDF 文档。"},
    {TextId::OpenUnreadable, "%1 cannot be read (missing, or no permission).",
     "无法读取 %1（文件不存在或没有权限）。"},
    {TextId::PasswordTitle, "Password", "输入密码"},
    {TextId::PasswordAsk, "%1 is protected. Password:", "%1 受密码保护。请输入密码："},
    {TextId::PasswordAskAgain,
     "The password is not right. Password for %1:", "密码不正确。请重新输入 %1 的密码："},
    {TextId::CannotOpenTitle, "Cannot open", "无法打开"},
    {TextId::ButtonOk, "OK", "确定"},
    {TextId::ButtonCancel, "Cancel", "取消"},
    {TextId::PageIndicator, "Page %1 / %2", "第 %1 / %2 页"},
    {TextId::PageNotDisplayed, "This page could not be displayed.", "此页无法显示。"},
    {TextId::CloseTabTip, "Close this document", "关闭此文档"},
    {TextId::MenuFile, "&File", "文件(&F)"},
    {TextId::MenuView, "&View", "视图(&V)"},
    {TextId::MenuGo, "&Go", "转到(&G)"},
    {TextId::ActionOpen, "&Open…", "打开(&O)…"},
    {TextId::ActionClose, "&Close", "关闭(&C)"},
    {TextId::ActionFitWidth, "Fit &Width", "适合宽度(&W)"},
    {TextId::ActionFitPage, "Fit &Page", "适合页面(&P)"},
    {TextId::ActionActualSize, "&Actual Size", "实际大小(&A)"},
    {TextId::ActionZoomIn, "Zoom &In", "放大(&I)"},
    {TextId::ActionZoomOut, "Zoom &Out", "缩小(&O)"},
    {TextId::ActionFirstPage, "&First Page", "第一页(&F)"},
    {TextId::ActionPreviousPage, "&Previous Page", "上一页(&P)"},
    {TextId::ActionNextPage, "&Next Page", "下一页(&N)"},
    {TextId::ActionLastPage, "&Last Page", "最后一页(&L)"},
    {TextId::ActionGoToPage, "&Go to Page…", "转到页面(&G)…"},
    {TextId::TipOpen, "Open a PDF document", "打开 PDF 文档"},
    {TextId::TipClose, "Close the document", "关闭文档"},
    {TextId::TipFitWidth, "Fit the page width to the window", "页面宽度适合窗口"},
    {TextId::TipFitPage, "Show the whole page", "显示整个页面"},
    {TextId::TipActualSize, "Show the page at its actual size", "按实际大小显示页面"},
    {TextId::TipZoomIn, "Zoom in", "放大"},
    {TextId::TipZoomOut, "Zoom out", "缩小"},
    {TextId::TipZoom, "Zoom: choose or type a percentage", "缩放比例：选择或输入百分比"},
    {TextId::TipFirstPage, "First page", "第一页"},
    {TextId::TipPreviousPage, "Previous page", "上一页"},
    {TextId::TipNextPage, "Next page", "下一页"},
    {TextId::TipLastPage, "Last page", "最后一页"},
    {TextId::TipPageNumber, "Current page: type a number and press Enter",
     "当前页码：输入页码后按回车键"},
    {TextId::ZoomFitWidth, "Fit Width", "适合宽度"},
    {TextId::ZoomFitPage, "Fit Page", "适合页面"},
    {TextId::GoToPageTitle, "Go to Page", "转到页面"},
    {TextId::GoToPageLabel, "Page number (1 to %1):", "页码（1 至 %1）："},
    {TextId::BarStandard, "Standard", "标准"},
    {TextId::BarFile, "File", "文件"},
    {TextId::BarView, "View", "视图"},
    {TextId::BarPageZoom, "Zoom", "缩放"},
    {TextId::BarPageNav, "Page Navigation", "页面导航"},
    {TextId::OpenDialogTitle, "Open", "打开"},
    {TextId::EmptyHint, "Open a PDF document with Ctrl+O.", "按 Ctrl+O 打开 PDF 文档。"},
};

constexpr bool EveryIdInItsPlace() {
    for (size_t i = 0; i < std::size(kTexts); ++i) {
        if (static_cast<size_t>(kTexts[i].id) != i) {
            return false;
        }
    }
    return std::size(kTexts) == static_cast<size_t>(TextId::Count);
}
static_assert(EveryIdInItsPlace(), "kTexts holds one entry per TextId, in the enum's order");

const char kChinese[] = "zh-CN";
const char kEnglish[] = "en-US";

} // namespace

Texts::Texts() : m_language(LanguageOfLocale()) {}

Texts& Texts::Instance() {
    static Texts texts;
    return texts;
}

const std::vector<std::string>& Texts::Languages() {
    static const std::vector<std::string> languages = {kChinese, kEnglish};
    return languages;
}

std::string Texts::LanguageOfLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return value[0] == 'z' && value[1] == 'h' ? kChinese : kEnglish;
        }
    }
    return kEnglish;
}

bool Texts::SetLanguage(const std::string& tag) {
    if (tag != kChinese && tag != kEnglish) {
        return false;
    }
    if (tag != m_language) {
        m_language = tag;
        emit LanguageChanged();
    }
    return true;
}

QString Texts::Text(TextId id) const {
    return Text(id, m_language);
}

QString Texts::Text(TextId id, const std::string& language) {
    const auto index = static_cast<size_t>(id);
    if (index >= std::size(kTexts)) {
        return QString();
    }
    if (language == kChinese) {
        return QString::fromUtf8(kTexts[index].chinese);
    }
    if (language == kEnglish) {
        return QString::fromUtf8(kTexts[index].english);
    }
    return QString();
}

} // namespace pdfeditor
