#include "text_search.h"

#include "document.h"

#include <poppler-qt6.h>

namespace pdfeditor {

struct TextSearch::Job {
    QString text;
    Poppler::Page::SearchFlags flags;
    std::atomic<int> next{0}; // the next page a worker takes
    std::atomic<bool> cancelled{false};
    int done = 0; // pages searched; UI thread
    int hits = 0; // UI thread
};

TextSearch::TextSearch(std::string hostPath, std::string password, int pageCount, int threads,
                       QObject* parent)
    : QObject(parent), m_path(std::move(hostPath)), m_password(std::move(password)),
      m_pageCount(pageCount) {
    for (int i = 0; i < std::max(1, threads); ++i) {
        m_workers.emplace_back([this] { Work(); });
    }
}

TextSearch::~TextSearch() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        if (m_job) {
            m_job->cancelled = true;
        }
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
}

void TextSearch::Start(const QString& text, SearchOptions options) {
    Cancel();
    if (text.trimmed().isEmpty() || m_pageCount <= 0) {
        return;
    }
    auto job = std::make_shared<Job>();
    job->text = text;
    job->flags = Poppler::Page::AcrossLines;
    if (!options.matchCase) {
        job->flags |= Poppler::Page::IgnoreCase;
    }
    if (options.wholeWords) {
        job->flags |= Poppler::Page::WholeWords;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_job = job;
    }
    m_running = true;
    m_wake.notify_all();
}

void TextSearch::Cancel() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_job) {
        m_job->cancelled = true;
        m_job.reset();
    }
    m_running = false;
}

void TextSearch::Work() {
    std::unique_ptr<Poppler::Document> document;
    bool loadFailed = false;
    for (;;) {
        std::shared_ptr<Job> job;
        int page = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(
                lock, [this] { return m_stopping || (m_job && m_job->next.load() < m_pageCount); });
            if (m_stopping) {
                return;
            }
            job = m_job;
            page = job->next++;
        }
        if (page >= m_pageCount) {
            continue;
        }
        if (!document && !loadFailed) {
            document = Document::LoadForRendering(m_path, m_password);
            loadFailed = !document;
        }
        QList<QRectF> areas;
        if (document && !job->cancelled) {
            if (const std::unique_ptr<Poppler::Page> poppler = document->page(page)) {
                const QSizeF size = poppler->pageSizeF();
                for (const QRectF& hit : poppler->search(job->text, job->flags)) {
                    if (size.width() > 0 && size.height() > 0) {
                        areas.push_back(QRectF(hit.x() / size.width(), hit.y() / size.height(),
                                               hit.width() / size.width(),
                                               hit.height() / size.height()));
                    }
                }
            }
        }
        if (job->cancelled) {
            continue;
        }
        QMetaObject::invokeMethod(
            this, [this, job, page, areas] { PageDone(job, page, areas); }, Qt::QueuedConnection);
    }
}

void TextSearch::PageDone(const std::shared_ptr<Job>& job, int page, const QList<QRectF>& areas) {
    if (job->cancelled) {
        return;
    }
    ++job->done;
    job->hits += static_cast<int>(areas.size());
    if (!areas.isEmpty()) {
        emit Found(page, areas);
    }
    if (job->done == m_pageCount && !job->cancelled) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_job == job) {
                m_job.reset();
            }
        }
        m_running = false;
        emit Finished(job->hits);
    }
}

} // namespace pdfeditor
