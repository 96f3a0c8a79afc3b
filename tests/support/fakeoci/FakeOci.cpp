// The stand-in Oracle client library (see FakeOci.h). Written from OCI's documented prototypes;
// handles are this library's own structures.

#include "FakeOci.h"

#include "db/embedded/EmbeddedSession.h"
#include "db/oracle/OciApi.h"
#include "sql/AppError.h"
#include "sql/PlSql.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#define FAKE_API extern "C" __attribute__((visibility("default")))

// The types and numbers of the interface, as the engine declares them; the handles are this
// library's own structures.
using namespace bm::db::oci;

namespace {

constexpr ub2 kStr = kTypeStr, kClob = kTypeClob, kBlob = kTypeBlob;

std::atomic<unsigned long> roundTrips{0}, largestFetch{0};
// The most a LOB read hands back at once, so that reading in pieces is exercised.
constexpr std::size_t kLobPiece = 1000;

struct Error {
    sb4 code = 0;
    std::string text;
    void set(sb4 c, std::string t) {
        code = c;
        text = std::move(t);
    }
};

struct Env {};

struct SvcCtx {
    std::unique_ptr<bm::db::EmbeddedSession> session;
    std::atomic<bool> dropped{false};
    // A break stops the call in progress, and only that one: none is pending afterwards.
    std::mutex callMutex;
    int calls = 0;
};

// Marks a call in progress on a connection while it lives.
struct Call {
    explicit Call(SvcCtx *svc) : svc(svc) {
        std::lock_guard lock(svc->callMutex);
        ++svc->calls;
    }
    ~Call() {
        std::lock_guard lock(svc->callMutex);
        if (--svc->calls == 0)
            svc->session->clearInterrupt();
    }
    SvcCtx *svc;
};

// Never destroyed: a program may log off in its own exit handlers, after this library's
// statics would have gone.
std::mutex &connectionsMutex = *new std::mutex;
std::set<SvcCtx *> &connections = *new std::set<SvcCtx *>;

struct Column {
    std::string name;
    ub2 type = 1;
    ub1 form = 1;
    ub2 size = 4000;
};

struct Define {
    void *buffer = nullptr;
    sb4 size = 0;
    ub2 type = 0;
    sb2 *indicators = nullptr;
    ub2 *lengths = nullptr;
    ub2 *codes = nullptr;
};

struct Stmt {
    SvcCtx *svc = nullptr;
    std::string sql;
    ub2 type = 0;
    std::unique_ptr<bm::db::Cursor> cursor;
    std::vector<Column> columns;
    std::vector<Define> defines;
    std::unique_ptr<bm::db::Recordset> batch; // rows read from the engine, not yet handed out
    std::size_t batchRow = 0;
    bool ended = false;
    ub4 rowCount = 0, rowsFetched = 0;
};

struct Param {
    const Column *column = nullptr;
};

struct Lob {
    std::string data;
    std::size_t position = 0;
};

bool startsWithWord(const std::string &text, const char *word) {
    const std::size_t start = text.find_first_not_of(" \t\r\n(");
    if (start == std::string::npos)
        return false;
    const std::size_t n = std::strlen(word);
    if (text.size() - start < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(text[start + i])) != word[i])
            return false;
    return true;
}

std::string upper(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// An error of the engine as the server reports it: its ORA number and text.
sword fail(Error *err, const std::string &text) {
    sb4 code = 20000;
    if (text.rfind("ORA-", 0) == 0)
        code = std::atoi(text.c_str() + 4);
    if (err)
        err->set(code, text);
    return kError;
}

sword dropped(Error *err) {
    return fail(err, "ORA-03113: end-of-file on communication channel\nProcess ID: 0\nSession ID: "
                     "0 Serial number: 0");
}

std::string fromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

// Describes a column the way the Oracle engine sees Oracle's: by its heading's prefix, else by
// the type of its values.
Column describe(const bm::db::Field &field, bm::db::FieldType seen) {
    Column c;
    c.name = field.name;
    const std::string name = upper(field.name);
    const struct {
        const char *prefix;
        ub2 type;
        ub1 form;
    } prefixes[] = {{"NCLOB_", 112, 2}, {"CLOB_", 112, 1}, {"BLOB_", 113, 1}, {"RAW_", 23, 1},
                    {"TS_", 187, 1},    {"IYM_", 189, 1},  {"IDS_", 190, 1},  {"ROWID_", 104, 1},
                    {"LONG_", 8, 1},    {"CHAR_", 96, 1},  {"NVC_", 1, 2}};
    for (const auto &p : prefixes)
        if (name.rfind(p.prefix, 0) == 0) {
            c.type = p.type;
            c.form = p.form;
            c.size = p.type == 23 ? 2000 : p.type == 96 ? 10 : 4000;
            return c;
        }
    switch (seen) {
    case bm::db::FieldType::Numeric:
        c.type = 2;
        c.size = 22;
        break;
    case bm::db::FieldType::Date:
        c.type = 12;
        c.size = 7;
        break;
    case bm::db::FieldType::Binary:
        c.type = 23;
        c.size = 2000;
        break;
    default:
        break;
    }
    return c;
}

// Reads the next rows from the engine into the statement's batch.
void readBatch(Stmt &s, std::size_t rows) {
    s.batch = std::make_unique<bm::db::Recordset>(s.cursor->fields());
    s.batchRow = 0;
    if (!s.cursor->fetch(*s.batch, rows))
        s.ended = true;
}

} // namespace

FAKE_API void fakeoci_drop_connections() {
    std::lock_guard lock(connectionsMutex);
    for (SvcCtx *svc : connections)
        svc->dropped = true;
}

FAKE_API unsigned long fakeoci_round_trips() {
    return roundTrips.load();
}

FAKE_API unsigned long fakeoci_largest_fetch() {
    return largestFetch.load();
}

FAKE_API void OCIClientVersion(sword *feature, sword *update, sword *revision, sword *increment,
                               sword *ext) {
    *feature = 19;
    *update = 99;
    *revision = *increment = *ext = 0;
}

FAKE_API sword OCIEnvNlsCreate(Env **env, ub4, void *, void *, void *, void *, size_t, void **,
                               ub2 charset, ub2 ncharset) {
    if (charset != ncharset) // both zero or both set, as the client demands
        return kError;
    *env = new Env;
    return kSuccess;
}

FAKE_API sword OCIHandleAlloc(const void *parent, void **handle, ub4 type, size_t, void **) {
    if (!parent)
        return kInvalidHandle;
    if (type == kHtypeError) {
        *handle = new Error;
        return kSuccess;
    }
    return kInvalidHandle;
}

FAKE_API sword OCIHandleFree(void *handle, ub4 type) {
    if (type == kHtypeError)
        delete static_cast<Error *>(handle);
    else if (type == kHtypeEnv)
        delete static_cast<Env *>(handle);
    else
        return kInvalidHandle;
    return kSuccess;
}

FAKE_API sword OCIDescriptorAlloc(const void *, void **descriptor, ub4 type, size_t, void **) {
    if (type != kDtypeLob)
        return kInvalidHandle;
    *descriptor = new Lob;
    return kSuccess;
}

FAKE_API sword OCIDescriptorFree(void *descriptor, ub4 type) {
    if (type == kDtypeLob)
        delete static_cast<Lob *>(descriptor);
    else if (type == kDtypeParam)
        delete static_cast<Param *>(descriptor);
    else
        return kInvalidHandle;
    return kSuccess;
}

FAKE_API sword OCIErrorGet(void *handle, ub4 record, OraText *, sb4 *code, OraText *buffer,
                           ub4 size, ub4 type) {
    if (type != kHtypeError || record != 1)
        return kNoData;
    auto *err = static_cast<Error *>(handle);
    if (err->code == 0)
        return kNoData;
    *code = err->code;
    const std::string text = err->text + "\n";
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return kSuccess;
}

FAKE_API sword OCIAttrGet(const void *handle, ub4 type, void *value, ub4 *size, ub4 attribute,
                          Error *) {
    if (type == kHtypeStmt) {
        const auto *s = static_cast<const Stmt *>(handle);
        switch (attribute) {
        case 24: // statement type
            *static_cast<ub2 *>(value) = s->type;
            return kSuccess;
        case 18: // select-list columns
            *static_cast<ub4 *>(value) = static_cast<ub4>(s->columns.size());
            return kSuccess;
        case 9: // rows
            *static_cast<ub4 *>(value) = s->rowCount;
            return kSuccess;
        case 197: // rows fetched by the last fetch
            *static_cast<ub4 *>(value) = s->rowsFetched;
            return kSuccess;
        default:
            return kError;
        }
    }
    if (type == kDtypeParam) {
        const Column &c = *static_cast<const Param *>(handle)->column;
        switch (attribute) {
        case 4: // name
            *static_cast<const char **>(value) = c.name.data();
            *size = static_cast<ub4>(c.name.size());
            return kSuccess;
        case 2:
            *static_cast<ub2 *>(value) = c.type;
            return kSuccess;
        case 1:
            *static_cast<ub2 *>(value) = c.size;
            return kSuccess;
        case 286:
            *static_cast<ub2 *>(value) = c.type == 1 || c.type == 96 ? c.size : 0;
            return kSuccess;
        case 32:
            *static_cast<ub1 *>(value) = c.form;
            return kSuccess;
        default:
            return kError;
        }
    }
    if (type == kHtypeSvcCtx && attribute == 6) { // the server: the connection itself here
        *static_cast<const void **>(value) = handle;
        return kSuccess;
    }
    if (type == kHtypeServer && attribute == 143) {
        *static_cast<ub4 *>(value) = static_cast<const SvcCtx *>(handle)->dropped ? 0 : 1;
        return kSuccess;
    }
    return kError;
}

FAKE_API sword OCIAttrSet(void *handle, ub4 type, void *, ub4, ub4 attribute, Error *) {
    if (type == kHtypeStmt && attribute == 11 && handle) // prefetch rows: nothing to prefetch
        return kSuccess;
    return kError;
}

FAKE_API sword OCILogon2(Env *, Error *err, SvcCtx **svc, const OraText *user, ub4 userLength,
                         const OraText *password, ub4 passwordLength, const OraText *db,
                         ub4 dbLength, ub4) {
    const std::string name(reinterpret_cast<const char *>(user), userLength);
    const std::string secret(reinterpret_cast<const char *>(password), passwordLength);
    const std::string service(reinterpret_cast<const char *>(db), dbLength);
    ++roundTrips;
    if (upper(service).find("ORCL") == std::string::npos)
        return fail(err, "ORA-12154: TNS:could not resolve the connect identifier specified");
    if (upper(name) == "LOCKED")
        return fail(err, "ORA-28000: The account is locked.");
    if (secret != "tiger")
        return fail(err, "ORA-01017: invalid username/password; logon denied");
    const char *path = std::getenv("BM_FAKEOCI_DATABASE");
    if (!path)
        return fail(err, "ORA-12541: TNS:no listener");
    try {
        auto connection = std::make_unique<SvcCtx>();
        connection->session = std::make_unique<bm::db::EmbeddedSession>(path, name);
        *svc = connection.release();
        std::lock_guard lock(connectionsMutex);
        connections.insert(*svc);
        return kSuccess;
    } catch (const bm::AppError &e) {
        return fail(err, "ORA-12514: TNS:listener does not currently know of service requested "
                         "(" +
                             e.description() + ")");
    }
}

FAKE_API sword OCILogoff(SvcCtx *svc, Error *) {
    {
        std::lock_guard lock(connectionsMutex);
        connections.erase(svc);
    }
    delete svc;
    return kSuccess;
}

FAKE_API sword OCIStmtPrepare2(SvcCtx *svc, Stmt **stmt, Error *err, const OraText *text,
                               ub4 length, const OraText *, ub4, ub4, ub4) {
    if (length == 0)
        return fail(err, "ORA-24373: invalid length specified for statement");
    auto s = std::make_unique<Stmt>();
    s->svc = svc;
    s->sql.assign(reinterpret_cast<const char *>(text), length);
    const struct {
        const char *word;
        ub2 type;
    } verbs[] = {{"SELECT", 1}, {"WITH", 1},   {"UPDATE", 2},    {"DELETE", 3}, {"INSERT", 4},
                 {"CREATE", 5}, {"DROP", 6},   {"ALTER", 7},     {"BEGIN", 8},  {"DECLARE", 9},
                 {"CALL", 10},  {"MERGE", 16}, {"ROLLBACK", 17}, {"COMMIT", 21}};
    for (const auto &verb : verbs)
        if (startsWithWord(s->sql, verb.word)) {
            s->type = verb.type;
            break;
        }
    *stmt = s.release();
    return kSuccess;
}

FAKE_API sword OCIStmtRelease(Stmt *stmt, Error *, const OraText *, ub4, ub4) {
    delete stmt;
    return kSuccess;
}

FAKE_API sword OCIStmtExecute(SvcCtx *svc, Stmt *s, Error *err, ub4 iterations, ub4, const void *,
                              void *, ub4) {
    ++roundTrips;
    if (svc->dropped)
        return dropped(err);
    const Call call(svc);
    if (s->type != 1 && iterations == 0)
        return fail(err, "ORA-24333: zero iteration count");
    if (s->type == 1 && iterations != 0)
        return fail(err, "ORA-24374: define not done before fetch or execute and fetch");
    // As Oracle's parser: a SQL statement ends without ";", a PL/SQL block with it.
    if (const auto end = s->sql.find_last_not_of(" \t\r\n");
        end != std::string::npos && s->sql[end] == ';' &&
        !bm::db::isPlSql(bm::db::tokenize(s->sql)))
        return fail(err, "ORA-00911: invalid character");
    // The session settings of the log-on: this server's dates already read as the engine
    // writes them.
    if (startsWithWord(s->sql, "ALTER") && upper(s->sql).find("ALTER SESSION") == 0)
        return kSuccess;
    try {
        if (s->type != 1) {
            s->rowCount = static_cast<ub4>(svc->session->execute(s->sql));
            return kSuccess;
        }
        s->cursor = svc->session->open(s->sql);
        // The first rows settle the types of computed columns before they are described.
        readBatch(*s, 64);
        for (int i = 0; i < s->batch->fieldCount(); ++i)
            s->columns.push_back(describe(s->cursor->fields()[i], s->batch->fieldType(i)));
        s->defines.resize(s->columns.size());
        return kSuccess;
    } catch (const bm::AppError &e) {
        return fail(err, e.description());
    }
}

FAKE_API sword OCIParamGet(const Stmt *s, ub4, Error *, void **param, ub4 position) {
    if (position < 1 || position > s->columns.size())
        return kError;
    *param = new Param{&s->columns[position - 1]};
    return kSuccess;
}

FAKE_API sword OCIDefineByPos(Stmt *s, void **define, Error *err, ub4 position, void *buffer,
                              sb4 size, ub2 type, void *indicators, ub2 *lengths, ub2 *codes, ub4) {
    if (position < 1 || position > s->defines.size())
        return fail(err, "ORA-24334: no descriptor for this position");
    const Column &column = s->columns[position - 1];
    const bool lob = column.type == kClob || column.type == kBlob;
    if (lob != (type == kClob || type == kBlob) || (!lob && type != kStr))
        return fail(err, "ORA-00932: inconsistent datatypes");
    s->defines[position - 1] = {buffer, size, type, static_cast<sb2 *>(indicators), lengths, codes};
    *define = &s->defines[position - 1];
    return kSuccess;
}

FAKE_API sword OCIStmtFetch2(Stmt *s, Error *err, ub4 rows, ub2, sb4, ub4) {
    ++roundTrips;
    s->rowsFetched = 0;
    if (s->svc->dropped)
        return dropped(err);
    const Call call(s->svc);
    if (!s->cursor)
        return fail(err, "ORA-24338: statement handle not executed");
    for (const Define &d : s->defines)
        if (!d.buffer)
            return fail(err, "ORA-24374: define not done before fetch or execute and fetch");
    try {
        ub4 n = 0;
        while (n < rows) {
            if (s->batchRow >= s->batch->recordCount()) {
                if (s->ended)
                    break;
                readBatch(*s, std::max<std::size_t>(rows - n, 256));
                continue;
            }
            for (std::size_t i = 0; i < s->defines.size(); ++i) {
                const Define &d = s->defines[i];
                const auto value = s->batch->cell(s->batchRow, static_cast<int>(i));
                d.indicators[n] = value ? 0 : -1;
                if (d.codes)
                    d.codes[n] = value ? 0 : 1405;
                if (d.type == kStr) {
                    char *slot = static_cast<char *>(d.buffer) + std::size_t(n) * d.size;
                    const std::size_t length =
                        value ? std::min<std::size_t>(value->size(), d.size - 1) : 0;
                    if (value) {
                        std::memcpy(slot, value->data(), length);
                        if (length < value->size()) {
                            d.indicators[n] =
                                static_cast<sb2>(std::min<std::size_t>(value->size(), 32767));
                            if (d.codes)
                                d.codes[n] = 1406;
                        }
                    }
                    slot[length] = 0;
                    if (d.lengths)
                        d.lengths[n] = static_cast<ub2>(length);
                } else {
                    Lob *lob = static_cast<Lob **>(d.buffer)[n];
                    lob->data = !value            ? std::string()
                                : d.type == kBlob ? fromHex(*value)
                                                  : std::string(*value);
                    lob->position = 0;
                }
            }
            ++s->batchRow;
            ++n;
        }
        s->rowsFetched = n;
        s->rowCount += n;
        largestFetch = std::max<unsigned long>(largestFetch.load(), n);
        return n < rows ? kNoData : kSuccess;
    } catch (const bm::AppError &e) {
        return fail(err, e.description());
    }
}

FAKE_API sword OCILobRead2(SvcCtx *svc, Error *err, Lob *lob, ub8 *bytes, ub8 *, ub8 offset,
                           void *buffer, ub8 size, ub1 piece, void *, void *, ub2, ub1) {
    ++roundTrips;
    if (svc->dropped)
        return dropped(err);
    if (piece == kFirstPiece || piece == 0)
        lob->position = offset > 0 ? offset - 1 : 0;
    const std::size_t n =
        std::min<std::size_t>({lob->data.size() - lob->position, std::size_t(size), kLobPiece});
    std::memcpy(buffer, lob->data.data() + lob->position, n);
    lob->position += n;
    *bytes = n;
    return lob->position < lob->data.size() ? kNeedData : kSuccess;
}

FAKE_API sword OCIBreak(void *handle, Error *) {
    auto *svc = static_cast<SvcCtx *>(handle);
    std::lock_guard lock(svc->callMutex);
    if (svc->calls > 0)
        svc->session->interrupt();
    return kSuccess;
}

FAKE_API sword OCITransCommit(SvcCtx *, Error *, ub4) {
    return kSuccess;
}

FAKE_API sword OCITransRollback(SvcCtx *, Error *, ub4) {
    return kSuccess;
}
