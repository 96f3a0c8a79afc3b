#include "ResultWriters.h"

#include "DelimitedText.h"
#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "frmQuery.h"
#include "sql/AppError.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSaveFile>

namespace {

// Into the window's string builder.
struct BuilderSink {
    cString &builder;
    void append(std::string_view text) { builder.CatUtf8(text); }
};

// Into a file, in large blocks.
struct FileSink {
    QSaveFile &file;
    std::string block;
    bool failed = false;
    void append(std::string_view text) {
        block.append(text);
        if (block.size() >= (1u << 20))
            flush();
    }
    void flush() {
        if (!failed && !block.empty() &&
            file.write(block.data(), static_cast<qint64>(block.size())) !=
                static_cast<qint64>(block.size()))
            failed = true;
        block.clear();
    }
};

} // namespace

void ResultWriters::Load_Recordset_Into_Text(const bm::db::Recordset *recordset,
                                             const QString &delimiter) {
    if (!recordset)
        return;
    try {
        cString &builder = *window_.ResultBuilder;
        builder.setText("");
        BuilderSink sink{builder};
        const std::size_t records = writeDelimited(*recordset, delimiter.toStdString(), sink);
        window_.txtResults->setPlainText(builder.Text());
        window_.RecordCount = QString::number(records);
        builder.setText(""); // the pane holds the text now
    } catch (...) {
        // The text pane is left as it was; the messages pane says why nothing new is in it.
        window_.ResultBuilder->setText("");
        window_.BatchHasErrors = true;
        window_.Add_Message("The results could not be shown as text: " +
                            QString::fromStdString(bm::currentError().description()));
    }
}

void ResultWriters::Load_RecordSet_Into_File(const bm::db::Recordset *recordset,
                                             const QString &delimiter) {
    if (!recordset)
        return;
    runReporting("..MDIMain.Load_RecordSet_Into_File", [&] {
        Save_Results_File(*recordset, delimiter);
        const QString records = QString::number(recordset->recordCount());
        window_.RecordCount = records;
        window_.statusPanel("reccount")->setText(records + " rows");
    });
}

bool ResultWriters::Save_Results_File(const bm::db::Recordset &recordset,
                                      const QString &delimiter) {
    const QString name =
        bm::Prompt::current().saveFileName("Save As", bm::dialogFilter(kResultsFilter), {}, "sql");
    if (name.isEmpty())
        return false; // cancelled: nothing written, nothing said
    QSaveFile file(name);
    bool written = false;
    if (file.open(QIODevice::WriteOnly)) {
        FileSink sink{file, {}};
        sink.block.reserve(1u << 21);
        writeDelimited(recordset, delimiter.toStdString(), sink);
        sink.append("\r\n");
        sink.flush();
        written = !sink.failed && file.commit();
    }
    if (!written) {
        bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
            "The results could not be saved to " + QDir::toNativeSeparators(name) + ":\n" +
                file.errorString());
    }
    return written;
}
