// The package library's messages in the user's language. KLVUtils words its messages in
// Japanese and hands them to the calling program's message handler as finished texts; a
// program that shows them (klvmake, klvconv) matches each against the library's message
// patterns and shows the English of its pattern with the same file names and reason.
#ifndef KLV_LANGUAGE_LIBRARY_MESSAGES_H_
#define KLV_LANGUAGE_LIBRARY_MESSAGES_H_

#include <string>

#include "language/language.h"

namespace klv {

// `text`, one message as KLVUtils hands it to a message handler (the platform's narrow
// encoding: UTF-8 on Linux, code page 932 on Windows), in `language` and in the same
// encoding: for Japanese `text` itself; for English the English of the library's message
// with its file names and the system's reason byte for byte as they were, or `text`
// itself when it is none of the library's messages.
std::string LibraryMessageIn(WindowLanguage language, const std::string& text);

}  // namespace klv

#endif  // KLV_LANGUAGE_LIBRARY_MESSAGES_H_
