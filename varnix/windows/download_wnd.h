// Windows::DownloadWnd: the modal progress window in which the update installer is downloaded,
// built from the skin layout "UpdateUI.xml".
//
// The opener allocates it on the heap, calls SetDownloadInfo, creates it and runs it modally.
// On opening it starts the download itself (mode WINDOW_DOWNLOAD) and shows speed and share
// received. The finished file goes to the finished callback, a click on "closebtn" to the close
// callback; the window closes only when UM_DOWNLOAD_CLOSE arrives, and ShowModal returns that
// message's wParam. The object deletes itself after its final message.
//
// Threading: the user-interface thread only; progress and completion arrive as posted messages.
// Ownership: the window frees every ProgressInfo it receives; the std::string* of
// UM_DOWNLOAD_DONE passes to the finished callback (the window frees it when there is none).
// The download record belongs to the Network component; the window only sets its stop flag.
#pragma once

#include <varnix/service/request_records.h>
#include <varnix/util/export.h>

#include <UIlib.h>

#include <cstdint>
#include <functional>
#include <string>

namespace Windows {

// How a download window starts.
enum WINDOW : int32_t {
    WINDOW_DOWNLOAD = 0,    // starts the download when it opens
    WINDOW_NO_DOWNLOAD = 1, // any value but 0: opens without a download
};

// Called with the window, the UM_DOWNLOAD_DONE wParam (a heap std::string* holding the saved
// file's full path, which the callback frees) and its lParam.
using DownloadFinishedCallback = std::function<void(HWND, WPARAM, LONG)>;
// Called with the window and the running download's record (null when there is none) when the
// user clicks close. It decides whether to stop the download and post UM_DOWNLOAD_CLOSE.
using DownloadCloseCallback = std::function<void(HWND, DownloadData*)>;

class VARNIX_API DownloadWnd : public DuiLib::WindowImplBase {
public:
    // A window that downloads nothing when it opens.
    DownloadWnd();
    // `address` is fetched unchanged into `fileName` in the system's temporary folder.
    DownloadWnd(const std::string& address, const std::string& fileName, WINDOW mode);
    ~DownloadWnd() override = default;

    // Must be called before the window is created: InitWindow reads the title. Without a
    // finished callback the delivered path is freed; without a close callback a click on close
    // stops the download and closes the window with 0.
    void SetDownloadInfo(const std::wstring& title, DownloadFinishedCallback finished,
                         DownloadCloseCallback close);

    DuiLib::CLabelUI* PromptLbl() const { return m_promptLbl; }
    void PromptLbl(DuiLib::CLabelUI* label) { m_promptLbl = label; }
    DuiLib::CLabelUI* Progresslbl() const { return m_progressLbl; }
    void Progresslbl(DuiLib::CLabelUI* label) { m_progressLbl = label; }
    DuiLib::CProgressUI* Progressprog() const { return m_progressProg; }
    void Progressprog(DuiLib::CProgressUI* progress) { m_progressProg = progress; }

protected:
    DuiLib::CDuiString GetSkinFile() override;
    LPCWSTR GetWindowClassName() const override;
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    // Esc, when the skin has no close button to press: as a click on it.
    void OnCancel() override;
    void OnFinalMessage(HWND hWnd) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    void ShowProgress(const ProgressInfo& progress);
    // The close button's work: the owner's close handler when one was given, else stop the
    // download and close with 0.
    void CloseByUser();

    DuiLib::CLabelUI* m_promptLbl = nullptr;
    DuiLib::CLabelUI* m_progressLbl = nullptr;
    DuiLib::CProgressUI* m_progressProg = nullptr;
    std::string m_address;
    std::string m_fileName;
    std::wstring m_title;
    DownloadFinishedCallback m_finished;
    DownloadCloseCallback m_close;
    DownloadData* m_record = nullptr; // not owned
    WINDOW m_mode = WINDOW_NO_DOWNLOAD;
};

// The text of the progress label: speed and share with four significant digits.
VARNIX_API std::wstring DownloadProgressText(double speed, double share);

} // namespace Windows
