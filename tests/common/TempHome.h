// A temporary home folder and settings file for one test; removed afterwards.
#pragma once

#include "core/HomeFolder.h"
#include "core/settings/SettingsStore.h"

#include <QTemporaryDir>

#include <memory>

class TempHome {
public:
    TempHome() = default;
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    HomeFolder home() const { return HomeFolder(m_dir.path()); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // The INI file that stands for the per-user store in tests.
    QString settingsFile() const { return m_dir.filePath(QStringLiteral("settings.ini")); }
    std::unique_ptr<SettingsStore> store(const QString& profile = QString()) const
    {
        return std::make_unique<SettingsStore>(settingsFile(), profile);
    }

private:
    QTemporaryDir m_dir;
};
