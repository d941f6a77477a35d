#include "chart/ChartRender.h"

#include "chart/ChartModel.h"
#include "chart/ChartPainter.h"
#include "chart/GraphConfig.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>
#include <QSvgGenerator>

bool ChartRender::toFile(K value, const Options& options, const QString& path, QString& error)
{
    ChartTable table = ChartTable::fromValue(value);
    if (!table.canPlot()) {
        error = QStringLiteral("the value is not a table of more than one row with a numeric column and an X column");
        return false;
    }
    if (options.size.width() < 50 || options.size.height() < 50 || options.size.width() > 20000
        || options.size.height() > 20000) {
        error = QStringLiteral("the size must be between 50x50 and 20000x20000");
        return false;
    }
    ChartModel model;
    model.setTable(std::move(table), GraphConfig::builtInPalette());
    const std::vector<int> xs = model.xColumns();
    int x = xs.empty() ? -1 : xs.front();
    if (!options.xColumn.isEmpty()) {
        x = -1;
        for (int i : xs)
            if (model.series()[std::size_t(i)].header == options.xColumn)
                x = i;
        if (x < 0) {
            error = QStringLiteral("no column %1 that can be the X axis").arg(options.xColumn);
            return false;
        }
    }
    model.setXColumn(x);
    model.setDefaultStyle(options.style);
    if (model.prepare(nullptr, 0, false) != ChartModel::Prepared::Drawn) {
        error = QStringLiteral("no column to plot against %1").arg(model.series()[std::size_t(x)].header);
        return false;
    }

    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(options.size);
        svg.setViewBox(QRect(QPoint(0, 0), options.size));
        svg.setTitle(QStringLiteral("Graph"));
        ChartPainter::draw(svg, options.size, model);
    } else {
        const char* format = suffix == QLatin1String("png") ? "PNG"
            : (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) ? "JPEG"
            : suffix == QLatin1String("bmp") ? "BMP"
                                             : nullptr;
        if (!format) {
            error = QStringLiteral("unknown image type .%1 (png, jpg, bmp or svg)").arg(suffix);
            return false;
        }
        QImage image(options.size, QImage::Format_RGB32);
        ChartPainter::draw(image, model);
        if (!image.save(&buffer, format)) {
            error = QStringLiteral("could not encode the image");
            return false;
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
