// The "Image view" pane: a picture reply at its natural size in a scrolled view.
#pragma once

#include <QImage>
#include <QScrollArea>

class QLabel;

class CImagePane : public QScrollArea {
    Q_OBJECT
public:
    explicit CImagePane(QWidget* parent = nullptr);

    // Loads the picture file; a file the decoder cannot read leaves the view empty.
    void showImageFile(const QString& path);
    QString path() const { return m_path; }
    const QImage& image() const { return m_image; }

signals:
    // The pane wants to be shown and brought to the front.
    void showRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_path;
    QImage m_image;
    QLabel* m_label;
};
