// The declaration window's two error procedures: msgErr turns a code of the
// file-exchange library into the operator's text, err2msg shows a failure text
// of the web-service library, with the advice to fetch a newer library when
// the text shows the installed one is out of date.
#pragma once

#include <string>

struct Run;

// The text of a nhi_eiiapi code: empty for 0 (success), the code's own digits
// for a code without a text.
std::string msgErr(long code);

// Shows the text in a box captioned `title`; for a text naming MoveFileEx, the
// update advice, then the insurer's portal page where the library is fetched.
void err2msg(Run& run, const std::string& text, const std::string& title,
             const std::string& portalUrl);
