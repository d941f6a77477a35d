#include "results/grid/GridFilterRunner.h"

#include "results/grid/CKTableRenderer.h"

#include "results/OffThread.h"

GridFilterRunner::GridFilterRunner(CKTableRenderer* grid, QObject* parent)
    : QObject(parent), m_grid(grid), m_threads(new OffThread(this))
{
    connect(grid, &CKTableRenderer::contentReplaced, this, [this] {
        if (m_texts.isEmpty() && !m_running)
            return;
        cancel();
        m_texts.clear();
        emit textsCleared();
    });
    // A run in the old order would show its rows in that order.
    connect(grid, &CKTableRenderer::sorted, this, [this] {
        if (m_running)
            restart();
    });
}

GridFilterRunner::~GridFilterRunner()
{
    // The threads stop at their next block; the OffThread child waits for them.
    cancel();
}

void GridFilterRunner::setText(int section, const QString& text)
{
    if (text.trimmed().isEmpty())
        m_texts.remove(section);
    else
        m_texts.insert(section, text);
    restart();
}

void GridFilterRunner::clear()
{
    cancel();
    const bool had = !m_texts.isEmpty();
    m_texts.clear();
    if (m_grid)
        m_grid->setFilteredRows(nullptr);
    if (had)
        emit textsCleared();
    emit applied();
}

bool GridFilterRunner::isValid(int section) const
{
    if (!m_grid || !m_texts.contains(section))
        return true;
    K column = m_grid->columnVector(section);
    return !column || FilterCondition::parse(m_texts.value(section), column->t).isValid();
}

GridFilter::Job GridFilterRunner::job() const
{
    GridFilter::Job job;
    if (!m_grid)
        return job;
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it) {
        K column = m_grid->columnVector(it.key());
        if (!column)
            continue;
        FilterCondition condition = FilterCondition::parse(it.value(), column->t);
        if (condition.isActive())
            job.columns.push_back({KPtr(r1(column)), condition});
    }
    job.order = m_grid->order();
    job.rows = m_grid->totalRows();
    job.options = m_grid->renderOptions();
    job.cellLimit = m_grid->cellCharsLimit();
    return job;
}

void GridFilterRunner::cancel()
{
    if (m_cancel)
        m_cancel->store(true);
    m_cancel.reset();
    ++m_generation;
    m_running = false;
}

void GridFilterRunner::restart()
{
    cancel();
    if (!m_grid)
        return;
    GridFilter::Job work = job();
    if (!work.isActive()) {
        m_grid->setFilteredRows(nullptr);
        emit applied();
        return;
    }
    if (work.rows <= m_threshold) {
        apply(GridFilter::run(work));
        return;
    }
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    const quint64 generation = m_generation;
    using Result = std::optional<std::vector<std::int32_t>>;
    m_threads->run<Result>(
        [work = std::move(work), flag = m_cancel]() -> Result { return GridFilter::run(work, flag.get()); },
        [this, generation](Result rows) {
            if (generation != m_generation)
                return; // a later text, sort or value took over
            m_running = false;
            m_cancel.reset();
            apply(std::move(rows));
        });
}

void GridFilterRunner::apply(std::optional<std::vector<std::int32_t>> rows)
{
    if (!rows || !m_grid)
        return;
    m_grid->setFilteredRows(std::make_shared<const std::vector<std::int32_t>>(std::move(*rows)));
    emit applied();
}
