// The File menu's recent-files list: newest first, at most a fixed number of
// entries, kept in the settings section between runs.
#pragma once

#include <QStringList>

class SettingsStore;

class CRecentFiles {
public:
    explicit CRecentFiles(int length) : m_length(qBound(0, length, 16)) {}

    const QStringList& files() const { return m_files; }
    int length() const { return m_length; }
    // Moves path to the front, adding it when new; the oldest entry falls off.
    void add(const QString& path);
    void remove(const QString& path);

    // Stored entries that are empty, repeated or beyond the length are dropped.
    void load(const SettingsStore& store);
    void save(SettingsStore& store) const;

private:
    int indexOf(const QString& path) const;

    int m_length;
    QStringList m_files;
};
