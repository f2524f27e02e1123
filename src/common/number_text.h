#pragma once
// A number as the operator types it and as the program's files hold it: the font size box, the
// student base's window size, the QR program's position file and the spreadsheet cells.
#include <QString>
#include <QStringView>
#include <optional>

namespace numbertext {

// Optional blanks around, optional sign, digits with "," or "." as the decimal separator; nullopt
// for any other text, an empty one included.
std::optional<double> parse(QStringView text);

// Whole numbers without decimals ("2019"), other numbers in their shortest round-trip form with
// "." ("1.5"), so that a stored number reads back as written.
QString format(double value);

}  // namespace numbertext
