// klvmake's messages that are written in Japanese, in the user's language: the piece-count
// line, a picture too large or too small for the grid, and the package library's messages.
// Every other message of klvmake is in English whatever the language. Each returns UTF-8.
#ifndef KLV_MAKER_CLI_USER_MESSAGES_H_
#define KLV_MAKER_CLI_USER_MESSAGES_H_

#include <string>

#include "language/language.h"
#include "maker/grid.h"
#include "maker/source_picture.h"

namespace klv {

// The line that reports the grid of the picture: "ピース数： x = 9 , y = 7".
std::string PieceCountText(WindowLanguage language, Grid grid);

// Why the picture cannot be made, without its name: for a picture too large or too small
// for the grid (without --fit) its size and the limit, in `language`; otherwise the
// English of SourceErrorMessage.
std::string SourceProblemText(WindowLanguage language, const SourceError& error);

// One message of KLVUtils as its handler receives it (the platform's narrow encoding), in
// `language`, on one line: "KLVUtils: " and the message.
std::string LibraryMessageLine(WindowLanguage language, const std::string& text);

}  // namespace klv

#endif  // KLV_MAKER_CLI_USER_MESSAGES_H_
