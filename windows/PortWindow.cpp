#include "windows/PortWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace k7 {

PortWindow::PortWindow(const PortChoice& current, const QString& message, QWidget* parent,
                       bool cancellable)
    : QDialog(parent), cancellable_(cancellable) {
    setObjectName("frmGetComm");
    setWindowTitle("Communications Port");
    setModal(true);

    CommMessage_ = new QLabel(message, this);
    CommMessage_->setObjectName("CommMessage");
    CommMessage_->setWordWrap(true);
    CommMessage_->setMinimumWidth(360);

    auto* group = new QButtonGroup(this);
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    for (int i = 0; i <= 5; ++i) {
        QString caption =
            i == 0 ? "dummy for index 0" : (i == 5 ? "Comm" : QString("Comm %1").arg(i));
        SelectComm_[i] = new QRadioButton(caption, box);
        SelectComm_[i]->setObjectName(QString("SelectComm(%1)").arg(i));
        group->addButton(SelectComm_[i]);
    }
    SelectComm_[0]->hide();
    for (int i = 1; i <= 4; ++i) grid->addWidget(SelectComm_[i], (i - 1) / 2, (i - 1) % 2);
    txtPortNum_ = new QLineEdit(box);
    txtPortNum_->setObjectName("txtPortNum");
    txtPortNum_->setValidator(new QIntValidator(1, 255, txtPortNum_));
    txtPortNum_->setMaximumWidth(60);
    auto* other = new QHBoxLayout;
    other->addWidget(SelectComm_[5]);
    other->addWidget(txtPortNum_);
    other->addStretch();
    grid->addLayout(other, 2, 0, 1, 2);

    SelectDevice_ = new QRadioButton("&Device:", box);
    SelectDevice_->setObjectName("SelectDevice");
    group->addButton(SelectDevice_);
    cbDevice_ = new QComboBox(box);
    cbDevice_->setObjectName("cbDevice");
    cbDevice_->setEditable(true);
    cbDevice_->setMinimumWidth(220);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString label = info.systemLocation();
        cbDevice_->addItem(label);
        if (!info.description().isEmpty()) {
            cbDevice_->setItemData(cbDevice_->count() - 1, info.description(), Qt::ToolTipRole);
        }
    }
    auto* dev = new QHBoxLayout;
    dev->addWidget(SelectDevice_);
    dev->addWidget(cbDevice_, 1);
    grid->addLayout(dev, 3, 0, 1, 2);

    CommOK_ = new QPushButton("OK", this);
    CommOK_->setObjectName("CommOK");
    CommOK_->setDefault(true);
    ExitCommand_ = new QPushButton(cancellable ? "Cancel" : "Exit Program", this);
    ExitCommand_->setObjectName("ExitCommand");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CommOK_);
    buttons->addWidget(ExitCommand_);

    auto* hint = new QLabel(QString::fromStdString(portNumberHint()), box);
    hint->setObjectName("lblPortHint");
    grid->addWidget(hint, 4, 0, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CommMessage_);
    layout->addWidget(box);
    layout->addLayout(buttons);

    // Initial selection from the current port; the keyboard starts on it (or on Comm 1).
    QWidget* first = SelectComm_[1];
    if (!current.device.empty()) {
        SelectDevice_->setChecked(true);
        cbDevice_->setCurrentText(QString::fromStdString(current.device));
        first = cbDevice_;
    } else if (current.number >= 5) {
        txtPortNum_->setText(QString::number(current.number));
        SelectComm_[5]->setChecked(true);
        first = txtPortNum_;
    } else if (current.number >= 1) {
        SelectComm_[current.number]->setChecked(true);
        first = SelectComm_[current.number];
    }
    first->setFocus();

    connect(group, &QButtonGroup::buttonClicked, this, [this] { updateOk(); });
    // Choosing the option of a field (by mouse or mnemonic) puts the keyboard in the field.
    connect(SelectDevice_, &QRadioButton::clicked, this, [this] {
        cbDevice_->setFocus(Qt::ShortcutFocusReason);
        cbDevice_->lineEdit()->selectAll();
    });
    connect(SelectComm_[5], &QRadioButton::clicked, this, [this] {
        txtPortNum_->setFocus(Qt::ShortcutFocusReason);
        txtPortNum_->selectAll();
    });
    connect(txtPortNum_, &QLineEdit::textEdited, this, [this] {
        SelectComm_[5]->setChecked(true);
        updateOk();
    });
    connect(cbDevice_, &QComboBox::currentTextChanged, this, [this] {
        SelectDevice_->setChecked(true);
        updateOk();
    });
    connect(CommOK_, &QPushButton::clicked, this, &PortWindow::accept);
    connect(ExitCommand_, &QPushButton::clicked, this, [this] {
        exitChosen_ = !cancellable_;
        QDialog::reject();
    });
    updateOk();
}

PortChoice PortWindow::choice() const {
    PortChoice p;
    if (SelectDevice_->isChecked()) {
        p.device = cbDevice_->currentText().trimmed().toStdString();
        return p;
    }
    for (int i = 1; i <= 4; ++i) {
        if (SelectComm_[i]->isChecked()) p.number = i;
    }
    if (SelectComm_[5]->isChecked()) p.number = txtPortNum_->text().toInt();
    return p;
}

void PortWindow::updateOk() {
    // OK only with a usable choice: a typed number must be a port number, a device a path.
    CommOK_->setEnabled(choice().chosen());
}

void PortWindow::accept() {
    if (!choice().chosen()) return;
    CommMessage_->clear();
    QDialog::accept();
}

void PortWindow::reject() {
    // Esc does not dismiss the window at start-up: the program needs a port or an explicit
    // exit. A running program keeps its port.
    if (cancellable_) QDialog::reject();
}

void PortWindow::closeEvent(QCloseEvent* e) {
    // Closing the window is the same as its "Exit Program" (or "Cancel").
    exitChosen_ = !cancellable_;
    e->accept();
    QDialog::reject();
}

}  // namespace k7
