#pragma once

// The licence ships as an RTF document; the About box shows its words only.

#include <string>
#include <string_view>

namespace vz::base {

// The text of an RTF document without its control words and groups of
// formatting tables: paragraphs become line ends, blanks at line ends and
// blank lines at both ends go, and the text ends in one line end. \'hh is
// read as a Latin-1 byte and \uN as the character N (a negative N counts
// from 65536); a code point no character can carry becomes U+FFFD. Any
// input, however broken, gives some text.
std::string rtfToPlainText(std::string_view rtf);

}  // namespace vz::base
