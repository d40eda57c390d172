#pragma once
// The comm history beside the line's health: the last replies read, and for every ID tag the
// link has talked to its exchanges, bad replies, time-outs, re-sends, write retries and when
// it last answered. A technician finds a bad joint on a multi-drop line by the tags far down
// the cable that show errors. Reads only what the link has counted: it never uses the line.
#include <QDialog>

class QLabel;
class QTableWidget;
class QTimer;

namespace k7 {

class Link;

class CommHistoryWindow : public QDialog {
    Q_OBJECT
public:
    CommHistoryWindow(Link& link, QWidget* parent = nullptr);

    // Fills both tables from the link's counts (also every second while shown).
    void refresh();

    QTableWidget* tblHistory = nullptr;
    QTableWidget* tblHealth = nullptr;
    QLabel* lblLine = nullptr;  // the line as a whole: echoes, late copies, notes

private:
    Link& link_;
    QTimer* refreshTimer_ = nullptr;
};

}  // namespace k7
