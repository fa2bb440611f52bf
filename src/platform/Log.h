#pragma once

class QString;

namespace Log {

// One line per message, to the system log and to standard error. Control characters in the
// message are replaced, so a hostile name can neither split a line nor drive the terminal.
void line(const QString& message);

// The message as it is written: C0/C1 controls, DEL and bidirectional overrides made visible.
QString printable(const QString& message);

} // namespace Log
