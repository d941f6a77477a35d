#include "core/values/RenderOptions.h"

#include "core/settings/CDlgQSettings.h"

#include <algorithm>

RenderOptions RenderOptions::from(const CDlgQSettings& settings)
{
    RenderOptions options;
    update(options, settings);
    return options;
}

void RenderOptions::update(RenderOptions& options, const CDlgQSettings& settings)
{
    // The store bounds these already; clamp again since a bad value here would
    // break the float format or hide every table.
    options.floatPrecision = std::clamp(settings.QFloatPrecision, 1, 32);
    options.postfixInts = settings.PostfixInts;
    options.escapeSlash = settings.EscapeSlash;
    options.nullsAreEmpty = settings.NullsAreEmpty;
    options.numberLocaleFormat = settings.NumberLocaleFormat;
    options.maxTableRowsAsText = std::clamp(settings.QMaxTableRowsAsText, 1, 1000);
}
