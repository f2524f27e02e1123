// The text file reader on any bytes: a file it reads (one it refuses is fine), written back as the
// saves write it and read again, gives the same lines.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "common/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const textfile::ReadResult read =
        textfile::readBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!read.error.isEmpty()) return 0;
    // As the saves do: a file that came in UTF-8 stays UTF-8.
    const textfile::ReadResult again = textfile::readBytes(textfile::encodeLines(read.lines, read.utf8));
    if (again.error.isEmpty() && again.lines == read.lines) return 0;
    std::fprintf(stderr, "written and read again: [%s] -> [%s] %s\n",
                 read.lines.join(u'|').toUtf8().constData(), again.lines.join(u'|').toUtf8().constData(),
                 again.error.toUtf8().constData());
    std::abort();
}
