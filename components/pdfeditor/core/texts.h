// Every text the editor component shows, in each of its interface languages ("en-US" and
// "zh-CN"). The language is the process's: one component, one language, switched at run time by
// the COM face or a tool; widgets listen for LanguageChanged and set their texts again. Texts
// with arguments hold Qt's "%1" markers, filled in with QString::arg. UI thread only.
#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

namespace pdfeditor {

enum class TextId {
    // Why a file did not open (DescribeOpenResult); %1 is the file name.
    OpenOk,
    OpenNeedsPassword,
    OpenWrongPassword,
    OpenDamaged,
    OpenNotPdf,
    OpenUnreadable,
    // The password dialog and the failure message box.
    PasswordTitle,
    PasswordAsk,      // %1: file name
    PasswordAskAgain, // %1: file name
    CannotOpenTitle,
    ButtonOk,
    ButtonCancel,
    // The page view and the tabs.
    PageIndicator, // %1: page, %2: page count
    PageNotDisplayed,
    CloseTabTip,
    // Menus.
    MenuFile,
    MenuView,
    MenuGo,
    // Commands, as menu items (with their mnemonic) ...
    ActionOpen,
    ActionClose,
    ActionFitWidth,
    ActionFitPage,
    ActionActualSize,
    ActionZoomIn,
    ActionZoomOut,
    ActionFirstPage,
    ActionPreviousPage,
    ActionNextPage,
    ActionLastPage,
    ActionGoToPage,
    // ... and as tool tips of the bars' buttons.
    TipOpen,
    TipClose,
    TipFitWidth,
    TipFitPage,
    TipActualSize,
    TipZoomIn,
    TipZoomOut,
    TipZoom,
    TipFirstPage,
    TipPreviousPage,
    TipNextPage,
    TipLastPage,
    TipPageNumber,
    // The entries of the zoom box that are not a percentage.
    ZoomFitWidth,
    ZoomFitPage,
    // The go-to-page dialog.
    GoToPageTitle,
    GoToPageLabel, // %1: page count
    // The command bars' names.
    BarStandard,
    BarFile,
    BarView,
    BarPageZoom,
    BarPageNav,
    // The open dialog.
    OpenDialogTitle,
    // Shown on the empty desk while nothing is open.
    EmptyHint,
    // The side panel and its panes.
    PaneThumbnails,
    PaneBookmarks,
    PaneContents,
    PaneAttachments,
    PaneSignatures,
    PaneComments,
    PaneLayers,
    PaneNamedDests,
    PaneProperties,
    PaneSearch,
    PanePanZoom,
    PaneEmpty,
    PaneNoDocument,
    PaneHide,
    SearchPlaceholder,
    SearchMatchCase,
    SearchWholeWords,
    SearchPrevious,
    SearchNext,
    SearchCount,
    SearchNone,
    SearchRunning,
    SearchPageHeading,
    AttachmentSave,
    AttachmentSaveTitle,
    AttachmentSaveFailed,
    AttachmentOnPage,
    AttachmentOfDocument,
    ColumnName,
    ColumnSize,
    ColumnWhere,
    ColumnDescription,
    ColumnPage,
    CommentAuthorUnknown,
    SignatureUnsigned,
    SignatureValid,
    SignatureModified,
    SignatureInvalid,
    SignatureCertificateUntrusted,
    PropertyFile,
    PropertyTitle,
    PropertyAuthor,
    PropertySubject,
    PropertyKeywords,
    PropertyCreator,
    PropertyProducer,
    PropertyVersion,
    PropertyPages,
    PropertyPageSize,
    PropertyFileSize,
    PropertyEncrypted,
    PropertyAllowed,
    PropertyFonts,
    PropertyYes,
    PropertyNo,
    PermissionPrint,
    PermissionCopy,
    PermissionChange,
    PermissionNotes,
    PermissionNothing,
    FontEmbedded,
    FontEmbeddedSubset,
    FontNotEmbedded,
    ActionBack,
    ActionForward,
    ActionFind,
    LinkBlocked,
    LayerLocked,
    LayerRadioGroup,
    // Selecting and copying text.
    MenuEdit,
    ActionCopy,
    ActionSelectAll,
    CopyNotAllowed,
    MenuPageLayout,
    ActionSinglePage,
    ActionTwoPages,
    ActionContinuous,
    ActionCoverPage,
    ActionRotateClockwise,
    ActionRotateCounterClockwise,
    ActionFullScreen,
    ActionPresentation,
    // Editing and saving.
    EditFileChanged,
    EditNotApplied,
    EditNotesNotPermitted,
    EditFormsNotPermitted,
    SaveFailedTitle,
    SaveChangedOnDisk,
    SaveCannotWrite,
    SaveDiskFull,
    SaveCheckFailed,
    SaveCannotReplace,
    CloseUnsavedTitle,
    CloseUnsavedAsk,
    ButtonSave,
    ButtonDiscard,
    RestoreTitle,
    RestoreAsk,
    ActionSave,
    ActionSaveAs,
    ActionUndo,
    ActionRedo,
    SaveAsDialogTitle,
    // Printing (print_pages.h, print_action.h).
    ActionPrint,
    PrintTitle,
    PrintNotAllowed,
    PrintRangeEmpty,
    PrintRangeNotANumber,    // %1: what was typed
    PrintRangeOutOfDocument, // %1: page, %2: page count
    PrintRangeBackwards,     // %1: the range as typed, %2: the same range the right way round
    PrintUnreadable,
    PrintCannotStart,
    PrintPageFailed, // %1: page
    PrintOptionsTab,
    PrintFitToPaper,
    PrintActualSize,
    PrintAutoRotate,
    PrintPagesLabel,
    PrintPagesHint,
    // Commenting tools.
    ToolSelect,
    ToolNote,
    ToolHighlight,
    ToolUnderline,
    ToolStrikeOut,
    ToolFreeText,
    ToolInk,
    ToolRectangle,
    ToolEllipse,
    ToolLine,
    ToolArrow,
    ToolStamp,
    ToolImageStamp,
    StyleMenu,
    StyleColor,
    StyleOpacity,
    StyleLineWidth,
    StyleFontSize,
    StyleMoreColors,
    ActionDeleteComment,
    ActionEditCommentText,
    CommentTextTitle,
    CommentTextLabel,
    ImageStampTitle,
    ImageStampFailed,
    BarCommenting,
    MarkupNeedsText,
    // Filling in forms (form_filler.h, form_actions.h).
    FormFieldReadOnly,
    BarForm,
    ActionHighlightFields,
    TipHighlightFields,
    ActionNextField,
    ActionPreviousField,
    // The stamps and comment styles panes and the properties bar (stamps_pane.h,
    // comment_styles_pane.h, comment_properties_bar.h).
    PaneStamps,
    PaneCommentStyles,
    StampPicture,
    StampsHint,
    StylesHint,
    BarProperties,
    PropertiesOfSelected,
    PropertiesOfTool,
    StylesSizeHeader,

    Count // not a text
};

class Texts : public QObject {
    Q_OBJECT
public:
    // Made on first use, with the language of the locale.
    static Texts& Instance();
    // The tags SetLanguage accepts, always in this order: {"zh-CN", "en-US"}.
    static const std::vector<std::string>& Languages();
    // What the locale asks for: LC_ALL, else LC_MESSAGES, else LANG (the first one set and not
    // empty) starting with "zh" gives "zh-CN"; anything else "en-US".
    static std::string LanguageOfLocale();

    const std::string& Language() const { return m_language; }
    // An exact tag of Languages(); false, and nothing changes, for any other. LanguageChanged
    // follows only when the language really changed.
    bool SetLanguage(const std::string& tag);

    // In the current language.
    QString Text(TextId id) const;
    // In a given language; empty for an unknown tag or an id out of range.
    static QString Text(TextId id, const std::string& language);

signals:
    void LanguageChanged();

private:
    Texts();

    std::string m_language;
};

inline QString Tr(TextId id) {
    return Texts::Instance().Text(id);
}

} // namespace pdfeditor
