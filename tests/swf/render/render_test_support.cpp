#include "render_test_support.h"

#include "support/qt_application.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <cstdlib>

#include "swf/render/shape_painter.h"

namespace velmora::swf::test {
namespace {

// Fonts and images need a QGuiApplication.
[[maybe_unused]] ::testing::Environment* const kGui = velmora::test::addQtApplication<QGuiApplication>();

}  // namespace

FillStyle solidFill(Rgba color) {
    FillStyle f;
    f.type = FillStyle::Type::Solid;
    f.color = color;
    return f;
}

std::vector<ShapeRecord> rectangleRecords(const Rect& r, uint32_t fill1, uint32_t line) {
    StyleChangeRecord start;
    start.moveTo = std::make_pair(r.xMin, r.yMin);
    start.fillStyle1 = fill1;
    if (line) start.lineStyle = line;
    const auto w = static_cast<int32_t>(r.width()), h = static_cast<int32_t>(r.height());
    return {start, StraightEdgeRecord{w, 0}, StraightEdgeRecord{0, h}, StraightEdgeRecord{-w, 0},
            StraightEdgeRecord{0, -h}};
}

std::shared_ptr<ShapeCharacter> rectangleShape(uint16_t id, const Rect& r, const FillStyle& fill) {
    auto shape = std::make_shared<ShapeCharacter>(id);
    shape->version = 3;
    shape->bounds = r;
    shape->edgeBounds = r;
    shape->fillStyles = {fill};
    shape->records = rectangleRecords(r);
    return shape;
}

QImage paintGeometry(const ShapeGeometry& geometry, QSize size, const QTransform& toDevice,
                     RenderResources& resources, const ColorTransform& cx) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(toDevice);
    paintShape(painter, geometry, cx, 1.0, resources);
    return image;
}

int worstDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) worst = std::max(worst, colorDistance(a.pixel(x, y), b.pixel(x, y)));
    return worst;
}

QRgb pixel(const QImage& image, int x, int y) { return qUnpremultiply(image.pixel(x, y)); }

int colorDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

std::string compareWithExpected(const QImage& image, const std::string& name, int tolerance) {
    const QString path = QString(VELMORA_SOURCE_DIR) + "/tests/swf/render/expected/" + QString::fromStdString(name) + ".png";
    const QImage actual = image.convertToFormat(QImage::Format_ARGB32);
    if (qEnvironmentVariableIntValue("VELMORA_UPDATE_EXPECTED") == 1) {
        actual.save(path);
        return {};
    }
    const QImage expected = QImage(path).convertToFormat(QImage::Format_ARGB32);
    if (expected.isNull()) return "no expected image at " + path.toStdString();
    if (expected.size() != actual.size()) return "size differs from " + path.toStdString();
    int worst = 0;
    int badPixels = 0;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            const int d = colorDistance(actual.pixel(x, y), expected.pixel(x, y));
            worst = std::max(worst, d);
            if (d > tolerance) ++badPixels;
        }
    if (badPixels == 0) return {};
    actual.save(QString::fromStdString("/tmp/actual-" + name + ".png"));
    return std::to_string(badPixels) + " pixels differ from " + path.toStdString() + " by up to " +
           std::to_string(worst) + " (actual written to /tmp/actual-" + name + ".png)";
}

}  // namespace velmora::swf::test
