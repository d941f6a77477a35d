// The window of one open document inside the tabbed document area.
#pragma once

#include <QWidget>

class CChildFrame : public QWidget {
    Q_OBJECT
public:
    // view: the document's editor view; the frame takes ownership.
    explicit CChildFrame(QWidget* view, QWidget* parent = nullptr);

    QWidget* view() const { return m_view; }
    QString title() const { return m_title; }
    // The document's file; empty for a new document never saved.
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& path) { m_filePath = path; }
    void setTitle(const QString& title);
    // The tab's tooltip lines after the title (server text, server title).
    QString tooltipExtra() const { return m_tooltipExtra; }
    void setTooltipExtra(const QString& extra);

signals:
    void titleChanged();

private:
    QWidget* m_view;
    QString m_title;
    QString m_filePath;
    QString m_tooltipExtra;
};
