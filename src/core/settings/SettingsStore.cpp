#include "core/settings/SettingsStore.h"

#include "core/files/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
const QString kBaseSection = QStringLiteral("Settings");
const QString kCustom = QStringLiteral("Custom");
const QString kVersion = QStringLiteral("Version");
} // namespace

SettingsStore::SettingsStore(const QString& profile)
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Velmar"), QStringLiteral("Tovo")))
    , m_profile(profile)
{
    makePrivate();
}

SettingsStore::SettingsStore(const QString& iniPath, const QString& profile)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
    , m_profile(profile)
{
    makePrivate();
}

void SettingsStore::makePrivate()
{
    // The store holds the last server, credentials included: on platforms
    // where it is a file, that file is the user's alone. Qt rewrites it
    // keeping its permissions, so it is made private before the first write.
#ifdef Q_OS_WIN
    if (m_settings->format() == QSettings::NativeFormat)
        return; // the registry
#endif
    const QString path = m_settings->fileName();
    if (path.isEmpty())
        return;
    QString error;
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.exists())
        QDir().mkpath(folder.absoluteFilePath());
    if (SafeFile::ensure(path, SafeFile::Access::Private, &error))
        SafeFile::makePrivate(path, &error);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::sectionFor(const QString& profile)
{
    return profile.isEmpty() ? kBaseSection : kBaseSection + QStringLiteral(" - ") + profile;
}

QString SettingsStore::section() const { return sectionFor(m_profile); }

int SettingsStore::readIntAt(const QString& key, int def) const
{
    const QVariant v = m_settings->value(key);
    if (!v.isValid())
        return def;
    bool ok = false;
    // Registry integers are 32-bit; a colour reference may exceed INT_MAX as text.
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < INT32_MIN || n > UINT32_MAX)
        return def;
    return static_cast<int>(static_cast<qint32>(static_cast<quint32>(n)));
}

int SettingsStore::readInt(const QString& name, int def) const { return readIntAt(section() + u'/' + name, def); }

QString SettingsStore::readText(const QString& name, const QString& def) const
{
    const QVariant v = m_settings->value(section() + u'/' + name);
    return v.isValid() ? v.toString() : def;
}

QByteArray SettingsStore::readBytes(const QString& name) const
{
    const QVariant v = m_settings->value(section() + u'/' + name);
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : QByteArray();
}

bool SettingsStore::contains(const QString& name) const { return m_settings->contains(section() + u'/' + name); }

void SettingsStore::writeInt(const QString& name, int value) { m_settings->setValue(section() + u'/' + name, value); }

void SettingsStore::writeText(const QString& name, const QString& value)
{
    m_settings->setValue(section() + u'/' + name, value);
}

void SettingsStore::writeBytes(const QString& name, const QByteArray& value)
{
    m_settings->setValue(section() + u'/' + name, value);
}

int SettingsStore::readBaseInt(const QString& name, int def) const { return readIntAt(kBaseSection + u'/' + name, def); }

bool SettingsStore::containsBase(const QString& name) const { return m_settings->contains(kBaseSection + u'/' + name); }

void SettingsStore::writeBaseInt(const QString& name, int value) { m_settings->setValue(kBaseSection + u'/' + name, value); }

void SettingsStore::writeBaseText(const QString& name, const QString& value)
{
    m_settings->setValue(kBaseSection + u'/' + name, value);
}

int SettingsStore::readCustomInt(const QString& name, int def) const { return readIntAt(kCustom + u'/' + name, def); }

QString SettingsStore::readCustomText(const QString& name, const QString& def) const
{
    const QVariant v = m_settings->value(kCustom + u'/' + name);
    return v.isValid() ? v.toString() : def;
}

void SettingsStore::writeCustomInt(const QString& name, int value) { m_settings->setValue(kCustom + u'/' + name, value); }

void SettingsStore::writeCustomText(const QString& name, const QString& value)
{
    m_settings->setValue(kCustom + u'/' + name, value);
}

int SettingsStore::version() const { return readIntAt(kVersion, -1); }

void SettingsStore::setVersion(int version) { m_settings->setValue(kVersion, version); }

QByteArray SettingsStore::readState(const QString& name) const
{
    return m_settings->value(section() + QStringLiteral("/Workspace/") + name).toByteArray();
}

void SettingsStore::writeState(const QString& name, const QByteArray& value)
{
    m_settings->setValue(section() + QStringLiteral("/Workspace/") + name, value);
}

void SettingsStore::sync() { m_settings->sync(); }

QString SettingsStore::fileName() const { return m_settings->fileName(); }
