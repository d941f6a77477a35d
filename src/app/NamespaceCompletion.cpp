#include "app/NamespaceCompletion.h"

#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"

#include <algorithm>
#include <utility>
#include <vector>

NamespaceCompletion::NamespaceCompletion(std::function<std::shared_ptr<NamespaceModel>()> model,
                                         std::function<bool()> loading)
    : m_model(std::move(model)), m_loading(std::move(loading))
{
}

bool NamespaceCompletion::loading() const { return m_loading && m_loading(); }

QList<CompletionName> NamespaceCompletion::names() const
{
    const std::shared_ptr<NamespaceModel> model = m_model ? m_model() : nullptr;
    if (!model)
        return {};
    QMutexLocker lock(&m_mutex);
    // A load hands over a new model: its names are taken once.
    if (m_taken.lock() != model) {
        m_names = snapshot(*model);
        m_taken = model;
    }
    return m_names;
}

void NamespaceCompletion::prepare(const std::shared_ptr<NamespaceModel>& model)
{
    if (!model)
        return;
    QList<CompletionName> names = snapshot(*model);
    QMutexLocker lock(&m_mutex);
    m_names = std::move(names);
    m_taken = model;
}

QList<CompletionName> NamespaceCompletion::snapshot(const NamespaceModel& model)
{
    QList<CompletionName> names;
    names.reserve(model.entityCount());
    for (const auto& entity : model.entities()) {
        CompletionName n{entity->fullName(), entity->kind(), {}, false};
        if (entity->kind() == CQEntity::Function) {
            n.parameters = static_cast<const CQFunction&>(*entity).parameters();
            n.unresolved = !entity->noteText().isEmpty();
        }
        names.append(n);
    }
    // In the order the lists show them (see CompletionSource::names).
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        keys.emplace_back((names.at(i).name + names.at(i).parameters).toCaseFolded(), i);
    std::sort(keys.begin(), keys.end());
    QList<CompletionName> sorted;
    sorted.reserve(names.size());
    for (const auto& key : keys)
        sorted.append(std::move(names[key.second]));
    return sorted;
}
