#include "HistoryPanel.h"

#include "common/Prompt.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

void HistoryModel::setEntries(QList<HistoryEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

int HistoryModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const HistoryEntry &e = entries_[index.row()];
    if (role == Qt::ToolTipRole)
        return e.ok ? e.statement : e.statement + "\n\n" + e.error;
    if (role == Qt::AccessibleTextRole || role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0:
            return e.statement.simplified();
        case 1:
            return e.when.toString("yyyy-MM-dd HH:mm:ss");
        case 2:
            return e.ok ? (e.rows >= 0 ? QString("%1 rows").arg(e.rows) : QString("OK")) : e.error;
        case 3:
            return e.user + "@" + e.dataSource;
        default:
            return {};
        }
    }
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const titles[] = {"Statement", "Run", "Result", "Log-on"};
    return section >= 0 && section < 4 ? QString(titles[section]) : QVariant();
}

HistoryPanel::HistoryPanel(QueryHistory &history, QWidget *parent)
    : QWidget(parent), history_(history) {
    setObjectName("HistoryPanel");
    filter_ = new QLineEdit(this);
    filter_->setObjectName("txtHistoryFilter");
    filter_->setAccessibleName("Filter the history");
    filter_->setPlaceholderText("Filter");
    filter_->setClearButtonEnabled(true);
    model_ = new HistoryModel(this);
    view_ = new QTableView(this);
    view_->setObjectName("lvwHistory");
    view_->setAccessibleName("Query history");
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(filter_);
    layout->addWidget(view_);

    menu_ = new QMenu(this);
    menu_->setObjectName("mnuHistory");
    QAction *open = menu_->addAction("Open in New Window");
    open->setObjectName("mnuHistoryOpenNew");
    QAction *copy = menu_->addAction("Copy");
    copy->setObjectName("mnuHistoryCopy");
    menu_->addSeparator();
    QAction *clear = menu_->addAction("Clear History");
    clear->setObjectName("mnuHistoryClear");
    connect(open, &QAction::triggered, this, [this] {
        if (const QString text = currentStatement(); !text.isEmpty())
            emit openStatement(text, true);
    });
    connect(copy, &QAction::triggered, this, [this] {
        if (const QString text = currentStatement(); !text.isEmpty())
            QApplication::clipboard()->setText(text);
    });
    connect(clear, &QAction::triggered, this, [this] {
        if (bm::Prompt::current().message(QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                          QApplication::applicationName(),
                                          "Remove every statement from the history?") !=
            QMessageBox::Yes)
            return;
        history_.clear();
        refresh();
    });
    connect(view_, &QTableView::customContextMenuRequested, this,
            [this](const QPoint &at) { menu_->popup(view_->viewport()->mapToGlobal(at)); });
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        emit openStatement(model_->entry(index.row()).statement, false);
    });
    connect(filter_, &QLineEdit::textChanged, this, [this] { refresh(); });
}

void HistoryPanel::refresh() {
    model_->setEntries(history_.recent(filter_->text()));
    if (model_->rowCount() > 0 && !view_->currentIndex().isValid())
        view_->setCurrentIndex(model_->index(0, 0));
}

QString HistoryPanel::currentStatement() const {
    const QModelIndex index = view_->currentIndex();
    return index.isValid() ? model_->entry(index.row()).statement : QString();
}

bool HistoryPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && view_->currentIndex().isValid()) {
            emit openStatement(currentStatement(), false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
