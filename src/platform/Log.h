#pragma once

class QString;

namespace Log {

// One line per message, to the system log and to standard error. Control characters in the
// message are replaced, so a hostile name can neither split a line nor drive the terminal.
void line(const QString& message);

// A text safe to show or log: C0 controls and DEL become their visible Control Pictures (␀ ␍
// ␊ ␛ ...), C1 controls and bidirectional overrides become U+FFFD.
QString printable(const QString& message);

} // namespace Log
