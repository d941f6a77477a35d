// tovo-icon-render SVG OUT.png SIZE: draws the application icon at one size
// for the icon theme folders of the package.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int size = args.size() == 4 ? args.at(3).toInt(&ok) : 0;
    if (!ok || size < 8 || size > 1024) {
        std::fprintf(stderr, "usage: tovo-icon-render SVG OUT.png SIZE (8..1024)\n");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "tovo-icon-render: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(args.at(2), "PNG")) {
        std::fprintf(stderr, "tovo-icon-render: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
