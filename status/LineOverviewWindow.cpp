#include "status/LineOverviewWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/ProgramState.h"
#include "status/OverviewTable.h"
#include "windows/Widgets.h"

namespace k7 {
namespace {

constexpr int kBusyRetryMs = 50;               // the line was held elsewhere: try again soon
constexpr int kSilentRole = Qt::UserRole + 1;  // the row is shown greyed
// Rows that changed are shown together this often: one repaint for several readings keeps a
// full line cheap to watch.
constexpr int kShowEveryMs = 50;

// Sorts numbers by value (rows with a number before those without), the rest by text.
class Item : public QTableWidgetItem {
public:
    std::optional<double> key;
    bool operator<(const QTableWidgetItem& other) const override {
        const auto* o = dynamic_cast<const Item*>(&other);
        if (o && key && o->key) return *key < *o->key;
        if (o && (key.has_value() != o->key.has_value())) return key.has_value();
        return text() < other.text();
    }
};

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

LineOverviewWindow::LineOverviewWindow(ProgramState& m, StatusPoll& poll,
                                       const std::vector<int>& tags, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_(m), poll_(m.link, m.formats) {
    setObjectName("frmLineOverview");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Line Overview");
    closeOnEscape(this);
    pause_.emplace(poll);
    poll_.setTags(tags);

    auto* layout = new QVBoxLayout(this);
    lblLine = new QLabel(this);
    lblLine->setObjectName("lblLine");
    layout->addWidget(lblLine);
    tblSensors = new QTableWidget(this);
    tblSensors->setObjectName("tblSensors");
    tblSensors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblSensors->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblSensors->setSelectionMode(QAbstractItemView::SingleSelection);
    tblSensors->verticalHeader()->hide();
    tblSensors->setAlternatingRowColors(true);
    tblSensors->setWordWrap(false);
    tblSensors->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblSensors->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    tblSensors->horizontalHeader()->setSortIndicatorShown(true);
    layout->addWidget(tblSensors, 1);

    auto* buttons = new QHBoxLayout;
    cmdShow = button("S&how in Main Window", "cmdShow", this);
    cmdSearch = button("&Search again", "cmdSearch", this);
    cmdCopy = button("&Copy Table", "cmdCopy", this);
    cmdClose = button("C&lose", "cmdClose", this);
    buttons->addWidget(cmdShow);
    buttons->addWidget(cmdSearch);
    buttons->addWidget(cmdCopy);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);

    tmrSweep = new QTimer(this);
    tmrSweep->setSingleShot(true);
    connect(tmrSweep, &QTimer::timeout, this, &LineOverviewWindow::sweepStep);
    tmrShow = new QTimer(this);
    tmrShow->setSingleShot(true);
    connect(tmrShow, &QTimer::timeout, this, &LineOverviewWindow::showPending);
    connect(tblSensors, &QAbstractItemView::activated, this, [this] { chooseCurrent(); });
    connect(cmdShow, &QPushButton::clicked, this, [this] { chooseCurrent(); });
    connect(cmdSearch, &QPushButton::clicked, this, &LineOverviewWindow::searchLine);
    connect(cmdCopy, &QPushButton::clicked, this, &LineOverviewWindow::copyTable);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    rebuild();
    tblSensors->sortByColumn(0, Qt::AscendingOrder);
    tblSensors->setSortingEnabled(true);
    tblSensors->resizeColumnsToContents();  // the headers with their sort marks
    tmrSweep->start(0);
}

LineOverviewWindow::~LineOverviewWindow() = default;

void LineOverviewWindow::closeEvent(QCloseEvent* e) {
    tmrSweep->stop();
    tmrShow->stop();
    pause_.reset();  // the main window's poll goes on as before
    QWidget::closeEvent(e);
}

void LineOverviewWindow::rebuild() {
    const bool sorting = tblSensors->isSortingEnabled();
    tblSensors->setSortingEnabled(false);
    shownUnit_ = m_.distanceUnit;
    QStringList header;
    for (const std::string& h : overviewHeader(shownUnit_)) header << QString::fromStdString(h);
    tblSensors->setColumnCount(static_cast<int>(header.size()));
    tblSensors->setHorizontalHeaderLabels(header);
    tblSensors->setRowCount(static_cast<int>(poll_.rows().size()));
    for (std::size_t i = 0; i < poll_.rows().size(); ++i) {
        for (int c = 0; c < tblSensors->columnCount(); ++c) {
            tblSensors->setItem(static_cast<int>(i), c, new Item);
        }
    }
    for (std::size_t i = 0; i < poll_.rows().size(); ++i) showRow(i);
    tblSensors->setSortingEnabled(sorting);
    tblSensors->resizeColumnsToContents();
    const int n = static_cast<int>(poll_.rows().size());
    lblLine->setText(QString("%1 sensor%2 on the line; each row is read in turn. Enter or a "
                             "double click shows a sensor in the main window.")
                         .arg(n)
                         .arg(n == 1 ? "" : "s"));
}

void LineOverviewWindow::showRow(std::size_t index) {
    const SensorRow& r = poll_.rows()[index];
    // Rows move when sorted: find the sensor's row by its tag (a new table's first free row),
    // and hold on to its items, which move with it.
    int row = -1;
    for (int i = 0; i < tblSensors->rowCount() && row < 0; ++i) {
        if (tblSensors->item(i, 0)->data(Qt::UserRole).toInt() == r.tag) row = i;
    }
    for (int i = 0; i < tblSensors->rowCount() && row < 0; ++i) {
        if (tblSensors->item(i, 0)->data(Qt::UserRole).isNull()) row = i;
    }
    if (row < 0) return;
    std::vector<Item*> items;
    for (int c = 0; c < tblSensors->columnCount(); ++c) {
        items.push_back(static_cast<Item*>(tblSensors->item(row, c)));
    }
    items[0]->setData(Qt::UserRole, r.tag);
    const std::vector<OverviewCell> cells = overviewRow(r, m_.link.stats.tag(r.tag), shownUnit_);
    // Only what changed is touched: a full line changes a row every few milliseconds.
    const bool greyChanged =
        items[0]->data(kSilentRole).toBool() != r.silent || items[0]->data(kSilentRole).isNull();
    items[0]->setData(kSilentRole, r.silent);
    QFont font = tblSensors->font();
    font.setItalic(r.silent);
    const QBrush ink =
        palette().brush(r.silent ? QPalette::Disabled : QPalette::Active, QPalette::Text);
    for (std::size_t c = 0; c < cells.size() && c < items.size(); ++c) {
        Item* item = items[c];
        if (greyChanged) {
            item->setForeground(ink);
            item->setFont(font);
        }
        const QString text = QString::fromStdString(cells[c].text);
        if (text == item->text()) continue;
        item->key = cells[c].sortKey;
        if (cells[c].sortKey) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setText(text);
        // A column grows to a text that would not fit; it never shrinks under the user.
        const int column = static_cast<int>(c);
        if (QFontMetrics(font).horizontalAdvance(text) + 16 > tblSensors->columnWidth(column)) {
            tblSensors->resizeColumnToContents(column);
        }
    }
}

void LineOverviewWindow::sweepStep() {
    if (m_.distanceUnit != shownUnit_) rebuild();
    const std::optional<std::size_t> changed = poll_.step();
    if (changed) {
        pending_.insert(*changed);
        if (!tmrShow->isActive()) tmrShow->start(kShowEveryMs);
    }
    timeNextStep(!changed && poll_.nextDueUs() <= m_.link.clock().nowUs());
}

void LineOverviewWindow::showPending() {
    tmrShow->stop();
    for (std::size_t i : pending_) showRow(i);
    pending_.clear();
}

void LineOverviewWindow::timeNextStep(bool lineWasBusy) {
    const std::int64_t waitUs = poll_.nextDueUs() - m_.link.clock().nowUs();
    const int ms = lineWasBusy
                       ? kBusyRetryMs
                       : static_cast<int>(std::clamp<std::int64_t>(
                             (waitUs + 999) / 1000, 0, RoundRobinPoll::kSilentRetryUs / 1000));
    tmrSweep->start(ms);
}

void LineOverviewWindow::searchLine() {
    if (m_.link.busy()) {
        QApplication::beep();
        return;
    }
    tmrSweep->stop();
    pending_.clear();
    for (QPushButton* b : {cmdShow, cmdSearch, cmdCopy}) b->setEnabled(false);
    lblLine->setText("Searching ID tags 1 to 32 ...");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<int> found = poll_.search();
    QApplication::restoreOverrideCursor();
    for (QPushButton* b : {cmdShow, cmdSearch, cmdCopy}) b->setEnabled(true);
    if (m_.link.programEnding) return;
    rebuild();
    emit searched(found);
    tmrSweep->start(0);
}

QString LineOverviewWindow::tableAsText() const {
    std::vector<std::string> header;
    for (int c = 0; c < tblSensors->columnCount(); ++c) {
        header.push_back(tblSensors->horizontalHeaderItem(c)->text().toStdString());
    }
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < tblSensors->rowCount(); ++r) {
        auto& cells = rows.emplace_back();
        for (int c = 0; c < tblSensors->columnCount(); ++c) {
            cells.push_back(tblSensors->item(r, c)->text().toStdString());
        }
    }
    return QString::fromStdString(tableText(header, rows));
}

void LineOverviewWindow::copyTable() {
    QApplication::clipboard()->setText(tableAsText());
    lblLine->setText("The table is on the clipboard, tab-separated.");
}

void LineOverviewWindow::chooseCurrent() {
    const int row = tblSensors->currentRow();
    if (row < 0) return;
    const QVariant tag = tblSensors->item(row, 0)->data(Qt::UserRole);
    if (!tag.isNull()) emit sensorChosen(tag.toInt());
}

}  // namespace k7
