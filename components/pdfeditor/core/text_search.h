// Finds a text through a whole document off the UI thread. Pages are shared out among worker
// threads, each with its own Poppler document of the file (Poppler documents are not shared
// between threads); each page's hits come back as soon as that page is done, so pages may
// arrive out of order. A new search (or Cancel) ends the one running: nothing of it arrives
// after that.
#pragma once

#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pdfeditor {

struct SearchOptions {
    bool matchCase = false;
    bool wholeWords = false;

    friend bool operator==(const SearchOptions&, const SearchOptions&) = default;
};

class TextSearch : public QObject {
    Q_OBJECT
public:
    TextSearch(std::string hostPath, std::string password, int pageCount, int threads = 2,
               QObject* parent = nullptr);
    // Stops the workers and waits for them.
    ~TextSearch() override;

    // Searches every page for `text` (blank text only cancels). Text across the end of a line
    // is found as well.
    void Start(const QString& text, SearchOptions options);
    void Cancel();
    bool IsRunning() const { return m_running; }

signals:
    // The hits on one page (0-based), as fractions of the page with (0, 0) at its top left;
    // only for pages with hits. On the UI thread.
    void Found(int page, const QList<QRectF>& areas);
    // Every page has been searched; `hits` in all.
    void Finished(int hits);

private:
    struct Job;

    void Work();
    void PageDone(const std::shared_ptr<Job>& job, int page, const QList<QRectF>& areas);

    const std::string m_path;
    const std::string m_password;
    const int m_pageCount;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<Job> m_job; // guarded by m_mutex
    bool m_stopping = false;    // guarded by m_mutex
    bool m_running = false;     // UI thread
    std::vector<std::thread> m_workers;
};

} // namespace pdfeditor
