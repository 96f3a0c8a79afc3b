#include "db/oracle/OracleCursor.h"

#include "sql/AppError.h"

#include <algorithm>
#include <cstring>

namespace bm::db {

using namespace oci;

namespace {

void appendHex(std::string &out, const unsigned char *bytes, std::size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
}

} // namespace

OracleCursor::OracleCursor(std::unique_ptr<Statement> statement, int batchRows)
    : statement_(std::move(statement)) {
    if (!statement_) {
        done_ = true;
        return;
    }
    describe(std::max(1, batchRows));
}

OracleCursor::~OracleCursor() {
    if (!statement_)
        return;
    const Functions &f = statement_->connection.f;
    for (Column &c : columns_)
        for (OCILobLocator *locator : c.locators)
            if (locator)
                f.OCIDescriptorFree(locator, kDtypeLob);
}

void OracleCursor::describe(int batchRows) {
    OracleConnection &c = statement_->connection;
    const Functions &f = c.f;
    ub4 count = 0;
    c.check(f.OCIAttrGet(statement_->handle, kHtypeStmt, &count, nullptr, kAttrParamCount, c.err));
    columns_.resize(count);
    fields_.reserve(count);
    bool hasLong = false;
    for (ub4 i = 0; i < count; ++i) {
        void *param = nullptr;
        c.check(f.OCIParamGet(statement_->handle, kHtypeStmt, c.err, &param, i + 1));
        OraText *name = nullptr;
        ub4 nameLength = 0;
        ub2 type = 0, size = 0, chars = 0;
        ub1 form = kCharsetFormImplicit;
        f.OCIAttrGet(param, kDtypeParam, &name, &nameLength, kAttrName, c.err);
        f.OCIAttrGet(param, kDtypeParam, &type, nullptr, kAttrDataType, c.err);
        f.OCIAttrGet(param, kDtypeParam, &size, nullptr, kAttrDataSize, c.err);
        f.OCIAttrGet(param, kDtypeParam, &chars, nullptr, kAttrCharSize, c.err);
        f.OCIAttrGet(param, kDtypeParam, &form, nullptr, kAttrCharsetForm, c.err);
        Field field;
        field.name.assign(reinterpret_cast<const char *>(name), nameLength);
        f.OCIDescriptorFree(param, kDtypeParam);

        Column &column = columns_[i];
        column.oracleType = type;
        column.charsetForm = form;
        switch (type) {
        case kTypeNum:
        case kTypeBinaryFloat:
        case kTypeBinaryDouble:
        case kTypeFloat:
        case kTypeDouble:
            field.type = FieldType::Numeric;
            column.slot = 128; // NUMBER's text never needs more than 64 characters
            break;
        case kTypeDate:
        case kTypeTimestamp:
        case kTypeTimestampTz:
        case kTypeTimestampLtz:
            field.type = FieldType::Date;
            column.slot = 100;
            break;
        case kTypeIntervalYm:
        case kTypeIntervalDs:
            field.type = FieldType::Text;
            column.slot = 64;
            break;
        case kTypeRaw:
            field.type = FieldType::Binary;
            column.slot = 2 * std::size_t(size) + 1; // the client writes RAW as hexadecimal
            break;
        case kTypeRowid:
        case kTypeRowidOld:
            field.type = FieldType::Text;
            column.slot = std::max<std::size_t>(size, 18) + 1;
            break;
        case kTypeLong:
        case kTypeLongRaw:
            field.type = type == kTypeLong ? FieldType::Text : FieldType::Binary;
            column.slot = 65535; // the largest value a define reports; longer ones are cut
            hasLong = true;
            break;
        case kTypeClob:
            field.type = FieldType::Text;
            column.kind = Kind::Clob;
            break;
        case kTypeBlob:
            field.type = FieldType::Binary;
            column.kind = Kind::Blob;
            break;
        case kTypeBfile:
            column.kind = Kind::Placeholder;
            column.placeholder = "(BFILE)";
            break;
        case kTypeCursor:
            column.kind = Kind::Placeholder;
            column.placeholder = "(cursor)";
            break;
        case kTypeObject:
            column.kind = Kind::Placeholder;
            column.placeholder = "(object)";
            break;
        default: // VARCHAR2, CHAR, NVARCHAR2, NCHAR and the rest as text
            field.type = FieldType::Text;
            column.slot = std::min<std::size_t>(std::max(size, chars), 32767) * 4 + 1;
            break;
        }
        fields_.push_back(std::move(field));
    }
    // Fewer rows at a time when values are large, so that one batch stays within 32 MiB.
    std::size_t rowBytes = 0;
    for (const Column &column : columns_)
        rowBytes += column.slot + sizeof(void *);
    batchRows_ = std::clamp<std::size_t>(
        (std::size_t(32) << 20) / std::max<std::size_t>(rowBytes, 1), 1, std::size_t(batchRows));
    if (hasLong)
        batchRows_ = std::min<std::size_t>(batchRows_, 16);

    for (ub4 i = 0; i < count; ++i) {
        Column &column = columns_[i];
        if (column.kind == Kind::Placeholder)
            continue;
        column.indicators.assign(batchRows_, 0);
        column.lengths.assign(batchRows_, 0);
        column.codes.assign(batchRows_, 0);
        OCIDefine *define = nullptr;
        if (column.kind == Kind::Text) {
            column.buffer.assign(batchRows_ * column.slot, 0);
            c.check(f.OCIDefineByPos(statement_->handle, &define, c.err, i + 1,
                                     column.buffer.data(), static_cast<sb4>(column.slot), kTypeStr,
                                     column.indicators.data(), column.lengths.data(),
                                     column.codes.data(), kDefault));
        } else {
            column.locators.assign(batchRows_, nullptr);
            for (OCILobLocator *&locator : column.locators) {
                void *descriptor = nullptr;
                c.check(f.OCIDescriptorAlloc(c.env, &descriptor, kDtypeLob, 0, nullptr));
                locator = static_cast<OCILobLocator *>(descriptor);
            }
            c.check(f.OCIDefineByPos(statement_->handle, &define, c.err, i + 1,
                                     column.locators.data(), sizeof(OCILobLocator *),
                                     column.kind == Kind::Clob ? kTypeClob : kTypeBlob,
                                     column.indicators.data(), nullptr, nullptr, kDefault));
        }
    }
}

void OracleCursor::appendLob(Recordset &into, int field, Column &column, std::size_t row) {
    OracleConnection &c = statement_->connection;
    lobBuffer_.clear();
    // Read to the end in chunks: both amounts 0 with the first piece, then the next pieces
    // while the client says more data follows.
    constexpr std::size_t kChunk = 64 * 1024;
    unsigned char chunk[kChunk];
    ub1 piece = kFirstPiece;
    for (;;) {
        c.checkInterrupted();
        ub8 bytes = 0, chars = 0;
        const sword rc =
            c.f.OCILobRead2(c.svc, c.err, column.locators[row], &bytes, &chars, 1, chunk, kChunk,
                            piece, nullptr, nullptr, 0, column.charsetForm);
        ++roundTrips_;
        if (rc != kSuccess && rc != kNeedData)
            c.check(rc);
        if (column.kind == Kind::Blob)
            appendHex(lobBuffer_, chunk, std::min<std::size_t>(bytes, kChunk));
        else
            lobBuffer_.append(reinterpret_cast<const char *>(chunk),
                              std::min<std::size_t>(bytes, kChunk));
        if (rc != kNeedData)
            break;
        piece = kNextPiece;
    }
    into.appendCell(field, lobBuffer_);
}

bool OracleCursor::fetch(Recordset &into, std::size_t maxRows) {
    if (done_)
        return false;
    OracleConnection &c = statement_->connection;
    std::size_t fetched = 0;
    while (fetched < maxRows) {
        c.checkInterrupted();
        const ub4 want = static_cast<ub4>(std::min(batchRows_, maxRows - fetched));
        const sword rc =
            c.f.OCIStmtFetch2(statement_->handle, c.err, want, kFetchNext, 0, kDefault);
        ++roundTrips_;
        if (rc != kSuccess && rc != kSuccessWithInfo && rc != kNoData)
            c.check(rc);
        ub4 got = 0;
        c.f.OCIAttrGet(statement_->handle, kHtypeStmt, &got, nullptr, kAttrRowsFetched, c.err);
        for (std::size_t r = 0; r < got; ++r) {
            for (std::size_t i = 0; i < columns_.size(); ++i) {
                Column &column = columns_[i];
                const int field = static_cast<int>(i);
                if (column.kind == Kind::Placeholder) {
                    into.appendCell(field, column.placeholder);
                } else if (column.indicators[r] == kIndicatorNull) {
                    into.appendNull(field);
                } else if (column.kind != Kind::Text) {
                    appendLob(into, field, column, r);
                } else {
                    const char *text = column.buffer.data() + r * column.slot;
                    std::string_view value(text, strnlen(text, column.slot));
                    if (column.indicators[r] > 0 || column.indicators[r] == -2) {
                        std::string cut(value); // longer than the program reads of a LONG
                        cut += "…";
                        into.appendCell(field, cut);
                    } else {
                        into.appendCell(field, value);
                    }
                }
            }
            into.endRow();
        }
        fetched += got;
        if (rc == kNoData || got < want) {
            done_ = true;
            return false;
        }
    }
    return true;
}

} // namespace bm::db
