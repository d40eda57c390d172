#include "windows/CommHistoryWindow.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "link/LineHealth.h"
#include "link/Link.h"
#include "windows/ScreenFit.h"

namespace k7 {
namespace {

QTableWidget* table(const QStringList& header, const char* name, QWidget* parent) {
    auto* t = new QTableWidget(0, static_cast<int>(header.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(header);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setAlternatingRowColors(true);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return t;
}

void setRow(QTableWidget* t, int row, const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
        item->setTextAlignment(c == 0 ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(row, static_cast<int>(c), item);
    }
}

QWidget* titled(const QString& title, QWidget* body, QWidget* below = nullptr) {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    auto* l = new QLabel(title, w);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    v->addWidget(l);
    v->addWidget(body, 1);
    if (below) v->addWidget(below);
    return w;
}

}  // namespace

CommHistoryWindow::CommHistoryWindow(Link& link, QWidget* parent) : QDialog(parent), link_(link) {
    setObjectName("frmCommHistory");
    setWindowTitle("K-7700 - Comm History and Line Health");
    tblHistory = table({"Time", "Tag", "Status", "Data 0", "Data 1", "Data 2", "Checksum"},
                       "tblHistory", this);
    QStringList health;
    for (const std::string& h : lineHealthHeader()) health << QString::fromStdString(h);
    tblHealth = table(health, "tblHealth", this);
    lblLine = new QLabel(this);
    lblLine->setObjectName("lblLine");
    lblLine->setWordWrap(true);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(titled("Replies read (newest first)", tblHistory));
    split->addWidget(titled("Line health of each ID tag that has answered", tblHealth, lblLine));
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 5);
    split->setChildrenCollapsible(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* refreshButton = buttons->addButton("&Refresh", QDialogButtonBox::ActionRole);
    refreshButton->setObjectName("cmdRefresh");
    QPushButton* close = buttons->addButton("&Close", QDialogButtonBox::RejectRole);
    close->setObjectName("cmdClose");
    connect(refreshButton, &QPushButton::clicked, this, &CommHistoryWindow::refresh);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* v = new QVBoxLayout(this);
    v->addWidget(split, 1);
    v->addWidget(buttons);
    fitWindowToScreen(this, {1100, 460});

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setObjectName("tmrRefresh");
    refreshTimer_->setInterval(1000);
    connect(refreshTimer_, &QTimer::timeout, this, &CommHistoryWindow::refresh);
    refreshTimer_->start();
    refresh();
}

void CommHistoryWindow::refresh() {
    const std::vector<HistoryRecord> replies = link_.history.latest(link_.history.written);
    tblHistory->setRowCount(static_cast<int>(replies.size()));
    int row = 0;
    for (auto r = replies.rbegin(); r != replies.rend(); ++r, ++row) {
        std::vector<std::string> cells{isoTimeOfDay(r->time)};
        for (std::uint8_t b : r->bytes) cells.push_back(std::to_string(b));
        setRow(tblHistory, row, cells);
    }
    // A search probes every tag: only those that ever answered are sensors on the line.
    std::vector<int> tags = tagsSeen(link_.stats);
    std::erase_if(tags, [this](int t) { return !link_.stats.tag(t).lastAnswered; });
    tblHealth->setRowCount(static_cast<int>(tags.size()));
    for (std::size_t i = 0; i < tags.size(); ++i) {
        setRow(tblHealth, static_cast<int>(i), lineHealthRow(tags[i], link_.stats.tag(tags[i])));
    }
    const LineStats& s = link_.stats;
    QString line = QString(
                       "Whole line: %1 echoed requests skipped, %2 late copies dropped, "
                       "%3 replies from other tags while probing.")
                       .arg(s.echoes)
                       .arg(s.lateCopiesDropped)
                       .arg(s.foreignReplies);
    for (const std::string& note : s.notes) line += "\n" + QString::fromStdString(note);
    lblLine->setText(line);
}

}  // namespace k7
