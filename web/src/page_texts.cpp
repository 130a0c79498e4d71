// The web page's texts: the control table's and the form's where the page shows what the
// window shows, and the page's own under the context "WebPage".
#include "web/page_texts.h"

#include "form/control_table.h"
#include "form/source_form.h"

namespace klv::web {

std::vector<std::pair<std::string, std::string>> PageTexts(WindowLanguage language) {
  using form::ControlId;
  using form::FindControl;
  std::vector<std::pair<std::string, std::string>> texts;
  const auto add = [&](std::string key, UiText text) {
    texts.emplace_back(std::move(key), Say(language, text));
  };
  // What the window shows too.
  for (const auto& [key, id] : {std::pair{"title", ControlId::kSourceScr},
                                {"puzzleInformation", ControlId::kFrame4},
                                {"puzzleSetNameLabel", ControlId::kLabel7},
                                {"puzzleNameLabel", ControlId::kLabel6},
                                {"commentLabel", ControlId::kLabel5},
                                {"backgroundColour", ControlId::kFrame2},
                                {"difficulty", ControlId::kFrame5},
                                {"pieceDensity", ControlId::kLabel4},
                                {"backgroundDensity", ControlId::kLabel3},
                                {"make", ControlId::kMakeIt}}) {
    add(key, FindControl(id).text);
  }
  for (int i = 0; i < form::kColourOptions; ++i) {
    add("colour" + std::to_string(i), FindControl(ControlId::kOption1, i).text);
  }
  add("statusAtStart", form::kStatusAtStart);
  for (const auto& [key, id] : {std::pair{"defaultPuzzleSetName", ControlId::kPuzzleSetName},
                                {"defaultPuzzleName", ControlId::kPuzzleName},
                                {"defaultComment", ControlId::kComment}}) {
    texts.emplace_back(key, form::DefaultBoxText(language, id));
  }
  // The page's own.
  add("choosePhoto", KLV_TEXT("WebPage", "写真を選ぶ"));
  add("dropHint", KLV_TEXT("WebPage",
                           "写真（PNG、JPEG、WebP、BMP）かパズルファイル（.klv）を選ぶか、"
                           "このページにドロップしてください。"));
  add("privacy",
      KLV_TEXT("WebPage", "写真はどこにも送られません。パズルはこのブラウザの中で作られます。"));
  add("cropHint",
      KLV_TEXT("WebPage", "写真の上をドラッグすると、囲んだ部分だけでパズルを作ります。"));
  add("cropClear", KLV_TEXT("WebPage", "写真全体を使う"));
  add("downloaded", KLV_TEXT("WebPage", "「%1」をダウンロードしました。"));
  add("backToMaker", KLV_TEXT("WebPage", "パズルを作る"));
  add("information", KLV_TEXT("WebPage", "情報"));
  add("trialPlay", KLV_TEXT("WebPage", "試しに遊ぶ"));
  add("complete", KLV_TEXT("WebPage", "パズルが完成しました"));
  add("scatter", KLV_TEXT("WebPage", "ピースをちらし直す"));
  add("placed", KLV_TEXT("WebPage", "はめたピース： %1 / %2"));
  return texts;
}

}  // namespace klv::web
