// The status bar's account of the grid that has the keyboard focus (the grid
// itself or one of its filter boxes): its shape and the numbers of its
// selection. Changes are gathered and told once control is back in the event
// loop, so a burst of selection changes costs one count.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class COutputTable;
class QWidget;

class CGridStatus : public QObject {
    Q_OBJECT
public:
    explicit CGridStatus(QObject* parent = nullptr);

    void attach(COutputTable* grid);
    // The grid in focus, or null.
    COutputTable* grid() const { return m_grid; }
    const QString& text() const { return m_text; }
    // The grid around a widget, when it is one of the attached grids.
    COutputTable* gridAround(QWidget* widget) const;

signals:
    void textChanged(const QString& text);

private:
    void focusMoved(QWidget* now);
    void update();

    QList<QPointer<COutputTable>> m_grids;
    QPointer<COutputTable> m_grid;
    QString m_text;
    QTimer m_pending;
};
