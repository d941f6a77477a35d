// The names auto-complete offers: the global names of the namespace
// explorer's last load, shared by every source view. The load's worker
// prepares them beside the model it built, so the window's thread only
// takes them; a model nobody prepared is read when first asked for.
#pragma once

#include "editor/CompletionSource.h"

#include <QMutex>

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

    // On any thread, before the model is handed to anyone else.
    void prepare(const std::shared_ptr<NamespaceModel>& model);

    // Every entity of a model as a name to offer, in the lists' order.
    static QList<CompletionName> snapshot(const NamespaceModel& model);

private:
    std::function<std::shared_ptr<NamespaceModel>()> m_model;
    std::function<bool()> m_loading;
    mutable QMutex m_mutex;
    mutable std::weak_ptr<NamespaceModel> m_taken;
    mutable QList<CompletionName> m_names;
};
