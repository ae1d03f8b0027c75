#include "exchange/spreadsheet_writer.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/win1250.h"
#include "exchange/row_stream.h"
#include "exchange/workbook_check.h"

namespace {

// The longest text a cell holds.
constexpr qsizetype cellTextLimit = 32767;

std::filesystem::path fsPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// Characters below blank other than tab and line breaks cannot stand in the sheet's XML.
QByteArray cellText(const QString& text) {
    QString clean = text.size() > cellTextLimit ? text.left(cellTextLimit) : text;
    for (QChar& c : clean) {
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') c = u' ';
    }
    return clean.toUtf8();
}

// The sheet's UTF-8 of each stored Windows-1250 byte, as cellText() makes it: a text cell is
// written straight from the fetched bytes, without a QString in between.
struct ByteTexts {
    std::array<QByteArray, 256> utf8;
    ByteTexts() {
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            utf8[static_cast<size_t>(b)] = cellText(win1250::decode(&byte, 1));
        }
    }
};

// Writes `bytes` into `out` as the UTF-8 text cellText() gives for their decoded text.
void storedText(QByteArrayView bytes, QByteArray& out) {
    static const ByteTexts table;
    out.clear();
    for (const char byte : bytes.first(std::min(bytes.size(), cellTextLimit)))
        out.append(table.utf8[static_cast<unsigned char>(byte)]);
}

class Workbook {
public:
    explicit Workbook(const QByteArray& fileName) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(fileName.constData(), &options);
        if (m_book) m_sheet = workbook_add_worksheet(m_book, nullptr);
    }
    ~Workbook() {
        if (m_book) lxw_workbook_free(m_book);  // after a failure: nothing is written
    }
    bool valid() const { return m_sheet != nullptr; }
    lxw_workbook* book() { return m_book; }
    lxw_worksheet* sheet() { return m_sheet; }
    // Writes the file; false when that failed.
    bool close() {
        lxw_workbook* book = m_book;
        m_book = nullptr;
        return workbook_close(book) == LXW_NO_ERROR;
    }

private:
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
};

struct ColumnFormats {
    lxw_format* header = nullptr;
    lxw_format* data = nullptr;
    lxw_format* date = nullptr;
};

lxw_format* alignedFormat(lxw_workbook* book, bool right) {
    lxw_format* format = workbook_add_format(book);
    format_set_align(format, right ? LXW_ALIGN_RIGHT : LXW_ALIGN_LEFT);
    return format;
}

lxw_error writeValue(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const Value& value,
                     const ColumnFormats& formats) {
    switch (value.kind()) {
        case Value::Kind::Null:
            return LXW_NO_ERROR;
        case Value::Kind::Integer:
        case Value::Kind::Decimal:
        case Value::Kind::Double: {
            const double number = value.asDouble();
            if (!std::isfinite(number)) return LXW_NO_ERROR;
            return worksheet_write_number(sheet, row, col, number, formats.data);
        }
        case Value::Kind::Date:
        case Value::Kind::Timestamp: {
            const QDate date = value.asDate();
            // The spreadsheet's dates start at 1900; an earlier one stays readable as text.
            if (date.year() < 1900 || date.year() > 9999) {
                return worksheet_write_string(sheet, row, col, cellText(value.asText()).constData(),
                                              formats.data);
            }
            // The sheet's day number, counted here: the library's own conversion costs more
            // than the rest of a row. From March 1900 on it is the days since 1899-12-30; the
            // first two months of 1900 keep the library's handling of the sheet's leap-day rule.
            if (date >= QDate(1900, 3, 1)) {
                const double day = static_cast<double>(QDate(1899, 12, 30).daysTo(date));
                return worksheet_write_number(sheet, row, col, day, formats.date);
            }
            lxw_datetime when{date.year(), date.month(), date.day(), 0, 0, 0};
            return worksheet_write_datetime(sheet, row, col, &when, formats.date);
        }
        case Value::Kind::Text:
            return worksheet_write_string(sheet, row, col, cellText(value.asText()).constData(),
                                          formats.data);
    }
    return LXW_NO_ERROR;
}

QString libraryError(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}

}  // namespace

QString writeWorkbook(const QString& path, const QList<SheetColumn>& columns, RowStream& rows,
                      const std::function<void()>& onRow) {
    const QFileInfo target(path);
    if (!target.absoluteDir().exists()) {
        return QStringLiteral("A mappa nem létezik: %1")
            .arg(QDir::toNativeSeparators(target.absolutePath()));
    }
    // Reserves a fresh name beside the target; the library writes the workbook under it.
    QTemporaryFile temporary(
        target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!temporary.open()) {
        return QStringLiteral("A fájl nem írható: %1 (%2)")
            .arg(QDir::toNativeSeparators(path), temporary.errorString());
    }
    const QString temporaryName = temporary.fileName();
    // The workbook is the user's file: readable as any file the user saves, not private.
    temporary.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                             QFile::ReadOther);
    temporary.close();

    Workbook workbook(QFile::encodeName(temporaryName));
    if (!workbook.valid()) return QStringLiteral("A munkafüzet nem hozható létre.");
    lxw_workbook* book = workbook.book();
    lxw_worksheet* sheet = workbook.sheet();

    // One format per kind and alignment, shared by the columns: the library looks up a format
    // that equals an earlier one again on every cell, which would cost more than the cell.
    ColumnFormats byAlignment[2];
    for (const bool right : {false, true}) {
        ColumnFormats& f = byAlignment[right ? 1 : 0];
        f.header = alignedFormat(book, right);
        format_set_bold(f.header);
        f.data = alignedFormat(book, right);
        f.date = alignedFormat(book, right);
        format_set_num_format(f.date, "yyyy.mm.dd");
    }
    const int columnCount = rows.fieldCount();
    std::vector<ColumnFormats> formats(static_cast<size_t>(columnCount));
    for (int c = 0; c < columnCount; ++c) {
        const SheetColumn column = c < columns.size() ? columns.at(c) : SheetColumn{};
        formats[static_cast<size_t>(c)] = byAlignment[column.rightAligned ? 1 : 0];
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             column.width, formats[static_cast<size_t>(c)].data);
    }

    for (int c = 0; c < columnCount; ++c) {
        const lxw_error error =
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c),
                                   cellText(rows.fieldNames().at(c).toUpper()).constData(),
                                   formats[static_cast<size_t>(c)].header);
        if (error != LXW_NO_ERROR) return libraryError(error);
    }

    std::vector<bool> textColumn(static_cast<size_t>(columnCount));
    for (int c = 0; c < columnCount; ++c)
        textColumn[static_cast<size_t>(c)] = rows.fieldTypes().at(c) == FieldType::Text;
    QByteArray utf8;
    lxw_row_t row = 1;
    while (rows.next()) {
        if (row > static_cast<lxw_row_t>(sheetDataRowLimit)) {
            return QStringLiteral("A munkalap legfeljebb %1 adatsort fogad.")
                .arg(sheetDataRowLimit);
        }
        for (int c = 0; c < columnCount; ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            const ColumnFormats& format = formats[static_cast<size_t>(c)];
            QByteArrayView stored;
            lxw_error error = LXW_NO_ERROR;
            if (textColumn[static_cast<size_t>(c)] && rows.bytes(c, stored)) {
                storedText(stored, utf8);
                error = worksheet_write_string(sheet, row, col, utf8.constData(), format.data);
            } else {
                error = writeValue(sheet, row, col, rows.value(c), format);
            }
            if (error != LXW_NO_ERROR) return libraryError(error);
        }
        ++row;
        if (onRow) onRow();
    }

    if (!workbook.close()) {
        return QStringLiteral("A munkafüzet írása nem sikerült: %1")
            .arg(QDir::toNativeSeparators(path));
    }
    // A full disk under the library's temporary files leaves a short part behind its success.
    const QString unfinished = unfinishedWorkbookPart(temporaryName);
    if (!unfinished.isEmpty()) {
        return QStringLiteral("A munkafüzet írása nem sikerült: %1 (%2)")
            .arg(QDir::toNativeSeparators(path), unfinished);
    }
    std::error_code renameError;
    std::filesystem::rename(fsPath(temporaryName), fsPath(path), renameError);
    if (renameError) {
        return QStringLiteral("A fájl nem írható: %1 (%2)")
            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(renameError.message()));
    }
    return {};
}
