#include "results/CImagePane.h"

#include <QDesktopServices>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

CImagePane::CImagePane(QWidget* parent)
    : QScrollArea(parent)
    , m_label(new QLabel)
{
    setObjectName(QStringLiteral("CImagePane"));
    m_label->setObjectName(QStringLiteral("CImageView"));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(m_label);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->resize(100, 100);
}

void CImagePane::showImageFile(const QString& path)
{
    m_path = path;
    emit showRequested();
    m_image = QImage();
    // Replies carry any of the formats under a ".png" name: let the reader look at the bytes.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    m_image = reader.read();
    if (m_image.isNull()) {
        m_label->clear();
        m_label->resize(100, 100);
        return;
    }
    m_label->setPixmap(QPixmap::fromImage(m_image));
    m_label->resize(m_image.size().expandedTo(QSize(1, 1)));
}

void CImagePane::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!m_path.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_path));
    event->accept();
}
