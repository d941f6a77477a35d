// One namespace load: the five service queries in turn, their replies made
// into entities, the cross-reference and the namespace tree. Runs on any
// thread; it reports the root item's texts and its messages through the
// observer and returns the finished model and tree.
#pragma once

#include "explorer/NamespaceModel.h"
#include "explorer/NamespaceTree.h"

#include <QString>

#include <functional>
#include <memory>

class ServiceChannel;

struct NamespaceLoadSettings {
    int timeLimit = 0; // NamespaceSQTimeout, read once at the start
    bool hidePureIndirects = false;
    NamespaceTree::Options tree;
    QString serverName; // empty: not connected, nothing is sent
};

class NamespaceLoad {
public:
    struct Observer {
        std::function<void(const QString& rootText)> rootText;
        std::function<void(const QString& message)> message;
    };

    struct Result {
        // The model to show: a new one, or the previous one when the
        // namespaces query failed (its entities stay in place).
        std::shared_ptr<NamespaceModel> model;
        std::shared_ptr<NamespaceTree> tree;
        // Whether the namespaces query gave a namespace list.
        bool loaded = false;
        // The server asked and when the load ended (seconds since 1970),
        // whether it succeeded or not; empty and 0 when no server was asked.
        QString serverName;
        qint64 endTime = 0;
    };

    static Result run(ServiceChannel& channel, const NamespaceLoadSettings& settings,
                      std::shared_ptr<NamespaceModel> previous, const Observer& observer = {});

    // The message texts.
    static QString failureMessage(const QString& query, const QString& reason, const QString& server);
    static QString malformedMessage(const QString& query, const QString& reply, const QString& server);
    static QString exceptionMessage() { return QStringLiteral("Exception caught while building Namespaces tree."); }
};
