// MessageWnd: the library's own modal message box, built from the skin layout "Msgbox.xml".
//
// MsgBox shows a plain message, UpdateInfoBox longer text (release notes) in a scrollable edit
// control. Both create the box over `parent`, run it modally and return the button pressed.
// The box is a heap object that deletes itself after its final message; callers never hold it,
// and it cannot be copied or assigned (a live window has one object).
//
// Threading: the user-interface thread only. Failure: when the window cannot be created the
// call returns -1 at once; a skin without some control leaves that part of the box undone.
#pragma once

#include <varnix/util/export.h>

#include <UIlib.h>

#include <cstdint>

// On the way in a button layout, on the way out the button pressed.
enum BUTTON_TYPE : int32_t {
    // Layouts: which of "retrybtn", "okbtn", "cancelbtn" and "closebtn" show, and their captions.
    BUTTON_OK_CANCEL = 0,       // OK and Cancel
    BUTTON_OK = 1,              // OK only
    BUTTON_CONTINUE_CANCEL = 2, // OK captioned "继续" (continue), Cancel
    BUTTON_OK_CONTINUE = 3,     // OK captioned "确定", Cancel captioned "继续"
    BUTTON_CANCEL_OK_SAVE = 4,  // retry captioned "取消", OK, cancel captioned "保存"
    BUTTON_CANCEL_ONLY = 6,     // Cancel only
    BUTTON_RETRY_CANCEL = 7,    // Retry and Cancel
    BUTTON_NONE = 8,            // no button but the skin's close button
    // Results.
    BUTTON_RESULT_OK = 1,     // "okbtn"
    BUTTON_RESULT_CANCEL = 6, // "cancelbtn" or "closebtn"
    BUTTON_RESULT_RETRY = 7,  // "retrybtn"
};

class VARNIX_API MessageWnd : public DuiLib::WindowImplBase {
public:
    enum BOX_TYPE : int32_t {
        BOX_MESSAGE = 0,     // the plain message: "contentlbl" on page 0 of "msgtab"
        BOX_UPDATE_INFO = 1, // the update information: "updateinfoedit" on page 1
    };

    MessageWnd() = default;
    ~MessageWnd() override = default;
    // A box is its live window: a copy would share the window and the controls it owns, and
    // delete itself a second time. Neither copied nor assigned.
    MessageWnd(const MessageWnd&) = delete;
    MessageWnd& operator=(const MessageWnd&) = delete;

    // The plain message box. Returns the pressed button (BUTTON_RESULT_*), the code of any other
    // closing, or -1 when the box could not be created.
    static BUTTON_TYPE MsgBox(HWND parent, LPCWSTR content, LPCWSTR title, BUTTON_TYPE layout);
    // The update-information box; results as MsgBox.
    static BUTTON_TYPE UpdateInfoBox(HWND parent, LPCWSTR content, LPCWSTR title,
                                     BUTTON_TYPE layout);

    // Sets the "apptitlelbl" text.
    void Title(LPCWSTR title);
    // Selects the "msgtab" page of the box type and puts the text on it.
    void Content(LPCWSTR content);
    // Shows, hides and captions the buttons for a layout; an unknown layout leaves the skin's.
    // Enter then presses the confirming button and Esc the cancelling one, or closes the box
    // with BUTTON_RESULT_CANCEL when the layout has none (BUTTON_OK, BUTTON_NONE).
    void Type(BUTTON_TYPE layout);
    BOX_TYPE BoxType() const { return m_boxType; }
    void BoxType(BOX_TYPE boxType) { m_boxType = boxType; }

protected:
    DuiLib::CDuiString GetSkinFile() override;
    LPCWSTR GetWindowClassName() const override;
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    // Esc with no cancelling button in the layout: the box closes as its close button would.
    void OnCancel() override;
    void OnFinalMessage(HWND hWnd) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    static BUTTON_TYPE SpecializeCreate(HWND parent, LPCWSTR content, LPCWSTR title,
                                        BUTTON_TYPE layout, BOX_TYPE boxType);

    DuiLib::CButtonUI* m_closeBtn = nullptr;
    DuiLib::CButtonUI* m_retryBtn = nullptr;
    DuiLib::CButtonUI* m_okBtn = nullptr;
    DuiLib::CButtonUI* m_cancelBtn = nullptr;
    DuiLib::CControlUI* m_updateInfoEdit = nullptr;
    DuiLib::CLabelUI* m_contentLbl = nullptr;
    BOX_TYPE m_boxType = BOX_MESSAGE;
};
