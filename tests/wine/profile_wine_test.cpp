// The portable profile reader (the Linux build) against the system's
// GetPrivateProfileStringA and GetPrivateProfileIntA (the Windows build under Wine), on a
// corpus of hand-written files. Both builds answer the same queries through the same
// probe program; every answer must agree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wine_support.h"

namespace klv::winetest {
namespace {

struct Query {
  bool integer;
  std::string section;
  std::string key;
  std::string fallback;  // the default: a text, or an integer in decimal
  size_t buffer = 0;     // texts only
};

Query Text(std::string section, std::string key, size_t buffer = 256,
           std::string fallback = "the Puzzle") {
  return Query{false, std::move(section), std::move(key), std::move(fallback), buffer};
}

Query Int(std::string section, std::string key, int fallback = -1) {
  return Query{true, std::move(section), std::move(key), std::to_string(fallback)};
}

struct ProfileCase {
  const char* name;
  std::string text;  // the file's bytes; a case named "missing" has no file
  std::vector<Query> queries;
};

// Code page 932 texts: "日本語のパズル名前" (18 bytes, 9 characters), "表示ソフト" (trail
// bytes 0x5C, the backslash), "１２" (full-width digits).
const std::string kJapanese =
    "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x70\x83\x59\x83\x8b\x96\xbc\x91\x4f";
const std::string kTrailBackslash = "\x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67";
const std::string kFullWidthDigits = "\x82\x50\x82\x51";

std::vector<ProfileCase> Corpus() {
  const std::string long_text(300, 'L');
  return {
      {"spacing",
       "[PuzzleData]\r\n  xMax =  5  \r\n\tPuzzleName\t=\tCat Tail  \r\n"
       "Puzzle Set Name = inner blanks \r\n  [Other]  \r\nkey = v \r\n",
       {Int("PuzzleData", "xMax"), Text("PuzzleData", "PuzzleName"),
        Text("PuzzleData", "Puzzle Set Name"), Text("Other", "key"), Text("Other", "missing")}},
      {"case",
       "[puzzledata]\r\nXMAX=3\r\nFileVersion=7\r\npuzzleNAME=Mixed\r\n",
       {Int("PuzzleData", "xMax"), Int("PUZZLEDATA", "fileVersion", 2),
        Text("PuzzleData", "PuzzleName"), Text("puzzleData", "xmax")}},
      {"quotes",
       "[q]\r\na=\"Cat\"\r\nb='Dog'\r\nc=\"Mixed'\r\nd=\"\r\ne=\"\"\r\nf=\" padded \"\r\n"
       "g=\"in\"side\"\r\nh='\r\ni=\"x\"y\r\nj=  \"z\"  \r\nk=\"7\"\r\nl=''\r\n",
       {Text("q", "a"), Text("q", "b"), Text("q", "c"), Text("q", "d"), Text("q", "e"),
        Text("q", "f"), Text("q", "g"), Text("q", "h"), Text("q", "i"), Text("q", "j"),
        Int("q", "k"), Text("q", "l")}},
      {"duplicate sections",
       "[PuzzleData]\r\nxMax=1\r\n[Other]\r\nxMax=9\r\n[PuzzleData]\r\nxMax=2\r\nyMax=3\r\n"
       "[other]\r\nyMax=4\r\n",
       {Int("PuzzleData", "xMax"), Int("PuzzleData", "yMax", 8), Int("Other", "xMax"),
        Int("Other", "yMax", 8)}},
      {"duplicate keys",
       "[PuzzleData]\r\nxMax=1\r\nXMAX=2\r\nxMax=3\r\nPuzzleName=First\r\npuzzlename=Second\r\n",
       {Int("PuzzleData", "xMax"), Text("PuzzleData", "PuzzleName")}},
      {"CR-only lines",
       "[PuzzleData]\rxMax=4\ryMax=5\rPuzzleName=Cr\r",
       {Int("PuzzleData", "xMax"), Int("PuzzleData", "yMax", 8), Text("PuzzleData", "PuzzleName")}},
      {"LF-only lines",
       "[PuzzleData]\nxMax=6\nyMax=7\nPuzzleName=Lf\n",
       {Int("PuzzleData", "xMax"), Int("PuzzleData", "yMax", 8), Text("PuzzleData", "PuzzleName")}},
      {"mixed line ends, no final line end",
       "\r\n\r\n[PuzzleData]\n\rxMax=8\r\r\nyMax=2\n\nPuzzleName=NoEnd",
       {Int("PuzzleData", "xMax"), Int("PuzzleData", "yMax", 8), Text("PuzzleData", "PuzzleName")}},
      {"lines without =",
       "[PuzzleData]\r\nxMax\r\nPuzzleName\r\nyMax 5\r\nDifficulty=3\r\n",
       {Int("PuzzleData", "xMax"), Text("PuzzleData", "PuzzleName"), Int("PuzzleData", "yMax", 8),
        Int("PuzzleData", "Difficulty", 1)}},
      {"empty values",
       "[PuzzleData]\r\nxMax=\r\nyMax=   \r\nPuzzleName=\r\nPassWord= \r\nbackColor=\"\"\r\n",
       {Int("PuzzleData", "xMax"), Int("PuzzleData", "yMax", 8), Text("PuzzleData", "PuzzleName"),
        Text("PuzzleData", "PassWord", 11, ""), Text("PuzzleData", "backColor", 40, "FF00FF")}},
      {"long values cut at the buffer",
       "[PuzzleData]\r\nPuzzleName=ABCDEFGHIJKLMNOPQRST\r\nLongPuzzleName=" + long_text +
           "\r\nPassWord=0123456789AB\r\nPuzzleSetName=" + kJapanese + "\r\nJapanese15=a" +
           kJapanese + "\r\nExact=ABCDEFGHIJKLMNO\r\nQuoted=\"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"\r\n",
       {Text("PuzzleData", "PuzzleName", 16), Text("PuzzleData", "LongPuzzleName", 256),
        Text("PuzzleData", "PassWord", 11), Text("PuzzleData", "PuzzleSetName", 11),
        Text("PuzzleData", "PuzzleSetName", 10), Text("PuzzleData", "PuzzleSetName", 16),
        Text("PuzzleData", "Japanese15", 16), Text("PuzzleData", "Exact", 16),
        Text("PuzzleData", "Exact", 15), Text("PuzzleData", "Quoted", 16),
        Text("PuzzleData", "PuzzleName", 2), Text("PuzzleData", "PuzzleName", 1),
        Text("PuzzleData", "Missing", 5, "the Puzzle")}},
      // Integer values stay within 29 characters: Wine reads no more of an integer's value
      // than that, and Windows does not document a bound, so a longer value proves nothing
      // about Windows.
      {"integers",
       "[n]\r\nplus=+5\r\nminus=-5\r\nblank=   7\r\ntrail=12abc\r\nletters=abc\r\nsign=-\r\n"
       "max=4294967295\r\nwrap=4294967296\r\nmin=2147483648\r\nbig=99999999999\r\n"
       "neg=-2147483649\r\ndouble=--5\r\nplusminus=+-5\r\nspaced=- 5\r\ninner=5 6\r\n"
       "tab=1\t2\r\nzero=0\r\nquoted=\"7\"\r\nfullwidth=" +
           kFullWidthDigits +
           "\r\n"
           "decimal=3.9\r\nlead0=007\r\nlong29=00000000000000000000000000042\r\n"
           "huge29=99999999999999999999999999999\r\nletterdigit=x5\r\n",
       {Int("n", "plus"),       Int("n", "minus"),     Int("n", "blank"),
        Int("n", "trail"),      Int("n", "letters"),   Int("n", "sign"),
        Int("n", "max"),        Int("n", "wrap"),      Int("n", "min"),
        Int("n", "big"),        Int("n", "neg"),       Int("n", "double"),
        Int("n", "plusminus"),  Int("n", "spaced"),    Int("n", "inner"),
        Int("n", "tab"),        Int("n", "zero"),      Int("n", "quoted"),
        Int("n", "fullwidth"),  Int("n", "decimal"),   Int("n", "lead0"),
        Int("n", "long29"),     Int("n", "huge29"),    Int("n", "letterdigit"),
        Int("n", "absent", 42), Int("n", "absent", -7)}},
      {"comments and broken headers",
       "[PuzzleData] ; note\r\n;xMax=9\r\nxMax=3 ; note\r\n[Broken\r\nyMax=4\r\n"
       "a=b=c\r\n[Next]tail\r\nz=1\r\n",
       {Int("PuzzleData", "xMax"), Text("PuzzleData", "xMax"), Int("PuzzleData", "yMax", 8),
        Text("PuzzleData", "a"), Int("Next", "z")}},
      {"keys outside a section",
       "xMax=5\r\n[Other]\r\nyMax=6\r\n",
       {Int("PuzzleData", "xMax"), Text("Other", "yMax"), Text("PuzzleData", "yMax")}},
      {"missing", "", {Int("PuzzleData", "xMax"), Text("PuzzleData", "PuzzleName", 16)}},
      {"empty file", "", {Int("PuzzleData", "yMax", 8), Text("PuzzleData", "PassWord", 11, "")}},
      {"Japanese texts",
       "[PuzzleData]\r\nPuzzleName=" + kTrailBackslash + "\r\nLongPuzzleName=" + kJapanese +
           kTrailBackslash + "\r\n[" + kTrailBackslash + "]\r\nkey=" + kJapanese + "\r\n",
       {Text("PuzzleData", "PuzzleName", 16), Text("PuzzleData", "LongPuzzleName", 256),
        Text("PuzzleData", "LongPuzzleName", 20), Text(kTrailBackslash, "key", 16)}},
      {"control characters",
       "[PuzzleData]\r\nPuzzleName=\x1A\x0B\x0C"
       "Cat\x0B\x1A\r\n\x0BxMax=5\r\n",
       {Text("PuzzleData", "PuzzleName"), Int("PuzzleData", "xMax")}},
      {"defaults",
       "[PuzzleData]\r\n",
       {Text("PuzzleData", "a", 256, "trailing  "), Text("PuzzleData", "b", 256, "\"quoted\""),
        Text("PuzzleData", "c", 6, "longer default"), Text("PuzzleData", "d", 16, kJapanese),
        Text("PuzzleData", "e", 256, " leading")}},
      // A value in quotes that fills the buffer to the last byte is left out: Wine cuts
      // the copy first and then drops one more character for the closing quote that the
      // cut already removed, so it returns one byte less than fits. That is an artefact of
      // Wine's copy, not a rule of the profile format (the value is shorter than the
      // buffer in every other quoted case below).
      {"quotes near the buffer's end",
       "[q]\r\na=\"ABCDEFGHIJKLMNO\"\r\nb='ABCDEFGHIJKLMNOPQRST'\r\n",
       {Text("q", "a", 17), Text("q", "a", 18), Text("q", "b", 16), Text("q", "b", 10)}},
      {"blanks inside section brackets",
       "[  Other ]\r\nk=1\r\n[\tTab\t]\r\nk=2\r\n",
       {Int("Other", "k"), Int("Tab", "k"), Int("  Other ", "k")}},
      {"UTF-8 byte order mark",
       "\xEF\xBB\xBF[PuzzleData]\r\nxMax=5\r\n",
       {Int("PuzzleData", "xMax")}},
      {"control characters other than blanks",
       "[PuzzleData]\r\nPuzzleName=\x01"
       "Cat\x01\r\n\x01xMax=5\r\nyMax=\x7f\r\n",
       {Text("PuzzleData", "PuzzleName"), Int("PuzzleData", "xMax"), Text("PuzzleData", "yMax")}},
      {"integer prefixes",
       "[n]\r\nhex=0x1F\r\noct=0o17\r\nbin=0b101\r\nHEX=0X1F\r\nneg=-0x10\r\nbad=0x\r\n",
       {Int("n", "hex"), Int("n", "oct"), Int("n", "bin"), Int("n", "HEX"), Int("n", "neg"),
        Int("n", "bad")}},
      {"zero byte in a value",
       std::string("[n]\r\na=x\0y\r\nb=2\r\n", 18),
       {Text("n", "a"), Int("n", "b")}},
  };
}

std::string Hex(const std::string& bytes) {
  if (bytes.empty()) return "-";
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0x0F];
  }
  return hex;
}

std::string QueryLine(const Query& query, const std::string& path) {
  std::string line = query.integer ? "I " : "S ";
  line += Hex(path) + " " + Hex(query.section) + " " + Hex(query.key) + " " + Hex(query.fallback);
  if (!query.integer) line += " " + Hex(std::to_string(query.buffer));
  return line + "\n";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

TEST(ProfileOnWine, PortableReaderAgreesWithTheSystemProfileFunctions) {
  TempFolder folder;
  const std::vector<ProfileCase> corpus = Corpus();
  std::string linux_queries;
  std::string windows_queries;
  std::vector<std::string> labels;
  for (size_t i = 0; i < corpus.size(); ++i) {
    const ProfileCase& profile = corpus[i];
    const std::string file = "case" + std::to_string(i) + ".ini";
    if (std::string(profile.name) != "missing") {
      WriteDiskText(folder.File(file), profile.text);
    }
    for (const Query& query : profile.queries) {
      linux_queries += QueryLine(query, folder.File(file));
      windows_queries += QueryLine(query, WindowsPath(folder.File(file)));
      const std::string kind =
          query.integer ? " (integer)" : " (buffer " + std::to_string(query.buffer) + ")";
      labels.push_back(std::string(profile.name) + ": [" + query.section + "] " + query.key + kind);
    }
  }
  WriteDiskText(folder.File("linux.queries"), linux_queries);
  WriteDiskText(folder.File("windows.queries"), windows_queries);

  const RunResult linux_run = RunLinux("profile_probe", {folder.File("linux.queries")});
  ASSERT_EQ(linux_run.exit_code, 0) << Describe(linux_run);
  const RunResult windows_run =
      RunWine("profile_probe", {WindowsPath(folder.File("windows.queries"))});
  ASSERT_EQ(windows_run.exit_code, 0) << Describe(windows_run);

  const std::vector<std::string> portable = Lines(linux_run.out);
  const std::vector<std::string> system = Lines(windows_run.out);
  ASSERT_EQ(portable.size(), labels.size()) << Describe(linux_run);
  ASSERT_EQ(system.size(), labels.size()) << Describe(windows_run);
  for (size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(portable[i], system[i])
        << labels[i] << "\n  portable: " << portable[i] << "\n  Windows:  " << system[i];
  }
}

}  // namespace
}  // namespace klv::winetest
