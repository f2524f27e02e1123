#include "common/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

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

QString decode(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf8Bom)) {
        // Only the first mark is the file's: one more is a character of the first line.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return utf8.decode(bytes.sliced(kUtf8Bom.size()));
    }
    QStringDecoder decoder(kCodePage);
    requireValid(decoder);
    return decoder.decode(bytes);
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
    const QString text = decode(bytes);
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

QByteArray encodeLines(const QStringList& lines, bool utf8) {
    QString text;
    for (const QString& line : lines) text += asOneLine(line) + QLatin1String("\r\n");
    QByteArray bytes;
    if (!utf8 && tryCodePage(text, &bytes)) return bytes;
    return kUtf8Bom + text.toUtf8();
}

ReadResult readLines(const QString& path) {
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
        result.error = QStringLiteral("файл не открывается для чтения: %1").arg(file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("ошибка чтения: %1").arg(file.errorString());
        return result;
    }
    result.lines = splitLines(bytes);
    result.utf8 = bytes.startsWith(kUtf8Bom);
    return result;
}

QString readFirstLine(const QString& path, QString* error) {
    ReadResult result = readLines(path);
    if (error) *error = result.error;
    return result.error.isEmpty() ? result.lines.value(0) : QString();
}

void writeLines(const QString& path, const QStringList& lines, WriteOptions options) {
    const QFileInfo info(path);
    if (info.isDir()) throw WriteError(path, QStringLiteral("на месте файла находится папка"));
    // A file marked read-only stays as it is, also for an administrator, whom the rename below would
    // otherwise let replace it.
    constexpr QFileDevice::Permissions kAnyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && !(info.permissions() & kAnyWrite))
        throw WriteError(path, QStringLiteral("файл только для чтения"));
    const QString folder = info.absolutePath();
    if (!QDir(folder).exists()) {
        if (!options.createFolder)
            throw WriteError(path, QStringLiteral("нет папки «%1»").arg(QDir::toNativeSeparators(folder)));
        if (!QDir().mkpath(folder))
            throw WriteError(path, QStringLiteral("не удалось создать папку «%1»").arg(folder));
    }

    const QByteArray bytes = encodeLines(lines, options.utf8);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw WriteError(path, QStringLiteral("файл не открывается для записи: %1").arg(file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw WriteError(path, QStringLiteral("ошибка записи: %1").arg(reason));
    }
    if (!file.commit()) throw WriteError(path, QStringLiteral("ошибка записи: %1").arg(file.errorString()));
}

}  // namespace textfile
