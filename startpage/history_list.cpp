// The history of opened documents, one row per document, in the order they were first opened.
#include "start_page.h"

#include "app_messages.h"

#include <varnix/user/user.h>
#include <varnix/util/file.h>
#include <varnix/util/utf8.h>
#include <varnix/windows/message_wnd.h>

#include <string>

using namespace DuiLib;

namespace {

const wchar_t kRowLayout[] = L"HisListItemUI.xml";
const wchar_t kPromptTitle[] = L"温馨提示";

// The folder part of a path, shown under the file name; empty when there is none.
std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

CContainerUI* AsContainer(CControlUI* control) {
    return control ? static_cast<CContainerUI*>(control->GetInterface(L"Container")) : nullptr;
}

// A history entry's path. The file is edited by hand now and then: text that is not UTF-8
// still shows (with replacement characters) so that it can be deleted, and entries that
// cannot be paths at all are passed over.
bool EntryPath(const Json::Value& entry, std::wstring& path) {
    if (entry.isString()) {
        path = Utf8::Utf8ToUtf16(Utf8(entry.asString(), true));
        return true;
    }
    if (entry.isNull() || entry.isArray() || entry.isObject()) {
        return false;
    }
    path = Utf8::Utf8ToUtf16(Utf8(entry.asString(), true));
    return true;
}

} // namespace

void CStartPage::RefreshHistoryList() {
    if (m_historyList) {
        m_historyList->RemoveAll();
    }
    const Json::Value history = User::GetInstance()->GetHistoryFiles();
    if (!history.isNull() && !history.empty()) {
        for (const Json::Value& entry : history) {
            std::wstring path;
            if (EntryPath(entry, path)) {
                AddHistoryItem(path);
            }
        }
    }
    ShowEmptyHistoryHint();
}

void CStartPage::AddHistoryItem(const std::wstring& path) {
    if (!m_historyList) {
        return;
    }
    CDialogBuilder builder;
    CControlUI* row = builder.Create(kRowLayout, nullptr, this, &m_PaintManager);
    if (!row) {
        return;
    }
    m_historyList->Add(row);
    row->AddCustomAttribute(L"filepath", path.c_str());
    if (CContainerUI* container = AsContainer(row)) {
        if (CControlUI* name = container->FindSubControl(L"FileNameLbl")) {
            name->SetText(File::Name(path).c_str());
            name->SetToolTip(path.c_str());
        }
        if (CControlUI* folder = container->FindSubControl(L"FolderLbl")) {
            folder->SetText(FolderOf(path).c_str());
            folder->SetToolTip(path.c_str());
        }
    }
}

void CStartPage::AddHistory(const std::wstring& path) {
    try {
        User::GetInstance()->AddHistoryFile(path);
        RefreshHistoryList();
    } catch (...) {
        OutputDebugStringW(L"It's a exception!");
    }
}

void CStartPage::OpenHistoryItem() {
    if (!m_historyList || m_historyList->GetCurSel() < 0) {
        return;
    }
    CContainerUI* row = AsContainer(m_historyList->GetRowAt(m_historyList->GetCurSel()));
    CControlUI* label = row ? row->FindSubControl(L"FileNameLbl") : nullptr;
    if (label) {
        const std::wstring path = label->GetToolTip().GetData();
        if (File::Exist(path)) {
            SendMessageW(Owner(), UM_OPEN_DOCUMENT, 2, reinterpret_cast<LPARAM>(path.c_str()));
        } else if (MessageWnd::MsgBox(m_hWnd,
                                      L"所在目录查找不到文件，该文件可能被删除或移动。是否删除该条"
                                      L"历史记录？",
                                      kPromptTitle, BUTTON_OK_CANCEL) == BUTTON_RESULT_OK) {
            User::GetInstance()->RemoveHistoryFile(path);
            RefreshHistoryList();
        }
    }
    // Cleared every time, so that choosing the same row again opens it again.
    m_historyList->SelectItem(-1);
}

void CStartPage::ClearHistory() {
    if (MessageWnd::MsgBox(m_hWnd, L"您确定清空PDF文档打开历史吗？", kPromptTitle,
                           BUTTON_OK_CANCEL) != BUTTON_RESULT_OK) {
        return;
    }
    User::GetInstance()->RemoveHistoryFile(L"");
    if (m_historyList) {
        m_historyList->RemoveAll();
    }
    ShowEmptyHistoryHint();
}

void CStartPage::DeleteHistoryItem(CControlUI* button) {
    CControlUI* row = button->GetParent();
    if (!row) {
        return;
    }
    const LPCWSTR attribute = row->GetCustomAttribute(L"filepath");
    if (!attribute) {
        return;
    }
    const std::wstring path = attribute;
    User::GetInstance()->RemoveHistoryFile(path);
    CControlUI* found = m_PaintManager.FindControl(L"HistoryList");
    if (auto* list = found ? static_cast<CListUI*>(found->GetInterface(L"List")) : nullptr) {
        list->Remove(row);
    }
    ShowEmptyHistoryHint();
}

void CStartPage::ShowEmptyHistoryHint() {
    const bool empty = !m_historyList || m_historyList->GetRowCount() == 0;
    if (CControlUI* hint = m_PaintManager.FindControl(L"EmptyHisLbl")) {
        hint->SetVisible(empty);
    }
    if (m_historyList) {
        m_historyList->SetVisible(!empty);
    }
}
