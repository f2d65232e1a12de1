// The one client of the vendor web service.
//
// Every operation builds its address, hands the request with its record (request_records.h) to
// the Network component and returns at once; it never reports a failure to its caller. Results
// come back as messages posted to the asking window (messages.h):
// - a JSON reply: the caller's message, wParam = new Http::Response* (0 when memory ran out),
//   lParam = the value the caller gave. The receiver hands the wParam to ParseResponse, which
//   frees it.
// - a body that is not JSON: UM_BAD_REPLY with wParam 0 and lParam 0, whatever the message was.
// - a transport failure: nothing at all. A window must not wait for a reply.
// - a download: UM_DOWNLOAD_PROGRESS with a new ProgressInfo* (the receiver deletes it), then
//   UM_DOWNLOAD_DONE with a new std::string* holding the full path (the receiver deletes it). A
//   file that could not be written completely, or whose server answered with an error status,
//   is not left behind: the path then names no file.
// Posts to a window that is gone free what they carried.
//
// Threading: the operations are called on the user-interface thread (they read the user store
// and the version information). Do and Progress run on the component's worker thread and touch
// only the request's record, its response and what they post.
#pragma once

#include "request_records.h"

#include <varnix/util/export.h>

#include <http/action.h>
#include <http/task.h>
#include <http/url.h>
#include <json/value.h>

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

class VersionInfo;

// What the caller passes with a profile request; it comes back as the reply's lParam. The
// program always passes 1.
enum GetWXUserInfoMode : int32_t {
    USERINFO_DEFAULT = 1,
};

// The usage events SendStastastics reports.
enum STASTICS : int32_t {
    STASTICS_OPENNESS = 0,   // the program was opened
    STASTICS_CONVERSION = 1, // a conversion, with a code as the value
};

class VARNIX_API HttpAction : public Http::Action {
public:
    // What the caller passes with an update check; it comes back as the reply's lParam.
    enum UPDATE_PATTERN : int32_t {
        UPDATE_MANUAL = 0, // the user asked
        UPDATE_AUTO = 1,   // the check after start
    };

    // Created on first use, never destroyed: the component's worker may still call Do while the
    // process exits.
    static HttpAction* GetInstance();

    ~HttpAction() override;

    // "/download/update"; the reply's lParam is the pattern.
    void GetNewestVersion(HWND hwnd, int message, UPDATE_PATTERN pattern) const;
    // "/wxpub/getUserInfo" for the unionid (ANSI, as the caller holds it); lParam is the mode.
    void GetWxUserInfo(HWND hwnd, int message, const std::string& unionid,
                       GetWXUserInfoMode mode) const;
    // "/wxpub/createQrcode" for the machine code (ANSI); lParam -1.
    void GetWxPubQrcode(HWND hwnd, int message, std::string machine) const;
    // "/wxpub/queryLoginStatus" for the ticket (ANSI); lParam -1.
    void PollingWxPubLogin(HWND hwnd, int message, std::string ticket) const;
    // "/users/limiteditprompt"; lParam -1.
    void GetConfig(HWND hwnd, int message);
    // "/users/moreSoftware"; lParam -1.
    void GetNewSoftwareList(HWND hwnd, int message);

    // Downloads the address, unchanged (no common attributes), into directory + fileName; see the
    // top of this file for the messages. Only the last component of fileName (after the last
    // "\" or "/") is used, so a name from the service never leaves the folder; "", "." and ".."
    // write nothing and deliver an empty path. The caller may set the returned record's `stop`
    // to abort the transfer; the record stays valid at least while `hwnd` is a window, also
    // after a transport failure, which posts nothing. The caller never frees it.
    DownloadData* PullPackage(HWND hwnd, LONG lParam, const std::string& address,
                              std::string fileName, std::string directory);

    // "/users/statistics", without a record: the reply is dropped. STASTICS_OPENNESS sends type
    // "openness"; STASTICS_CONVERSION sends type "conversion" and the value as "code"; any other
    // event sends nothing.
    void SendStastastics(STASTICS event, std::string value) const;

    // Checks a reply and frees it (whatever the result). The wParam is pointer-sized because it
    // carries the Http::Response* of the reply message; a 32-bit slot would cut the pointer.
    // Returns true when the body is a JSON object whose "code" is the JSON integer 0; the
    // document then holds the reply and `error` is untouched. Otherwise false and `error` is:
    // "本地网络错误" for a transport failure (or no reply object), "服务器异常" for a body that
    // is not JSON (the document is then unchanged), else the reply's "msg" when it is a string,
    // empty when it is not (the document holds the reply). message and hwnd are not used.
    static bool ParseResponse(Json::Value& document, WPARAM wParam, UINT message, HWND hwnd,
                              std::wstring& error);

    // What a message posted to a window by a request carries in its wParam: a reply (the
    // Http::Response* that ParseResponse frees), a download's path (std::string*) or a
    // download's progress (ProgressInfo*).
    enum class Posted { Reply, DownloadedFile, Progress };
    // Frees the records of the messages `message` to hwnd still waiting in this thread's queue,
    // and takes them out: Windows drops a destroyed window's messages, and the records with
    // them, so a window calls it as it is destroyed for each message its requests answer under.
    // Takes nothing else and runs nothing meanwhile (UI thread of hwnd).
    static void DiscardPosted(HWND hwnd, UINT message, Posted kind);

    // The delivery of a finished request (worker thread).
    void Do(const Http::Task& task) override;
    // Posts a download's progress; returns 1 once the record's `stop` is set, else 0 (worker
    // thread).
    int Progress(double elapsed, double downloadTotal, double downloadNow, double uploadTotal,
                 double uploadNow, const Http::Task& task) override;

private:
    HttpAction();
    HttpAction(const HttpAction&) = delete;
    HttpAction& operator=(const HttpAction&) = delete;

    // The six attributes that identify the installation: type, version, system, product, brand
    // and package.
    Http::URL::AttribMap AppendStaticsData(const std::string& type) const;
    // The common attributes for the type word, then the extra pairs in order; an extra key that
    // is already present keeps its common value.
    Http::URL GenerateUrl(const std::string& path, const std::string& type,
                          std::initializer_list<Http::URL::AttribMap::value_type> extra) const;
};

// The "version" attribute: the four numbers written "%d.%d.%d.%d" into the version's own text
// buffer (the one its AsString() returns), then every "." removed, so 1.2.3.4 becomes "1234".
VARNIX_API std::string ServiceVersionText(VersionInfo& version);
