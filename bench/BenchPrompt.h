#pragma once

// The prompt the benchmarks install: the results-file dialog answered with a fixed path, every
// other question shown as the program shows it.

#include "common/Prompt.h"

class FilePrompt : public bm::WidgetPrompt {
public:
    QString path;
    QString saveFileName(const QString &, const QString &, const QString &,
                         const QString &) override {
        return path;
    }
};
