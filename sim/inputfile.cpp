// SPDX-License-Identifier: MIT
#include "sim/inputfile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "no regular file";
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    const int fd;
};

} // namespace

InputFile readInputFile(const QString &path, qint64 maxBytes, const std::function<bool()> &stop)
{
    InputFile result;
    auto fail = [&](const QString &reason) {
        result.error = path + ": cannot read it: " + reason;
        return result;
    };

    // Without O_NONBLOCK opening a FIFO would wait for a writer; the status
    // then tells what the name is before anything is read.
    const Descriptor file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0)
        return fail(qt_error_string(errno));
    struct stat status = {};
    if (::fstat(file.fd, &status) != 0)
        return fail(qt_error_string(errno));
    if (!S_ISREG(status.st_mode))
        return fail("it is " + kindOf(status.st_mode) + ", not a regular file");
    const QString tooLarge = QString("larger than %1 bytes").arg(maxBytes);
    if (status.st_size > maxBytes)
        return fail(tooLarge);

    // One byte more than the status promises tells a file that grows while
    // it is read; a file of the proc file system says 0 and grows the array.
    QByteArray bytes(int(status.st_size) + 1, Qt::Uninitialized);
    qint64 size = 0;
    for (;;) {
        if (stop && stop()) {
            result.stopped = true;
            return result;
        }
        if (size == bytes.size()) {
            if (size > maxBytes)
                return fail(tooLarge);
            bytes.resize(int(std::min(maxBytes + 1, 2 * size)));
        }
        const qint64 want = std::min<qint64>(readChunkBytes, bytes.size() - size);
        const ssize_t n = ::read(file.fd, bytes.data() + size, size_t(want));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(qt_error_string(errno));
        if (n == 0)
            break;
        size += n;
    }
    bytes.truncate(int(size));
    result.bytes = std::move(bytes);
    return result;
}
