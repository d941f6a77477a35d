#include "explorer/HandleChannel.h"

K HandleChannel::call(const QString& text)
{
    if (m_handle <= 0)
        return nullptr;
    return k(m_handle, text.toUtf8().constData(), static_cast<K>(nullptr));
}
