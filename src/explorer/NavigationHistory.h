// Back and forward through the entities visited by "jump to" links: two
// lists of full names and the name now shown.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class NavigationHistory {
public:
    // Selects a name in the tree; false when it is not there.
    using Select = std::function<bool(const QString& fullName)>;

    explicit NavigationHistory(Select select) : m_select(std::move(select)) {}

    // The entity now shown (set whenever the properties pane shows one).
    void setCurrent(const QString& fullName) { m_current = fullName; }
    const QString& current() const { return m_current; }

    // A jump from the current entity to target.
    bool jump(const QString& target);
    bool back();
    bool forward();
    bool canGoBack() const { return !m_back.isEmpty(); }
    bool canGoForward() const { return !m_forward.isEmpty(); }
    const QStringList& backList() const { return m_back; }
    const QStringList& forwardList() const { return m_forward; }

private:
    Select m_select;
    QString m_current;
    QStringList m_back;
    QStringList m_forward;
};
