// Where the user was before each Go to Definition: a document and a caret
// position, newest last. Entries whose document has gone are skipped when
// going back; the oldest fall off beyond a bound.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class PlaceHistory {
public:
    struct Place {
        QPointer<QObject> document;
        int line = 0;
        int column = 0;
    };
    static constexpr int kMaxPlaces = 100;

    void push(QObject* document, int line, int column);
    // The newest place whose document is still open, taken off the stack.
    std::optional<Place> back();
    // Whether back() would find a place.
    bool canGoBack() const;

private:
    QList<Place> m_places;
};
