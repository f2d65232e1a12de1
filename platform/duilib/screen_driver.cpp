// What is on screen for the win32 layer's visible-window calls: the layer keeps the style bits
// and checks the handles, this driver moves the widgets. Installed as the library loads.
#include "window_host.h"

#include "win32/host.h"

#include <QAbstractButton>
#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace {

void Show(HWND hwnd, int command) {
    auto* host = duilib::HostOf(hwnd);
    if (!host) {
        return;
    }
    switch (command) {
    case SW_HIDE:
        host->hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        host->showMinimized();
        break;
    case SW_MAXIMIZE:
        host->showMaximized();
        break;
    case SW_RESTORE:
        host->showNormal();
        break;
    default:
        host->show();
        if (command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) {
            host->activateWindow();
        }
        break;
    }
    host->ReportGeometry();
}

bool WindowRect(HWND hwnd, RECT* rect) {
    auto* host = duilib::HostOf(hwnd);
    if (!host) {
        return false;
    }
    // A child's geometry is relative to its parent; the answer is in screen coordinates.
    const QPoint origin = host->isWindow() ? host->pos() : host->mapToGlobal(QPoint(0, 0));
    *rect = RECT{origin.x(), origin.y(), origin.x() + host->width(), origin.y() + host->height()};
    return true;
}

bool ClientRect(HWND hwnd, RECT* rect) {
    auto* host = duilib::HostOf(hwnd);
    if (!host) {
        return false;
    }
    *rect = RECT{0, 0, host->width(), host->height()};
    return true;
}

void SetPos(HWND hwnd, int x, int y, int cx, int cy, UINT flags) {
    auto* host = duilib::HostOf(hwnd);
    if (!host) {
        return;
    }
    if (!(flags & SWP_NOMOVE)) {
        host->move(x, y);
    }
    if (!(flags & SWP_NOSIZE)) {
        host->resize(std::max(cx, 1), std::max(cy, 1));
    }
    host->ReportGeometry();
}

void Focus(HWND hwnd) {
    if (auto* host = duilib::HostOf(hwnd)) {
        host->activateWindow();
        host->setFocus();
    }
}

bool Foreground(HWND hwnd) {
    auto* host = duilib::HostOf(hwnd);
    if (!host) {
        return false;
    }
    host->raise();
    host->activateWindow();
    return true;
}

void Invalidate(HWND hwnd) {
    if (auto* host = duilib::HostOf(hwnd)) {
        host->update();
    }
}

bool CursorPos(POINT* point) {
    if (!duilib::EnsureUi()) {
        return false;
    }
    const QPoint pos = QCursor::pos();
    *point = POINT{pos.x(), pos.y()};
    return true;
}

int SystemMetric(int index) {
    if (!duilib::EnsureUi()) {
        return 0;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return 0;
    }
    switch (index) {
    case SM_CXSCREEN:
        return screen->geometry().width();
    case SM_CYSCREEN:
        return screen->geometry().height();
    default:
        return 0;
    }
}

int ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (!duilib::EnsureUi()) {
        return 0;
    }
    using Button = QMessageBox::StandardButton;
    QMessageBox::StandardButtons buttons;
    switch (type & 0x0F) {
    case MB_OKCANCEL:
        buttons = Button::Ok | Button::Cancel;
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = Button::Abort | Button::Retry | Button::Ignore;
        break;
    case MB_YESNOCANCEL:
        buttons = Button::Yes | Button::No | Button::Cancel;
        break;
    case MB_YESNO:
        buttons = Button::Yes | Button::No;
        break;
    case MB_RETRYCANCEL:
        buttons = Button::Retry | Button::Cancel;
        break;
    default:
        buttons = Button::Ok;
        break;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type & 0xF0) {
    case MB_ICONERROR:
        icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    case MB_ICONWARNING:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QPointer<QMessageBox> box =
        new QMessageBox(icon, QString::fromStdWString(caption), QString::fromStdWString(text),
                        buttons, duilib::HostOf(owner));
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    // The window's messages keep flowing while the box is up, as in a Windows modal loop.
    bool done = false;
    QObject::connect(box, &QMessageBox::finished, [&done] { done = true; });
    box->open();
    win32::host::RunModalLoop(done);
    if (!box) {
        return 0;
    }
    QAbstractButton* clicked = box->clickedButton();
    const Button pressed = clicked ? box->standardButton(clicked) : Button::NoButton;
    delete box;
    switch (pressed) {
    case Button::Ok:
        return IDOK;
    case Button::Cancel:
        return IDCANCEL;
    case Button::Abort:
        return IDABORT;
    case Button::Retry:
        return IDRETRY;
    case Button::Ignore:
        return IDIGNORE;
    case Button::Yes:
        return IDYES;
    case Button::No:
        return IDNO;
    default:
        // Escape or the close box: Cancel where there is one, else the only button.
        return (buttons & Button::Cancel) ? IDCANCEL : ((type & 0x0F) == MB_OK ? IDOK : 0);
    }
}

// Runs a file dialog as the message box runs: the window's messages keep flowing meanwhile.
// The chosen files, empty after a cancel (or when the dialog went away under us).
QStringList RunFileDialog(QFileDialog* raw) {
    QPointer<QFileDialog> dialog = raw;
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    bool done = false;
    QObject::connect(dialog, &QFileDialog::finished, [&done] { done = true; });
    dialog->open();
    win32::host::RunModalLoop(done);
    if (!dialog) {
        return {};
    }
    const QStringList chosen =
        dialog->result() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
    delete dialog;
    return chosen;
}

QString Text(LPCWSTR text) {
    return text ? QString::fromStdWString(text) : QString();
}

bool ChooseFolder(HWND owner, LPCWSTR title, std::string* hostFolder) {
    if (!duilib::EnsureUi()) {
        return false;
    }
    auto* dialog = new QFileDialog(duilib::HostOf(owner), Text(title));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    const QStringList chosen = RunFileDialog(dialog);
    if (chosen.isEmpty()) {
        return false;
    }
    *hostFolder = chosen.front().toStdString();
    return true;
}

using Filters = std::vector<std::pair<std::wstring, std::wstring>>;

void ApplyFilters(QFileDialog* dialog, const Filters& filters, int filterIndex) {
    // Qt's filter form is "Name (*.a *.b)"; the Windows one lists the patterns with ';'.
    QStringList nameFilters;
    for (const auto& [name, patterns] : filters) {
        nameFilters << QString::fromStdWString(name) + " (" +
                           QString::fromStdWString(patterns).replace(';', ' ') + ")";
    }
    if (!nameFilters.isEmpty()) {
        dialog->setNameFilters(nameFilters);
        dialog->selectNameFilter(nameFilters.value(filterIndex, nameFilters.front()));
    }
}

bool OpenFiles(HWND owner, LPCWSTR title, const Filters& filters, int filterIndex, bool multiple,
               std::vector<std::string>* hostFiles) {
    if (!duilib::EnsureUi()) {
        return false;
    }
    auto* dialog = new QFileDialog(duilib::HostOf(owner), Text(title));
    dialog->setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    ApplyFilters(dialog, filters, filterIndex);
    const QStringList chosen = RunFileDialog(dialog);
    for (const QString& file : chosen) {
        hostFiles->push_back(file.toStdString());
    }
    return !hostFiles->empty();
}

bool SaveFile(HWND owner, LPCWSTR title, const Filters& filters, int filterIndex,
              const std::string& suggestedHostPath, bool confirmOverwrite, std::string* hostFile) {
    if (!duilib::EnsureUi()) {
        return false;
    }
    auto* dialog = new QFileDialog(duilib::HostOf(owner), Text(title));
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    ApplyFilters(dialog, filters, filterIndex);
    // The name goes in after the filter, which in save mode may rewrite the name's extension.
    const QString suggestion = QString::fromStdString(suggestedHostPath);
    const qsizetype slash = suggestion.lastIndexOf('/');
    if (slash >= 0) {
        dialog->setDirectory(suggestion.left(slash + 1));
    }
    if (slash + 1 < suggestion.size()) {
        dialog->selectFile(suggestion.mid(slash + 1));
    }
    const QStringList chosen = RunFileDialog(dialog);
    if (chosen.isEmpty() || chosen.front().isEmpty()) {
        return false;
    }
    *hostFile = chosen.front().toStdString();
    return true;
}

} // namespace

namespace duilib {

void InstallScreenDriver() {
    win32::host::WindowDriver driver;
    driver.show = &Show;
    driver.windowRect = &WindowRect;
    driver.clientRect = &ClientRect;
    driver.setPos = &SetPos;
    driver.focus = &Focus;
    driver.foreground = &Foreground;
    driver.invalidate = &Invalidate;
    driver.cursorPos = &CursorPos;
    driver.systemMetric = &SystemMetric;
    driver.messageBox = &ShowMessageBox;
    driver.chooseFolder = &ChooseFolder;
    driver.openFiles = &OpenFiles;
    driver.saveFile = &SaveFile;
    win32::host::RegisterWindowDriver(&driver);
}

} // namespace duilib
