#include "service/RingTimesWindow.h"

#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/ScreenFit.h"
#include "windows/Widgets.h"

namespace k7 {
namespace {

QLineEdit* column(QWidget* parent, const QString& name, int row, bool editable = false) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString("%1(%2)").arg(name).arg(row));
    e->setReadOnly(!editable);
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(70);
    e->setFocusPolicy(editable ? Qt::StrongFocus : Qt::ClickFocus);
    if (!editable) {
        // Shown values sit on the window's colour; only the two fields one can type in are white.
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        e->setPalette(pal);
    }
    return e;
}

QLabel* centred(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

}  // namespace

RingTimesWindow::RingTimesWindow(const QString& serialNumber, QWidget* mainWindow)
    : ServiceWindow(mainWindow) {
    setObjectName("G615RingTimes");
    setWindowTitle("G615 Ring Times");

    TimeAndDate = new QLabel(this);
    TimeAndDate->setObjectName("TimeAndDate");
    lblSerialNumber = new QLabel("Serial Number = " + serialNumber.trimmed(), this);
    lblSerialNumber->setObjectName("lblSerialNumber");

    auto* g = new QGridLayout;
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(3);
    enum { kLine, kTicks, kMs, kPlus, kMult, kName };
    // Column headings, the adjustable fields among them.
    auto heading = [&](int col, std::initializer_list<QWidget*> lines) {
        auto* box = new QVBoxLayout;
        box->setSpacing(0);
        for (QWidget* w : lines) box->addWidget(w, 0, Qt::AlignHCenter);
        g->addLayout(box, 0, col, Qt::AlignBottom);
    };
    Additive = column(this, "Additive", 0, true);
    Additive->setObjectName("Additive");
    Additive->setText(".376");
    Multiplier = column(this, "Multiplier", 0, true);
    Multiplier->setObjectName("Multiplier");
    Multiplier->setText("1.1");
    auto* column2 = centred("Column &2", this);
    column2->setBuddy(Additive);
    auto* column3 = centred("Column &3", this);
    column3->setBuddy(Multiplier);
    heading(kTicks, {centred("Timer 1:", this), centred(".8 uSec.", this), centred("units", this)});
    heading(kMs, {centred("mSecs.", this)});
    heading(kPlus, {column2, centred("plus", this), Additive, centred("mSecs.", this)});
    heading(kMult, {column3, centred("times", this), Multiplier, centred("mSecs.", this)});
    heading(kName, {centred("Parameter Name", this)});

    g->setRowMinimumHeight(1, 6);
    int gridRow = 2;
    for (const RingTimeGroup& group : kRingTimeGroups) {
        auto* title = boldLabel(group.heading, this);
        g->addWidget(title, gridRow++, 0, 1, -1);
        for (int row = group.firstRow; row < group.firstRow + group.rows; ++row) {
            const auto i = static_cast<std::size_t>(row);
            T1Ticks[i] = column(this, "T1Ticks", row);
            T1mSec[i] = column(this, "T1mSec", row);
            PlusMs[i] = column(this, "PlusMs", row);
            MultMs[i] = column(this, "MultMs", row);
            auto* line = new QLabel(kRingTimes[i].line, this);
            line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            auto* name = new QLabel(kRingTimes[i].parameter, this);
            name->setObjectName(QString("ParameterName(%1)").arg(row));
            g->addWidget(line, gridRow, kLine);
            g->addWidget(T1Ticks[i], gridRow, kTicks);
            g->addWidget(T1mSec[i], gridRow, kMs);
            g->addWidget(PlusMs[i], gridRow, kPlus);
            g->addWidget(MultMs[i], gridRow, kMult);
            g->addWidget(name, gridRow, kName);
            ++gridRow;
        }
        g->setRowMinimumHeight(gridRow++, 8);
    }

    Command1 = new QPushButton("E&xit", this);
    Command1->setObjectName("Command1");
    Command1->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(TimeAndDate);
    top->addStretch();
    top->addWidget(lblSerialNumber);
    // The rows scroll on a small screen; the time, the serial number and Exit stay in view.
    auto* rows = new QWidget(this);
    g->setContentsMargins(0, 0, 0, 0);
    rows->setLayout(g);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addWidget(scrollingBody(rows, this, "RingTimesBody"), 1);
    layout->addWidget(Command1, 0, Qt::AlignRight);

    connect(Additive, &QLineEdit::textChanged, this, &RingTimesWindow::additiveChanged);
    connect(Multiplier, &QLineEdit::textChanged, this, &RingTimesWindow::multiplierChanged);
}

bool RingTimesWindow::load(Link& link) {
    const auto words = readRingTimes(link);
    if (!words) return false;
    for (std::size_t i = 0; i < words->size(); ++i) {
        T1Ticks[i]->setText(QString::number((*words)[i]));
        T1mSec[i]->setText(QString::fromStdString(ringMsText((*words)[i])));
    }
    additiveChanged();
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    TimeAndDate->setText(locale.toString(now.time(), QLocale::ShortFormat) + " " +
                         locale.toString(now.date(), QLocale::ShortFormat));
    return true;
}

void RingTimesWindow::additiveChanged() {
    const std::string additive = Additive->text().toStdString();
    for (std::size_t i = 0; i < PlusMs.size(); ++i) {
        PlusMs[i]->setText(
            QString::fromStdString(ringPlusText(T1mSec[i]->text().toStdString(), additive)));
    }
    multiplierChanged();
}

void RingTimesWindow::multiplierChanged() {
    const std::string multiplier = Multiplier->text().toStdString();
    for (std::size_t i = 0; i < MultMs.size(); ++i) {
        MultMs[i]->setText(
            QString::fromStdString(ringTimesText(PlusMs[i]->text().toStdString(), multiplier)));
    }
}

}  // namespace k7
