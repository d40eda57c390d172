#include "windows/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "windows/HelpPage.h"
#include "windows/Placement.h"

namespace k7 {
namespace {

// Below this the help is no longer worth reading beside its opener: it goes on top instead.
constexpr int kMinWidth = 300;
constexpr int kMinHeight = 150;

QDialog* makeHelpWindow(QWidget* parent) {
    auto* dlg = new QDialog(parent, Qt::Window);
    dlg->setObjectName("HelpWindow");
    dlg->setWindowTitle("K7700 Help");
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QTextBrowser(dlg);
    text->setObjectName("HelpText");
    text->setHtml(helpPageHtml());
    auto* box = new QDialogButtonBox(QDialogButtonBox::Close, dlg);
    QObject::connect(box, &QDialogButtonBox::rejected, dlg, &QDialog::close);
    auto* layout = new QVBoxLayout(dlg);
    layout->addWidget(text);
    layout->addWidget(box);
    return dlg;
}

void place(QDialog* dlg, QWidget* opener) {
    const QRect screen = availableArea(opener);
    const QFontMetrics fm = dlg->fontMetrics();
    const QSize want(std::min(fm.averageCharWidth() * 90, screen.width()),
                     std::min(fm.lineSpacing() * 36, screen.height()));
    const QRect beside = opener ? placeClearOf(opener->window()->frameGeometry(), want, screen,
                                               QSize(kMinWidth, kMinHeight))
                                : QRect();
    if (!beside.isEmpty()) {
        dlg->setGeometry(beside);
        return;
    }
    dlg->resize(want);
    centreOn(dlg, screen);
}

}  // namespace

void showHelp(QWidget* opener) {
    // A help file placed beside the program (or in the working folder) wins.
    for (const QString& dir : {QCoreApplication::applicationDirPath(), QString(".")}) {
        QFileInfo fi(dir + "/" + kHelpFileName);
        if (fi.exists() && QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()))) {
            return;
        }
    }
    QWidget* owner = opener ? opener->window() : nullptr;
    auto* dlg =
        owner ? owner->findChild<QDialog*>("HelpWindow", Qt::FindDirectChildrenOnly) : nullptr;
    const bool fresh = !dlg;
    if (fresh) {
        dlg = makeHelpWindow(owner);
        place(dlg, opener);
    }
    dlg->show();
    if (fresh) keepInside(dlg, availableArea(dlg));  // its frame is known once shown
    dlg->raise();
    dlg->activateWindow();
    // On a screen too small for both side by side the window it came from stays in sight.
    if (opener && dlg->frameGeometry().intersects(opener->window()->frameGeometry())) {
        opener->window()->raise();
    }
}

}  // namespace k7
