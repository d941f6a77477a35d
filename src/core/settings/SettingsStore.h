// The per-user settings store: the "Settings" section (or "Settings - <profile>"),
// the shared "Custom" group and the "Version" value on the application key.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QSettings;

class SettingsStore {
public:
    // The native store of organisation "Velmar", application "Tovo".
    explicit SettingsStore(const QString& profile = QString());
    // An INI file at path; used by tests and by portable set-ups.
    SettingsStore(const QString& iniPath, const QString& profile);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString profile() const { return m_profile; }
    // "Settings" or "Settings - <profile>".
    QString section() const;
    static QString sectionFor(const QString& profile);

    // Values of the settings section. A missing or unreadable value yields the default.
    int readInt(const QString& name, int def) const;
    QString readText(const QString& name, const QString& def) const;
    QByteArray readBytes(const QString& name) const;
    bool contains(const QString& name) const;
    void writeInt(const QString& name, int value);
    void writeText(const QString& name, const QString& value);
    void writeBytes(const QString& name, const QByteArray& value);

    // The unprofiled "Settings" section, which the one-time upgrade corrects.
    int readBaseInt(const QString& name, int def) const;
    bool containsBase(const QString& name) const;
    void writeBaseInt(const QString& name, int value);
    void writeBaseText(const QString& name, const QString& value);

    // The "Custom" group, shared by all profiles.
    int readCustomInt(const QString& name, int def) const;
    QString readCustomText(const QString& name, const QString& def) const;
    void writeCustomInt(const QString& name, int value);
    void writeCustomText(const QString& name, const QString& value);

    // "Version" on the application key; -1 when absent.
    int version() const;
    void setVersion(int version);

    // Free-form state of the window framework (layout, geometry, open documents),
    // kept under the settings section so that a profile has its own.
    QByteArray readState(const QString& name) const;
    void writeState(const QString& name, const QByteArray& value);

    void sync();
    QString fileName() const;

private:
    void makePrivate();

    int readIntAt(const QString& key, int def) const;

    std::unique_ptr<QSettings> m_settings;
    QString m_profile;
};
