#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

struct archive;
struct archive_entry;

// The companion's archive files. New archives are POSIX (pax) tar streams compressed as zstd frames with
// content checksums on every core, so `tar --zstd -xf` or `bsdtar -xf` opens them and `zstd -t` checks
// them; the zip archives of earlier versions are still read.
namespace ArchiveIO {

extern const QString kSuffix;    // ".tar.zst"
extern const QString kOldSuffix; // ".zip"

// Hears bytes as they are handled; false stops the work.
using Tick = std::function<bool(qint64 bytes)>;

// A new archive, written to `path` (the caller's ".part" name) and flushed to the disk by finish().
class Writer
{
public:
    explicit Writer(const QString& path);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool ok() const { return m_ok; }
    // What failed, with the archive library's or the system's words.
    QString error() const;

    // Starts a regular file entry of exactly `size` bytes; write() then gives them.
    bool begin(const QString& name, qint64 size, const QDateTime& modified);
    bool write(const char* data, qint64 size);
    // A whole file as one entry.
    bool addFile(const QString& file, const QString& name, const Tick& tick = {});
    // Ends the stream and makes it durable; false when anything on the way failed.
    bool finish();

    struct Sink; // the zstd stream under the tar format

private:
    bool fail(const QString& what);

    archive* m_archive = nullptr;
    std::unique_ptr<Sink> m_sink;
    bool m_ok = false;
    bool m_finished = false;
    QString m_error;
};

// An archive of either kind, read entry by entry.
class Reader
{
public:
    explicit Reader(const QString& path);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool ok() const { return m_ok; }
    QString error() const;
    // The next entry; null at the end or on an error (then error() is set and atEnd() false).
    archive_entry* next();
    bool atEnd() const { return m_atEnd; }
    enum class Extracted
    {
        Done,
        Damaged,     // the archive could not be read on
        WriteFailed, // the file could not be written
        Stopped,     // tick said stop
    };
    // The current entry's bytes into `file` (created), holes of a sparse entry included; `error` says why
    // not.
    Extracted extract(const QString& file, const Tick& tick, QString* error);
    void skip();
    // Bytes of the archive file read so far.
    qint64 consumed() const;

private:
    archive* m_archive = nullptr;
    archive_entry* m_entry = nullptr;
    bool m_ok = false;
    bool m_atEnd = false;
};

} // namespace ArchiveIO
