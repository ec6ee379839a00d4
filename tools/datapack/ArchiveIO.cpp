#include "ArchiveIO.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <archive.h>
#include <archive_entry.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace ArchiveIO {

const QString kSuffix = QStringLiteral(".tar.zst");
const QString kOldSuffix = QStringLiteral(".zip");

namespace {
// The fastest level: a third of the size, four seconds of processor time for a million customers' data
// (the default level 3 takes half as much again for 5 % less).
constexpr int kLevel = 1;
// The disk is asked to start writing every so many bytes, so the final flush finds little left to do.
constexpr qint64 kWriteBehind = 32 << 20;

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Writes all of data at the file's end, handing finished stretches to the disk as it goes.
class OutFile
{
public:
    bool open(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        return m_fd >= 0;
    }
    ~OutFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool write(const char* data, size_t size, qint64 at)
    {
        while (size > 0) {
            const ssize_t n = ::pwrite(m_fd, data, size, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            data += n;
            size -= size_t(n);
            at += n;
        }
        m_end = std::max(m_end, at);
        if (m_end - m_flushed >= kWriteBehind) {
            ::sync_file_range(m_fd, m_flushed, m_end - m_flushed, SYNC_FILE_RANGE_WRITE);
            m_flushed = m_end;
        }
        return true;
    }
    bool append(const char* data, size_t size) { return write(data, size, m_end); }
    bool truncate(qint64 size) { return ::ftruncate(m_fd, size) == 0; }
    bool close(bool durable)
    {
        const bool ok = !durable || ::fdatasync(m_fd) == 0;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        return ok && closed;
    }

private:
    int m_fd = -1;
    qint64 m_end = 0;
    qint64 m_flushed = 0;
};
} // namespace

// The tar stream as libarchive writes it, compressed into the file.
struct Writer::Sink
{
    OutFile file;
    ZSTD_CCtx* cctx = nullptr;
    std::vector<char> out = std::vector<char>(ZSTD_CStreamOutSize());
    QString error;
    bool abandoned = false; // given up: the rest is neither compressed nor flushed

    ~Sink() { ZSTD_freeCCtx(cctx); }
    bool push(const void* data, size_t size, ZSTD_EndDirective mode)
    {
        ZSTD_inBuffer in{data, size, 0};
        for (;;) {
            ZSTD_outBuffer o{out.data(), out.size(), 0};
            const size_t rest = ZSTD_compressStream2(cctx, &o, &in, mode);
            if (ZSTD_isError(rest)) {
                error = QString::fromUtf8(ZSTD_getErrorName(rest));
                return false;
            }
            if (o.pos > 0 && !file.append(out.data(), o.pos)) {
                error = systemError(errno);
                return false;
            }
            if (mode == ZSTD_e_end ? rest == 0 : in.pos == in.size)
                return true;
        }
    }
};

namespace {
la_ssize_t writeToSink(archive* a, void* client, const void* buffer, size_t length)
{
    auto* sink = static_cast<Writer::Sink*>(client);
    if (sink->abandoned)
        return la_ssize_t(length);
    if (!sink->push(buffer, length, ZSTD_e_continue)) {
        archive_set_error(a, EIO, "%s", sink->error.toUtf8().constData());
        return -1;
    }
    return la_ssize_t(length);
}

int closeSink(archive* a, void* client)
{
    auto* sink = static_cast<Writer::Sink*>(client);
    if (sink->abandoned) {
        sink->file.close(false);
        return ARCHIVE_OK;
    }
    const bool ended = sink->push(nullptr, 0, ZSTD_e_end);
    const bool closed = sink->file.close(true);
    if (ended && !closed)
        sink->error = systemError(errno);
    if (!ended || !closed) {
        archive_set_error(a, EIO, "%s", sink->error.toUtf8().constData());
        return ARCHIVE_FATAL;
    }
    return ARCHIVE_OK;
}
} // namespace

Writer::Writer(const QString& path) : m_archive(archive_write_new()), m_sink(std::make_unique<Sink>())
{
    if (!m_sink->file.open(path)) {
        fail(systemError(errno));
        return;
    }
    m_sink->cctx = ZSTD_createCCtx();
    const int workers = std::clamp(QThread::idealThreadCount(), 1, 8);
    if (!m_sink->cctx ||
        ZSTD_isError(ZSTD_CCtx_setParameter(m_sink->cctx, ZSTD_c_compressionLevel, kLevel)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(m_sink->cctx, ZSTD_c_checksumFlag, 1))) {
        fail(QStringLiteral("zstd"));
        return;
    }
    // One worker compresses while this thread reads; with several cores each takes a part of the stream.
    // A library built without threads keeps to this one.
    ZSTD_CCtx_setParameter(m_sink->cctx, ZSTD_c_nbWorkers, workers > 1 ? workers : 0);
    archive_write_set_format_pax_restricted(m_archive);
    archive_write_set_bytes_per_block(m_archive, 0);
    m_ok = archive_write_open2(m_archive, m_sink.get(), nullptr, &writeToSink, &closeSink, nullptr) ==
           ARCHIVE_OK;
    if (!m_ok)
        fail(QString::fromUtf8(archive_error_string(m_archive)));
}

Writer::~Writer()
{
    m_sink->abandoned = !m_finished;
    archive_write_free(m_archive);
}

bool Writer::fail(const QString& what)
{
    if (m_error.isEmpty())
        m_error = what;
    m_ok = false;
    return false;
}

QString Writer::error() const
{
    if (!m_sink->error.isEmpty())
        return m_sink->error;
    if (!m_error.isEmpty())
        return m_error;
    const char* words = archive_error_string(m_archive);
    return words ? QString::fromUtf8(words) : QString();
}

bool Writer::begin(const QString& name, qint64 size, const QDateTime& modified)
{
    if (!m_ok)
        return false;
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(), archive_entry_free);
    archive_entry_set_pathname_utf8(entry.get(), name.toUtf8().constData());
    archive_entry_set_size(entry.get(), size);
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0600);
    archive_entry_set_mtime(entry.get(), modified.toSecsSinceEpoch(), 0);
    if (archive_write_header(m_archive, entry.get()) != ARCHIVE_OK)
        return fail(QString::fromUtf8(archive_error_string(m_archive)));
    return true;
}

bool Writer::write(const char* data, qint64 size)
{
    if (!m_ok)
        return false;
    while (size > 0) {
        const la_ssize_t n = archive_write_data(m_archive, data, size_t(size));
        if (n <= 0)
            return fail(QString::fromUtf8(archive_error_string(m_archive)));
        data += n;
        size -= n;
    }
    return true;
}

bool Writer::addFile(const QString& file, const QString& name, const Tick& tick)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString() + QStringLiteral(": ") + file);
    if (!begin(name, in.size(), QFileInfo(file).lastModified()))
        return false;
    std::vector<char> buffer(1 << 20);
    qint64 left = in.size();
    while (left > 0) {
        const qint64 n = in.read(buffer.data(), std::min<qint64>(left, qint64(buffer.size())));
        if (n <= 0)
            return fail(in.errorString() + QStringLiteral(": ") + file);
        if (!write(buffer.data(), n))
            return false;
        left -= n;
        if (tick && !tick(n))
            return fail(QString());
    }
    return true;
}

bool Writer::finish()
{
    if (!m_ok)
        return false;
    m_finished = true;
    if (archive_write_close(m_archive) != ARCHIVE_OK)
        return fail(QString::fromUtf8(archive_error_string(m_archive)));
    return true;
}

Reader::Reader(const QString& path) : m_archive(archive_read_new())
{
    archive_read_support_filter_zstd(m_archive);
    archive_read_support_format_tar(m_archive);
    archive_read_support_format_zip(m_archive);
    m_ok = archive_read_open_filename(m_archive, QFile::encodeName(path).constData(), 1 << 20) == ARCHIVE_OK;
}

Reader::~Reader()
{
    archive_read_free(m_archive);
}

QString Reader::error() const
{
    const char* words = archive_error_string(m_archive);
    return words ? QString::fromUtf8(words) : QString();
}

archive_entry* Reader::next()
{
    m_entry = nullptr;
    const int rc = archive_read_next_header(m_archive, &m_entry);
    if (rc == ARCHIVE_OK || rc == ARCHIVE_WARN)
        return m_entry;
    m_entry = nullptr;
    m_atEnd = rc == ARCHIVE_EOF;
    return nullptr;
}

void Reader::skip()
{
    archive_read_data_skip(m_archive);
}

qint64 Reader::consumed() const
{
    return archive_filter_bytes(m_archive, -1);
}

Reader::Extracted Reader::extract(const QString& file, const Tick& tick, QString* error)
{
    OutFile out;
    if (!out.open(file)) {
        *error = systemError(errno);
        return Extracted::WriteFailed;
    }
    qint64 told = consumed();
    qint64 end = 0;
    const void* buffer = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    int rc = ARCHIVE_OK;
    while ((rc = archive_read_data_block(m_archive, &buffer, &size, &offset)) == ARCHIVE_OK) {
        if (!out.write(static_cast<const char*>(buffer), size, offset)) {
            *error = systemError(errno);
            return Extracted::WriteFailed;
        }
        end = std::max<qint64>(end, offset + qint64(size));
        if (tick) {
            const qint64 now = consumed();
            const bool go = tick(now - told);
            told = now;
            if (!go)
                return Extracted::Stopped;
        }
    }
    if (rc != ARCHIVE_EOF) {
        *error = this->error();
        return Extracted::Damaged;
    }
    // A sparse entry may end in a hole.
    const bool sized = m_entry && archive_entry_size_is_set(m_entry);
    if ((sized && archive_entry_size(m_entry) > end && !out.truncate(archive_entry_size(m_entry))) ||
        !out.close(false)) {
        *error = systemError(errno);
        return Extracted::WriteFailed;
    }
    return Extracted::Done;
}

} // namespace ArchiveIO
