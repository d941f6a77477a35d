// The running query as the connection controller sees it (the query runner
// implements it), so that connecting elsewhere can abandon a run.
#pragma once

class ActiveQuery {
public:
    virtual ~ActiveQuery() = default;
    virtual bool isRunning() const = 0;
    // Abort the run without reconnecting: its late reply is never shown.
    virtual void abandon() = 0;
};
