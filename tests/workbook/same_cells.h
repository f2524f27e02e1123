#pragma once
// What a workbook's export must keep: its sheets in order, the active one, and every cell's value.
// Shared by the workbook tests and the loader's fuzz target.
#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "workbook/workbook.h"

// The first difference between the sheets and cells of two workbooks; empty when they hold the same.
inline QString cellDifference(const workbook::Workbook& a, const workbook::Workbook& b) {
    if (a.sheetNames() != b.sheetNames())
        return QStringLiteral("sheets [%1] became [%2]")
            .arg(a.sheetNames().join(u'|'), b.sheetNames().join(u'|'));
    if (a.activeSheet().name() != b.activeSheet().name())
        return QStringLiteral("active sheet %1 became %2")
            .arg(a.activeSheet().name(), b.activeSheet().name());
    for (const QString& name : a.sheetNames()) {
        const auto before = a.sheet(name)->filledCells();
        const auto after = b.sheet(name)->filledCells();
        for (size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
            if (i < before.size() && i < after.size() && before[i] == after[i]) continue;
            const auto describe = [](const std::vector<workbook::Worksheet::FilledCell>& cells, size_t i) {
                if (i >= cells.size()) return QStringLiteral("nothing");
                const auto& c = cells[i];
                return QStringLiteral("R%1C%2 kind %3 \"%4\" %5")
                    .arg(c.row)
                    .arg(c.column)
                    .arg(int(c.value.kind))
                    .arg(c.value.text)
                    .arg(c.value.number);
            };
            return QStringLiteral("sheet %1: %2 became %3")
                .arg(name, describe(before, i), describe(after, i));
        }
    }
    return {};
}
