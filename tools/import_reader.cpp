#include "import_reader.h"

#include "csv.h"
#include "engine/error.h"
#include "field_values.h"

#include <QFile>
#include <QStringDecoder>

namespace tool {

namespace {

// The file's text; a problem (and nothing) when it cannot be read or is no UTF-8.
std::optional<QString> readText(const QString& path, std::vector<ImportProblem>& problems) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problems.push_back({path, 0, QStringLiteral("cannot be read: %1").arg(file.errorString())});
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        const qsizetype bad = text.indexOf(QChar::ReplacementCharacter);
        const int line = bad < 0 ? 1 : int(QStringView(text).left(bad).count(u'\n')) + 1;
        problems.push_back({path, line, QStringLiteral("the file is not UTF-8 text")});
        return std::nullopt;
    }
    return text;
}

} // namespace

ImportedTable readImportFile(const QString& path, const engine::TableDef& table,
                             std::vector<ImportProblem>& problems) {
    ImportedTable result;
    result.def = &table;
    result.file = path;
    const std::optional<QString> text = readText(path, problems);
    if (!text)
        return result;
    std::vector<csv::Record> records;
    csv::ParseError parseError;
    if (!csv::parse(*text, records, parseError)) {
        problems.push_back({path, parseError.line, parseError.message});
        return result;
    }
    if (records.empty()) {
        problems.push_back({path, 1, QStringLiteral("the header row of field names is missing")});
        return result;
    }

    const FieldRules rules(table);
    const csv::Record& header = records.front();
    std::vector<int> fieldOfColumn;
    std::vector<bool> named(table.fields.size(), false);
    bool headerSound = true;
    for (const QString& name : header.fields) {
        const int field = rules.fieldIndex(name.trimmed());
        if (field < 0) {
            problems.push_back(
                {path, header.line,
                 QStringLiteral("the table %1 has no field '%2'").arg(table.tableName, name)});
            headerSound = false;
        } else if (named[std::size_t(field)]) {
            problems.push_back(
                {path, header.line, QStringLiteral("the field '%1' is named twice").arg(name)});
            headerSound = false;
        } else {
            named[std::size_t(field)] = true;
        }
        fieldOfColumn.push_back(field);
    }
    if (!headerSound)
        return result;

    // A field the file leaves out is empty in every row: the required ones must be there.
    std::vector<int> missing;
    for (int field = 0; field < rules.fieldCount(); ++field) {
        if (!named[std::size_t(field)])
            missing.push_back(field);
    }

    result.rows.reserve(records.size() - 1);
    for (std::size_t r = 1; r < records.size(); ++r) {
        const csv::Record& record = records[r];
        if (record.fields.size() != header.fields.size()) {
            problems.push_back({path, record.line,
                                QStringLiteral("%1 values where the header names %2 fields")
                                    .arg(record.fields.size())
                                    .arg(header.fields.size())});
            continue;
        }
        ImportedRow row;
        row.line = record.line;
        row.values.resize(table.fields.size());
        auto take = [&](int field, const QString& text) {
            try {
                row.values[std::size_t(field)] = rules.parse(field, text);
            } catch (const engine::Error& e) {
                problems.push_back(
                    {path, record.line,
                     QStringLiteral("%1: %2").arg(rules.field(field).name, e.message())});
                row.sound = false;
            }
        };
        for (qsizetype column = 0; column < record.fields.size(); ++column)
            take(fieldOfColumn[std::size_t(column)], record.fields[column]);
        for (const int field : missing)
            take(field, QString());
        result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace tool
