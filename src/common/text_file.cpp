#include "common/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

#include "common/whole_file.h"

#include "common/system_reason.h"

namespace textfile {
namespace {

constexpr char kCodePage[] = "windows-1251";
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// Without the code page every Cyrillic file would be misread or destroyed, so its absence is a fault
// of the installation, never something to work around with Latin-1.
void requireValid(const QStringConverter& converter) {
    if (!converter.isValid())
        throw std::runtime_error("the Windows-1251 code page is not available in this Qt build");
}

// A byte-order mark (UTF-8, UTF-16 as some editors save "Unicode" text, UTF-32) names the encoding;
// anything else is the code page. `damaged` (optional) tells whether the bytes break the encoding their
// mark names: a cut-off UTF-16 file, a stray surrogate, a bad UTF-8 sequence. Such a file is refused,
// not read with replacement characters that the next save would keep and spread into the lists.
QString decode(const QByteArray& bytes, bool* damaged = nullptr) {
    if (damaged) *damaged = false;
    if (const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes)) {
        // Only the first mark is the file's: one more is a character of the first line.
        QStringDecoder decoder(*marked, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(bytes);
        // The UTF-16 decoder reports neither an odd last byte nor a lone surrogate, so the text must
        // also encode back to exactly these bytes.
        if (damaged)
            *damaged = decoder.hasError() || !text.isValidUtf16() ||
                       QStringEncoder(*marked, QStringConverter::Flag::WriteBom).encode(text) != bytes;
        return text;
    }
    QStringDecoder decoder(kCodePage);
    requireValid(decoder);
    return decoder.decode(bytes);
}

QStringList splitText(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\r')) continue;
        lines.append(text.sliced(start, i - start));
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.append(text.sliced(start));
    return lines;
}

// The encoder substitutes characters it cannot map and may pick look-alikes, so the bytes count only
// if the encoder saw no error and they decode back to the same text.
bool tryCodePage(const QString& text, QByteArray* bytes) {
    QStringEncoder encoder(kCodePage);
    requireValid(encoder);
    *bytes = encoder.encode(text);
    if (encoder.hasError()) return false;
    QStringDecoder decoder(kCodePage);
    requireValid(decoder);
    return decoder.decode(*bytes) == text;
}

QString asOneLine(QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return value;
}

}  // namespace

WriteError::WriteError(const QString& path, const QString& reason)
    : std::runtime_error(QStringLiteral("Не удалось записать файл «%1»: %2").arg(path, reason).toStdString()),
      path_(path),
      reason_(reason) {}

QStringList splitLines(const QByteArray& bytes) {
    return splitText(decode(bytes));
}

QByteArray encodeLines(const QStringList& lines, bool utf8) {
    QString text;
    for (const QString& line : lines) text += asOneLine(line) + QLatin1String("\r\n");
    QByteArray bytes;
    if (!utf8 && tryCodePage(text, &bytes)) return bytes;
    return kUtf8Bom + text.toUtf8();
}

ReadResult readLines(const QString& path) {
    return readLines(path, ReadResult{});
}

ReadResult readLines(const QString& path, const ReadResult& known) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) return result;
    result.exists = true;
    if (info.isDir()) {
        result.error = QStringLiteral("на месте файла находится папка");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error =
            QStringLiteral("файл не открывается для чтения: %1").arg(systemReason(file.errorString()));
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("ошибка чтения: %1").arg(systemReason(file.errorString()));
        return result;
    }
    // Decoding is the dear part of a read; the same bytes give the same lines.
    if (known.exists && known.error.isEmpty() && bytes == known.bytes) return known;
    return readBytes(bytes);
}

ReadResult readBytes(const QByteArray& bytes) {
    ReadResult result;
    result.exists = true;
    bool damaged = false;
    const QString text = decode(bytes, &damaged);
    if (damaged) {
        const auto encoding = QStringConverter::nameForEncoding(*QStringConverter::encodingForData(bytes));
        result.error = QStringLiteral(
                           "текст повреждён: байты не в кодировке %1, которую называет метка в "
                           "начале файла")
                           .arg(QString::fromLatin1(encoding));
        return result;
    }
    result.lines = splitText(text);
    result.utf8 = bytes.startsWith(kUtf8Bom);
    result.bytes = bytes;
    return result;
}

QString readFirstLine(const QString& path, QString* error) {
    ReadResult result = readLines(path);
    if (error) *error = result.error;
    return result.error.isEmpty() ? result.lines.value(0) : QString();
}

void writeLines(const QString& path, const QStringList& lines, WriteOptions options) {
    writeEncoded(path, encodeLines(lines, options.utf8), options);
}

void writeEncoded(const QString& path, const QByteArray& bytes, WriteOptions options) {
    const QFileInfo info(path);
    if (info.isDir()) throw WriteError(path, QStringLiteral("на месте файла находится папка"));
    const QString folder = info.absolutePath();
    if (!QDir(folder).exists()) {
        if (!options.createFolder)
            throw WriteError(path, QStringLiteral("нет папки «%1»").arg(QDir::toNativeSeparators(folder)));
        if (!QDir().mkpath(folder))
            throw WriteError(path, QStringLiteral("не удалось создать папку «%1»").arg(folder));
    }

    const QString failure = writeWholeFile(path, bytes);
    if (!failure.isEmpty()) throw WriteError(path, failure);
}

bool writeLinesIfChanged(const QString& path, const QStringList& lines, const ReadResult& current,
                         WriteOptions options) {
    const QByteArray bytes = encodeLines(lines, options.utf8);
    if (current.exists && current.error.isEmpty() && bytes == current.bytes) return false;
    writeEncoded(path, bytes, options);
    return true;
}

}  // namespace textfile
