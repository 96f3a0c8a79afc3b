#pragma once

// A batch of statements: the text of a run cut into statements and classed as queries that
// return rows ("SELECT") or anything else ("GENERAL").

#include "common/KeyedList.h"

#include <QString>
#include <memory>

class cQuery {
public:
    QString QueryType;
    QString QueryString;
    bool QueryValid = false;
};

class colQueries : public KeyedList<cQuery> {
public:
    colQueries() : KeyedList("colQueries") {}
    // Appends a statement, under the key when one is given.
    cQuery &Add(const QString &type, const QString &text, bool valid, const QString &key = {});
};

// Cuts the text into statements at semicolons outside string literals, quoted names and
// comments. A PL/SQL block (DECLARE, BEGIN, CREATE [OR REPLACE] FUNCTION, PROCEDURE, PACKAGE
// [BODY], TRIGGER or TYPE [BODY]) keeps its inner semicolons and ends at a line holding only
// "/" (not sent) or at the end of the text. Text after the last semicolon runs as the last
// statement when it holds more than white space and comments; a text with no semicolon is one
// statement, even when empty.
colQueries Split_Queries(const QString &text);

// "SELECT" when, after leading white space, comments and opening parentheses, the first word is
// SELECT or WITH (any letter case); otherwise "GENERAL".
QString Get_Query_Type(const QString &text);
