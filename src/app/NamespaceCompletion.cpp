#include "app/NamespaceCompletion.h"

#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"

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
    // A load hands over a new model: the names are taken again once.
    if (model.get() != m_takenFrom || m_taken.expired()) {
        m_names = snapshot(*model);
        m_taken = model;
        m_takenFrom = model.get();
    }
    return m_names;
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
    return names;
}
