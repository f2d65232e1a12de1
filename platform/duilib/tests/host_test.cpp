// What arrives from the desktop through a window's widget: dropped files, images, message boxes.
#include "UIlib.h"
#include "win32/host.h"
#include "painter.h"
#include "skin_fixture.h"
#include "window_host.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace DuiLib;

namespace {

class DropWindow : public WindowImplBase {
public:
    std::vector<std::wstring> drops;
    POINT point{-1, -1};
    CDuiString GetSkinFile() override { return L"none.xml"; }
    LPCWSTR GetWindowClassName() const override { return L"DuiDropWnd"; }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM, BOOL& bHandled) override {
        if (msg == WM_DROPFILES) {
            HDROP drop = reinterpret_cast<HDROP>(wParam);
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
                drops.push_back(path);
            }
            DragQueryPoint(drop, &point);
            DragFinish(drop);
        }
        bHandled = FALSE;
        return 0;
    }
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

void DropOn(HWND hwnd, const QStringList& hostPaths) {
    auto* host = duilib::HostOf(hwnd);
    ASSERT_NE(host, nullptr);
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : hostPaths) {
        urls.push_back(QUrl::fromLocalFile(path));
    }
    data.setUrls(urls);
    // As the desktop does it: the drag enters, then the files are dropped.
    QDragEnterEvent enter(QPoint(12, 34), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(host, &enter);
    QDropEvent drop(QPointF(12, 34), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(host, &drop);
}

} // namespace

TEST(DuiDrops, FilesDroppedFromTheDesktopArriveInWindowsForm) {
    DropWindow window;
    HWND hwnd = window.Create(nullptr, L"drop", WS_POPUP, WS_EX_ACCEPTFILES);
    ASSERT_NE(hwnd, nullptr);
    const std::string inPrefix = win32::host::ToHostPath(L"C:\\docs\\a.pdf");
    DropOn(hwnd, {QString::fromStdString(inPrefix), QStringLiteral("/srv/b c.PDF")});
    EXPECT_TRUE(window.drops.empty()); // posted, not sent
    Pump();
    std::vector<std::wstring> expected{L"C:\\docs\\a.pdf", L"Z:\\srv\\b c.PDF"};
    EXPECT_EQ(window.drops, expected);
    EXPECT_EQ(window.point.x, 12);
    EXPECT_EQ(window.point.y, 34);
    DestroyWindow(hwnd);
}

TEST(DuiDrops, AWindowThatDoesNotAcceptFilesGetsNoDrop) {
    DropWindow window;
    HWND hwnd = window.Create(nullptr, L"drop", WS_POPUP, 0);
    DropOn(hwnd, {QStringLiteral("/srv/a.pdf")});
    Pump();
    EXPECT_TRUE(window.drops.empty());
    DragAcceptFiles(hwnd, TRUE);
    DropOn(hwnd, {QStringLiteral("/srv/a.pdf")});
    Pump();
    EXPECT_EQ(window.drops, std::vector<std::wstring>{L"Z:\\srv\\a.pdf"});
    DestroyWindow(hwnd);
}

TEST(DuiImages, ImageAttributesNameFileSourceAndDest) {
    const auto image = duilib::ParseImage(L"file='img/qr.png' source='0,0,30,20' dest='5,5,35,25'");
    EXPECT_EQ(image.file, L"img/qr.png");
    ASSERT_TRUE(image.hasSource);
    EXPECT_EQ(image.source.right, 30);
    EXPECT_EQ(image.source.bottom, 20);
    ASSERT_TRUE(image.hasDest);
    EXPECT_EQ(image.dest.left, 5);
    const auto bare = duilib::ParseImage(L"C:\\pics\\qr.png");
    EXPECT_EQ(bare.file, L"C:\\pics\\qr.png");
    EXPECT_FALSE(bare.hasSource);
    EXPECT_FALSE(bare.hasDest);
}

TEST(DuiImages, ImagesComeFromTheArchiveOrFromTheDisk) {
    ASSERT_TRUE(duilib::EnsureUi());
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto bytes = duilibtest::MakeArchive({{"img/a.png", png.toStdString()}}, "kavrentolis");
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()),
                                    L"kavrentolis");
    EXPECT_EQ(duilib::LoadSkinImage(L"img/a.png").size(), QSize(6, 4));
    EXPECT_TRUE(duilib::LoadSkinImage(L"img/missing.png").isNull());

    const std::string onDisk = win32::host::ToHostPath(L"C:\\qr.png");
    ASSERT_TRUE(image.save(QString::fromStdString(onDisk), "PNG"));
    EXPECT_EQ(duilib::LoadSkinImage(L"C:\\qr.png").size(), QSize(6, 4));
    EXPECT_TRUE(duilib::LoadSkinImage(L"C:\\nothing.png").isNull());
    CResourceManager::GetInstance()->Release();
}

TEST(DuiMessageBox, ReturnsTheButtonPressedFromTheSystemsButtonSet) {
    ASSERT_TRUE(duilib::EnsureUi());
    auto press = [](QMessageBox::StandardButton which) {
        QTimer::singleShot(0, [which] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    if (QAbstractButton* button = box->button(which)) {
                        button->click();
                    }
                }
            }
        });
    };
    press(QMessageBox::No);
    EXPECT_EQ(MessageBoxW(nullptr, L"保存吗？", L"提示", MB_YESNOCANCEL), IDNO);
    press(QMessageBox::Retry);
    EXPECT_EQ(MessageBoxW(nullptr, L"text", nullptr, MB_RETRYCANCEL | MB_ICONWARNING), IDRETRY);
    press(QMessageBox::Ok);
    EXPECT_EQ(MessageBoxW(nullptr, L"text", L"title", MB_OK), IDOK);
}

namespace {

// Acts on the file dialog once it is up (checked every few milliseconds from the modal loop).
void WhenFileDialogShows(const std::function<void(QFileDialog*)>& act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(dialog);
                return;
            }
        }
    });
    timer->start(5);
}

} // namespace

TEST(DuiFileDialogs, TheChosenFilesAndFolderComeBackInWindowsForm) {
    ASSERT_TRUE(duilib::EnsureUi());
    const std::string folder = win32::host::ToHostPath(L"C:\\picks");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    for (const char* name : {"a.pdf", "b.pdf"}) {
        QFile file(QString::fromStdString(folder + "/" + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QStringList filters;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    WhenFileDialogShows([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        mode = dialog->fileMode();
        dialog->setDirectory(QString::fromStdString(folder));
        dialog->selectFile("\"a.pdf\" \"b.pdf\"");
        static_cast<QDialog*>(dialog)->accept();
    });
    WCHAR buffer[1024] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = L"PDF\0*.pdf;*.PDF\0All\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = 1024;
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
    ASSERT_TRUE(GetOpenFileNameW(&ofn)) << CommDlgExtendedError();
    EXPECT_EQ(mode, QFileDialog::ExistingFiles);
    EXPECT_EQ(filters, QStringList({"PDF (*.pdf *.PDF)", "All (*.*)"}));
    EXPECT_EQ(std::wstring(buffer), L"C:\\picks");
    std::vector<std::wstring> names;
    for (const WCHAR* name = buffer + ofn.nFileOffset; *name; name += wcslen(name) + 1) {
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.pdf", L"b.pdf"}));

    WhenFileDialogShows([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    WhenFileDialogShows([&](QFileDialog* dialog) {
        mode = dialog->fileMode();
        dialog->setDirectory(QString::fromStdString(folder));
        dialog->selectFile(QString::fromStdString(folder));
        static_cast<QDialog*>(dialog)->accept();
    });
    BROWSEINFOW info{};
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info);
    ASSERT_NE(pidl, nullptr);
    EXPECT_EQ(mode, QFileDialog::Directory);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(pidl, path));
    EXPECT_EQ(std::wstring(path), L"C:\\picks");
    ILFree(pidl);
}

TEST(DuiFileDialogs, TheSaveDialogStartsOnTheSuggestionOverItsOwner) {
    ASSERT_TRUE(duilib::EnsureUi());
    const std::string folder = win32::host::ToHostPath(L"C:\\saves");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    DropWindow owner;
    HWND ownerHwnd = owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0);
    ASSERT_NE(ownerHwnd, nullptr);

    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QWidget* parent = nullptr;
    QString directory, offered, filter;
    bool confirms = false;
    WhenFileDialogShows([&](QFileDialog* dialog) {
        mode = dialog->acceptMode();
        parent = dialog->parentWidget();
        directory = dialog->directory().absolutePath();
        offered = dialog->selectedFiles().value(0);
        filter = dialog->selectedNameFilter();
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->selectFile("out"); // typed without an extension
        static_cast<QDialog*>(dialog)->accept();
    });
    WCHAR buffer[MAX_PATH] = L"C:\\saves\\报告.pdf";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerHwnd;
    ofn.lpstrFilter = L"PDF\0*.pdf\0Text\0*.txt\0";
    ofn.nFilterIndex = 2;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_OVERWRITEPROMPT;
    ASSERT_TRUE(GetSaveFileNameW(&ofn)) << CommDlgExtendedError();
    EXPECT_EQ(mode, QFileDialog::AcceptSave);
    EXPECT_EQ(parent, duilib::HostOf(ownerHwnd));
    EXPECT_EQ(directory.toStdString(), folder);
    EXPECT_EQ(offered.toStdString(), folder + "/报告.pdf") << "the name as suggested";
    EXPECT_EQ(filter, "Text (*.txt)");
    EXPECT_TRUE(confirms);
    EXPECT_EQ(std::wstring(buffer), L"C:\\saves\\out.txt");
    DestroyWindow(ownerHwnd);
}

TEST(DuiIcons, TheIconResourceBecomesTheWindowIcon) {
    DropWindow window;
    HWND hwnd = window.Create(nullptr, L"icon", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    auto* host = duilib::HostOf(hwnd);
    ASSERT_TRUE(host->windowIcon().pixmap(16, 16).isNull() ||
                host->windowIcon().availableSizes().empty());
    window.SetIcon(108);
    EXPECT_FALSE(host->windowIcon().availableSizes().empty());
    window.SetIcon(999); // no such resource: nothing changes, nothing fails
    EXPECT_FALSE(host->windowIcon().availableSizes().empty());
    // An icon handle the layer never made is refused.
    EXPECT_FALSE(duilib::ApplyIcon(hwnd, reinterpret_cast<HICON>(0x1234)));
    DestroyWindow(hwnd);
}

TEST(DuiEnable, DisablingAnOwnerLeavesItsOwnedWindowsUsable) {
    DropWindow owner;
    HWND ownerHwnd = owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, WS_EX_ACCEPTFILES);
    DropWindow dialog;
    HWND hwnd = dialog.Create(ownerHwnd, L"dialog", WS_POPUP | WS_VISIBLE, WS_EX_ACCEPTFILES);
    EXPECT_FALSE(EnableWindow(ownerHwnd, FALSE)); // it was enabled before
    EXPECT_FALSE(IsWindowEnabled(ownerHwnd));
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_TRUE(duilib::HostOf(hwnd)->isEnabled());
    // The disabled owner takes no drop; the dialog does.
    DropOn(ownerHwnd, {QStringLiteral("/srv/a.pdf")});
    DropOn(hwnd, {QStringLiteral("/srv/b.pdf")});
    Pump();
    EXPECT_TRUE(owner.drops.empty());
    EXPECT_EQ(dialog.drops, std::vector<std::wstring>{L"Z:\\srv\\b.pdf"});
    EXPECT_TRUE(EnableWindow(ownerHwnd, TRUE)); // it was disabled before
    DestroyWindow(ownerHwnd);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(DuiThreads, OtherThreadsChangeOnlyTheStyleOfAWindow) {
    DropWindow window;
    HWND hwnd = window.Create(nullptr, L"threads", WS_POPUP, 0);
    bool created = true;
    BOOL shown = TRUE;
    std::thread worker([&] {
        DropWindow other;
        created = other.Create(nullptr, L"worker", WS_POPUP, 0) != nullptr;
        shown = ShowWindow(hwnd, SW_SHOW); // answers from the style: it was hidden
    });
    worker.join();
    EXPECT_FALSE(created); // widgets belong to the application's thread
    EXPECT_FALSE(shown);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    DestroyWindow(hwnd);
}
