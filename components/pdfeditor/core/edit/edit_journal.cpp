#include "core/edit/edit_journal.h"

#include <win32/trace.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace pdfeditor {

namespace {

QByteArray Line(const QJsonObject& json) {
    return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

EditJournal::~EditJournal() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::string EditJournal::Folder() {
    if (const char* folder = std::getenv("PDFEDITOR_JOURNAL_DIR"); folder && *folder) {
        return folder;
    }
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("pdfeditor/journal"))
        .toStdString();
}

std::string EditJournal::PathFor(const std::string& canonicalPath) {
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(canonicalPath),
                                                       QCryptographicHash::Sha256)
                                  .toHex()
                                  .left(32);
    return QDir(QString::fromStdString(Folder()))
        .filePath(QString::fromLatin1(digest) + QStringLiteral(".journal"))
        .toStdString();
}

std::string EditJournal::Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

std::optional<JournalContents> EditJournal::Read(const std::string& canonicalPath,
                                                 const std::string& digest) {
    QFile file(QString::fromStdString(PathFor(canonicalPath)));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.isEmpty()) {
        return std::nullopt;
    }
    const QJsonObject header = QJsonDocument::fromJson(lines.front()).object();
    if (header["file"].toString().toStdString() != canonicalPath ||
        header["digest"].toString().toStdString() != digest) {
        win32::Trace("editor", "journal of %s: written against other bytes, not offered",
                     canonicalPath.c_str());
        return std::nullopt;
    }
    JournalContents contents;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QJsonObject step = QJsonDocument::fromJson(lines[i]).object();
        if (step.isEmpty()) {
            continue; // the empty tail, or a line the crash cut short
        }
        if (step["do"].isObject()) {
            std::optional<EditOperation> operation = EditOperationFromJson(step["do"].toObject());
            if (!operation) {
                break;
            }
            contents.applied.push_back(std::move(*operation));
            contents.undone.clear();
        } else if (step["undo"].toBool() && !contents.applied.empty()) {
            contents.undone.push_back(std::move(contents.applied.back()));
            contents.applied.pop_back();
        } else if (step["redo"].toBool() && !contents.undone.empty()) {
            contents.applied.push_back(std::move(contents.undone.back()));
            contents.undone.pop_back();
        }
    }
    if (contents.applied.empty() && contents.undone.empty()) {
        return std::nullopt;
    }
    return contents;
}

void EditJournal::Remove(const std::string& canonicalPath) {
    QFile::remove(QString::fromStdString(PathFor(canonicalPath)));
}

bool EditJournal::Start(const std::string& canonicalPath, const std::string& digest,
                        const JournalContents& start) {
    Discard();
    if (!QDir().mkpath(QString::fromStdString(Folder()))) {
        win32::Trace("editor", "journal: cannot make %s", Folder().c_str());
        return false;
    }
    m_path = PathFor(canonicalPath);
    // Written whole beside it and renamed, so that a crash leaves the old journal or the new.
    const std::string temporary = m_path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        win32::Trace("editor", "journal: cannot write %s: %s", temporary.c_str(),
                     std::strerror(errno));
        return false;
    }
    m_fd = fd;
    bool ok = Append(Line(QJsonObject{{"journal", 1},
                                      {"file", QString::fromStdString(canonicalPath)},
                                      {"digest", QString::fromStdString(digest)}}));
    for (const EditOperation& operation : start.applied) {
        ok = ok && Append(Line(QJsonObject{{"do", ToJson(operation)}}));
    }
    // Undone steps are written as done and undone, newest undone last in, first out.
    for (auto it = start.undone.rbegin(); ok && it != start.undone.rend(); ++it) {
        ok = Append(Line(QJsonObject{{"do", ToJson(*it)}}));
    }
    for (size_t i = 0; ok && i < start.undone.size(); ++i) {
        ok = Append(Line(QJsonObject{{"undo", true}}));
    }
    if (!ok || ::rename(temporary.c_str(), m_path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

bool EditJournal::Record(const EditOperation& operation) {
    return Append(Line(QJsonObject{{"do", ToJson(operation)}}));
}

bool EditJournal::RecordUndo() {
    return Append(Line(QJsonObject{{"undo", true}}));
}

bool EditJournal::RecordRedo() {
    return Append(Line(QJsonObject{{"redo", true}}));
}

void EditJournal::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        ::unlink(m_path.c_str());
    }
}

bool EditJournal::Append(const QByteArray& line) {
    if (m_fd < 0) {
        return false;
    }
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t written =
            ::write(m_fd, line.constData() + done, static_cast<size_t>(line.size() - done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            win32::Trace("editor", "journal: write failed: %s", std::strerror(errno));
            return false;
        }
        done += written;
    }
    return ::fdatasync(m_fd) == 0;
}

} // namespace pdfeditor
