#include "service/LowEepromWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "service/FactoryBench.h"
#include "windows/Widgets.h"

namespace k7 {
LowEepromWindow::LowEepromWindow(Link& link, QWidget* mainWindow)
    : BenchWindow(mainWindow), link_(link) {
    setObjectName("frmLowEEPROM");
    setWindowTitle("Low EEPROM");

    lblIDTag = new QLabel(this);
    lblIDTag->setObjectName("lblIDTag");
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(12);
    g->addWidget(boldLabel("Parameter", this), 0, 0);
    g->addWidget(boldLabel("Adr", this), 0, 1);
    g->addWidget(boldLabel("Read", this), 0, 2);
    g->addWidget(boldLabel("Write", this), 0, 3);
    for (std::size_t i = 0; i < kLowEepromRows.size(); ++i) {
        const LowEepromRow& row = kLowEepromRows[i];
        const int r = static_cast<int>(i) + 1;
        auto* read = new QLineEdit(this);
        read->setObjectName(row.readName);
        read->setReadOnly(true);
        read->setFocusPolicy(Qt::ClickFocus);
        auto* write = new QLineEdit(this);
        write->setObjectName(row.writeName);
        for (QLineEdit* e : {read, write}) {
            e->setFixedWidth(100);
            e->setAlignment(Qt::AlignRight);
        }
        auto* parameter = new QLabel(row.parameter, this);
        parameter->setBuddy(write);
        g->addWidget(parameter, r, 0);
        g->addWidget(new QLabel(row.address, this), r, 1);
        g->addWidget(read, r, 2);
        g->addWidget(write, r, 3);
        readFields[i] = read;
        writeFields[i] = write;
    }

    cmdReadAll = commandButton(this, "cmdReadAll", "&Read All");
    cmdClearAll = commandButton(this, "cmdClearAll", "&Clear All Reads");
    BootK7K = commandButton(this, "BootK7K", "&Boot");
    cmdWriteAll = commandButton(this, "cmdWriteAll", "&Write All Filled in Values");
    cmdExit = commandButton(this, "cmdExit", "E&xit");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdReadAll, cmdClearAll, BootK7K, cmdWriteAll}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 10);
    layout->setSpacing(10);
    layout->addWidget(lblIDTag);
    layout->addLayout(g);
    layout->addLayout(buttons);

    onClick(cmdReadAll, [this] { readAll(); });
    onClick(cmdClearAll, [this] { clearReads(); });
    onClick(BootK7K, [this] { bootSensor(link_); });
    onClick(cmdWriteAll, [this] { writeAll(); });
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::close);
    disableWhileHandling({cmdReadAll, cmdClearAll, BootK7K, cmdWriteAll});
}

void LowEepromWindow::clearReads() {
    for (QLineEdit* e : readFields) e->clear();
}

void LowEepromWindow::readAll() {
    clearReads();
    tag_ = link_.ui().addressedTagText();
    lblIDTag->setText(QString::fromStdString("Values of the sensor with ID Tag " + tag_));
    const LowEepromValues values = readLowEeprom(link_);
    if (isClosed()) return;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i]) readFields[i]->setText(QString::number(*values[i]));
    }
}

void LowEepromWindow::sensorShown() {
    // Not from inside the main window's own read: once it is over, and only for another tag.
    QTimer::singleShot(0, this, [this] {
        handle([this] {
            if (link_.ui().addressedTagText() != tag_) readAll();
        });
    });
}

void LowEepromWindow::message(const QString& text, const char* name) {
    QMessageBox box(QMessageBox::Warning, "Low EEPROM", text, QMessageBox::Ok, this);
    box.setObjectName(name);
    box.exec();
}

void LowEepromWindow::writeAll() {
    std::array<std::string, kLowEepromRowCount> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = writeFields[i]->text().toStdString();
    const LowEepromInput input = checkLowEepromInput(texts);
    if (!input.refusal.empty()) {
        message(QString::fromStdString(input.refusal), "InputRefused");
        return;
    }
    const LowEepromWrite w = writeLowEeprom(link_, input.values);
    if (w.failures.empty() || link_.programEnding || isClosed()) return;
    QString text = "These values did not take:";
    for (const auto& [row, cell] : w.failures) {
        text += QString("\n    %1: EEPROM cell %2 did not take the value written")
                    .arg(kLowEepromRows[row].parameter)
                    .arg(cell);
    }
    text += "\nThe cells after a refused one were not written.";
    message(text, "WriteFailed");
}

}  // namespace k7
