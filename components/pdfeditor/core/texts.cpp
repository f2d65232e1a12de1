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
    {TextId::PaneThumbnails, "Pages", "页面缩略图"},
    {TextId::PaneBookmarks, "Bookmarks", "书签"},
    {TextId::PaneContents, "Contents", "目录"},
    {TextId::PaneAttachments, "Attachments", "附件"},
    {TextId::PaneSignatures, "Signatures", "签名"},
    {TextId::PaneComments, "Comments", "注释"},
    {TextId::PaneLayers, "Layers", "图层"},
    {TextId::PaneNamedDests, "Named Destinations", "命名目标"},
    {TextId::PaneProperties, "Properties", "文档属性"},
    {TextId::PaneSearch, "Search", "搜索"},
    {TextId::PanePanZoom, "Pan and Zoom", "平移和缩放"},
    {TextId::PaneEmpty, "Nothing in this document.", "此文档中没有内容。"},
    {TextId::PaneNoDocument, "No document is open.", "没有打开的文档。"},
    {TextId::PaneHide, "Hide the side panel", "隐藏侧边栏"},
    {TextId::SearchPlaceholder, "Find in document", "在文档中查找"},
    {TextId::SearchMatchCase, "Match case", "区分大小写"},
    {TextId::SearchWholeWords, "Whole words", "全字匹配"},
    {TextId::SearchPrevious, "Previous match (Shift+F3)", "上一个 (Shift+F3)"},
    {TextId::SearchNext, "Next match (F3)", "下一个 (F3)"},
    {TextId::SearchCount, "%1 matches on %2 pages", "%2 页中找到 %1 处"},
    {TextId::SearchNone, "No matches", "未找到"},
    {TextId::SearchRunning, "Searching…", "正在搜索…"},
    {TextId::SearchPageHeading, "Page %1 (%2)", "第 %1 页（%2）"},
    {TextId::AttachmentSave, "Save…", "保存…"},
    {TextId::AttachmentSaveTitle, "Save Attachment", "保存附件"},
    {TextId::AttachmentSaveFailed, "The attachment could not be saved: %1", "无法保存附件：%1"},
    {TextId::AttachmentOnPage, "page %1", "第 %1 页"},
    {TextId::AttachmentOfDocument, "document", "文档"},
    {TextId::ColumnName, "Name", "名称"},
    {TextId::ColumnSize, "Size", "大小"},
    {TextId::ColumnWhere, "Where", "位置"},
    {TextId::ColumnDescription, "Description", "说明"},
    {TextId::ColumnPage, "Page", "页码"},
    {TextId::CommentAuthorUnknown, "(no author)", "（无作者）"},
    {TextId::SignatureUnsigned, "%1: not signed", "%1：未签名"},
    {TextId::SignatureValid, "%1: signed by %2, valid", "%1：由 %2 签名，有效"},
    {TextId::SignatureModified, "%1: signed by %2; the document was changed after signing",
     "%1：由 %2 签名；签名后文档已被修改"},
    {TextId::SignatureInvalid, "%1: signed by %2, NOT valid", "%1：由 %2 签名，无效"},
    {TextId::SignatureCertificateUntrusted, "The signer's certificate is not trusted here.",
     "签名者证书不受信任。"},
    {TextId::PropertyFile, "File", "文件"},
    {TextId::PropertyTitle, "Title", "标题"},
    {TextId::PropertyAuthor, "Author", "作者"},
    {TextId::PropertySubject, "Subject", "主题"},
    {TextId::PropertyKeywords, "Keywords", "关键词"},
    {TextId::PropertyCreator, "Creator", "创建工具"},
    {TextId::PropertyProducer, "Producer", "生成工具"},
    {TextId::PropertyVersion, "PDF version", "PDF 版本"},
    {TextId::PropertyPages, "Pages", "页数"},
    {TextId::PropertyPageSize, "Page size", "页面大小"},
    {TextId::PropertyFileSize, "File size", "文件大小"},
    {TextId::PropertyEncrypted, "Encrypted", "加密"},
    {TextId::PropertyAllowed, "Allowed", "权限"},
    {TextId::PropertyFonts, "Fonts", "字体"},
    {TextId::PropertyYes, "Yes", "是"},
    {TextId::PropertyNo, "No", "否"},
    {TextId::PermissionPrint, "printing", "打印"},
    {TextId::PermissionCopy, "copying", "复制"},
    {TextId::PermissionChange, "changes", "修改"},
    {TextId::PermissionNotes, "comments", "注释"},
    {TextId::PermissionNothing, "nothing", "无"},
    {TextId::FontEmbedded, "embedded", "已嵌入"},
    {TextId::FontEmbeddedSubset, "embedded subset", "已嵌入子集"},
    {TextId::FontNotEmbedded, "not embedded", "未嵌入"},
    {TextId::ActionBack, "&Back", "后退(&B)"},
    {TextId::ActionForward, "&Forward", "前进(&F)"},
    {TextId::ActionFind, "&Find…", "查找(&F)…"},
    {TextId::LinkBlocked, "This link was not opened: %1", "未打开此链接：%1"},
    {TextId::LayerLocked, "Locked: this layer cannot be switched.", "已锁定：此图层不能切换。"},
    {TextId::LayerRadioGroup, "Switching this layer on switches off the others of its group.",
     "打开此图层会关闭同组的其他图层。"},
    {TextId::MenuEdit, "&Edit", "编辑(&E)"},
    {TextId::ActionCopy, "&Copy", "复制(&C)"},
    {TextId::ActionSelectAll, "Select &All", "全选(&A)"},
    {TextId::CopyNotAllowed, "This document does not allow copying its text.",
     "此文档不允许复制其中的文字。"},
    {TextId::MenuPageLayout, "Page &Layout", "页面布局(&L)"},
    {TextId::ActionSinglePage, "&Single Page", "单页(&S)"},
    {TextId::ActionTwoPages, "&Two Pages", "双页(&T)"},
    {TextId::ActionContinuous, "&Continuous", "连续(&C)"},
    {TextId::ActionCoverPage, "Show C&over Page Alone", "单独显示封面(&O)"},
    {TextId::ActionRotateClockwise, "&Rotate Clockwise", "顺时针旋转(&R)"},
    {TextId::ActionRotateCounterClockwise, "Rotate &Counterclockwise", "逆时针旋转(&C)"},
    {TextId::ActionFullScreen, "F&ull Screen", "全屏(&U)"},
    {TextId::ActionPresentation, "Pr&esentation", "演示(&E)"},
    {TextId::EditFileChanged,
     "“%1” was changed on disk since it was opened. Open it again to edit it.",
     "“%1”打开后已在磁盘上被更改。请重新打开后再编辑。"},
    {TextId::EditNotApplied, "The edit could not be made: %1", "无法完成此编辑：%1"},
    {TextId::EditNotesNotPermitted, "This document does not permit adding or changing comments.",
     "此文档不允许添加或更改注释。"},
    {TextId::EditFormsNotPermitted, "This document does not permit filling in its form.",
     "此文档不允许填写表单。"},
    {TextId::SaveFailedTitle, "Cannot Save", "无法保存"},
    {TextId::SaveChangedOnDisk,
     "“%1” was changed by another program since it was opened; saving would overwrite those "
     "changes. Save your version under another name?",
     "“%1”打开后已被其他程序更改，保存将覆盖这些更改。是否以其他名称保存您的版本？"},
    {TextId::SaveCannotWrite, "“%1” cannot be written there (%2). The file on disk is unchanged.",
     "无法在该位置写入“%1”（%2）。磁盘上的文件未被更改。"},
    {TextId::SaveDiskFull,
     "There is not enough room on the disk to save “%1”. The file on disk is unchanged.",
     "磁盘空间不足，无法保存“%1”。磁盘上的文件未被更改。"},
    {TextId::SaveCheckFailed,
     "The saved copy of “%1” did not read back correctly (%2), so the file on disk was left "
     "unchanged.",
     "“%1”保存后的副本未能正确读回（%2），因此磁盘上的文件未被更改。"},
    {TextId::SaveCannotReplace, "“%1” could not be replaced (%2). The file on disk is unchanged.",
     "无法替换“%1”（%2）。磁盘上的文件未被更改。"},
    {TextId::CloseUnsavedTitle, "Unsaved Changes", "未保存的更改"},
    {TextId::CloseUnsavedAsk, "“%1” has unsaved changes. Save them before closing?",
     "“%1”有未保存的更改。关闭前是否保存？"},
    {TextId::ButtonSave, "Save", "保存"},
    {TextId::ButtonDiscard, "Don't Save", "不保存"},
    {TextId::RestoreTitle, "Restore Unsaved Edits", "恢复未保存的编辑"},
    {TextId::RestoreAsk,
     "“%1” has edits that were not saved when the editor last stopped unexpectedly. Restore them?",
     "编辑器上次意外退出时，“%1”有未保存的编辑。是否恢复？"},
    {TextId::ActionSave, "&Save", "保存(&S)"},
    {TextId::ActionSaveAs, "Save &As...", "另存为(&A)..."},
    {TextId::ActionUndo, "&Undo", "撤销(&U)"},
    {TextId::ActionRedo, "&Redo", "重做(&R)"},
    {TextId::SaveAsDialogTitle, "Save As", "另存为"},
    {TextId::ActionPrint, "&Print…", "打印(&P)…"},
    {TextId::PrintTitle, "Print", "打印"},
    {TextId::PrintNotAllowed, "This document does not allow printing.", "此文档不允许打印。"},
    {TextId::PrintRangeEmpty, "Type the pages to print, for example 1-3, 5.",
     "请输入要打印的页码，例如 1-3, 5。"},
    {TextId::PrintRangeNotANumber, "“%1” is not a page number or a range such as 1-3.",
     "“%1”不是页码，也不是 1-3 这样的页码范围。"},
    {TextId::PrintRangeOutOfDocument, "There is no page %1: this document has pages 1 to %2.",
     "没有第 %1 页：此文档的页码为 1 至 %2。"},
    {TextId::PrintRangeBackwards, "The range %1 runs backwards: write it as %2.",
     "页码范围 %1 是倒序的：请写作 %2。"},
    {TextId::PrintUnreadable, "The document could not be read for printing.",
     "无法读取此文档以进行打印。"},
    {TextId::PrintCannotStart, "The printer could not print the document.",
     "打印机无法打印此文档。"},
    {TextId::PrintPageFailed, "Page %1 could not be prepared for printing.",
     "第 %1 页无法准备打印。"},
    {TextId::PrintOptionsTab, "Page Handling", "页面处理"},
    {TextId::PrintFitToPaper, "&Fit to printable area", "适合可打印区域(&F)"},
    {TextId::PrintActualSize, "&Actual size (100%)", "实际大小 100%(&A)"},
    {TextId::PrintAutoRotate, "Choose portrait or landscape by each page's &shape",
     "按每页的形状自动选择纵向或横向(&S)"},
    {TextId::PrintPagesLabel, "Pa&ges:", "页码(&G)："},
    {TextId::PrintPagesHint, "e.g. 1-3, 5 (replaces the print range)",
     "例如 1-3, 5（代替打印范围）"},
    {TextId::ToolSelect, "Select Comments", "选择注释"},
    {TextId::ToolNote, "Sticky Note", "便笺"},
    {TextId::ToolHighlight, "Highlight Text", "高亮文本"},
    {TextId::ToolUnderline, "Underline Text", "下划线"},
    {TextId::ToolStrikeOut, "Strike Out Text", "删除线"},
    {TextId::ToolFreeText, "Typewriter", "打字机"},
    {TextId::ToolInk, "Pencil", "铅笔"},
    {TextId::ToolRectangle, "Rectangle", "矩形"},
    {TextId::ToolEllipse, "Ellipse", "椭圆"},
    {TextId::ToolLine, "Line", "直线"},
    {TextId::ToolArrow, "Arrow", "箭头"},
    {TextId::ToolStamp, "Stamp", "图章"},
    {TextId::ToolImageStamp, "Picture Stamp", "图片图章"},
    {TextId::StyleMenu, "Comment Style", "注释样式"},
    {TextId::StyleColor, "Colour", "颜色"},
    {TextId::StyleOpacity, "Opacity", "不透明度"},
    {TextId::StyleLineWidth, "Line Width", "线宽"},
    {TextId::StyleFontSize, "Font Size", "字号"},
    {TextId::StyleMoreColors, "More Colours...", "更多颜色..."},
    {TextId::ActionDeleteComment, "Delete Comment", "删除注释"},
    {TextId::ActionEditCommentText, "Edit Comment Text...", "编辑注释文本..."},
    {TextId::CommentTextTitle, "Comment", "注释"},
    {TextId::CommentTextLabel, "Text of the comment:", "注释内容："},
    {TextId::ImageStampTitle, "Choose a Picture", "选择图片"},
    {TextId::ImageStampFailed, "“%1” is not a picture that can be used as a stamp.",
     "“%1”不是可用作图章的图片。"},
    {TextId::BarCommenting, "Comments", "注释"},
    {TextId::MarkupNeedsText,
     "Select some text first, then choose the tool again — or drag over text with it.",
     "请先选择文本，或使用此工具拖选文本。"},
    {TextId::FormFieldReadOnly, "This field is read-only.", "此域为只读，不能填写。"},
    {TextId::BarForm, "Form", "表单"},
    {TextId::ActionHighlightFields, "&Highlight Fields", "突出显示域(&H)"},
    {TextId::TipHighlightFields, "Tint the fields that can be filled in", "为可填写的域加上底色"},
    {TextId::ActionNextField, "&Next Field", "下一个域(&N)"},
    {TextId::ActionPreviousField, "&Previous Field", "上一个域(&P)"},
    {TextId::PaneStamps, "Stamps", "图章"},
    {TextId::PaneCommentStyles, "Comment Styles", "注释样式"},
    {TextId::StampPicture, "Picture…", "图片…"},
    {TextId::StampsHint, "Choose a stamp, then click the page where it goes.",
     "选择一个图章，然后在页面上单击要放置的位置。"},
    {TextId::StylesHint, "What each tool draws with next; kept for the next time.",
     "每个工具下次使用的样式，关闭后仍会保留。"},
    {TextId::BarProperties, "Properties", "属性"},
    {TextId::PropertiesOfSelected, "Selected comment", "所选注释"},
    {TextId::PropertiesOfTool, "%1 tool", "%1工具"},
    {TextId::StylesSizeHeader, "Width / Size", "线宽/字号"},
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
