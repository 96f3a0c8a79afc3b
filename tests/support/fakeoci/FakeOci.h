#pragma once

// Hooks of the stand-in Oracle client library, for tests and benchmarks that load it. The
// stand-in serves a file of the embedded engine named by BM_FAKEOCI_DATABASE; the service names
// it knows contain "ORCL" (an alias, host:port/ORCL or a descriptor naming it); every password
// but "tiger" is wrong; the user LOCKED is locked. A column's heading picks the Oracle type it is
// described as when its prefix says so: CLOB_, NCLOB_, BLOB_ (hex text served as bytes), RAW_,
// TS_, IYM_, IDS_, ROWID_, LONG_, CHAR_, NVC_; otherwise NUMBER, DATE, RAW or VARCHAR2 by the
// values' type.

extern "C" {
// Every open connection fails from now on as a dropped network connection does (ORA-03113).
void fakeoci_drop_connections();
// Round trips served so far: executes, array fetches and LOB reads.
unsigned long fakeoci_round_trips();
// The most rows one array fetch returned, and the largest piece one LOB read returned.
unsigned long fakeoci_largest_fetch();
}
