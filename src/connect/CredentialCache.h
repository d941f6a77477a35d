// Credentials that an authentication plug-in produced, by the input they were
// made from; tried first on the next connect with the same input.
#pragma once

#include <QHash>
#include <QString>

#include <optional>

class CredentialCache {
public:
    void store(const QString& input, const QString& credentials) { m_map.insert(input, credentials); }
    // Removes and returns the entry for input.
    std::optional<QString> take(const QString& input)
    {
        const auto it = m_map.find(input);
        if (it == m_map.end())
            return std::nullopt;
        QString text = *it;
        m_map.erase(it);
        return text;
    }
    bool contains(const QString& input) const { return m_map.contains(input); }
    QString value(const QString& input) const { return m_map.value(input); }
    void clear() { m_map.clear(); }

private:
    QHash<QString, QString> m_map;
};
