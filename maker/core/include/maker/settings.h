// The maker's remembered settings: the nine keys of section ToolsData in Morvel.ini,
// read at start-up and written by SaveSettings. Texts are code page 932 bytes.
#ifndef KLV_MAKER_SETTINGS_H_
#define KLV_MAKER_SETTINGS_H_

#include <string>

#include "base/status.h"

namespace klv {

class Env;

struct Settings {
  std::string puzzleSetName;                         // default "ﾊﾟｽﾞﾙｾｯﾄ名"
  std::string puzzleName;                            // default "ﾊﾟｽﾞﾙ名"
  std::string longPuzzleName;                        // default "コメント"
  std::string srcDrive, srcDir, destDrive, destDir;  // default empty
  int slider1 = 70;
  int slider2 = 85;
  friend bool operator==(const Settings&, const Settings&) = default;
};

// The settings with every default applied.
Settings DefaultSettings();

// Reads the nine keys from `path`; an absent file or key gives its default, a text comes
// back cut to 255 bytes, and a slider value is clamped to 0 to 100.
Settings LoadSettings(Env& env, const std::string& path);

// Writes the nine keys, in the order PuzzleName, PuzzleSetName, LongPuzzleName,
// SrcDrive, SrcDir, DestDrive, DestDir, Slider1, Slider2, replacing old values and
// creating the file (and its folder) when absent. On Linux the file is replaced once,
// synced, so that it holds the old settings or all the new ones. An error naming the
// folder when it cannot be made (nothing is written then), or the file when it cannot
// be written; the caller decides whether to tell anyone.
Status SaveSettings(Env& env, const std::string& path, const Settings& settings);

// Where Morvel.ini lives: $XDG_CONFIG_HOME/KLVMaker/Morvel.ini, by default
// ~/.config/KLVMaker/Morvel.ini.
std::string SettingsPath();

}  // namespace klv

#endif  // KLV_MAKER_SETTINGS_H_
