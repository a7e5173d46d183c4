#include "ChangeJournal.h"

#include "Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace text = journal_text;

namespace {

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd;
};

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

int openFile(const QString& path, int flags, mode_t mode = 0600) {
    int fd;
    do
        fd = ::open(nativePath(path).constData(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Makes a new or renamed entry of `directory` durable.
bool syncDirectory(const QString& directory) {
    const FileDescriptor fd(openFile(directory, O_RDONLY | O_DIRECTORY));
    return fd && ::fsync(fd.get()) == 0;
}

// An exclusive lock on the journal directory for as long as it lives.
class DirectoryLock {
public:
    explicit DirectoryLock(const QString& directory)
        : m_fd(openFile(directory, O_RDONLY | O_DIRECTORY)) {
        if (m_fd) {
            int r;
            do
                r = ::flock(m_fd.get(), LOCK_EX);
            while (r < 0 && errno == EINTR);
            m_locked = r == 0;
        }
        m_error = m_locked ? 0 : errno;
    }
    bool locked() const { return m_locked; }
    int error() const { return m_error; }

private:
    FileDescriptor m_fd;
    bool m_locked = false;
    int m_error = 0;
};

// The whole file, or nullopt with `error` set; `tooLarge` when it passes MaxReadBytes.
std::optional<QByteArray> readWhole(const QString& path, int& error, bool& tooLarge) {
    const FileDescriptor fd(openFile(path, O_RDONLY));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) {
        error = errno;
        return std::nullopt;
    }
    tooLarge = st.st_size > journal::MaxReadBytes;
    if (tooLarge)
        return std::nullopt;
    QByteArray bytes;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > journal::MaxReadBytes) {
            tooLarge = true;
            return std::nullopt;
        }
    }
    return bytes;
}

// Replaces the file by `bytes` at once: a crash leaves the old file or the new one.
QString rewrite(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".new");
    {
        const FileDescriptor fd(openFile(temporary, O_WRONLY | O_CREAT | O_TRUNC));
        if (!fd || !writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
            const int error = errno;
            ::unlink(nativePath(temporary).constData());
            return text::writeFailed(path, reason(error));
        }
    }
    if (::rename(nativePath(temporary).constData(), nativePath(path).constData()) != 0) {
        const int error = errno;
        ::unlink(nativePath(temporary).constData());
        return text::writeFailed(path, reason(error));
    }
    if (!syncDirectory(QFileInfo(path).absolutePath()))
        return text::writeFailed(path, reason(errno));
    return {};
}

QByteArray linesOf(const std::vector<journal::Entry>& entries) {
    QByteArray bytes;
    for (const journal::Entry& e : entries)
        bytes += e.beginLine + e.finishLine;
    return bytes;
}

QString newId() {
    const quint64 random = QRandomGenerator::system()->generate64();
    return QStringLiteral("%1-%2").arg(QString::number(QDateTime::currentMSecsSinceEpoch(), 36),
                                       QString::number(random, 36));
}

} // namespace

ChangeJournal::ChangeJournal(QString directory, qint64 capBytes)
    : m_directory(std::move(directory)), m_capBytes(capBytes) {}

QString ChangeJournal::defaultDirectory() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // The base directory specification ignores a relative value.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/corvane/journal");
}

QString ChangeJournal::pathFor(const QString& server) const {
    return m_directory + QLatin1Char('/') + journal::journalFileName(server);
}

ChangeJournal::Began ChangeJournal::begin(const QString& server, journal::Walk walk,
                                          const ShareInfo502& share, const std::u16string& newName,
                                          const std::u16string& newPath) {
    journal::Entry entry;
    entry.id = newId();
    entry.begun = QDateTime::currentDateTimeUtc();
    entry.server = server;
    entry.walk = walk;
    entry.share = share;
    entry.newName = newName;
    entry.newPath = newPath;
    const QByteArray line = journal::encodeEntry(entry);
    if (line.size() > journal::MaxLineBytes)
        return {{}, text::writeFailed(pathFor(server), text::recordTooLarge())};
    return {entry.id, appendLine(server, line)};
}

QString ChangeJournal::finish(const QString& server, const QString& id, const QString& outcome) {
    return appendLine(server, journal::encodeFinish(id, QDateTime::currentDateTimeUtc(), outcome));
}

QString ChangeJournal::appendLine(const QString& server, const QByteArray& line) {
    const QString path = pathFor(server);
    if (!QFileInfo(m_directory).isDir()) {
        // Each folder made must be durable in its parent, or the file in it is not.
        QStringList parents;
        for (QFileInfo missing(m_directory); !missing.exists();
             missing = QFileInfo(missing.absolutePath()))
            parents << missing.absolutePath();
        if (!QDir().mkpath(m_directory))
            return text::writeFailed(path, text::noDirectory(m_directory));
        // The records may name accounts and paths: for the user alone.
        ::chmod(nativePath(m_directory).constData(), 0700);
        for (const QString& parent : parents)
            if (!syncDirectory(parent))
                return text::writeFailed(path, reason(errno));
    }
    const DirectoryLock lock(m_directory);
    if (!lock.locked())
        return text::writeFailed(path, reason(lock.error()));

    bool created = true;
    FileDescriptor fd(openFile(path, O_WRONLY | O_APPEND | O_CREAT | O_EXCL));
    if (!fd && errno == EEXIST) {
        created = false;
        fd.reset(openFile(path, O_WRONLY | O_APPEND));
    }
    if (!fd)
        return text::writeFailed(path, reason(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return text::writeFailed(path, reason(errno));
    qint64 size = st.st_size;

    if (size + line.size() + 1 > m_capBytes) {
        // Finished entries are history only: the oldest make room.
        int error = 0;
        bool tooLarge = false;
        const auto bytes = readWhole(path, error, tooLarge);
        if (!bytes)
            return text::writeFailed(path, tooLarge ? text::journalFull() : reason(error));
        const auto kept = journal::prune(journal::readJournal(*bytes, server).entries,
                                         QDateTime::currentDateTimeUtc(), journal::FinishedKeptDays,
                                         m_capBytes - line.size() - 1);
        const QByteArray compacted = linesOf(kept);
        if (compacted.size() + line.size() + 1 > m_capBytes)
            return text::writeFailed(path, text::journalFull());
        if (const QString failed = rewrite(path, compacted); !failed.isEmpty())
            return failed;
        fd.reset(openFile(path, O_WRONLY | O_APPEND));
        if (!fd)
            return text::writeFailed(path, reason(errno));
        size = compacted.size();
    }

    QByteArray bytes = line;
    if (size > 0) {
        // A line cut short by a crash must not swallow this one.
        char last = '\n';
        const FileDescriptor reader(openFile(path, O_RDONLY));
        if (!reader || ::pread(reader.get(), &last, 1, size - 1) != 1)
            return text::writeFailed(path, reason(errno));
        if (last != '\n')
            bytes.prepend('\n');
    }
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
        const int error = errno;
        // What reached the file may be torn; take it back so the file stays as it was.
        if (::ftruncate(fd.get(), size) == 0)
            ::fsync(fd.get());
        return text::writeFailed(path, reason(error));
    }
    if (created && !syncDirectory(m_directory))
        return text::writeFailed(path, reason(errno));
    return {};
}

ChangeJournal::Opened ChangeJournal::open(const QString& server, const QDateTime& now) {
    Opened opened;
    const QString path = pathFor(server);
    if (!QFileInfo::exists(path))
        return opened;
    const DirectoryLock lock(m_directory);
    int error = 0;
    bool tooLarge = false;
    const auto bytes = lock.locked() ? readWhole(path, error, tooLarge) : std::nullopt;
    if (!bytes) {
        opened.notes << (tooLarge ? text::tooLargeToRead(server, path)
                                  : text::readFailed(server, path,
                                                     reason(lock.locked() ? error : lock.error())));
        return opened;
    }
    const journal::ReadResult read = journal::readJournal(*bytes, server);
    if (read.tornLastLine)
        opened.notes << text::tornLineSkipped(server);
    if (const int others = read.unreadableLines - (read.tornLastLine ? 1 : 0); others > 0)
        opened.notes << text::linesSkipped(server, others);
    std::vector<journal::Entry> kept =
        journal::prune(read.entries, now, journal::FinishedKeptDays, m_capBytes);
    const QByteArray lines = linesOf(kept);
    // Skipped lines are dropped once noted, so the next open does not note them again.
    if (lines != *bytes) {
        if (const QString failed = rewrite(path, lines); !failed.isEmpty())
            opened.notes << failed;
    }
    for (journal::Entry& e : kept)
        if (!e.finished)
            opened.unfinished.push_back(std::move(e));
    return opened;
}

} // namespace corvane
