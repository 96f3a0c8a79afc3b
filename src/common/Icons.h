#pragma once

// The program's own icons, one per image key of the trees, the toolbar and the query window.

#include <QIcon>
#include <QString>

QIcon iconFor(const QString &key);
