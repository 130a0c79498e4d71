// The web page's texts by the keys its script looks them up by: the window's own texts
// where the page shows the same thing (the control table's captions, the status line,
// the boxes' defaults), and the page's few texts of its own, all from the one
// translation of every front end.
#ifndef KLV_WEB_PAGE_TEXTS_H_
#define KLV_WEB_PAGE_TEXTS_H_

#include <string>
#include <utility>
#include <vector>

#include "language/language.h"
#include "language/ui_text.h"

namespace klv::web {

// Every text of the page in `language`, as (key, text) pairs.
std::vector<std::pair<std::string, std::string>> PageTexts(WindowLanguage language);

// `text` of the page's own in `language`.
inline std::string Say(WindowLanguage language, UiText text) {
  return std::string(Translate(language, text));
}

}  // namespace klv::web

#endif  // KLV_WEB_PAGE_TEXTS_H_
