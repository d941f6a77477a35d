#include "explorer/HandleChannel.h"

K HandleChannel::call(const QString& text)
{
    const int handle = m_handle();
    if (handle <= 0)
        return nullptr;
    return k(handle, text.toUtf8().constData(), static_cast<K>(nullptr));
}
