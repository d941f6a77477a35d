// The names auto-complete offers: the global names of the namespace
// explorer's last load, taken once a load and shared by every source view.
#pragma once

#include "editor/CompletionSource.h"

#include <functional>
#include <memory>

class NamespaceModel;

class NamespaceCompletion : public CompletionSource {
public:
    // model: the explorer's loaded entities (null before a load); loading:
    // whether a load runs.
    NamespaceCompletion(std::function<std::shared_ptr<NamespaceModel>()> model, std::function<bool()> loading);

    bool loading() const override;
    QList<CompletionName> names() const override;

    // Every entity of a model as a name to offer.
    static QList<CompletionName> snapshot(const NamespaceModel& model);

private:
    std::function<std::shared_ptr<NamespaceModel>()> m_model;
    std::function<bool()> m_loading;
    mutable std::weak_ptr<NamespaceModel> m_taken;
    mutable const NamespaceModel* m_takenFrom = nullptr;
    mutable QList<CompletionName> m_names;
};
