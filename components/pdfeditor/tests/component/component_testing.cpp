#include "component_testing.h"

#include <win32/host.h>
#include <win32/module.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace pdftest {

long LiveObjects() {
    using Count = long (*)();
    HMODULE module = GetModuleHandleW(L"pdfeditor.dll");
    auto count =
        module ? reinterpret_cast<Count>(GetProcAddress(module, "PdfEditorLiveObjects")) : nullptr;
    return count ? count() : -1;
}

IPXV_Control* CreateControl(HRESULT* hr, const CLSID& clsid) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IPXV_Control* control = nullptr;
    const HRESULT result = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPXV_Control,
                                            reinterpret_cast<void**>(&control));
    if (hr) {
        *hr = result;
    }
    return control;
}

std::wstring WindowsPath(const std::string& hostPath) {
    return win32::host::ToWindowsPath(hostPath);
}

std::wstring FromBstr(BSTR text) {
    std::wstring result = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return result;
}

DialogAnswerer::DialogAnswerer(std::vector<std::string> answers) : m_answers(std::move(answers)) {
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    m_timer.start();
}

DialogAnswerer::~DialogAnswerer() = default;

void DialogAnswerer::Poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) {
        return;
    }
    std::string said;
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        said += label->text().toStdString() + "\n";
    }
    m_texts.push_back(said);
    const std::string answer = m_answers.empty() ? kReject : m_answers.front();
    if (!m_answers.empty()) {
        m_answers.erase(m_answers.begin());
    }
    if (answer == kReject) {
        dialog->reject();
        return;
    }
    if (auto* field = dialog->findChild<QLineEdit*>()) {
        field->setText(QString::fromStdString(answer));
    }
    dialog->accept();
}

} // namespace pdftest
