#pragma once

// The History tab of the left panel: the statements run, newest first, with a filter box.
// Enter or a double-click opens a statement in the active query window (or a new one); the
// context menu opens it in a new window, copies it, or clears the history.

#include <QAbstractTableModel>
#include <QWidget>

#include "query/QueryHistory.h"

class QLineEdit;
class QMenu;
class QTableView;

class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setEntries(QList<HistoryEntry> entries);
    const HistoryEntry &entry(int row) const { return entries_[row]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<HistoryEntry> entries_;
};

class HistoryPanel : public QWidget {
    Q_OBJECT
public:
    explicit HistoryPanel(QueryHistory &history, QWidget *parent = nullptr);

    // Reads the history again (after a batch, or when the filter changes).
    void refresh();
    QLineEdit *filter() const { return filter_; }
    QTableView *view() const { return view_; }
    HistoryModel *model() const { return model_; }
    QMenu *menu() const { return menu_; }

signals:
    // The statement to open; in a new window, or the active one.
    void openStatement(const QString &statement, bool newWindow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString currentStatement() const;

    QueryHistory &history_;
    QLineEdit *filter_;
    QTableView *view_;
    HistoryModel *model_;
    QMenu *menu_;
};
