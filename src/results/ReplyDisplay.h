// Where a reply goes besides the console: the grid, the image pane or the
// platform shell; and the round-trip text shown with it.
#pragma once

#include "kdb/k.h"

#include <QString>

class PrivateTempFolder;

namespace ReplyDisplay {

enum class GridRoute { None, Table, KeyedTable, Dictionary, List };
enum class Media { None, Picture, Document };

// "007ms" below a second, otherwise "%H:%M:%S.mmm" within a day with a leading "00:" removed.
QString roundtripText(qint64 ms);

// Which grid form a reply takes, as the settings allow.
GridRoute gridRoute(K reply, bool showDictionaries, bool showLists);

// A byte list of more than 8 items starting with a JPEG, GIF or PNG signature is a
// picture; a string of more than 6 characters starting with "<html>" or "<?xml "
// (any case) is a document for the shell.
Media detectMedia(K reply);

// The console text of a reply: the round-trip line when asked for, then the value's text.
QString consoleText(const QString& valueText, qint64 ms, bool includeRoundtrip);
bool isError(const QString& consoleValueText);

// Writes the bytes of a picture reply to a new temporary file named "tovoRes….png" in the
// session's private folder; returns its path, or an empty text (and no file) when it
// could not be written whole.
QString writePictureFile(K reply, PrivateTempFolder& folder);

// "Save and Open in Shell": a char vector as "tovoRes….html" (".xml" when it begins with
// "<?xml ") in UTF-8 with a byte-order mark, a byte vector as "tovoRes….png". Returns the
// path, or an empty text for other types or when the file could not be written whole.
// The files go into the session's private folder, under names nobody can guess.
QString writeShellFile(K reply, PrivateTempFolder& folder);

} // namespace ReplyDisplay
