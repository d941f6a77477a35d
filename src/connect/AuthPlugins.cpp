#include "connect/AuthPlugins.h"

#include "connect/AuthPluginApi.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <algorithm>
#include <vector>

AuthPlugins::AuthPlugins() = default;
AuthPlugins::~AuthPlugins() = default;

QStringList AuthPlugins::filePatterns()
{
#ifdef _WIN32
    return {QStringLiteral("auth*.dll")};
#elif defined(__APPLE__)
    return {QStringLiteral("libauth*.dylib"), QStringLiteral("auth*.dylib")};
#else
    return {QStringLiteral("libauth*.so"), QStringLiteral("auth*.so")};
#endif
}

void AuthPlugins::scan(const QString& folder)
{
    const QFileInfoList files = QDir(folder).entryInfoList(filePatterns(), QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        auto library = std::make_unique<QLibrary>(file.absoluteFilePath());
        if (!library->load())
            continue;
        const auto nameFn = reinterpret_cast<GetAuthMethodNameFn>(library->resolve("GetAuthMethodName"));
        const char16_t* name = nameFn ? nameFn() : nullptr;
        if (name && *name)
            m_methods.insert(QString::fromUtf16(name), file.absoluteFilePath());
        m_loaded.push_back(std::move(library));
    }
}

QStringList AuthPlugins::methodNames() const
{
    QStringList names = m_methods.keys();
    names.sort();
    return names;
}

namespace {
// The plug-in's text up to its zero, never past the buffer.
QString bufferText(const std::vector<char16_t>& buffer)
{
    const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
    return QString::fromUtf16(buffer.data(), static_cast<qsizetype>(end - buffer.begin()));
}
} // namespace

AuthPlugins::Reply AuthPlugins::credentials(const QString& method, const QString& input)
{
    Reply reply;
    QLibrary library(m_methods.value(method));
    if (!library.load()) {
        reply.error = QStringLiteral("Can't load Dll for selected Auth method ");
        return reply;
    }
    const auto fn = reinterpret_cast<GetCredentialStringFn>(library.resolve("GetCredentialString"));
    if (!fn) {
        reply.error = QStringLiteral("Can't get proc address for GetCredentialString for selected Auth method ");
        return reply;
    }
    const std::u16string in = input.toStdU16String();
    std::vector<char16_t> buffer(firstBufferSize, u'\0');
    int needed = fn(in.c_str(), buffer.data(), firstBufferSize);
    if (needed >= 1) {
        // A plug-in asking for more than this is broken; keep what it wrote.
        constexpr int limit = 1 << 24;
        const int size = std::min(needed, limit) + 2;
        buffer.assign(static_cast<size_t>(size), u'\0');
        fn(in.c_str(), buffer.data(), size);
    }
    const QString text = bufferText(buffer);
    if (text.startsWith(QStringLiteral("ERROR:")) || text.startsWith(QStringLiteral("error:"))) {
        reply.error = QStringLiteral("Selected Auth method returned ") + text;
        return reply;
    }
    reply.credentials = text;
    return reply;
}
