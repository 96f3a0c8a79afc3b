#pragma once

// Every cell of a result as one text, to compare with a table of expected answers: rows joined
// by "|", cells by ",", null as "(null)".

#include "db/core/Recordset.h"

#include <QString>
#include <QStringList>

inline QString recordsetCells(const bm::db::Recordset &rows) {
    QStringList out;
    for (std::size_t r = 0; r < rows.recordCount(); ++r) {
        QStringList row;
        for (int f = 0; f < rows.fieldCount(); ++f) {
            const auto value = rows.cell(r, f);
            row << (value ? QString::fromUtf8(value->data(), qsizetype(value->size()))
                          : QString("(null)"));
        }
        out << row.join(",");
    }
    return out.join("|");
}
