#include "window_script.h"

#include "page_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include <algorithm>

namespace pagetest {

namespace {

struct Running {
    std::vector<Step> steps;
    ScriptResult result;
    std::vector<HWND> seen;
    std::vector<QMessageBox*> seenBoxes;
    int ticks = 0;
};

Running* g_script = nullptr;

QMessageBox* VisibleSystemBox(const std::vector<QMessageBox*>& seen) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible() && std::find(seen.begin(), seen.end(), box) == seen.end()) {
            return box;
        }
    }
    return nullptr;
}

HWND NewWindowOf(const wchar_t* className, const std::vector<HWND>& seen) {
    for (HWND hwnd : WindowsOfClass(className)) {
        if (IsWindowVisible(hwnd) && std::find(seen.begin(), seen.end(), hwnd) == seen.end()) {
            return hwnd;
        }
    }
    return nullptr;
}

VOID CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Running& script = *g_script;
    if (script.result.gaveUp) {
        return;
    }
    if (++script.ticks > 3000) {
        script.result.gaveUp = true;
        PostQuitMessage(0);
        return;
    }
    const size_t next = script.result.done;
    const bool waiting = next < script.steps.size();
    // A library box that no step waits for is cancelled, so that it cannot hang the test.
    if (!waiting || script.steps[next].className != L"msgwnd") {
        if (HWND stray = NewWindowOf(L"msgwnd", script.seen)) {
            script.seen.push_back(stray);
            DuiLib::WindowImplBase* box = WindowOf(stray);
            script.result.strays.push_back(BoxText(box));
            Press(stray, box, L"cancelbtn");
            return;
        }
    }
    if (!waiting) {
        return;
    }
    Step& step = script.steps[next];
    if (step.className == kSystemBox) {
        QMessageBox* box = VisibleSystemBox(script.seenBoxes);
        if (!box) {
            return;
        }
        script.seenBoxes.push_back(box);
        ++script.result.done; // before acting: the act may run a modal loop of its own
        step.act(nullptr, nullptr);
        return;
    }
    HWND hwnd = NewWindowOf(step.className.c_str(), script.seen);
    DuiLib::WindowImplBase* window = WindowOf(hwnd);
    if (!window) {
        return;
    }
    script.seen.push_back(hwnd);
    ++script.result.done;
    step.act(hwnd, window);
}

} // namespace

ScriptResult RunScript(std::vector<Step> steps, const std::function<void()>& run) {
    Running script;
    script.steps = std::move(steps);
    Running* outer = g_script;
    g_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, Tick);
    run();
    KillTimer(nullptr, timer);
    g_script = outer;
    if (script.result.gaveUp) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    return script.result;
}

void Press(HWND hwnd, DuiLib::WindowImplBase* window, const wchar_t* button) {
    DuiLib::CControlUI* control = window ? window->PaintManager().FindControl(button) : nullptr;
    if (control) {
        Click(*window, control);
    } else {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
}

std::wstring BoxText(DuiLib::WindowImplBase* box) {
    if (!box) {
        return L"<no box>";
    }
    for (const wchar_t* name : {L"updateinfoedit", L"contentlbl"}) {
        DuiLib::CControlUI* control = box->PaintManager().FindControl(name);
        if (control && control->IsVisible() && !control->GetText().IsEmpty()) {
            return control->GetText().GetData();
        }
    }
    return {};
}

std::wstring SystemBoxText() {
    QMessageBox* box = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<QMessageBox*>(widget);
            candidate && candidate->isVisible()) {
            box = candidate;
        }
    }
    return box ? box->windowTitle().toStdWString() + L"|" + box->text().toStdWString() : L"";
}

void PressSystemBox(bool ok) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible()) {
            continue;
        }
        if (QAbstractButton* button = box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)) {
            button->click();
        }
    }
}

} // namespace pagetest
