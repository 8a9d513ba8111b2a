// SPDX-License-Identifier: MIT
// Recording::parse on arbitrary bytes, against the writer: whatever it
// accepts, written again record by record, gives back the same bytes up to
// a cut-off last record, which it must name exactly when there is one; and
// the blocks it found, written by RecordingWriter to a file, read back from
// it by RecordingFile as the same blocks at the same times.
#include "fuzzcheck.h"
#include "scratchdir.h"

#include "net/wireformat.h"
#include "sim/recording.h"
#include "sim/recordingfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const RecordingParse parsed = Recording::parse(bytes, qint64(size));
    if (!parsed.error.isEmpty()) {
        check(parsed.blocks.isEmpty() && parsed.cutOff.isEmpty());
        check(!parsed.error.contains('\n'));
        return 0;
    }

    QByteArray again = Recording::header();
    qint64 previousUs = 0;
    for (const RecordedBlock &b : parsed.blocks) {
        const QByteArray block(bytes + b.offset, b.length);
        check(b.timeUs >= previousUs);
        check(b.length ==
              wire::sizeFieldBytes +
                  wire::readU16(reinterpret_cast<const unsigned char *>(bytes) + b.offset));
        again += Recording::blockRecord(b.timeUs, block);
        previousUs = b.timeUs;
    }
    check(qint64(again.size()) <= qint64(size));
    check(again == QByteArray(bytes, again.size()));
    const bool rest = qint64(again.size()) < qint64(size);
    check(rest != parsed.cutOff.isEmpty());
    if (rest)
        check(qint64(size) - again.size() <
              Recording::recordHeaderBytes + Recording::maxBlockBytes);

    static const std::string path = fuzzsupport::scratchPath("session.rec");
    RecordingWriter writer;
    check(writer.open(QString::fromStdString(path)));
    for (const RecordedBlock &b : parsed.blocks)
        check(writer.append(b.timeUs, QByteArray(bytes + b.offset, b.length)));
    RecordingFile file;
    check(file.load(writer.path()));
    check(file.cutOff().isEmpty());
    check(file.blocks().size() == parsed.blocks.size());
    for (int i = 0; i < parsed.blocks.size(); ++i) {
        check(file.blocks()[i].timeUs == parsed.blocks[i].timeUs);
        check(file.block(i) ==
              QByteArray(bytes + parsed.blocks[i].offset, parsed.blocks[i].length));
    }
    return 0;
}
