#include "explorer/ServiceChannel.h"

#include "core/values/KRender.h"
#include "kdb/KPtr.h"

QString ServiceChannel::failureText() const
{
    // The session reports a lost connection as this q error.
    return renderConsole(KPtr(krr("conn. closed")).get(), RenderOptions());
}
