#include "support/PageImages.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "support/TempDir.h"

namespace {

constexpr int ToolTimeoutMs = 60000;

TRect wholeOr(const QImage& image, const TRect& area) {
    const TRect whole{0, 0, image.width(), image.height()};
    return area.IsEmpty() ? whole : IntersectRect(area, whole);
}

std::vector<bool> inkMask(const QImage& image, int threshold) {
    std::vector<bool> mask(static_cast<std::size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            mask[static_cast<std::size_t>(y) * image.width() + x] = IsInk(image.pixel(x, y), threshold);
    return mask;
}

// The first ink pixel of `from` with no ink of `to` within tolerance.
bool findStray(const QImage& from, const std::vector<bool>& fromInk, const QImage& to, const std::vector<bool>& toInk,
               int tolerance, TPoint& stray) {
    for (int y = 0; y < from.height(); ++y)
        for (int x = 0; x < from.width(); ++x) {
            if (!fromInk[static_cast<std::size_t>(y) * from.width() + x]) continue;
            bool near = false;
            for (int dy = -tolerance; dy <= tolerance && !near; ++dy)
                for (int dx = -tolerance; dx <= tolerance && !near; ++dx) {
                    const int tx = x + dx, ty = y + dy;
                    near = tx >= 0 && ty >= 0 && tx < to.width() && ty < to.height() &&
                           toInk[static_cast<std::size_t>(ty) * to.width() + tx];
                }
            if (!near) {
                stray = {x, y};
                return true;
            }
        }
    return false;
}

}  // namespace

std::string RunTool(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QString::fromStdString(program), list);
    if (!process.waitForFinished(ToolTimeoutMs)) return {};
    return process.readAllStandardOutput().toStdString();
}

QImage RenderPdfPage(const std::string& pdfFile, int page, int dpi) {
    TempDir dir;
    const std::string base = dir.file("page");
    const std::string number = std::to_string(page);
    RunTool("pdftoppm", {"-r", std::to_string(dpi), "-f", number, "-l", number, "-png", "-singlefile", pdfFile, base});
    return QImage(QString::fromStdString(base + ".png"));
}

int PdfPageCount(const std::string& pdfFile) {
    const QString info = QString::fromStdString(RunTool("pdfinfo", {pdfFile}));
    const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)").match(info);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

TSize PdfPageSize(const std::string& pdfFile, int page) {
    const std::string number = std::to_string(page);
    const QString info = QString::fromStdString(RunTool("pdfinfo", {"-f", number, "-l", number, pdfFile}));
    const QRegularExpressionMatch m =
        QRegularExpression("Page\\s+" + QString::number(page) + " size:\\s+([\\d.]+) x ([\\d.]+)").match(info);
    if (!m.hasMatch()) return {};
    return {static_cast<int>(std::lround(m.captured(1).toDouble())), static_cast<int>(std::lround(m.captured(2).toDouble()))};
}

bool IsInk(QRgb pixel, int threshold) { return qGray(pixel) < threshold; }

TRect InkBounds(const QImage& image, const TRect& area, int threshold) {
    const TRect r = wholeOr(image, area);
    int left = r.Right, top = r.Bottom, right = r.Left, bottom = r.Top;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            if (!IsInk(image.pixel(x, y), threshold)) continue;
            left = std::min(left, x);
            right = std::max(right, x + 1);
            top = std::min(top, y);
            bottom = std::max(bottom, y + 1);
        }
    if (right <= left) return {};
    return {left, top, right, bottom};
}

std::vector<TRect> InkBoxes(const QImage& image, const TRect& area, int threshold) {
    const TRect r = wholeOr(image, area);
    const int w = image.width();
    std::vector<bool> seen(static_cast<std::size_t>(w) * image.height());
    std::vector<TRect> boxes;
    std::vector<TPoint> stack;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * w + x;
            if (seen[at] || !IsInk(image.pixel(x, y), threshold)) continue;
            TRect box{x, y, x + 1, y + 1};
            seen[at] = true;
            stack.push_back({x, y});
            while (!stack.empty()) {
                const TPoint p = stack.back();
                stack.pop_back();
                box = {std::min(box.Left, p.X), std::min(box.Top, p.Y), std::max(box.Right, p.X + 1),
                       std::max(box.Bottom, p.Y + 1)};
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = p.X + dx, ny = p.Y + dy;
                        if (nx < r.Left || ny < r.Top || nx >= r.Right || ny >= r.Bottom) continue;
                        const std::size_t n = static_cast<std::size_t>(ny) * w + nx;
                        if (seen[n] || !IsInk(image.pixel(nx, ny), threshold)) continue;
                        seen[n] = true;
                        stack.push_back({nx, ny});
                    }
            }
            boxes.push_back(box);
        }
    std::sort(boxes.begin(), boxes.end(), [](const TRect& a, const TRect& b) {
        return a.Top != b.Top ? a.Top < b.Top : a.Left < b.Left;
    });
    return boxes;
}

bool SameInk(const QImage& a, const QImage& b, int tolerance, std::string* why, int threshold) {
    if (a.size() != b.size()) {
        if (why)
            *why = "sizes differ: " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " and " +
                   std::to_string(b.width()) + "x" + std::to_string(b.height());
        return false;
    }
    const std::vector<bool> inkA = inkMask(a, threshold), inkB = inkMask(b, threshold);
    TPoint stray;
    if (findStray(a, inkA, b, inkB, tolerance, stray)) {
        if (why) *why = "ink of the first picture at " + std::to_string(stray.X) + "," + std::to_string(stray.Y) + " is missing in the second";
        return false;
    }
    if (findStray(b, inkB, a, inkA, tolerance, stray)) {
        if (why) *why = "ink of the second picture at " + std::to_string(stray.X) + "," + std::to_string(stray.Y) + " is missing in the first";
        return false;
    }
    return true;
}

bool WithinPixels(const TRect& a, const TRect& b, int tolerance) {
    return std::abs(a.Left - b.Left) <= tolerance && std::abs(a.Top - b.Top) <= tolerance &&
           std::abs(a.Right - b.Right) <= tolerance && std::abs(a.Bottom - b.Bottom) <= tolerance;
}

std::string RectText(const TRect& r) {
    return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + ")-(" + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom) + ")";
}

void KeepPicture(const QImage& image, const std::string& name) {
    const char* folder = std::getenv("QM_TEST_PICTURES");
    if (!folder || !*folder) return;
    QDir().mkpath(QString::fromUtf8(folder));
    image.save(QString::fromUtf8(folder) + "/" + QString::fromStdString(name) + ".png");
}
