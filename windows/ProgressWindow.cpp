#include "windows/ProgressWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Version.h"
#include "windows/Help.h"
#include "windows/Placement.h"

namespace k7 {

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("frmGauge");
    setWindowTitle("K-7700 - PC Serial Communications");

    Label1_ = new QLabel("Reading K-7700 Data", this);
    Label1_->setObjectName("Label1");
    QFont f = Label1_->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    Label1_->setFont(f);
    Label1_->setAlignment(Qt::AlignCenter);
    auto* Label2 =
        new QLabel(QString::fromStdString("K7700 Software Version " + versionText()), this);
    Label2->setObjectName("Label2");
    Label2->setAlignment(Qt::AlignCenter);
    Gauge1_ = new QProgressBar(this);
    Gauge1_->setObjectName("Gauge1");
    Gauge1_->setRange(0, 100);
    Gauge1_->setMinimumWidth(380);
    lblNote_ = new QLabel(this);
    lblNote_->setObjectName("lblNote");
    lblNote_->setWordWrap(true);
    lblNote_->hide();

    btnHelp_ = new QPushButton("&Help", this);
    btnHelp_->setObjectName("btnHelp");
    SelNewComm_ = new QPushButton("&Select New Comm Port", this);
    SelNewComm_->setObjectName("SelNewComm");
    exitProg_ = new QPushButton("E&xit Program", this);
    exitProg_->setObjectName("exitProg");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exitProg_);
    buttons->addStretch();
    buttons->addWidget(btnHelp_);
    buttons->addWidget(SelNewComm_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(12);
    layout->addWidget(Label1_);
    layout->addWidget(Gauge1_);
    layout->addWidget(lblNote_);
    layout->addWidget(Label2);
    layout->addLayout(buttons);

    connect(btnHelp_, &QPushButton::clicked, this, [this] { showHelp(this); });
    connect(SelNewComm_, &QPushButton::clicked, this, [this] {
        newPortRequested_ = true;
        hide();
    });
    // A key pressed by chance must never end the program in the middle of a read or a write:
    // no button is the default and Exit is not in the focus chain (its mnemonic still works).
    for (QPushButton* b : {btnHelp_, SelNewComm_, exitProg_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    exitProg_->setFocusPolicy(Qt::NoFocus);
    connect(exitProg_, &QPushButton::clicked, this, [this] {
        if (!searching_) {
            const auto answer = QMessageBox::warning(
                this, "K-7700 - PC Serial Communications",
                "The sensor is being read or programmed. Ending the program now can leave it "
                "partly programmed.\n\nEnd the program anyway?",
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes) return;
        }
        emit exitRequested();
    });
}

void ProgressWindow::prepare(const QString& caption, bool searching) {
    // A search that goes round again keeps its note; anything else starts without one.
    if (Label1_->text() != caption) setNote({});
    Label1_->setText(caption);
    SelNewComm_->setVisible(searching);
    btnHelp_->setVisible(searching);
    searching_ = searching;
    newPortRequested_ = false;
}

void ProgressWindow::setNote(const QString& text) {
    if (lblNote_->text() == text) return;
    lblNote_->setText(text);
    lblNote_->setVisible(!text.isEmpty());
    adjustSize();
    if (isVisible()) placeAtCentre();
}

void ProgressWindow::placeAtCentre() {
    adjustSize();
    centreOn(this, availableArea(this));
}

void ProgressWindow::setPercent(int percent) {
    Gauge1_->setValue(percent);
    Gauge1_->repaint();
}

int ProgressWindow::percent() const {
    return Gauge1_->value();
}

void ProgressWindow::setCaption(const QString& caption) {
    Label1_->setText(caption);
    Label1_->repaint();
}

QString ProgressWindow::caption() const {
    return Label1_->text();
}

void ProgressWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Gauge1_->setValue(0);
    placeAtCentre();
}

void ProgressWindow::closeEvent(QCloseEvent* e) {
    if (e->spontaneous()) {
        e->ignore();  // leave through the buttons
        return;
    }
    QDialog::closeEvent(e);
    if (parentWidget()) parentWidget()->raise();
}

}  // namespace k7
