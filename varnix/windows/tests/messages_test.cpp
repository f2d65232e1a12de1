// The window message numbers are an interface: windows of other programs and the service
// client's callers agree on them. Each one is pinned here, with the hexadecimal form that
// traces and message logs show.
#include <varnix/service/messages.h>

#include <gtest/gtest.h>

TEST(WindowMessages, EveryNumberIsPinned) {
    struct Row {
        const char* name;
        UINT value;
        UINT number;
        UINT hex;
    };
    const Row rows[] = {
        {"UM_QRCODE_READY", UM_QRCODE_READY, 1127, 0x467},
        {"UM_DOWNLOAD_DONE", UM_DOWNLOAD_DONE, 1131, 0x46B},
        {"UM_NEWEST_VERSION", UM_NEWEST_VERSION, 1132, 0x46C},
        {"UM_DOWNLOAD_PROGRESS", UM_DOWNLOAD_PROGRESS, 1133, 0x46D},
        {"UM_LOGIN_STATUS", UM_LOGIN_STATUS, 1134, 0x46E},
        {"UM_BAD_REPLY", UM_BAD_REPLY, 1137, 0x471},
        {"UM_DOWNLOAD_CLOSE", UM_DOWNLOAD_CLOSE, 1139, 0x473},
        {"UM_LOGIN_QRCODE", UM_LOGIN_QRCODE, 1144, 0x478},
        {"UM_SOFTWARE_LIST", UM_SOFTWARE_LIST, 1148, 0x47C},
        {"UM_USER_INFO", UM_USER_INFO, 1150, 0x47E},
        {"UM_CONFIG", UM_CONFIG, 1162, 0x48A},
    };
    EXPECT_EQ(WM_USER, 1024u);
    for (const Row& row : rows) {
        EXPECT_EQ(row.value, row.number) << row.name;
        EXPECT_EQ(row.number, row.hex) << row.name;
        EXPECT_GT(row.value, static_cast<UINT>(WM_USER)) << row.name << " is a private message";
    }
}
