// Skin layouts of any shape: building one never crashes, throws or overflows the stack; a
// layout the builder cannot use gives no control.
#include "fuzz_driver.h"

#include <UIlib.h>
#include <windows.h>

#include <string>

namespace {

std::wstring FromUtf8(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

bool Run(const std::string& input) {
    // Layout text, not a file name: the builder reads text that starts with '<'.
    const std::wstring xml = L"<" + FromUtf8(input);
    DuiLib::CDialogBuilder builder;
    DuiLib::CControlUI* root = builder.Create(DuiLib::CDuiString(xml.c_str()));
    delete root;
    return true;
}

} // namespace

const fuzz::Target& fuzz::TheTarget() {
    static const Target target{
        "layout",
        {R"(?xml version="1.0" encoding="utf-8"?><Window size="300,200"><VerticalLayout><Label name="a" text="文字"/><Button name="b" text="OK" width="30"/></VerticalLayout></Window>)",
         R"(Window><HorizontalLayout><List name="l"><ListContainerElement><Label/></ListContainerElement></List></HorizontalLayout></Window>)",
         R"(Window><TabLayout name="t"><Control/><Progress value="50"/><RichEdit/></TabLayout></Window>)",
         R"(Window><Include source="missing.xml"/></Window>)"},
        {"<VerticalLayout>", "</VerticalLayout>", "<HorizontalLayout>", "<Label/>", "<Control ",
         " name=\"", "\"", "/>", ">", "<!--", "&amp;", "&#0;", "<![CDATA["},
        &Run};
    return target;
}
