#include "login_key.h"

#include <varnix/util/version_info.h>

namespace loginkey {

const std::wstring& SubKey() {
    static const std::wstring subKey = std::wstring(L"System\\CurrentControlSet\\Control\\") +
                                       VersionInfo::GetInstance()->OriginalName();
    return subKey;
}

} // namespace loginkey
