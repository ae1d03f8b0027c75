#include "core/database.h"

#include <firebird/Interface.h>

#include <QStringList>
#include <cerrno>
#include <cstring>

#include "core/errors.h"
#include "core/win1250.h"

using namespace Firebird;

namespace {
constexpr unsigned win1250CharsetId = 51;
constexpr unsigned dialect = 3;

IMaster* master() {
    static IMaster* m = fb_get_master_interface();
    return m;
}

// Status for one call: a Firebird error becomes a DbError carrying the server's text.
class Status {
public:
    Status() : m_status(master()->getStatus()), m_wrapper(m_status) {}
    ~Status() { m_status->dispose(); }
    ThrowStatusWrapper* operator&() { return &m_wrapper; }

private:
    IStatus* m_status;
    ThrowStatusWrapper m_wrapper;
};

QString statusText(IStatus* status) {
    char buffer[2048];
    master()->getUtilInterface()->formatStatus(buffer, sizeof buffer, status);
    return win1250::decode(buffer, static_cast<qsizetype>(std::strlen(buffer)));
}

// Whether the engine's error carries the operating system's "No such file or directory".
bool namesMissingFile(IStatus* status) {
    const intptr_t* v = status->getErrors();
    while (v && *v != isc_arg_end) {
        const intptr_t kind = *v++;
        if (kind == isc_arg_cstring) {
            v += 2;  // length and text
            continue;
        }
        if (kind == isc_arg_unix && *v == ENOENT) return true;
        ++v;
    }
    return false;
}

// Whether the engine's error is the server's refusal of the user name and password.
bool refusesLogin(IStatus* status) {
    const intptr_t* v = status->getErrors();
    while (v && *v != isc_arg_end) {
        const intptr_t kind = *v++;
        if (kind == isc_arg_cstring) {
            v += 2;
            continue;
        }
        if (kind == isc_arg_gds && *v == isc_login) return true;
        ++v;
    }
    return false;
}

// Runs a Firebird call; its FbException becomes a DbError.
template <class Fn>
auto call(Fn&& fn) -> decltype(fn(std::declval<ThrowStatusWrapper*>())) {
    Status status;
    try {
        return fn(&status);
    } catch (const FbException& e) {
        throw DbError(statusText(e.getStatus()));
    }
}

// Row packing: per column a kind byte, then its payload.
enum Tag : unsigned char { TagNull, TagText, TagInt, TagDecimal, TagDouble, TagDate, TagTimestamp };

void putRaw(QByteArray& row, const void* data, int size) {
    row.append(static_cast<const char*>(data), size);
}
void putLength(QByteArray& row, quint32 n) {
    while (n >= 0x80) {
        row.append(static_cast<char>((n & 0x7F) | 0x80));
        n >>= 7;
    }
    row.append(static_cast<char>(n));
}
quint32 getLength(const char*& p) {
    quint32 n = 0;
    int shift = 0;
    for (;;) {
        const auto b = static_cast<unsigned char>(*p++);
        n |= static_cast<quint32>(b & 0x7F) << shift;
        if (!(b & 0x80)) return n;
        shift += 7;
    }
}
template <class T>
T getRaw(const char*& p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}

// A SMALLINT, INTEGER or BIGINT column's stored value, before its scale.
qint64 storedInteger(unsigned type, const unsigned char* p) {
    return type == SQL_SHORT  ? *reinterpret_cast<const qint16*>(p)
           : type == SQL_LONG ? *reinterpret_cast<const qint32*>(p)
                              : *reinterpret_cast<const qint64*>(p);
}

QDate fromIscDate(ISC_DATE d) {
    unsigned y, m, day;
    master()->getUtilInterface()->decodeDate(d, &y, &m, &day);
    return QDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(day));
}
}  // namespace

ParsedSql parseNamedParameters(const QString& sql) {
    ParsedSql out;
    out.sql.reserve(sql.size());
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            out.sql += c;
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out.sql += c;
            continue;
        }
        if (c == ':' && i + 1 < sql.size() && (sql.at(i + 1).isLetter() || sql.at(i + 1) == '_')) {
            qsizetype j = i + 1;
            while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == '_')) ++j;
            out.params << sql.mid(i + 1, j - i - 1).toLower();
            out.sql += '?';
            i = j - 1;
            continue;
        }
        out.sql += c;
    }
    return out;
}

std::vector<Value> positionalValues(const ParsedSql& parsed,
                                    const std::map<QString, Value>& named) {
    std::vector<Value> values;
    values.reserve(static_cast<size_t>(parsed.params.size()));
    for (const QString& name : parsed.params) {
        const auto it = named.find(name);
        values.push_back(it == named.end() ? Value() : it->second);
    }
    return values;
}

struct Cursor::Column {
    unsigned type;
    int scale;
    unsigned offset;
    unsigned nullOffset;
    unsigned length;
    int subType;
};

Cursor::~Cursor() {
    close();
}

void Cursor::close() {
    if (!m_statement) return;
    const std::lock_guard lock(*m_inUse);
    Status status;
    try {
        if (m_resultSet) m_resultSet->close(&status);
    } catch (const FbException&) {
        if (m_resultSet) m_resultSet->release();
    }
    m_resultSet = nullptr;
    if (m_meta) m_meta->release();
    m_meta = nullptr;
    if (m_statement) m_statement->release();
    m_statement = nullptr;
}

namespace {
FieldType fieldTypeOf(unsigned type, int scale) {
    switch (type) {
        case SQL_VARYING:
        case SQL_TEXT:
        case SQL_BLOB:
            return FieldType::Text;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            return scale < 0 ? FieldType::Decimal : FieldType::Integer;
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            return FieldType::Double;
        case SQL_TYPE_DATE:
            return FieldType::Date;
        case SQL_TIMESTAMP:
            return FieldType::Timestamp;
        case SQL_TYPE_TIME:
            return FieldType::Time;
        case SQL_BOOLEAN:
            return FieldType::Boolean;
        default:
            return FieldType::Other;
    }
}
}  // namespace

std::vector<FieldType> Cursor::fieldTypes() const {
    std::vector<FieldType> types;
    types.reserve(m_columns.size());
    for (const Column& c : m_columns) types.push_back(fieldTypeOf(c.type, c.scale));
    return types;
}

bool Cursor::next() {
    return fetchInto(m_buffer.data());
}

bool Cursor::fetchInto(unsigned char* row) {
    const std::lock_guard lock(*m_inUse);
    if (!m_resultSet) return false;
    // Fetching is the hottest call: one status per thread, cleared before each fetch, spares
    // an allocation per row (an error's exception carries its own copy of the status).
    static thread_local Status status;
    ThrowStatusWrapper* s = &status;
    s->init();
    try {
        return m_resultSet->fetchNext(s, row) == IStatus::RESULT_OK;
    } catch (const FbException& e) {
        throw DbError(statusText(e.getStatus()));
    }
}

bool Cursor::fetch(QByteArray& row) {
    if (!next()) return false;
    row.clear();
    row.reserve(static_cast<qsizetype>(m_columns.size()) * 6);
    for (const Column& c : m_columns) packColumn(row, m_buffer.data(), c);
    return true;
}

Value Cursor::current(int column) const {
    return valueIn(m_buffer.data(), column);
}

bool Cursor::currentIsEmpty(int column) const {
    return isEmptyIn(m_buffer.data(), column);
}

bool Cursor::currentBytes(int column, QByteArrayView& bytes) const {
    return bytesIn(m_buffer.data(), column, bytes);
}

Value Cursor::valueIn(const unsigned char* buf, int column) const {
    // Keys and texts straight from the message buffer; other kinds through the packed form.
    const Column& c = m_columns.at(static_cast<size_t>(column));
    if (*reinterpret_cast<const short*>(buf + c.nullOffset)) return {};
    const unsigned char* p = buf + c.offset;
    if (c.scale == 0 && c.type == SQL_LONG)
        return Value::integer(*reinterpret_cast<const qint32*>(p));
    if (c.scale == 0 && c.type == SQL_INT64)
        return Value::integer(*reinterpret_cast<const qint64*>(p));
    if (c.type == SQL_VARYING) {
        const auto len = *reinterpret_cast<const unsigned short*>(p);
        return Value::text(win1250::decode(reinterpret_cast<const char*>(p + 2), len));
    }
    if (c.type == SQL_TEXT)
        return Value::text(win1250::decode(reinterpret_cast<const char*>(p), c.length));
    if (c.scale < 0 && (c.type == SQL_SHORT || c.type == SQL_LONG || c.type == SQL_INT64)) {
        return Value::decimal(storedInteger(c.type, p), -c.scale);
    }
    if (c.type == SQL_TYPE_DATE)
        return Value::date(fromIscDate(*reinterpret_cast<const ISC_DATE*>(p)));
    QByteArray packed;
    packColumn(packed, buf, c);
    return unpack(packed, 0);
}

bool Cursor::isEmptyIn(const unsigned char* buf, int column) const {
    const Column& c = m_columns.at(static_cast<size_t>(column));
    if (*reinterpret_cast<const short*>(buf + c.nullOffset)) return true;
    if (c.type == SQL_VARYING) return *reinterpret_cast<const unsigned short*>(buf + c.offset) == 0;
    if (c.type == SQL_TEXT) return c.length == 0;
    if (c.type == SQL_BLOB) return valueIn(buf, column).asText().isEmpty();
    return false;  // numbers and dates always have a text
}

bool Cursor::bytesIn(const unsigned char* buf, int column, QByteArrayView& bytes) const {
    const Column& c = m_columns.at(static_cast<size_t>(column));
    if (*reinterpret_cast<const short*>(buf + c.nullOffset)) return false;
    const auto* p = reinterpret_cast<const char*>(buf + c.offset);
    if (c.type == SQL_VARYING) {
        bytes = QByteArrayView(p + 2, *reinterpret_cast<const unsigned short*>(p));
        return true;
    }
    if (c.type == SQL_TEXT) {
        bytes = QByteArrayView(p, static_cast<qsizetype>(c.length));
        return true;
    }
    return false;
}

void Cursor::packColumn(QByteArray& row, const unsigned char* buf, const Column& c) const {
    if (*reinterpret_cast<const short*>(buf + c.nullOffset)) {
        row.append(static_cast<char>(TagNull));
        return;
    }
    const unsigned char* p = buf + c.offset;
    switch (c.type) {
        case SQL_VARYING: {
            const auto len = *reinterpret_cast<const unsigned short*>(p);
            row.append(static_cast<char>(TagText));
            putLength(row, len);
            putRaw(row, p + 2, len);
            break;
        }
        case SQL_TEXT:
            row.append(static_cast<char>(TagText));
            putLength(row, c.length);
            putRaw(row, p, static_cast<int>(c.length));
            break;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            qint64 v = storedInteger(c.type, p);
            if (c.scale < 0) {
                row.append(static_cast<char>(TagDecimal));
                row.append(static_cast<char>(-c.scale));
            } else {
                for (int i = 0; i < c.scale; ++i) v *= 10;
                row.append(static_cast<char>(TagInt));
            }
            putRaw(row, &v, sizeof v);
            break;
        }
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            const double v = c.type == SQL_FLOAT ? *reinterpret_cast<const float*>(p)
                                                 : *reinterpret_cast<const double*>(p);
            row.append(static_cast<char>(TagDouble));
            putRaw(row, &v, sizeof v);
            break;
        }
        case SQL_TYPE_DATE: {
            const qint64 jd = fromIscDate(*reinterpret_cast<const ISC_DATE*>(p)).toJulianDay();
            row.append(static_cast<char>(TagDate));
            putRaw(row, &jd, sizeof jd);
            break;
        }
        case SQL_TIMESTAMP: {
            const auto* ts = reinterpret_cast<const ISC_TIMESTAMP*>(p);
            const QDate d = fromIscDate(ts->timestamp_date);
            const qint64 ms = QDateTime(d, QTime(0, 0)).toMSecsSinceEpoch() +
                              static_cast<qint64>(ts->timestamp_time) / 10;
            row.append(static_cast<char>(TagTimestamp));
            putRaw(row, &ms, sizeof ms);
            break;
        }
        case SQL_TYPE_TIME: {
            const QString t =
                QTime(0, 0)
                    .addMSecs(static_cast<int>(*reinterpret_cast<const ISC_TIME*>(p) / 10))
                    .toString(QStringLiteral("hh:mm:ss"));
            row.append(static_cast<char>(TagText));
            putLength(row, static_cast<quint32>(t.size()));
            row.append(t.toLatin1());
            break;
        }
        case SQL_BOOLEAN: {
            const qint64 v = *p ? 1 : 0;
            row.append(static_cast<char>(TagInt));
            putRaw(row, &v, sizeof v);
            break;
        }
        default:
            // Blobs and other kinds the program never reads in lists.
            row.append(static_cast<char>(TagNull));
            break;
    }
}

Value Cursor::unpack(const QByteArray& row, int column) {
    const char* p = row.constData();
    for (int i = 0;; ++i) {
        const auto tag = static_cast<Tag>(*p++);
        const bool wanted = i == column;
        switch (tag) {
            case TagNull:
                if (wanted) return {};
                break;
            case TagText: {
                const quint32 len = getLength(p);
                if (wanted) return Value::text(win1250::decode(p, len));
                p += len;
                break;
            }
            case TagInt: {
                const auto v = getRaw<qint64>(p);
                if (wanted) return Value::integer(v);
                break;
            }
            case TagDecimal: {
                const int scale = *p++;
                const auto v = getRaw<qint64>(p);
                if (wanted) return Value::decimal(v, scale);
                break;
            }
            case TagDouble: {
                const auto v = getRaw<double>(p);
                if (wanted) return Value::real(v);
                break;
            }
            case TagDate: {
                const auto jd = getRaw<qint64>(p);
                if (wanted) return Value::date(QDate::fromJulianDay(jd));
                break;
            }
            case TagTimestamp: {
                const auto ms = getRaw<qint64>(p);
                if (wanted) return Value::timestamp(QDateTime::fromMSecsSinceEpoch(ms));
                break;
            }
        }
    }
}

void Cursor::pack(QByteArray& row, const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Null:
            row.append(static_cast<char>(TagNull));
            break;
        case Value::Kind::Text: {
            const QByteArray bytes = win1250::encode(value.asText());
            row.append(static_cast<char>(TagText));
            putLength(row, static_cast<quint32>(bytes.size()));
            row.append(bytes);
            break;
        }
        case Value::Kind::Integer: {
            const qint64 v = value.asInteger();
            row.append(static_cast<char>(TagInt));
            putRaw(row, &v, sizeof v);
            break;
        }
        case Value::Kind::Decimal: {
            const qint64 v = value.scaled();
            row.append(static_cast<char>(TagDecimal));
            row.append(static_cast<char>(value.scale()));
            putRaw(row, &v, sizeof v);
            break;
        }
        case Value::Kind::Double: {
            const double v = value.asDouble();
            row.append(static_cast<char>(TagDouble));
            putRaw(row, &v, sizeof v);
            break;
        }
        case Value::Kind::Date: {
            const qint64 jd = value.asDate().toJulianDay();
            row.append(static_cast<char>(TagDate));
            putRaw(row, &jd, sizeof jd);
            break;
        }
        case Value::Kind::Timestamp: {
            const qint64 ms = value.toVariant().toDateTime().toMSecsSinceEpoch();
            row.append(static_cast<char>(TagTimestamp));
            putRaw(row, &ms, sizeof ms);
            break;
        }
    }
}

struct Database::Bound {
    IMessageMetadata* meta = nullptr;
    std::vector<unsigned char> buffer;
    ~Bound() {
        if (meta) meta->release();
    }
};

Database::Database() : m_master(master()) {}

Database::~Database() {
    try {
        detach();
    } catch (const std::exception&) {
        // Nothing to tell anyone at destruction.
    }
}

void Database::attach(const QString& path, const QString& user, const QString& password,
                      const QString& charset) {
    const std::lock_guard lock(m_inUse);
    detach();
    call([&](ThrowStatusWrapper* s) {
        IXpbBuilder* dpb =
            m_master->getUtilInterface()->getXpbBuilder(s, IXpbBuilder::DPB, nullptr, 0);
        // Every string here is UTF-8 (the file name too): the client then converts nothing, so
        // a password with accents logs in whatever the system's locale is.
        dpb->insertTag(s, isc_dpb_utf8_filename);
        dpb->insertString(s, isc_dpb_user_name, user.toUtf8().constData());
        dpb->insertString(s, isc_dpb_password, password.toUtf8().constData());
        dpb->insertString(s, isc_dpb_lc_ctype, charset.toUtf8().constData());
        dpb->insertInt(s, isc_dpb_sql_dialect, dialect);
        if (!m_provider) m_provider = m_master->getDispatcher();
        try {
            m_attachment = m_provider->attachDatabase(s, path.toUtf8().constData(),
                                                      dpb->getBufferLength(s), dpb->getBuffer(s));
        } catch (const FbException& e) {
            dpb->dispose();
            if (namesMissingFile(e.getStatus())) throw DatabaseMissing(statusText(e.getStatus()));
            if (refusesLogin(e.getStatus())) throw LoginRefused(statusText(e.getStatus()));
            throw;
        } catch (...) {
            dpb->dispose();
            throw;
        }
        dpb->dispose();
    });
}

void Database::detach() {
    const std::lock_guard lock(m_inUse);
    if (m_transaction) endTransaction(false);
    if (m_attachment) {
        IAttachment* a = m_attachment;
        m_attachment = nullptr;
        try {
            call([&](ThrowStatusWrapper* s) { a->detach(s); });
        } catch (const DbError&) {
            a->release();
            throw;
        }
    }
    if (m_provider) {
        m_provider->release();
        m_provider = nullptr;
    }
}

void Database::startTransaction() {
    const std::lock_guard lock(m_inUse);
    if (m_transaction) return;
    if (!m_attachment) throw DbError(QStringLiteral("Nincs adatbázis kapcsolat."));
    static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_read_committed,
                                        isc_tpb_rec_version, isc_tpb_nowait, isc_tpb_write};
    m_transaction = call(
        [&](ThrowStatusWrapper* s) { return m_attachment->startTransaction(s, sizeof tpb, tpb); });
}

void Database::commit() {
    const std::lock_guard lock(m_inUse);
    endTransaction(true);
}

void Database::commitRetaining() {
    const std::lock_guard lock(m_inUse);
    if (!m_transaction) return;
    call([&](ThrowStatusWrapper* s) { m_transaction->commitRetaining(s); });
}

void Database::rollback() {
    const std::lock_guard lock(m_inUse);
    endTransaction(false);
}

void Database::endTransaction(bool commit) {
    if (!m_transaction) return;
    if (m_onTransactionEnd) m_onTransactionEnd();
    if (commit) {
        call([&](ThrowStatusWrapper* s) { m_transaction->commit(s); });
    } else {
        ITransaction* t = m_transaction;
        try {
            call([&](ThrowStatusWrapper* s) { t->rollback(s); });
        } catch (const DbError&) {
            t->release();
            m_transaction = nullptr;
            throw;
        }
    }
    m_transaction = nullptr;
}

IStatement* Database::prepare(const QString& sql) {
    startTransaction();
    const QByteArray text = win1250::encode(sql);
    return call([&](ThrowStatusWrapper* s) {
        return m_attachment->prepare(s, m_transaction, static_cast<unsigned>(text.size()),
                                     text.constData(), dialect,
                                     IStatement::PREPARE_PREFETCH_METADATA);
    });
}

Database::Bound Database::bind(IStatement* statement, const std::vector<Value>& params) {
    Bound bound;
    call([&](ThrowStatusWrapper* s) {
        IMessageMetadata* in = statement->getInputMetadata(s);
        const unsigned count = in->getCount(s);
        if (count != params.size()) {
            in->release();
            throw DbError(
                QStringLiteral("A paraméterek száma (%1) nem egyezik az utasításéval (%2).")
                    .arg(params.size())
                    .arg(count));
        }
        IMetadataBuilder* builder = in->getBuilder(s);
        in->release();
        std::vector<QByteArray> texts(count);
        for (unsigned i = 0; i < count; ++i) {
            const Value& v = params[i];
            switch (v.kind()) {
                case Value::Kind::Null:
                case Value::Kind::Text: {
                    bool ok = true;
                    texts[i] = win1250::encode(v.asText(), &ok);
                    if (!ok) {
                        builder->release();
                        throw ConversionError(
                            QStringLiteral(
                                "A(z) '%1' szöveg olyan karaktert tartalmaz, amely nem tárolható.")
                                .arg(v.asText()));
                    }
                    builder->setType(s, i, SQL_VARYING);
                    builder->setLength(
                        s, i, static_cast<unsigned>(std::max<qsizetype>(texts[i].size(), 1)));
                    builder->setCharSet(s, i, win1250CharsetId);
                    builder->setScale(s, i, 0);
                    break;
                }
                case Value::Kind::Integer:
                    builder->setType(s, i, SQL_INT64);
                    builder->setLength(s, i, 8);
                    builder->setScale(s, i, 0);
                    break;
                case Value::Kind::Decimal:
                    builder->setType(s, i, SQL_INT64);
                    builder->setLength(s, i, 8);
                    builder->setScale(s, i, -v.scale());
                    break;
                case Value::Kind::Double:
                    builder->setType(s, i, SQL_DOUBLE);
                    builder->setLength(s, i, 8);
                    builder->setScale(s, i, 0);
                    break;
                case Value::Kind::Date:
                    builder->setType(s, i, SQL_TYPE_DATE);
                    builder->setLength(s, i, sizeof(ISC_DATE));
                    builder->setScale(s, i, 0);
                    break;
                case Value::Kind::Timestamp:
                    builder->setType(s, i, SQL_TIMESTAMP);
                    builder->setLength(s, i, sizeof(ISC_TIMESTAMP));
                    builder->setScale(s, i, 0);
                    break;
            }
        }
        bound.meta = builder->getMetadata(s);
        builder->release();
        bound.buffer.assign(bound.meta->getMessageLength(s), 0);
        IUtil* util = m_master->getUtilInterface();
        for (unsigned i = 0; i < count; ++i) {
            const Value& v = params[i];
            unsigned char* p = bound.buffer.data() + bound.meta->getOffset(s, i);
            *reinterpret_cast<short*>(bound.buffer.data() + bound.meta->getNullOffset(s, i)) =
                v.isNull() ? -1 : 0;
            switch (v.kind()) {
                case Value::Kind::Null:
                    break;
                case Value::Kind::Text: {
                    const auto len = static_cast<unsigned short>(texts[i].size());
                    std::memcpy(p, &len, 2);
                    std::memcpy(p + 2, texts[i].constData(), len);
                    break;
                }
                case Value::Kind::Integer:
                case Value::Kind::Decimal: {
                    const qint64 x = v.kind() == Value::Kind::Integer ? v.asInteger() : v.scaled();
                    std::memcpy(p, &x, 8);
                    break;
                }
                case Value::Kind::Double: {
                    const double x = v.asDouble();
                    std::memcpy(p, &x, 8);
                    break;
                }
                case Value::Kind::Date: {
                    const QDate d = v.asDate();
                    const ISC_DATE x = util->encodeDate(static_cast<unsigned>(d.year()),
                                                        static_cast<unsigned>(d.month()),
                                                        static_cast<unsigned>(d.day()));
                    std::memcpy(p, &x, sizeof x);
                    break;
                }
                case Value::Kind::Timestamp: {
                    const QDateTime t =
                        QDateTime::fromString(v.asText(), QStringLiteral("yyyy.MM.dd hh:mm:ss"));
                    ISC_TIMESTAMP x;
                    x.timestamp_date = util->encodeDate(static_cast<unsigned>(t.date().year()),
                                                        static_cast<unsigned>(t.date().month()),
                                                        static_cast<unsigned>(t.date().day()));
                    x.timestamp_time =
                        util->encodeTime(static_cast<unsigned>(t.time().hour()),
                                         static_cast<unsigned>(t.time().minute()),
                                         static_cast<unsigned>(t.time().second()), 0);
                    std::memcpy(p, &x, sizeof x);
                    break;
                }
            }
        }
    });
    return bound;
}

int Database::execute(const QString& sql, const std::vector<Value>& params) {
    const std::lock_guard lock(m_inUse);
    IStatement* statement = prepare(sql);
    try {
        Bound bound = bind(statement, params);
        const int rows = call([&](ThrowStatusWrapper* s) {
            if (statement->getFlags(s) & IStatement::FLAG_HAS_CURSOR) {
                IResultSet* rs = statement->openCursor(s, m_transaction, bound.meta,
                                                       bound.buffer.data(), nullptr, 0);
                rs->close(s);
                return 0;
            }
            statement->execute(s, m_transaction, bound.meta, bound.buffer.data(), nullptr, nullptr);
            return static_cast<int>(statement->getAffectedRecords(s));
        });
        statement->release();
        return rows;
    } catch (...) {
        statement->release();
        throw;
    }
}

Database::Description Database::describe(const QString& sql) {
    const std::lock_guard lock(m_inUse);
    IStatement* statement = prepare(sql);
    Description description;
    try {
        call([&](ThrowStatusWrapper* s) {
            IMessageMetadata* out = statement->getOutputMetadata(s);
            const unsigned count = out->getCount(s);
            for (unsigned i = 0; i < count; ++i) {
                description.fieldNames << QString::fromLatin1(out->getAlias(s, i)).trimmed();
                description.fieldTypes.push_back(
                    fieldTypeOf(out->getType(s, i), out->getScale(s, i)));
            }
            out->release();
            const char* plan = statement->getPlan(s, false);
            description.plan = plan ? QString::fromLatin1(plan) : QString();
        });
    } catch (...) {
        statement->release();
        throw;
    }
    statement->release();
    return description;
}

std::unique_ptr<Cursor> Database::open(const QString& sql, const std::vector<Value>& params) {
    const std::lock_guard lock(m_inUse);
    IStatement* statement = prepare(sql);
    std::unique_ptr<Cursor> cursor(new Cursor);
    cursor->m_inUse = &m_inUse;
    cursor->m_statement = statement;
    Bound bound = bind(statement, params);
    call([&](ThrowStatusWrapper* s) {
        if (!(statement->getFlags(s) & IStatement::FLAG_HAS_CURSOR)) {
            throw DbError(QStringLiteral("Az utasítás nem ad vissza adatsort."));
        }
        IMessageMetadata* out = statement->getOutputMetadata(s);
        cursor->m_meta = out;
        const unsigned count = out->getCount(s);
        cursor->m_columns.resize(count);
        for (unsigned i = 0; i < count; ++i) {
            Cursor::Column& c = cursor->m_columns[i];
            c.type = out->getType(s, i);
            c.scale = out->getScale(s, i);
            c.offset = out->getOffset(s, i);
            c.nullOffset = out->getNullOffset(s, i);
            c.length = out->getLength(s, i);
            c.subType = out->getSubType(s, i);
            const char* alias = out->getAlias(s, i);
            cursor->m_names << QString::fromLatin1(alias).trimmed();
        }
        cursor->m_buffer.assign(out->getMessageLength(s), 0);
        cursor->m_resultSet =
            statement->openCursor(s, m_transaction, bound.meta, bound.buffer.data(), out, 0);
    });
    return cursor;
}
