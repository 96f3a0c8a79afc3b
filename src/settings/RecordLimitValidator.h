#pragma once

// The record-limit box takes digits only, and no keystroke that would make its value exceed
// what a record limit can hold (2147483647).

#include <QValidator>

class RecordLimitValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
