#include "windows/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace k7 {
namespace {

const char* kBuiltInHelp = R"(
<h2>K7700 configuration and diagnostic tool</h2>
<h3>Contents</h3>
<ul>
<li><b>Connecting.</b> Choose the serial port the sensors are wired to. The program searches
ID tags 1 to 32 and lists every sensor that answers; pick one in the ID Tag list.</li>
<li><b>Status.</b> While you only look, the sensor's live distance, temperature, current output,
setpoint outputs and target strength are refreshed several times a second.</li>
<li><b>Editing.</b> Change any setting to enter edit mode; polling stops until you press
<i>Program K-7700</i> (the values are checked, written and read back) or <i>Cancel Editing</i>.</li>
<li><b>Units.</b> The Units menu shows distances in centimetres, inches, feet or metres and
temperatures in Celsius or Fahrenheit.</li>
<li><b>No communication.</b> When a sensor stops answering, check its power and wiring.</li>
</ul>
)";

}  // namespace

void showHelp(QWidget* parent) {
    // A help file placed beside the program (or in the working folder) wins.
    for (const QString& dir : {QCoreApplication::applicationDirPath(), QString(".")}) {
        QFileInfo fi(dir + "/" + kHelpFileName);
        if (fi.exists() && QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()))) {
            return;
        }
    }
    QDialog dlg(parent);
    dlg.setWindowTitle("K7700 Help");
    auto* text = new QTextBrowser(&dlg);
    text->setHtml(kBuiltInHelp);
    text->setMinimumSize(520, 360);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Close, &dlg);
    QObject::connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(text);
    layout->addWidget(box);
    dlg.exec();
}

}  // namespace k7
