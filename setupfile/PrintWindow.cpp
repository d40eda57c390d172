#include "setupfile/PrintWindow.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QWidget>
#include <algorithm>

#include "common/RegularFile.h"

namespace k7 {
namespace {

// Takes the window off the screen in white for the picture and puts it back on every path.
class WhiteForPrinting {
public:
    explicit WhiteForPrinting(QWidget* window)
        : window_(window),
          palette_(window->palette()),
          ownPalette_(window->testAttribute(Qt::WA_SetPalette)),
          autoFill_(window->autoFillBackground()),
          visible_(window->isVisible()) {
        window->hide();
        QPalette white = palette_;
        white.setColor(QPalette::Window, Qt::white);
        window->setPalette(white);
        window->setAutoFillBackground(true);
    }
    ~WhiteForPrinting() {
        // A window that had no palette of its own follows the system's colours again.
        window_->setPalette(ownPalette_ ? palette_ : QPalette());
        window_->setAttribute(Qt::WA_SetPalette, ownPalette_);
        window_->setAutoFillBackground(autoFill_);
        if (visible_) window_->show();
    }
    WhiteForPrinting(const WhiteForPrinting&) = delete;
    WhiteForPrinting& operator=(const WhiteForPrinting&) = delete;

private:
    QWidget* window_;
    QPalette palette_;
    bool ownPalette_;
    bool autoFill_;
    bool visible_;
};

}  // namespace

QImage windowImage(QWidget* window, const std::vector<QWidget*>& parts) {
    std::vector<QImage> images;
    {
        const WhiteForPrinting white(window);
        for (QWidget* part : parts) {
            images.push_back(part->grab().toImage());
            images.back().setDevicePixelRatio(1);  // put together pixel for pixel
        }
    }
    QSize size;
    for (const QImage& i : images) {
        size = QSize(std::max(size.width(), i.width()), size.height() + i.height());
    }
    if (images.empty()) return {};
    QImage image(size, images.front().format());
    image.fill(Qt::white);
    QPainter p(&image);
    int y = 0;
    for (const QImage& i : images) {
        p.drawImage(QPoint(0, y), i);
        y += i.height();
    }
    return image;
}

bool printImage(const QImage& image, QPrinter& printer, QString* error) {
    // Printed to a file: a FIFO would block the window, a read-only file be written over.
    const std::string file = printer.outputFileName().toStdString();
    if (const auto refused = file.empty() ? std::nullopt : writeRefusal(file)) {
        if (error) *error = QString::fromStdString("Printer error: " + refused->message);
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error) {
            *error = printer.outputFileName().isEmpty()
                         ? "Printer error: the printer " + printer.printerName() + " cannot be used"
                         : "Printer error: cannot write " + printer.outputFileName();
        }
        return false;
    }
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(page.topLeft(), size), image);
    if (!painter.end()) {
        if (error) *error = "Printer error: the page could not be finished";
        return false;
    }
    return true;
}

}  // namespace k7
