#include "common/number_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace numbertext {

std::optional<double> parse(QStringView text) {
    const QStringView t = text.trimmed();
    std::string ascii;
    ascii.reserve(t.size());
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        if (t[i] == u'-') ascii += '-';
        ++i;
    }
    int digits = 0;
    bool separator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            ascii += char(c.unicode());
            ++digits;
        } else if ((c == u'.' || c == u',') && !separator) {
            ascii += '.';
            separator = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    double result = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), result);
    if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return result;
}

QString format(double value) {
    if (value == 0) return QStringLiteral("0");  // also -0
    // Below 1e15 a whole double is exact and short as an integer; larger ones read better as 1e+15.
    if (std::trunc(value) == value && std::fabs(value) < 1e15) return QString::number(qint64(value));
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, ec == std::errc() ? end - buffer : 0);
}

}  // namespace numbertext
