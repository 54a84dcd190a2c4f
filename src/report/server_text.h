#ifndef SHGS_REPORT_SERVER_TEXT_H_
#define SHGS_REPORT_SERVER_TEXT_H_

#include <string>

namespace shgs {

// The server's text (a title, a description line, a name in its record) as
// UTF-8, for the formats that are UTF-8. Where the system knows the code page
// the server writes (Windows: the ANSI code page), converted from it.
// Elsewhere the text is kept where it is valid UTF-8 (the registry's values
// reach the POSIX program as UTF-8 already), and each byte that is not part
// of a valid UTF-8 sequence is read as Windows-1252, the five bytes that
// code page leaves undefined as the C1 control characters of the same
// number. The result is always valid UTF-8.
std::string serverTextAsUtf8(const std::string& text);

// The POSIX rule above, on its own.
std::string utf8OrWindows1252(const std::string& text);

// Valid UTF-8 "utf8" as a page may show it: each control character but the
// tab as its Unicode control picture (a line end in a title shows as U+240A
// and never ends a line of mark-up), and the C1 control characters and the
// noncharacters, which a web page may not hold, as U+FFFD.
std::string visibleText(const std::string& utf8);

}  // namespace shgs

#endif  // SHGS_REPORT_SERVER_TEXT_H_
