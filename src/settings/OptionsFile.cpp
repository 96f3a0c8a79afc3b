#include "OptionsFile.h"

#include "common/Prompt.h"
#include "modFunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

AppOptionsRecord AppOptions;
QString OptionsFile;

namespace {

const QString kEscapedMarker = QStringLiteral("{escaped}");

} // namespace

QString defaultOptionsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/Options.DAT";
}

QString encodeTemplate(const QString &templateText) {
    if (!templateText.contains('\r') && !templateText.contains('\n') &&
        !templateText.startsWith(kEscapedMarker))
        return templateText;
    QString escaped = kEscapedMarker;
    for (const QChar c : templateText) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

QString decodeTemplate(const QString &stored) {
    if (!stored.startsWith(kEscapedMarker))
        return stored;
    QString text;
    for (qsizetype i = kEscapedMarker.size(); i < stored.size(); ++i) {
        if (stored[i] == '\\' && i + 1 < stored.size()) {
            const QChar next = stored[++i];
            text += next == 'r' ? QChar('\r') : next == 'n' ? QChar('\n') : next;
        } else {
            text += stored[i];
        }
    }
    return text;
}

QString optionsFileText(const AppOptionsRecord &options) {
    return "OutputResults|" + options.OutputResults + "\r\n" + "ShowResults|" +
           QString::number(options.ShowResults) + "\r\n" + "ShowEP|" +
           QString::number(options.ShowEP) + "\r\n" + "QueryTemplate|" +
           encodeTemplate(options.QueryTemplate) + "\r\n" + "RecordLimit|" +
           (options.RecordLimit == 0 ? QString() : QString::number(options.RecordLimit)) + "\r\n" +
           "ColourCodeScript|" + QString::number(options.ColourCodeScript) + "\r\n";
}

void applyOptionsText(const QString &text, AppOptionsRecord &options) {
    QStringList lines = text.split(QRegularExpression("\r\n|\n|\r"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the last line's own end
    int counter = 0;
    for (const QString &line : lines) {
        ++counter;
        const qsizetype bar = line.indexOf('|');
        const QString value = bar < 0 ? line : line.mid(bar + 1);
        switch (counter) {
        case 1:
            options.OutputResults = value;
            break;
        case 2:
        case 3: {
            const auto state = toInt16Strict(value);
            if (!state)
                return;
            (counter == 2 ? options.ShowResults : options.ShowEP) = *state;
            break;
        }
        case 4:
            options.QueryTemplate = decodeTemplate(value);
            break;
        case 5: {
            const auto limit = roundToInt32(leadingNumber(value));
            if (!limit)
                return;
            options.RecordLimit = *limit;
            break;
        }
        case 6: {
            const auto colour = roundToInt16(leadingNumber(value));
            if (!colour)
                return;
            options.ColourCodeScript = *colour;
            break;
        }
        default:
            return;
        }
    }
}

void Read_Options() {
    QString why;
    std::optional<QString> text = Read_File(OptionsFile, &why);
    if (!text) {
        QDir().mkpath(QFileInfo(OptionsFile).path());
        QFile file(OptionsFile);
        const QByteArray defaults = optionsFileText(AppOptionsRecord{}).toUtf8();
        if (file.open(QIODevice::Append) && file.write(defaults) == defaults.size() &&
            file.flush()) {
            file.close();
            text = Read_File(OptionsFile, &why);
        } else {
            why = file.errorString();
        }
    }
    if (!text) {
        // The program runs on with the default options; the user is told once, at start-up.
        AppOptions = AppOptionsRecord{};
        bm::Prompt::current().message(
            QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
            "The options file " + QDir::toNativeSeparators(OptionsFile) +
                " could not be read or created:\n" + why +
                "\n\nThe default options are used until Brindlemark is closed.");
        return;
    }
    applyOptionsText(*text, AppOptions);
}

bool Save_Options(const AppOptionsRecord &options) {
    QDir().mkpath(QFileInfo(OptionsFile).path());
    QSaveFile file(OptionsFile);
    const QByteArray bytes = optionsFileText(options).toUtf8();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    bm::Prompt::current().message(
        QMessageBox::Warning, QMessageBox::Ok, QCoreApplication::applicationName(),
        "The options could not be saved to " + QDir::toNativeSeparators(OptionsFile) + ":\n" +
            file.errorString() + "\n\nThey stay in effect until Brindlemark is closed.");
    return false;
}
