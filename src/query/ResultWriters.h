#pragma once

// The text and file outputs of a SELECT statement.

#include "db/core/Recordset.h"

#include <QString>
#include <memory>

class frmQuery;

class ResultWriters {
public:
    explicit ResultWriters(frmQuery &window) : window_(window) {}

    // The comma-separated text into the text pane; RecordCount = the records written. Any
    // failure leaves the pane unchanged.
    void Load_Recordset_Into_Text(const bm::db::Recordset *recordset, const QString &delimiter);
    // The same text into a file the user chooses; RecordCount and the "reccount" panel are set
    // whether or not a file was chosen.
    void Load_RecordSet_Into_File(const bm::db::Recordset *recordset, const QString &delimiter);

    static inline const QString kResultsFilter =
        "Text File (*.txt)|*.txt|Microsoft Excel File (*.xls)|*.xls|All Files (*.*)|*.*";

private:
    // Asks for a file and writes the text to it, whole or not at all; a failed write is told to
    // the user with its reason. False when nothing was written.
    bool Save_Results_File(const bm::db::Recordset &recordset, const QString &delimiter);

    frmQuery &window_;
};
