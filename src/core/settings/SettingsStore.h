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
    // Not empty when the file found at start could not be read as settings
    // (not a regular file, or too large) and was set aside: what to tell the user.
    QString problem() const { return m_problem; }

    // Where the native store lives on platforms where it is a file; empty
    // where it is not (the Windows registry).
    static QString nativeFilePath();
    // Before the settings file at path is read: a FIFO would block the read,
    // a device or a huge file never end. Such a file is renamed aside (the
    // user's data is kept) and the text for the user returned; a path that
    // cannot be set aside is returned in *usable as empty.
    static QString setAsideUnreadable(const QString& path, bool* usable);
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

private:
    void makePrivate();

    int readIntAt(const QString& key, int def) const;

    std::unique_ptr<QSettings> m_settings;
    QString m_profile;
    QString m_problem;
};
