#include "report/ReportPdf.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "acoustic/EchoPlotPainter.h"
#include "acoustic/PlotScale.h"
#include "common/RegularFile.h"
#include "common/Version.h"

namespace k7 {
namespace {

constexpr int kDpi = 300;
constexpr double kBodyPoints = 9;
constexpr double kSmallestBodyPoints = 6;
const QColor kInk(20, 20, 20);
const QColor kMuted(90, 90, 90);
const QColor kRule(185, 185, 185);
const QColor kBand(232, 236, 242);

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

int mm(double millimetres) {
    return static_cast<int>(millimetres / 25.4 * kDpi + 0.5);
}

// The fonts of one page, all from the body size so a crowded page shrinks as a whole.
struct Fonts {
    explicit Fonts(double body) {
        this->body.setPointSizeF(body);
        section = this->body;
        section.setBold(true);
        section.setPointSizeF(body * 0.95);
        title.setPointSizeF(body * 1.8);
        title.setBold(true);
        heading.setPointSizeF(body * 1.35);
        heading.setBold(true);
        small.setPointSizeF(body * 0.85);
    }
    QFont body, section, title, heading, small;
};

// Lays out (and, with a painter, paints) sections of label/value rows in one column; returns
// the height used. Labels take the width the longest needs, up to 62 % of the column; both
// label and value wrap within their part.
class Column {
public:
    Column(QPaintDevice* device, const Fonts& f, int width)
        : device_(device), f_(f), width_(width) {
        const QFontMetrics body(f.body, device);
        gap_ = body.height() / 2;
        pad_ = std::max(1, body.height() / 6);
        labelGap_ = body.height() * 2 / 3;
    }

    int layout(const std::vector<ReportSection>& sections, QPainter* p, QPoint at) const {
        const QFontMetrics body(f_.body, device_);
        const QFontMetrics sectionMetrics(f_.section, device_);
        int labelWidth = 0;
        for (const ReportSection& s : sections) {
            for (const ReportRow& r : s.rows) {
                labelWidth = std::max(labelWidth, body.horizontalAdvance(q(r.label)));
            }
        }
        // A pad to spare: a text measured to the pixel may otherwise wrap its last word.
        labelWidth = std::min(labelWidth + 3 * pad_ + labelGap_, width_ * 62 / 100);
        const int labelText = labelWidth - 2 * pad_ - labelGap_;
        const int valueLeft = labelWidth;
        const int valueWidth = width_ - valueLeft - pad_;
        int y = at.y();
        for (const ReportSection& s : sections) {
            const int bandHeight = sectionMetrics.height() + 2 * pad_;
            if (p) {
                p->fillRect(QRect(at.x(), y, width_, bandHeight), kBand);
                p->setFont(f_.section);
                p->setPen(kInk);
                p->drawText(QRect(at.x() + pad_ * 2, y, width_ - pad_ * 4, bandHeight),
                            Qt::AlignVCenter | Qt::AlignLeft, q(s.title));
            }
            y += bandHeight;
            for (const ReportRow& r : s.rows) {
                const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
                const QRect labelBox =
                    body.boundingRect(QRect(0, 0, labelText, 100000), flags, q(r.label));
                const QRect valueBox =
                    body.boundingRect(QRect(0, 0, valueWidth, 100000), flags, q(r.value));
                const int h = std::max(labelBox.height(), valueBox.height()) + 2 * pad_;
                if (p) {
                    p->setFont(f_.body);
                    p->setPen(kMuted);
                    p->drawText(QRect(at.x() + pad_ * 2, y + pad_, labelText, h), flags,
                                q(r.label));
                    p->setPen(kInk);
                    p->drawText(QRect(at.x() + valueLeft, y + pad_, valueWidth, h), flags,
                                q(r.value));
                    p->setPen(QPen(kRule, 1));
                    p->drawLine(at.x(), y + h, at.x() + width_, y + h);
                }
                y += h;
            }
            y += gap_;
        }
        return y - at.y();
    }

private:
    QPaintDevice* device_;
    const Fonts& f_;
    int width_;
    int gap_ = 0;
    int pad_ = 0;
    int labelGap_ = 0;  // between a label and its value
};

class PagePainter {
public:
    PagePainter(QPdfWriter& writer, QPainter& p) : writer_(writer), p_(p) {}

    void paint(const ReportPage& page, int number, int count) {
        const int width = writer_.width();
        const int height = writer_.height();
        const int plotHeight = page.echo ? mm(60) : 0;
        // The largest body size at which everything fits above the plot and the footer.
        double points = kBodyPoints;
        for (; points > kSmallestBodyPoints; points -= 0.25) {
            const Fonts f(points);
            if (headerHeight(f) + columnsHeight(page, f, nullptr, 0) + plotHeight +
                    footerHeight(f) <=
                height) {
                break;
            }
        }
        const Fonts f(points);
        int y = paintHeader(page, f, width);
        y += columnsHeight(page, f, &p_, y);
        // The plot takes the room left, up to a height that keeps its proportions.
        const int room = height - footerHeight(f) - mm(3) - y;
        if (page.echo) paintPlot(page, f, QRect(0, y, width, std::min(room, mm(95))));
        paintFooter(f, width, height, number, count);
    }

private:
    int columnGap() const { return mm(7); }
    int leftWidth() const { return (writer_.width() - columnGap()) * 42 / 100; }
    int rightWidth() const { return writer_.width() - columnGap() - leftWidth(); }

    int headerHeight(const Fonts& f) const {
        return QFontMetrics(f.title, &writer_).height() +
               QFontMetrics(f.heading, &writer_).height() + mm(7);
    }
    int footerHeight(const Fonts& f) const {
        return QFontMetrics(f.small, &writer_).height() + mm(3);  // with the rule above it
    }

    int columnsHeight(const ReportPage& page, const Fonts& f, QPainter* p, int y) {
        const int left = Column(&writer_, f, leftWidth()).layout(page.sensor, p, QPoint(0, y));
        const int right = Column(&writer_, f, rightWidth())
                              .layout(page.settings, p, QPoint(leftWidth() + columnGap(), y));
        return std::max(left, right);
    }

    int paintHeader(const ReportPage& page, const Fonts& f, int width) {
        const QFontMetrics title(f.title, &writer_);
        const QFontMetrics heading(f.heading, &writer_);
        p_.setPen(kInk);
        p_.setFont(f.title);
        p_.drawText(QRect(0, 0, width, title.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    kReportTitle);
        p_.setFont(f.body);
        p_.setPen(kMuted);
        p_.drawText(QRect(0, 0, width, title.height()), Qt::AlignRight | Qt::AlignVCenter,
                    q(page.dateTime));
        int y = title.height();
        p_.setFont(f.heading);
        p_.setPen(page.answered ? kInk : QColor(170, 0, 0));
        p_.drawText(QRect(0, y, width, heading.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    q(page.heading));
        y += heading.height() + mm(2);
        p_.setPen(QPen(kInk, mm(0.4)));
        p_.drawLine(0, y, width, y);
        return y + mm(5);
    }

    // The plot with the marks of its analysis, and the analysis beside it.
    void paintPlot(const ReportPage& page, const Fonts& f, QRect box) {
        const CapturedEcho& e = *page.echo;
        const PlotScale scale =
            computePlotScale(e.samples, e.thresholdCode, e.kelvin, page.distanceUnit);
        if (page.echoAnalysis) {
            const int width = (box.width() - columnGap()) * 40 / 100;
            const ReportSection rows{
                "ECHO ANALYSIS", [&page] {
                    std::vector<ReportRow> r;
                    for (auto& [label, value] : analysisRows(*page.echoAnalysis))
                        r.push_back({label, value});
                    return r;
                }()};
            Column(&writer_, f, width).layout({rows}, &p_, QPoint(box.right() - width, box.top()));
            box.setRight(box.right() - width - columnGap());
        }
        const QFontMetrics body(f.body, &writer_);
        const QFontMetrics section(f.section, &writer_);
        const QFontMetrics small(f.small, &writer_);
        // The caption wraps rather than run past the plot.
        const int wrap = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const QRect caption = box.adjusted(mm(1), 0, -mm(1), 0);
        const int captionHeight = section.boundingRect(caption, wrap, q(page.echoCaption)).height();
        p_.fillRect(QRect(box.left(), box.top(), box.width(), captionHeight + mm(1.2)), kBand);
        p_.setFont(f.section);
        p_.setPen(kInk);
        p_.drawText(caption, wrap, q(page.echoCaption));
        const int top = box.top() + captionHeight + mm(3);
        const int labels = body.height() * 2 + mm(1);
        const int left = amplitudeLabelRoom(small);
        const QRect area(box.left() + left, top, box.width() - left - mm(4),
                         box.bottom() - top - labels);
        EchoMarks marks;
        marks.analysis = page.echoAnalysis;
        p_.setFont(f.small);
        paintEchoPlot(p_, area, e.samples, scale, mm(0.25), &marks);
        // The distance labels under their ticks, as the window places its labels.
        p_.setFont(f.body);
        p_.setPen(kInk);
        const PlotArea a = plotAreaOf(area);
        for (const PlotTick& t : scale.ticks) {
            if (!t.shown) continue;
            const QString label = q(t.label);
            const int w = body.horizontalAdvance(label);
            p_.drawText(
                QRect(tickLabelLeft(scale, a, t.x, w), area.bottom() + mm(1), w + 2, body.height()),
                Qt::AlignLeft | Qt::AlignTop, label);
        }
        p_.drawText(
            QRect(area.left(), area.bottom() + mm(1) + body.height(), area.width(), body.height()),
            Qt::AlignHCenter | Qt::AlignTop, q(scale.axisCaption));
    }

    void paintFooter(const Fonts& f, int width, int height, int number, int count) {
        const QFontMetrics small(f.small, &writer_);
        const int y = height - small.height();
        p_.setPen(QPen(kRule, mm(0.2)));
        p_.drawLine(0, y - mm(1.5), width, y - mm(1.5));
        p_.setFont(f.small);
        p_.setPen(kMuted);
        p_.drawText(QRect(0, y, width, small.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    q("K-7700 configuration tool " + versionText()));
        p_.drawText(QRect(0, y, width, small.height()), Qt::AlignRight | Qt::AlignVCenter,
                    QString("Page %1 of %2").arg(number).arg(count));
    }

    QPdfWriter& writer_;
    QPainter& p_;
};

}  // namespace

std::string writeReportPdf(const std::string& path, const std::vector<ReportPage>& pages) {
    // A special or read-only file is refused before the pages are painted.
    if (const auto refused = writeRefusal(path)) return refused->message;
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(kDpi);
        writer.setTitle(kReportTitle);
        writer.setCreator(q("K-7700 configuration tool " + versionText()));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 14, 15, 12), QPageLayout::Millimeter));
        QPainter p;
        if (!p.begin(&writer)) return "the PDF writer could not start";
        PagePainter painter(writer, p);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0) writer.newPage();
            painter.paint(pages[i], static_cast<int>(i) + 1, static_cast<int>(pages.size()));
        }
        p.end();
    }
    // Written as every other file of the program: atomically, keeping the old file's mode.
    FileRefusal failure;
    const QByteArray& bytes = pdf.data();
    if (!replaceFileContents(path, {bytes.constData(), static_cast<std::size_t>(bytes.size())},
                             &failure)) {
        return failure.message;
    }
    return {};
}

}  // namespace k7
