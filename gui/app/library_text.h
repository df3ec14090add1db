// Texts that the communication library gives for its statuses and diagnostic events, in the
// user's language: the library speaks English, and the GUI translates its texts like its own
// (context "cpulink" of the translation file), so that one file holds every German text.
#pragma once

#include <QString>
#include <optional>

#include "cpulink.h"

namespace vexal {

// The library's text for a status, asked with a buffer of `capacity` characters; none when
// the library knows no text for it.
std::optional<QString> LibraryErrorText(CpuStatus status, int capacity);

// The library's text for a diagnostic event, asked likewise; none for an unknown event.
std::optional<QString> LibraryEventText(uint16_t eventId, int capacity);

// A text of the library in the user's language; as it is when there is no translation (a
// text cut short by a small buffer has none).
QString TranslatedLibraryText(const QString& english);

}  // namespace vexal
