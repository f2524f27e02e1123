#include "common/text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "common/whole_file.h"
#include "platform/program_folder.h"

namespace textfile {
namespace {

constexpr char kCodePage[] = "windows-1251";
const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QString kNotOneByteEach =
    QStringLiteral("кодовая страница Windows-1251 этой сборки Qt не даёт одного знака на байт");

// Without the code page every Cyrillic file would be misread or destroyed, so its absence is a fault
// of the installation, never something to work around with Latin-1.
void requireValid(const QStringConverter& converter) {
    if (!converter.isValid())
        throw ui::Error(QStringLiteral("в этой сборке Qt нет кодовой страницы Windows-1251"));
}

// Windows-1251 gives each byte one character. Its table, taken once from the converter itself, codes
// exactly as the converter does without the converter's cost for each line: a character is written in
// the code page only if the converter maps it without error to a byte that reads back as it.
class CodePageTable {
public:
    static const CodePageTable& get() {
        static const std::unique_ptr<const CodePageTable> table = build();
        return *table;
    }

    QChar toChar(char byte) const { return toChar_[quint8(byte)]; }
    // The byte, or -1 when the character has none.
    int toByte(QChar c) const { return toByte_[c.unicode()]; }

private:
    static std::unique_ptr<const CodePageTable> build() {
        auto table = std::make_unique<CodePageTable>();
        // All 256 bytes through one converter each way: a converter costs far more to open than to run.
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b) bytes[b] = char(b);
        QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
        requireValid(decoder);
        const QString chars = decoder.decode(bytes);
        if (chars.size() != 256) throw ui::Error(kNotOneByteEach);
        for (int b = 0; b < 256; ++b) table->toChar_[b] = chars[b];
        // Lines are cut at CR and LF: only the CR byte may read as CR, only the LF byte as LF.
        for (int b = 0; b < 256; ++b)
            if ((table->toChar_[b] == QLatin1Char('\r')) != (b == '\r') ||
                (table->toChar_[b] == QLatin1Char('\n')) != (b == '\n'))
                throw ui::Error(kNotOneByteEach);
        table->toByte_.fill(-1);
        // A character without a byte comes back as a stand-in byte that reads as another character.
        QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
        const QByteArray back = encoder.encode(chars);
        if (back.size() != 256) throw ui::Error(kNotOneByteEach);
        for (int b = 0; b < 256; ++b) {
            const QChar c = table->toChar_[b];
            if (table->toChar_[quint8(back[b])] == c) table->toByte_[c.unicode()] = qint16(quint8(back[b]));
        }
        return table;
    }

    std::array<QChar, 256> toChar_;
    std::array<qint16, 65536> toByte_;
};

// A byte-order mark (UTF-8, UTF-16 as some editors save "Unicode" text, UTF-32) names the encoding;
// anything else is the code page. `damaged` (optional) tells whether the bytes break the encoding their
// mark names: a cut-off UTF-16 file, a stray surrogate, a bad UTF-8 sequence. Such a file is refused,
// not read with replacement characters that the next save would keep and spread into the lists.
QString decodeMarked(const QByteArray& bytes, QStringConverter::Encoding marked, bool* damaged) {
    // Only the first mark is the file's: one more is a character of the first line.
    QStringDecoder decoder(marked, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    // The UTF-16 decoder reports neither an odd last byte nor a lone surrogate, so the text must
    // also encode back to exactly these bytes. An empty text encodes to nothing, not even its mark:
    // then the bytes must be the mark alone.
    QByteArray expected = QStringEncoder(marked, QStringConverter::Flag::WriteBom).encode(text);
    if (text.isEmpty()) {
        const QString a = QStringLiteral("a");
        const QByteArray withMark = QStringEncoder(marked, QStringConverter::Flag::WriteBom).encode(a);
        const QByteArray bare = QStringEncoder(marked).encode(a);
        expected = withMark.chopped(bare.size());
    }
    *damaged = decoder.hasError() || !text.isValidUtf16() || expected != bytes;
    return text;
}

// Lines end at CR, and CR LF is one end; a lone LF ends a line as `lf` says, and a last line
// without an end is a line too. `take` gets each line's first and past-the-end character.
template <class Char, class Take>
void cutLines(const Char* start, const Char* const end, LoneLf lf, Take take) {
    const auto isBreak = [](Char c) { return c == Char('\r') || c == Char('\n'); };
    while (start != end) {
        const Char* const stop =
            lf == LoneLf::InLine ? std::find(start, end, Char('\r')) : std::find_if(start, end, isBreak);
        take(start, stop);
        if (stop == end) break;
        start = stop + 1;
        if (*stop == Char('\r') && start != end && *start == Char('\n')) ++start;
    }
}

// The code page gives one character a byte, and CR only from the CR byte: its lines are cut on the
// bytes and each decoded once, without a decoded copy of the whole text in between.
QStringList splitCodePage(const QByteArray& bytes, LoneLf lf) {
    const CodePageTable& table = CodePageTable::get();
    QStringList lines;
    cutLines(bytes.constData(), bytes.constData() + bytes.size(), lf, [&](const char* from, const char* to) {
        QString line(to - from, Qt::Uninitialized);
        QChar* out = line.data();
        for (; from != to; ++from) *out++ = table.toChar(*from);
        lines.append(std::move(line));
    });
    return lines;
}

QStringList splitText(const QString& text, LoneLf lf) {
    QStringList lines;
    cutLines(text.constData(), text.constData() + text.size(), lf,
             [&](const QChar* from, const QChar* to) { lines.append(QString(from, to - from)); });
    return lines;
}

QString asOneLine(QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return value;
}

// The lines as encodeLines writes them in the code page, or nothing when a character does not fit.
std::optional<QByteArray> inCodePage(const QStringList& lines) {
    const CodePageTable& table = CodePageTable::get();
    qsizetype size = 0;
    for (const QString& line : lines) size += line.size() + 2;
    QByteArray bytes(size, Qt::Uninitialized);
    char* out = bytes.data();
    const auto put = [&](QChar c) {
        const int b = table.toByte(c);
        if (b < 0) return false;
        *out++ = char(b);
        return true;
    };
    for (const QString& line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            QChar c = line[i];
            // As asOneLine: CR LF or a lone CR inside a line becomes a lone LF.
            if (c == QLatin1Char('\r')) {
                if (i + 1 < line.size() && line[i + 1] == QLatin1Char('\n')) continue;
                c = QLatin1Char('\n');
            }
            if (!put(c)) return std::nullopt;
        }
        if (!put(QLatin1Char('\r')) || !put(QLatin1Char('\n'))) return std::nullopt;
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

}  // namespace

QStringList splitLines(const QByteArray& bytes, LoneLf lf) {
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    if (!marked) return splitCodePage(bytes, lf);
    bool damaged = false;
    return splitText(decodeMarked(bytes, *marked, &damaged), lf);
}

QByteArray encodeLines(const QStringList& lines, bool utf8) {
    // Code page bytes that begin as a byte-order mark ("яю", "юя", "п»ї") would be read back in the
    // encoding the mark names, garbled: such a file is written in UTF-8 after its own mark.
    if (!utf8)
        if (std::optional<QByteArray> bytes = inCodePage(lines);
            bytes && !QStringConverter::encodingForData(*bytes))
            return *std::move(bytes);
    QString text;
    for (const QString& line : lines) text += asOneLine(line) + QLatin1String("\r\n");
    return kUtf8Bom + text.toUtf8();
}

ReadResult readLines(const QString& path, LoneLf lf) {
    return readLines(path, ReadResult{}, lf);
}

ReadResult readLines(const QString& path, const ReadResult& known, LoneLf lf) {
    ReadResult result;
    const QByteArray bytes = readWholeFile(path, &result.error, &result.exists, &result.busy);
    if (!result.exists || !result.error.isEmpty()) return result;
    // Decoding is the dear part of a read; the same bytes give the same lines.
    if (known.exists && known.error.isEmpty() && bytes == known.bytes) return known;
    return readBytes(bytes, lf);
}

ReadResult readBytes(const QByteArray& bytes, LoneLf lf) {
    ReadResult result;
    result.exists = true;
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    if (!marked) {
        result.lines = splitCodePage(bytes, lf);
        result.bytes = bytes;
        return result;
    }
    bool damaged = false;
    const QString text = decodeMarked(bytes, *marked, &damaged);
    if (damaged) {
        const auto encoding = QStringConverter::nameForEncoding(*marked);
        result.error = QStringLiteral(
                           "текст повреждён: байты не в кодировке %1, которую называет метка в "
                           "начале файла")
                           .arg(QString::fromLatin1(encoding));
        return result;
    }
    result.lines = splitText(text, lf);
    result.utf8 = bytes.startsWith(kUtf8Bom);
    result.bytes = bytes;
    return result;
}

ReadResult readEncoded(const QStringList& lines, const QByteArray& bytes) {
    // A line holds no CR and no surrogate: then encodeLines wrote it unchanged, and its encoding
    // reads back exactly. A lone byte-order mark is a case of its own.
    if (lines.isEmpty()) return readBytes(bytes);
    for (const QString& line : lines)
        for (const QChar c : line)
            if (c == QLatin1Char('\r') || c.isSurrogate()) return readBytes(bytes);
    ReadResult result;
    result.exists = true;
    result.lines = lines;
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
    if (std::optional<ui::Error> failure = writeEncodedFiles({{path, bytes, options}}).front())
        throw *failure;
}

std::vector<std::optional<ui::Error>> writeEncodedFiles(const std::vector<EncodedFile>& files) {
    std::vector<std::optional<ui::Error>> failures(files.size());
    std::vector<WholeFile> whole;
    std::vector<std::size_t> wholeOf;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString& path = files[i].path;
        // A folder that stays missing is named by the write itself.
        const QString folder = QFileInfo(path).absolutePath();
        if (files[i].options.createFolder && !QDir(folder).exists()) {
            if (!QDir().mkpath(folder)) {
                failures[i].emplace(
                    path, QStringLiteral("не удалось создать папку «%1»").arg(ui::shownPath(folder)));
                continue;
            }
        }
        whole.push_back({path, files[i].bytes});
        wholeOf.push_back(i);
    }
    const QStringList reasons = writeWholeFiles(whole);
    for (std::size_t k = 0; k < whole.size(); ++k)
        if (!reasons[qsizetype(k)].isEmpty())
            failures[wholeOf[k]].emplace(whole[k].path, reasons[qsizetype(k)]);
    return failures;
}

std::optional<EncodedFile> changedFile(const QString& path, const QStringList& lines,
                                       const ReadResult& current, WriteOptions options) {
    QByteArray bytes = encodeLines(lines, options.utf8);
    if (current.exists && current.error.isEmpty() && bytes == current.bytes) return std::nullopt;
    return EncodedFile{path, std::move(bytes), options};
}

}  // namespace textfile
