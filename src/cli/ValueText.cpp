#include "ValueText.h"

#include "core/values/KRender.h"

// tovo-cli prints values exactly as the console does, with the default settings.
std::string valueText(K x)
{
    if (!x)
        return std::string();
    KRender renderer{RenderOptions()};
    return std::string(renderer.renderUtf8(x));
}
