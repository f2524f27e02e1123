// The text file reader on any bytes: the lines it reads, written and read again, are the same lines.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "common/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = textfile::splitLines(bytes);
    const QStringList again = textfile::splitLines(textfile::encodeLines(lines));
    if (again != lines) {
        std::fprintf(stderr, "written and read again, %lld lines became %lld: [%s] -> [%s]\n",
                     static_cast<long long>(lines.size()), static_cast<long long>(again.size()),
                     lines.join(u'|').toUtf8().constData(), again.join(u'|').toUtf8().constData());
        std::abort();
    }
    return 0;
}
