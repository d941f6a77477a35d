// Applies the texts of a grid's filter boxes to its renderer. A table of up
// to threadThreshold() rows is filtered at once; a longer one on a thread of
// its own, and each new text cancels the run before it, so the window never
// waits for a filter. A new value clears the texts; sorting during a run
// starts it again in the new order.
#pragma once

#include "results/grid/GridFilter.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <memory>

class CKTableRenderer;
class OffThread;

class GridFilterRunner : public QObject {
    Q_OBJECT
public:
    explicit GridFilterRunner(CKTableRenderer* grid, QObject* parent = nullptr);
    ~GridFilterRunner() override;

    // The text of the box of a section (model column, number column included).
    void setText(int section, const QString& text);
    QString text(int section) const { return m_texts.value(section); }
    // Clears every box and shows every row.
    void clear();
    bool isActive() const { return !m_texts.isEmpty(); }
    // Whether a section's text reads as a condition of its column's type.
    bool isValid(int section) const;
    bool isRunning() const { return m_running; }

    int threadThreshold() const { return m_threshold; }
    void setThreadThreshold(int rows) { m_threshold = rows; }

    // The job for the current texts (public for benchmarks and tests).
    GridFilter::Job job() const;

signals:
    // The grid shows the rows of the current texts.
    void applied();
    // The texts were cleared (a new value, or clear()).
    void textsCleared();

private:
    void restart();
    void cancel();
    void apply(std::optional<std::vector<std::int32_t>> rows);

    QPointer<CKTableRenderer> m_grid;
    QMap<int, QString> m_texts;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    quint64 m_generation = 0;
    bool m_running = false;
    int m_threshold = 20000;
    OffThread* m_threads;
};
