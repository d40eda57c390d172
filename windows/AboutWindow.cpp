#include "windows/AboutWindow.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "common/Version.h"

namespace k7 {

void placeRelativeTo(QWidget* window, QWidget* mainWindow, double acrossPercent,
                     double downPercent) {
    if (!mainWindow) return;
    // The whole window, title bar and borders included, is what has to fit.
    const QSize size = window->frameGeometry().size();
    const QRect m = mainWindow->frameGeometry();
    QPoint p(static_cast<int>(m.x() + m.width() * acrossPercent / 100 - size.width() / 2.0),
             static_cast<int>(m.y() + m.height() * downPercent / 100 - size.height() / 2.0));
    if (QScreen* s = mainWindow->screen()) {
        const QRect r = s->availableGeometry();
        p.setX(std::max(std::min(p.x(), r.x() + r.width() - size.width()), r.x()));
        p.setY(std::max(std::min(p.y(), r.y() + r.height() - size.height()), r.y()));
    }
    window->move(std::max(p.x(), 0), std::max(p.y(), 0));
}

QString licenceText() {
    QString text;
    for (const char* name : {":/LICENSE", ":/packaging/THIRD-PARTY-NOTICES.txt"}) {
        QFile f(name);
        if (f.open(QIODevice::ReadOnly)) text += QString::fromUtf8(f.readAll()) + "\n\n";
    }
    return text.trimmed();
}

namespace {

void showLicences(QWidget* parent) {
    QDialog dlg(parent);
    dlg.setObjectName("frmLicences");
    dlg.setWindowTitle("Licences");
    auto* layout = new QVBoxLayout(&dlg);
    auto* text = new QPlainTextEdit(licenceText(), &dlg);
    text->setObjectName("txtLicences");
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics fm(text->font());
    text->setMinimumSize(fm.horizontalAdvance(QString(92, 'n')), fm.height() * 24);
    layout->addWidget(text);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &dlg);
    QObject::connect(close, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(close);
    dlg.exec();
}

}  // namespace

AboutWindow::AboutWindow(QWidget* mainWindow) : QDialog(mainWindow) {
    setObjectName("FormAbout");
    setWindowTitle("About this program");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(6);
    const char* maker[] = {"K-7700 Smart Ultrasonic Sensor",
                           "Configuration and Diagnostic Software", "Sensor Systems Engineering",
                           "Technical support: see the sensor's manual"};
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel(maker[i], this);
        l->setObjectName(QString("Label%1").arg(i + 1));
        if (i == 0) {
            QFont f = l->font();
            f.setBold(true);
            f.setPointSizeF(f.pointSizeF() * 1.2);
            l->setFont(f);
        }
        layout->addWidget(l);
    }
    auto* Label5 = new QLabel(QString::fromStdString("K7700/SW version " + versionText()), this);
    Label5->setObjectName("Label5");
    layout->addSpacing(8);
    layout->addWidget(Label5);
    auto* lblLicence = new QLabel(
        "Free software under the MIT License. Uses the Qt libraries (Core, Gui, Widgets,\n"
        "SerialPort, PrintSupport) under the GNU LGPL version 3.",
        this);
    lblLicence->setObjectName("lblLicence");
    layout->addWidget(lblLicence);
    auto* cmdLicences = new QPushButton("&Licences ...", this);
    cmdLicences->setObjectName("cmdLicences");
    connect(cmdLicences, &QPushButton::clicked, this, [this] { showLicences(this); });
    auto* Command1 = new QPushButton("&Close this Window", this);
    Command1->setObjectName("Command1");
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    layout->addSpacing(8);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdLicences);
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    layout->addLayout(buttons);
}

void AboutWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    placeRelativeTo(this, parentWidget(), 85, 25);
}

}  // namespace k7
