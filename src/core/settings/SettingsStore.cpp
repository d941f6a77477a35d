#include "core/settings/SettingsStore.h"

#include "core/files/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString kBaseSection = QStringLiteral("Settings");
const QString kCustom = QStringLiteral("Custom");
const QString kVersion = QStringLiteral("Version");
} // namespace

SettingsStore::SettingsStore(const QString& profile)
    : m_profile(profile)
{
    // QSettings reads its file as it is made: look at the file first.
    const QString path = nativeFilePath();
    bool usable = true;
    if (!path.isEmpty())
        m_problem = setAsideUnreadable(path, &usable);
    if (usable)
        m_settings = std::make_unique<QSettings>(QStringLiteral("Velmar"), QStringLiteral("Tovo"));
    else
        m_settings = std::make_unique<QSettings>(QString(), QSettings::IniFormat); // in memory only
    makePrivate();
}

SettingsStore::SettingsStore(const QString& iniPath, const QString& profile)
    : m_profile(profile)
{
    bool usable = true;
    m_problem = setAsideUnreadable(iniPath, &usable);
    m_settings = std::make_unique<QSettings>(usable ? iniPath : QString(), QSettings::IniFormat);
    makePrivate();
}

QString SettingsStore::nativeFilePath()
{
#ifdef Q_OS_WIN
    return QString();
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Velmar/Tovo.conf");
#endif
}

QString SettingsStore::setAsideUnreadable(const QString& path, bool* usable)
{
    *usable = true;
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() <= kMaxFileBytes))
        return QString();
    const QString why = info.isFile() ? QStringLiteral("larger than %1 MB").arg(kMaxFileBytes / (1024 * 1024))
                                      : QStringLiteral("not a regular file");
    QString aside = path + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = path + QStringLiteral(".unreadable%1").arg(n);
    if (QFile::rename(path, aside))
        return QStringLiteral("The settings file %1 is %2; it was moved to %3 and the default settings are used.")
            .arg(QDir::toNativeSeparators(path), why, QDir::toNativeSeparators(aside));
    *usable = false;
    return QStringLiteral("The settings file %1 is %2 and could not be moved aside; settings are not kept this session.")
        .arg(QDir::toNativeSeparators(path), why);
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
    if (path.isEmpty() || (QFileInfo::exists(path) && !SafeFile::isRegular(path)))
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
