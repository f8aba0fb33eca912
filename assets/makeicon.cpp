// Paints the application icon from its SVG into PNG files of the given sizes.
// The SVG is our own drawing made only of <rect> elements (position, size,
// corner radius, fill, stroke), which QPainter draws exactly as an SVG
// renderer does; anything else in it is refused, so that the PNGs can never
// quietly show less than the SVG. No SVG library is needed for that.
// Usage: makeicon ICON.svg OUTPUT-FOLDER SIZE...
//        writes OUTPUT-FOLDER/SIZExSIZE/apps/NAME.png for each size, where
//        NAME is the SVG's file name without its extension.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QXmlStreamReader>

#include <cstdio>
#include <vector>

namespace {

struct Shape {
    QRectF rect;
    qreal radius = 0;
    QColor fill;   // invalid: no fill
    QColor stroke; // invalid: no stroke
    qreal strokeWidth = 1;
};

struct Drawing {
    QRectF viewBox;
    std::vector<Shape> shapes;
};

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "makeicon: %s\n", qPrintable(message));
    std::exit(1);
}

qreal number(const QXmlStreamAttributes& attributes, const char* name, qreal fallback) {
    const QStringView text = attributes.value(QLatin1String(name));
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const qreal value = text.toDouble(&ok);
    if (!ok)
        fail(QStringLiteral("attribute %1=\"%2\" is not a number").arg(QLatin1String(name), text));
    return value;
}

QColor colour(const QXmlStreamAttributes& attributes, const char* name) {
    const QString text = attributes.value(QLatin1String(name)).toString();
    if (text.isEmpty() || text == QLatin1String("none"))
        return {};
    const QColor value = QColor::fromString(text);
    if (!value.isValid())
        fail(QStringLiteral("attribute %1=\"%2\" is not a colour").arg(QLatin1String(name), text));
    return value;
}

Drawing read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(path));
    Drawing drawing;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("svg")) {
            const QStringList box = attributes.value(QLatin1String("viewBox"))
                                        .toString()
                                        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (box.size() != 4)
                fail(QStringLiteral("the svg element needs a viewBox of four numbers"));
            drawing.viewBox =
                QRectF(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(), box[3].toDouble());
        } else if (xml.name() == QLatin1String("rect")) {
            for (const QXmlStreamAttribute& attribute : attributes) {
                static const QStringList known = {
                    QStringLiteral("x"),      QStringLiteral("y"),
                    QStringLiteral("width"),  QStringLiteral("height"),
                    QStringLiteral("rx"),     QStringLiteral("fill"),
                    QStringLiteral("stroke"), QStringLiteral("stroke-width")};
                if (!known.contains(attribute.name().toString()))
                    fail(QStringLiteral("line %1: rect attribute %2 is not drawn")
                             .arg(xml.lineNumber())
                             .arg(attribute.name()));
            }
            Shape shape;
            shape.rect = QRectF(number(attributes, "x", 0), number(attributes, "y", 0),
                                number(attributes, "width", 0), number(attributes, "height", 0));
            shape.radius = number(attributes, "rx", 0);
            // SVG fills black when no fill is given.
            shape.fill = attributes.hasAttribute(QLatin1String("fill")) ? colour(attributes, "fill")
                                                                        : QColor(Qt::black);
            shape.stroke = colour(attributes, "stroke");
            shape.strokeWidth = number(attributes, "stroke-width", 1);
            drawing.shapes.push_back(shape);
        } else if (xml.name() != QLatin1String("title")) {
            fail(QStringLiteral("line %1: element <%2> is not drawn")
                     .arg(xml.lineNumber())
                     .arg(xml.name()));
        }
    }
    if (xml.hasError())
        fail(QStringLiteral("%1: %2").arg(path, xml.errorString()));
    if (drawing.viewBox.isEmpty() || drawing.shapes.empty())
        fail(QStringLiteral("%1 has no viewBox or nothing to draw").arg(path));
    return drawing;
}

QImage paint(const Drawing& drawing, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / drawing.viewBox.width(), size / drawing.viewBox.height());
    painter.translate(-drawing.viewBox.topLeft());
    for (const Shape& shape : drawing.shapes) {
        QPainterPath path;
        path.addRoundedRect(shape.rect, shape.radius, shape.radius);
        if (shape.fill.isValid())
            painter.fillPath(path, shape.fill);
        if (shape.stroke.isValid())
            painter.strokePath(path, QPen(shape.stroke, shape.strokeWidth));
    }
    painter.end();
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: makeicon ICON.svg OUTPUT-FOLDER SIZE...\n", stderr);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString name = QFileInfo(source).completeBaseName();
    const Drawing drawing = read(source);
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > 1024)
            fail(QStringLiteral("%1 is not an icon size").arg(QString::fromLocal8Bit(argv[i])));
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(output).arg(size);
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !paint(drawing, size).save(path, "PNG"))
            fail(QStringLiteral("cannot write %1").arg(path));
    }
    return 0;
}
