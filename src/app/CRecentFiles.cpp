#include "app/CRecentFiles.h"

#include "core/settings/SettingsStore.h"

namespace {
const QString kRecentFiles = QStringLiteral("RecentFiles");
}

int CRecentFiles::indexOf(const QString& path) const
{
    // File names compare as the platform's file system does.
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    for (int i = 0; i < m_files.size(); ++i)
        if (m_files[i].compare(path, cs) == 0)
            return i;
    return -1;
}

void CRecentFiles::add(const QString& path)
{
    if (path.isEmpty() || m_length == 0)
        return;
    remove(path);
    m_files.prepend(path);
    while (m_files.size() > m_length)
        m_files.removeLast();
}

void CRecentFiles::remove(const QString& path)
{
    const int at = indexOf(path);
    if (at >= 0)
        m_files.removeAt(at);
}

void CRecentFiles::load(const SettingsStore& store)
{
    m_files.clear();
    const QStringList stored = QString::fromUtf8(store.readState(kRecentFiles)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& path : stored) {
        if (m_files.size() >= m_length)
            break;
        if (indexOf(path) < 0)
            m_files.append(path);
    }
}

void CRecentFiles::save(SettingsStore& store) const
{
    store.writeState(kRecentFiles, m_files.join(u'\n').toUtf8());
}
