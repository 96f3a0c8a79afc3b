#pragma once

// The part of Oracle's client library (OCI) the Oracle engine calls: its types, constants and
// functions, declared here from the library's documented interface so that the program needs no
// Oracle files to build. The functions are found at run time in the loaded library.

#include <cstddef>
#include <string>
#include <vector>

namespace bm::db::oci {

using ub1 = unsigned char;
using sb1 = signed char;
using ub2 = unsigned short;
using sb2 = signed short;
using ub4 = unsigned int;
using sb4 = signed int;
using ub8 = unsigned long;
using sword = int;
using OraText = unsigned char;

struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIStmt;
struct OCIDefine;
struct OCIParam;
struct OCISnapshot;
struct OCILobLocator;
struct OCIServer;

// Return codes.
inline constexpr sword kSuccess = 0;
inline constexpr sword kSuccessWithInfo = 1;
inline constexpr sword kNeedData = 99;
inline constexpr sword kNoData = 100;
inline constexpr sword kError = -1;
inline constexpr sword kInvalidHandle = -2;

// Modes.
inline constexpr ub4 kDefault = 0;
inline constexpr ub4 kThreaded = 0x1;
inline constexpr ub4 kNativeSyntax = 1;
inline constexpr ub4 kCommitOnSuccess = 0x20;
inline constexpr ub2 kFetchNext = 0x02;
inline constexpr ub1 kOnePiece = 0;
inline constexpr ub1 kFirstPiece = 1;
inline constexpr ub1 kNextPiece = 2;

// Handle and descriptor types.
inline constexpr ub4 kHtypeEnv = 1;
inline constexpr ub4 kHtypeError = 2;
inline constexpr ub4 kHtypeSvcCtx = 3;
inline constexpr ub4 kHtypeStmt = 4;
inline constexpr ub4 kHtypeServer = 8;
inline constexpr ub4 kDtypeLob = 50;
inline constexpr ub4 kDtypeParam = 53;

// Attributes.
inline constexpr ub4 kAttrDataSize = 1;
inline constexpr ub4 kAttrDataType = 2;
inline constexpr ub4 kAttrName = 4;
inline constexpr ub4 kAttrPrecision = 5;
inline constexpr ub4 kAttrScale = 6;
inline constexpr ub4 kAttrServer = 6;
inline constexpr ub4 kAttrRowCount = 9;
inline constexpr ub4 kAttrPrefetchRows = 11;
inline constexpr ub4 kAttrParamCount = 18;
inline constexpr ub4 kAttrStmtType = 24;
inline constexpr ub4 kAttrCharsetForm = 32;
inline constexpr ub4 kAttrServerStatus = 143;
inline constexpr ub4 kAttrRowsFetched = 197;
inline constexpr ub4 kAttrCharSize = 286;

inline constexpr ub2 kStmtSelect = 1;
inline constexpr ub4 kServerNotConnected = 0;
inline constexpr ub2 kCharsetAl32Utf8 = 873;
inline constexpr ub1 kCharsetFormImplicit = 1;
inline constexpr sb2 kIndicatorNull = -1;

// External data types (SQLT_ codes).
inline constexpr ub2 kTypeChr = 1;
inline constexpr ub2 kTypeNum = 2;
inline constexpr ub2 kTypeStr = 5;
inline constexpr ub2 kTypeLong = 8;
inline constexpr ub2 kTypeRowidOld = 11;
inline constexpr ub2 kTypeDate = 12;
inline constexpr ub2 kTypeFloat = 21;
inline constexpr ub2 kTypeDouble = 22;
inline constexpr ub2 kTypeRaw = 23;
inline constexpr ub2 kTypeLongRaw = 24;
inline constexpr ub2 kTypeChar = 96;
inline constexpr ub2 kTypeBinaryFloat = 100;
inline constexpr ub2 kTypeBinaryDouble = 101;
inline constexpr ub2 kTypeRowid = 104;
inline constexpr ub2 kTypeObject = 108;
inline constexpr ub2 kTypeClob = 112;
inline constexpr ub2 kTypeBlob = 113;
inline constexpr ub2 kTypeBfile = 114;
inline constexpr ub2 kTypeCursor = 116;
inline constexpr ub2 kTypeTimestamp = 187;
inline constexpr ub2 kTypeTimestampTz = 188;
inline constexpr ub2 kTypeIntervalYm = 189;
inline constexpr ub2 kTypeIntervalDs = 190;
inline constexpr ub2 kTypeTimestampLtz = 232;

using CallbackLobRead2 = sb4 (*)(void *, const void *, ub8, ub1, void **, ub8 *);

// The functions, each found by its name in the library.
struct Functions {
    sword (*OCIEnvNlsCreate)(OCIEnv **, ub4, void *, void *(*)(void *, size_t),
                             void *(*)(void *, void *, size_t), void (*)(void *, void *), size_t,
                             void **, ub2, ub2);
    sword (*OCIHandleAlloc)(const void *, void **, ub4, size_t, void **);
    sword (*OCIHandleFree)(void *, ub4);
    sword (*OCIDescriptorAlloc)(const void *, void **, ub4, size_t, void **);
    sword (*OCIDescriptorFree)(void *, ub4);
    sword (*OCIAttrGet)(const void *, ub4, void *, ub4 *, ub4, OCIError *);
    sword (*OCIAttrSet)(void *, ub4, void *, ub4, ub4, OCIError *);
    sword (*OCIErrorGet)(void *, ub4, OraText *, sb4 *, OraText *, ub4, ub4);
    sword (*OCILogon2)(OCIEnv *, OCIError *, OCISvcCtx **, const OraText *, ub4, const OraText *,
                       ub4, const OraText *, ub4, ub4);
    sword (*OCILogoff)(OCISvcCtx *, OCIError *);
    sword (*OCIStmtPrepare2)(OCISvcCtx *, OCIStmt **, OCIError *, const OraText *, ub4,
                             const OraText *, ub4, ub4, ub4);
    sword (*OCIStmtRelease)(OCIStmt *, OCIError *, const OraText *, ub4, ub4);
    sword (*OCIStmtExecute)(OCISvcCtx *, OCIStmt *, OCIError *, ub4, ub4, const OCISnapshot *,
                            OCISnapshot *, ub4);
    sword (*OCIStmtFetch2)(OCIStmt *, OCIError *, ub4, ub2, sb4, ub4);
    sword (*OCIParamGet)(const void *, ub4, OCIError *, void **, ub4);
    sword (*OCIDefineByPos)(OCIStmt *, OCIDefine **, OCIError *, ub4, void *, sb4, ub2, void *,
                            ub2 *, ub2 *, ub4);
    sword (*OCILobRead2)(OCISvcCtx *, OCIError *, OCILobLocator *, ub8 *, ub8 *, ub8, void *, ub8,
                         ub1, void *, CallbackLobRead2, ub2, ub1);
    sword (*OCIBreak)(void *, OCIError *);
    sword (*OCITransCommit)(OCISvcCtx *, OCIError *, ub4);
    sword (*OCITransRollback)(OCISvcCtx *, OCIError *, ub4);
    // Optional: missing from old clients.
    void (*OCIClientVersion)(sword *, sword *, sword *, sword *, sword *);
};

// The loaded client library: its functions, or why it could not be used.
struct Client {
    const Functions *functions = nullptr; // null when not usable
    std::string problem;                  // the message for the user when not usable
    std::string version;                  // "19.22.0.0.0", where the library tells it
};

// Where to look for the library before the usual names (a setting naming its path; empty: none).
// Takes effect for the first log-on only: a library once loaded stays loaded.
void setClientLibraryPath(std::string path);

// Loads the library once (later calls return the same answer): the configured path, then
// libclntsh.so and its versioned names, then the same under $ORACLE_HOME/lib.
const Client &client();

// The names tried, in order, with the configured path first.
std::vector<std::string> candidateLibraries();
// Loads the first of the candidates that opens; the answer says what went wrong otherwise.
Client loadClient(const std::vector<std::string> &candidates);

// Resolves the functions from a library handle; returns the name of a missing one, or empty.
std::string resolveFunctions(void *library, Functions &functions);

} // namespace bm::db::oci
